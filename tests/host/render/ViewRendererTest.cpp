// The picture of the current view: what the user would see, checked pixel by pixel. The view
// shows (0,0)-(40,30) on 400 x 300 pixels, so world (x, y) is pixel (10x, 300 - 10y).
#include <gtest/gtest.h>

#include <QImage>
#include <array>
#include <cstdio>
#include <memory>

#include "ModelSpace.h"
#include "TempDir.h"
#include "acad/AcDb.h"
#include "acad/AcEdDisplay.h"
#include "acad/Display.h"
#include "acad/EntityOutline.h"
#include "acad/LinetypeLoader.h"
#include "acad/SlideMaker.h"
#include "render/FrameWriter.h"
#include "render/ViewRenderer.h"
#include "win/Tick.h"

namespace {

std::string run(const std::string& cmd) {
    std::unique_ptr<FILE, int (*)(FILE*)> p(popen((cmd + " 2>&1").c_str(), "r"), pclose);
    std::string out;
    std::array<char, 4096> buf;
    size_t n;
    while (p && (n = fread(buf.data(), 1, buf.size(), p.get())) > 0) out.append(buf.data(), n);
    return out;
}

struct RenderTest : ::testing::Test {
    AcDbDatabase db;
    void SetUp() override {
        acdbHostApplicationServices()->setWorkingDatabase(&db);
        NUVAcad::Display& d = NUVAcad::displayOf(&db);
        ASSERT_EQ(d.setScreenSize(400, 300), Acad::eOk);
        ASSERT_EQ(d.zoomWindow({0, 0, 0}, {40, 30, 0}), Acad::eOk);
    }
    void TearDown() override {
        EXPECT_EQ(db.numOpenObjects(), 0);
        acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    }
    AcDbObjectId add(AcDbEntity* e) { return NUVTest::AppendToModelSpace(db, e); }
    AcDbObjectId line(double x0, double y0, double x1, double y1, int color, AcDb::LineWeight lw = AcDb::kLnWtByLayer) {
        auto* l = new AcDbLine({x0, y0, 0}, {x1, y1, 0});
        l->setColorIndex(color);
        l->setLineWeight(lw);
        return add(l);
    }
    static QRgb rgb(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }
    // Pixels of the row (y) from x0 to x1 that have the colour.
    static int count(const QImage& img, int y, int x0, int x1, QRgb color) {
        int n = 0;
        for (int x = x0; x <= x1; ++x) n += rgb(img, x, y) == color;
        return n;
    }
    // Whether the colour is within one pixel of (x, y).
    static bool near(const QImage& img, int x, int y, QRgb color) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (rgb(img, x + dx, y + dy) == color) return true;
        return false;
    }
};

TEST_F(RenderTest, ColourIndicesAsTheScreenShowsThem) {
    const struct {
        int aci;
        QRgb rgb;
    } rows[] = {{1, 0xFF0000}, {2, 0xFFFF00}, {3, 0x00FF00}, {4, 0x00FFFF}, {5, 0x0000FF}, {6, 0xFF00FF},
                {7, 0xFFFFFF}, {8, 0x808080}, {9, 0xC0C0C0}, {10, 0xFF0000}, {11, 0xFF7F7F}, {30, 0xFF7F00},
                {250, 0x333333}, {255, 0xFFFFFF}};
    int k = 0;
    for (const auto& r : rows) {
        double y = 1.5 + 2 * k++;
        line(2, y, 38, y, r.aci);
    }
    QImage img = NUVRender::RenderView(&db);
    ASSERT_EQ(img.width(), 400);
    ASSERT_EQ(img.height(), 300);
    k = 0;
    for (const auto& r : rows) {
        int y = 300 - static_cast<int>(10 * (1.5 + 2 * k++));
        EXPECT_TRUE(near(img, 200, y, r.rgb)) << "colour " << r.aci;
    }
    EXPECT_EQ(rgb(img, 5, 5), 0x000000u);  // the background
    // On white paper colour 7 turns black.
    NUVRender::RenderOptions light;
    light.background = Qt::white;
    QImage paper = NUVRender::RenderView(&db, light);
    EXPECT_TRUE(near(paper, 200, 300 - 135, 0x000000));
}

