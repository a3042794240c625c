// Everything is drawn from the entities' plan-view outlines (acad/EntityOutline.h), the same
// geometry slides and window selection use. Pixels: the view's lower left corner is the image's
// bottom left, y grows upwards in the drawing and downwards in the image. Line weights are shown
// at 96 dots per inch; a linetype is drawn as dashes when its pattern spans at least 3 pixels.
#include "render/ViewRenderer.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "acad/AcDbDatabase.h"
#include "acad/AcDbEntity.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/AciColor.h"
#include "acad/Display.h"
#include "acad/EntityOutline.h"
#include "win/CString.h"
#include "win/Encoding.h"
#include "win/FileSystem.h"

namespace NUVRender {

const char* const kTextFontFamily = "WenQuanYi Micro Hei";

namespace {

QColor colorOf(int aci, const QColor& background) {
    if (aci == 7 && background.lightness() > 128) return QColor(0, 0, 0);
    uint32_t rgb = NUVAcad::AciToRgb(aci);
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

double penWidth(int lineWeight) { return std::max(1.0, std::round(lineWeight / 100.0 * 96.0 / 25.4)); }

QString fromGbk(const std::string& gbk) { return QString::fromStdU16String(NUVWin::GbkToUtf16(gbk)); }

// The font at a size whose capital letters are `capHeight` pixels tall, and that size's factor.
QFont textFont(double& unitsPerPixel) {
    QFont font(kTextFontFamily);
    font.setPixelSize(100);
    QFontMetricsF fm(font);
    double cap = fm.capHeight() > 0 ? fm.capHeight() : 70.0;
    unitsPerPixel = 1.0 / cap;
    return font;
}

struct Mapper {
    AcGePoint2d ll;
    double k;
    int height;
    QPointF operator()(const AcGePoint2d& p) const { return {(p.x - ll.x) * k, height - (p.y - ll.y) * k}; }
};

class Painter {
public:
    Painter(QPainter& p, const Mapper& m, const QColor& bg) : p_(p), map_(m), bg_(bg) {}

    void part(const NUVAcad::OutlinePart& part, bool highlighted) {
        QColor c = colorOf(part.color, bg_);
        switch (part.kind) {
        case NUVAcad::OutlinePart::Polyline: {
            QPen pen(c, penWidth(part.lineWeight));
            pen.setCapStyle(Qt::FlatCap);
            pen.setJoinStyle(Qt::MiterJoin);
            if (highlighted) pen.setStyle(Qt::DashLine);
            else linetype(pen, part);
            p_.setPen(pen);
            QPolygonF poly;
            for (const AcGePoint2d& q : part.points) poly << map_(q);
            if (poly.size() == 1) p_.drawPoint(poly[0]);
            else if (part.closed) p_.drawPolygon(poly);
            else p_.drawPolyline(poly);
            break;
        }
        case NUVAcad::OutlinePart::Fill: {
            QPainterPath path;
            path.setFillRule(Qt::OddEvenFill);
            for (const auto& loop : part.loops) {
                QPolygonF poly;
                for (const AcGePoint2d& q : loop) poly << map_(q);
                path.addPolygon(poly);
                path.closeSubpath();
            }
            p_.fillPath(path, highlighted ? QBrush(c, Qt::DiagCrossPattern) : QBrush(c));
            break;
        }
        case NUVAcad::OutlinePart::Text: text(part.text, c, highlighted); break;
        }
    }

private:
    void linetype(QPen& pen, const NUVAcad::OutlinePart& part) {
        if (part.linetype.isNull()) return;
        AcDbLinetypeTableRecord* rec = nullptr;
        if (acdbOpenObject(rec, part.linetype, AcDb::kForRead) != Acad::eOk) return;
        double scale = part.linetypeScale * map_.k;
        QVector<qreal> pattern;
        double cycle = 0;
        for (int i = 0; i < rec->numDashes(); ++i) {
            double len = rec->dashLengthAt(i);
            double px = len == 0 ? 1.0 : std::fabs(len) * scale;
            cycle += px;
            bool dash = len >= 0;
            bool lastDash = pattern.size() % 2 == 1;
            if (!pattern.isEmpty() && dash == lastDash) pattern.back() += px;  // two of a kind in a row
            else if (pattern.isEmpty() && !dash) pattern << 0.0 << px;
            else pattern << px;
        }
        rec->close();
        if (cycle < 3.0 || pattern.size() < 2) return;  // too fine to see: drawn solid
        if (pattern.size() % 2) pattern << 0.0;
        for (qreal& v : pattern) v = std::max(v, 0.01) / pen.widthF();
        pen.setDashPattern(pattern);
    }

    void text(const NUVAcad::OutlineText& t, const QColor& c, bool highlighted) {
        double perPixel = 0;
        QFont font = textFont(perPixel);
        double s = t.height * map_.k * perPixel;
        if (!(s > 0) || s * 100 < 0.5) return;  // smaller than a pixel
        p_.save();
        p_.setFont(font);
        p_.setPen(c);
        p_.translate(map_(t.position));
        p_.rotate(-t.rotation * 180.0 / M_PI);
        p_.scale(s * t.widthFactor, s);
        p_.shear(-std::tan(t.oblique), 0);
        p_.drawText(QPointF(0, 0), fromGbk(t.text));
        if (highlighted) {
            QFontMetricsF fm(font);
            QPen dash(c, 0);
            dash.setStyle(Qt::DashLine);
            p_.setPen(dash);
            p_.drawRect(QRectF(0, -fm.capHeight(), fm.horizontalAdvance(fromGbk(t.text)), fm.capHeight()));
        }
        p_.restore();
    }

    QPainter& p_;
    Mapper map_;
    QColor bg_;
};

QImage blank(int w, int h, const QColor& bg) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(bg);
    return img;
}

bool savePng(const QImage& img, const char* path, std::string& error) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    if (!img.save(&buf, "PNG")) {
        error = "cannot encode the picture as PNG";
        return false;
    }
    if (!path || !NUVWin::WriteFileAtomic(CString(path), std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())))) {
        error = std::string("cannot write ") + (path ? path : "(no file name)");
        return false;
    }
    return true;
}

}  // namespace