TEST_F(RenderTest, ByLayerAndByBlockColours) {
    AcDbLayerTable* t = nullptr;
    ASSERT_EQ(db.getLayerTable(t, AcDb::kForWrite), Acad::eOk);
    auto* layer = new AcDbLayerTableRecord;
    layer->setName("GREEN");
    layer->setColorIndex(3);
    ASSERT_EQ(t->add(layer), Acad::eOk);
    layer->close();
    t->close();
    AcDbObjectId l = line(2, 5, 38, 5, 256);
    AcDbEntity* e = nullptr;
    ASSERT_EQ(acdbOpenObject(e, l, AcDb::kForWrite), Acad::eOk);
    e->setLayer("GREEN");
    e->close();
    // A block whose line is by block, inserted in blue at (0, 20).
    AcDbBlockTable* bt = nullptr;
    ASSERT_EQ(db.getBlockTable(bt, AcDb::kForWrite), Acad::eOk);
    auto* btr = new AcDbBlockTableRecord;
    btr->setName("B");
    AcDbObjectId bid;
    ASSERT_EQ(bt->add(bid, btr), Acad::eOk);
    auto* inner = new AcDbLine({2, 0, 0}, {38, 0, 0});
    inner->setColorIndex(0);
    ASSERT_EQ(btr->appendAcDbEntity(inner), Acad::eOk);
    inner->close();
    btr->close();
    bt->close();
    auto* ref = new AcDbBlockReference({0, 20, 0}, bid);
    ref->setColorIndex(5);
    add(ref);
    QImage img = NUVRender::RenderView(&db);
    EXPECT_TRUE(near(img, 200, 250, 0x00FF00));
    EXPECT_TRUE(near(img, 200, 100, 0x0000FF));
}

TEST_F(RenderTest, BlankedAndHiddenEntitiesAreNotDrawnAndHighlightedOnesAreDashed) {
    AcDbObjectId blanked = line(2, 5, 38, 5, 1);
    AcDbObjectId lit = line(2, 10, 38, 10, 2);
    line(2, 15, 38, 15, 3);
    ads_name n;
    acdbGetAdsName(n, blanked);
    ASSERT_EQ(acedRedraw(n, 2), RTNORM);
    acdbGetAdsName(n, lit);
    ASSERT_EQ(acedRedraw(n, 3), RTNORM);
    QImage img = NUVRender::RenderView(&db);
    EXPECT_EQ(count(img, 250, 0, 399, 0xFF0000), 0);
    int yellow = 0, lengthPx = 360;
    for (int y = 199; y <= 201; ++y) yellow = std::max(yellow, count(img, y, 20, 379, 0xFFFF00));
    EXPECT_GT(yellow, lengthPx / 4);      // drawn,
    EXPECT_LT(yellow, lengthPx * 9 / 10); // with gaps
    int green = 0;
    for (int y = 149; y <= 151; ++y) green = std::max(green, count(img, y, 20, 379, 0x00FF00));
    EXPECT_EQ(green, lengthPx);
    // Drawn again, the blanked line is back.
    acdbGetAdsName(n, blanked);
    ASSERT_EQ(acedRedraw(n, 1), RTNORM);
    img = NUVRender::RenderView(&db);
    EXPECT_TRUE(near(img, 200, 250, 0xFF0000));
}

TEST_F(RenderTest, LineWeightsWidenTheLine) {
    line(2, 10, 38, 10, 1, AcDb::kLnWt211);  // 2.11 mm: 8 pixels at 96 dots per inch
    line(2, 20, 38, 20, 3, AcDb::kLnWt025);
    QImage img = NUVRender::RenderView(&db);
    int red = 0, green = 0;
    for (int y = 190; y <= 210; ++y) red += rgb(img, 200, y) == 0xFF0000;
    for (int y = 90; y <= 110; ++y) green += rgb(img, 200, y) == 0x00FF00;
    EXPECT_EQ(red, 8);
    EXPECT_EQ(green, 1);
}

TEST_F(RenderTest, LinetypesAreDrawnAsTheirDashes) {
    TempDir dir;
    std::string lin = dir.Touch("t.lin", "*LONGDASH\nA,2,-1\n");
    ASSERT_EQ(db.loadLineTypeFile("LONGDASH", lin.c_str()), Acad::eOk);
    auto* l = new AcDbLine({0, 15, 0}, {40, 15, 0});
    l->setColorIndex(4);
    l->setLinetype("LONGDASH");
    add(l);
    QImage img = NUVRender::RenderView(&db);
    // 2 units of dash and 1 of gap at 10 pixels a unit: runs of 20 and 10 along the row.
    int row = -1;
    for (int y = 148; y <= 152 && row < 0; ++y)
        if (count(img, y, 0, 399, 0x00FFFF) > 0) row = y;
    ASSERT_GE(row, 0);
    std::vector<int> runs;
    bool on = rgb(img, 0, row) == 0x00FFFF;
    int len = 0;
    for (int x = 0; x < 400; ++x) {
        bool now = rgb(img, x, row) == 0x00FFFF;
        if (now == on) {
            ++len;
            continue;
        }
        runs.push_back(on ? len : -len);
        on = now;
        len = 1;
    }
    ASSERT_GE(runs.size(), 6u);
    for (size_t i = 1; i + 1 < runs.size(); ++i) EXPECT_NEAR(std::abs(runs[i]), runs[i] > 0 ? 20 : 10, 1) << i;
}

TEST_F(RenderTest, ChineseTextsAreDrawnAsGlyphs) {
    // Two different characters must not come out as the same empty box.
    auto glyph = [&](const char* gbk) {
        AcDbDatabase one;
        acdbHostApplicationServices()->setWorkingDatabase(&one);
        NUVAcad::displayOf(&one).setScreenSize(400, 300);
        NUVAcad::displayOf(&one).zoomWindow({0, 0, 0}, {40, 30, 0});
        AcDbBlockTableRecord* ms = nullptr;
        acdbOpenObject(ms, one.modelSpaceId(), AcDb::kForWrite);
        auto* t = new AcDbText({5, 5, 0}, gbk, one.textstyle(), 10.0);
        ms->appendAcDbEntity(t);
        t->close();
        ms->close();
        QImage img = NUVRender::RenderView(&one);
        acdbHostApplicationServices()->setWorkingDatabase(&db);
        return img;
    };
    QImage feng = glyph("\xB7\xE7"), guan = glyph("\xB9\xDC");
    int lit = 0, differ = 0, outside = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) {
            bool a = rgb(feng, x, y) != 0, b = rgb(guan, x, y) != 0;
            lit += a;
            differ += a != b;
            // A character is about one text height wide (10 units = 100 pixels) above (5,5).
            if (a && (x < 40 || x > 200 || y > 260 || y < 100)) ++outside;
        }
    EXPECT_GT(lit, 500);
    EXPECT_GT(differ, 500);
    EXPECT_EQ(outside, 0);
}

TEST_F(RenderTest, FillsTemporaryVectorsAndShownSlides) {
    auto* h = new AcDbHatch;
    h->setPattern(AcDbHatch::kPreDefined, "SOLID");
    AcGePoint2dArray sq;
    for (auto [x, y] : {std::pair{10.0, 10.0}, {20.0, 10.0}, {20.0, 20.0}, {10.0, 20.0}}) sq.append(AcGePoint2d(x, y));
    h->appendLoop(AcDbHatch::kExternal | AcDbHatch::kPolyline, sq, AcGeDoubleArray());
    h->setColorIndex(6);
    add(h);
    ads_point a = {30, 2, 0}, b = {30, 28, 0};
    ASSERT_EQ(acedGrDraw(a, b, 2, 0), RTNORM);
    QImage img = NUVRender::RenderView(&db);
    EXPECT_EQ(rgb(img, 150, 150), 0xFF00FFu);
    EXPECT_EQ(rgb(img, 250, 150), 0x000000u);
    EXPECT_TRUE(near(img, 300, 150, 0xFFFF00));
    ASSERT_EQ(acedRedraw(nullptr, 0), RTNORM);
    img = NUVRender::RenderView(&db);
    EXPECT_FALSE(near(img, 300, 150, 0xFFFF00));

    // A slide of the view, shown: the picture is the slide's (here the same fill).
    TempDir dir;
    std::string sld = dir.File("v.sld"), error;
    ASSERT_EQ(NUVAcad::SaveSlide(&db, sld.c_str(), error), Acad::eOk);
    line(0, 25, 40, 25, 1);
    ASSERT_EQ(NUVAcad::ShowSlide(&db, sld.c_str(), error), Acad::eOk);
    img = NUVRender::RenderView(&db);
    EXPECT_TRUE(near(img, 150, 150, 0xFF00FF));
    EXPECT_FALSE(near(img, 200, 50, 0xFF0000));  // drawn after the slide: not on it
}

TEST_F(RenderTest, PngFilesAreWrittenWholeOrNotAtAll) {
    line(0, 0, 40, 30, 1);
    TempDir dir;
    std::string png = dir.File("view.png"), error;
    ASSERT_TRUE(NUVRender::SaveViewPng(&db, png.c_str(), error)) << error;
    // An independent reader of the PNG header.
    std::string out = run("/usr/bin/python3 -c \"import struct,sys;d=open(sys.argv[1],'rb').read();"
                          "print(d[:8]==b'\\x89PNG\\r\\n\\x1a\\n', d[12:16], *struct.unpack('>II', d[16:24]))\" '" +
                          png + "'");
    EXPECT_EQ(out, "True b'IHDR' 400 300\n");
    QImage back(QString::fromStdString(png));
    ASSERT_FALSE(back.isNull());
    EXPECT_TRUE(near(back, 200, 150, 0xFF0000));

    std::string bad = dir.File("missing/folder/view.png");
    EXPECT_FALSE(NUVRender::SaveViewPng(&db, bad.c_str(), error));
    EXPECT_NE(error.find("view.png"), std::string::npos);

    std::string sld = dir.File("v.sld");
    ASSERT_EQ(NUVAcad::SaveSlide(&db, sld.c_str(), error), Acad::eOk);
    std::string spng = dir.File("slide.png");
    NUVRender::RenderOptions o;
    o.width = 200;
    o.height = 150;
    ASSERT_TRUE(NUVRender::SaveSlidePng(sld.c_str(), spng.c_str(), error, o)) << error;
    QImage s(QString::fromStdString(spng));
    EXPECT_EQ(s.width(), 200);
    EXPECT_TRUE(near(s, 100, 75, 0xFF0000));
    EXPECT_FALSE(NUVRender::SaveSlidePng(png.c_str(), spng.c_str(), error, o));  // a PNG is no slide
    EXPECT_NE(error.find("not a slide"), std::string::npos) << error;
}