void EnsureGuiApplication() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    if (QCoreApplication::instance()) return;  // a console application: images still work
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "nuvcad";
    static char* argv[] = {name, nullptr};
    // Lives as long as the process: fonts and images need it until the last picture.
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

QImage RenderSlide(const NUVAcad::Slide& slide, const RenderOptions& o) {
    EnsureGuiApplication();
    int w = o.width > 0 ? o.width : slide.highX + 1, h = o.height > 0 ? o.height : slide.highY + 1;
    QImage img = blank(w, h, o.background);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    double s = std::min(static_cast<double>(w) / (slide.highX + 1), static_cast<double>(h) / (slide.highY + 1));
    double ox = (w - (slide.highX + 1) * s) / 2, oy = (h - (slide.highY + 1) * s) / 2;
    auto map = [&](const NUVAcad::SlideDot& d) { return QPointF(ox + (d.x + 0.5) * s, h - oy - (d.y + 0.5) * s); };
    for (const NUVAcad::SlideItem& it : slide.items) {
        QColor c = colorOf(it.color, o.background);
        if (it.kind == NUVAcad::SlideItem::Vector) {
            p.setPen(QPen(c, std::max(1.0, s)));
            p.drawLine(map(it.dots[0]), map(it.dots[1]));
        } else {
            QPolygonF poly;
            for (const auto& d : it.dots) poly << map(d);
            p.setPen(QPen(c, std::max(1.0, s)));
            p.setBrush(c);
            p.drawPolygon(poly);
        }
    }
    return img;
}