TEST_F(RenderTest, SlidesStrokeTextsWithTheFontOnceInstalled) {
    add(new AcDbText({5, 5, 0}, "\xB7\xE7\xB9\xDC", db.textstyle(), 5.0));
    size_t boxes = NUVAcad::MakeSlide(&db).items.size();
    EXPECT_EQ(boxes, 4u);  // without glyphs: the text's box
    NUVRender::InstallTextStroker();
    NUVAcad::Slide s = NUVAcad::MakeSlide(&db);
    NUVAcad::SetTextStroker(nullptr);
    EXPECT_GT(s.items.size(), 40u);
    // Every stroke lies about the text's box (5,5)-(25,10): dots 50..250 by 50..100 on this
    // 400 x 300 screen, give or take the glyphs' side bearings and descenders.
    for (const auto& it : s.items)
        for (const auto& d : it.dots) {
            EXPECT_GE(d.x, 40);
            EXPECT_LE(d.x, 260);
            EXPECT_GE(d.y, 35);
            EXPECT_LE(d.y, 115);
        }
}

}  // namespace

// A flashing sequence on the virtual clock gives one picture per tick at which the screen changed.
TEST_F(RenderTest, FramesFollowTheDisplayTickByTick) {
    NUVWin::UseVirtualClock(5000);
    AcDbObjectId id = line(2, 15, 38, 15, 1);  // pixel row 150
    ads_name n;
    acdbGetAdsName(n, id);
    TempDir dir;
    std::vector<NUVRender::FrameWriter::Frame> frames;
    {
        NUVRender::FrameWriter w(&db, dir.path());
        NUVWin::AdvanceVirtualClock(500);
        ASSERT_EQ(acedRedraw(n, 3), RTNORM);  // two changes in one tick: one picture, blanked
        ASSERT_EQ(acedRedraw(n, 2), RTNORM);
        NUVWin::AdvanceVirtualClock(500);
        ASSERT_EQ(acedRedraw(n, 4), RTNORM);
        acedUpdateDisplay();  // paints nothing new
        NUVWin::AdvanceVirtualClock(500);
        ASSERT_EQ(acedRedraw(n, 4), RTNORM);  // no change either
        NUVWin::AdvanceVirtualClock(500);
        ASSERT_EQ(acedRedraw(n, 3), RTNORM);
        w.finish();
        ASSERT_EQ(acedRedraw(n, 2), RTNORM);  // after finish: not pictured
        EXPECT_EQ(w.error(), "");
        frames = w.frames();
    }
    NUVWin::UseRealClock();
    const struct {
        const char* name;
        unsigned long long tick;
        int redMin, redMax;  // red pixels on the line's row, of 360
    } rows[] = {
        {"frame-000001-0ms.png", 5000, 360, 360},
        {"frame-000002-500ms.png", 5500, 0, 0},
        {"frame-000003-1000ms.png", 6000, 360, 360},
        {"frame-000004-2000ms.png", 7000, 90, 323},  // highlighted: dashed
    };
    ASSERT_EQ(frames.size(), std::size(rows));
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].path, dir.File(rows[i].name));
        EXPECT_EQ(frames[i].tick, rows[i].tick);
        QImage img(QString::fromStdString(frames[i].path));
        ASSERT_FALSE(img.isNull()) << rows[i].name;
        int red = 0;
        for (int y = 149; y <= 151; ++y) red = std::max(red, count(img, y, 20, 379, 0xFF0000));
        EXPECT_GE(red, rows[i].redMin) << rows[i].name;
        EXPECT_LE(red, rows[i].redMax) << rows[i].name;
    }
    // A folder that cannot be written: the reason, and no frames.
    NUVRender::FrameWriter bad(&db, dir.File("missing"));
    EXPECT_TRUE(bad.frames().empty());
    EXPECT_NE(bad.error().find("frame-000001-"), std::string::npos) << bad.error();
}