QImage RenderView(AcDbDatabase* db, const RenderOptions& o) {
    EnsureGuiApplication();
    NUVAcad::Display& d = NUVAcad::displayOf(db);
    NUVAcad::DisplayView v = d.view();
    if (o.width > 0 && o.height > 0) {
        v.screenWidth = o.width;
        v.screenHeight = o.height;
    }
    if (const NUVAcad::Slide* slide = d.shownSlide()) {
        RenderOptions so = o;
        so.width = v.screenWidth;
        so.height = v.screenHeight;
        return RenderSlide(*slide, so);
    }
    QImage img = blank(v.screenWidth, v.screenHeight, o.background);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    Mapper map{v.lowerLeft(), v.pixelsPerUnit(), v.screenHeight};
    Painter painter(p, map, o.background);

    AcDbBlockTableRecord* ms = nullptr;
    if (acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForRead) == Acad::eOk) {
        NUVAcad::OutlineOptions opt;
        opt.tolerance = 0.5 / v.pixelsPerUnit();
        std::vector<NUVAcad::OutlinePart> parts;
        // Only what is on screen is traced: entities wholly outside the view are skipped by
        // their extents first.
        AcGePoint2d ll = v.lowerLeft(), ur = v.upperRight();
        for (AcDbObjectId id : ms->entityIds()) {
            if (d.isBlanked(id)) continue;
            AcDbEntity* e = nullptr;
            if (acdbOpenObject(e, id, AcDb::kForRead) != Acad::eOk) continue;
            AcDbExtents ext;
            bool off = e->getGeomExtents(ext) == Acad::eOk &&
                       (ext.maxPoint().x < ll.x || ext.minPoint().x > ur.x || ext.maxPoint().y < ll.y ||
                        ext.minPoint().y > ur.y);
            if (!off) {
                parts.clear();
                NUVAcad::AppendOutline(e, opt, parts);
                bool hl = d.isHighlighted(id);
                for (const auto& part : parts) painter.part(part, hl);
            }
            e->close();
        }
        ms->close();
    }
    for (const NUVAcad::TempVector& t : d.tempVectors()) {
        QPen pen(t.color < 0 ? QColor(255, 255, 255) : colorOf(t.color, o.background), 1);
        if (t.highlighted) pen.setStyle(Qt::DashLine);
        p.save();
        if (t.color < 0) p.setCompositionMode(QPainter::CompositionMode_Difference);
        p.setPen(pen);
        p.drawLine(map({t.from.x, t.from.y}), map({t.to.x, t.to.y}));
        p.restore();
    }
    return img;
}

bool SaveViewPng(AcDbDatabase* db, const char* path, std::string& error, const RenderOptions& o) {
    error.clear();
    if (!db) {
        error = "no drawing";
        return false;
    }
    return savePng(RenderView(db, o), path, error);
}

bool SaveSlidePng(const char* slidePath, const char* pngPath, std::string& error, const RenderOptions& o) {
    error.clear();
    std::string bytes;
    if (!slidePath || !NUVWin::ReadFileBytes(CString(slidePath), bytes)) {
        error = std::string("cannot read the slide file ") + (slidePath ? slidePath : "");
        return false;
    }
    NUVAcad::Slide slide;
    if (!NUVAcad::ReadSlide(bytes, slide, error)) {
        error = std::string(slidePath) + ": " + error;
        return false;
    }
    return savePng(RenderSlide(slide, o), pngPath, error);
}

void InstallTextStroker() {
    NUVAcad::SetTextStroker([](const NUVAcad::OutlineText& t) {
        EnsureGuiApplication();
        double perPixel = 0;
        QFont font = textFont(perPixel);
        QPainterPath path;
        path.addText(QPointF(0, 0), font, fromGbk(t.text));
        double s = t.height * perPixel;
        QTransform m;
        m.translate(t.position.x, t.position.y);
        m.rotate(t.rotation * 180.0 / M_PI);
        m.scale(s * t.widthFactor, -s);  // glyphs grow downwards, drawings upwards
        m.shear(-std::tan(t.oblique), 0);
        std::vector<std::vector<AcGePoint2d>> strokes;
        for (const QPolygonF& poly : path.toSubpathPolygons(m)) {
            std::vector<AcGePoint2d> pts;
            for (const QPointF& q : poly) pts.emplace_back(q.x(), q.y());
            if (pts.size() > 1) strokes.push_back(std::move(pts));
        }
        return strokes;
    });
}

}  // namespace NUVRender
