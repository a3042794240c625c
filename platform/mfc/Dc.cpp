// CDC on QPainter. Every context gets a handle from this thread's table so that a HDC passed in a
// message (a colour request's wParam, a custom-draw record) finds its CDC again.
#include "mfc/Dc.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <unordered_map>
#include <vector>

#include "mfc/MfcInternal.h"
#include "mfc/Text.h"

namespace {

thread_local std::unordered_map<HDC, CDC*> t_contexts;
thread_local std::uintptr_t t_nextContext = 0x200000;

QString QText(LPCSTR text, int length) {
    if (!text) return QString();
    if (length < 0) length = static_cast<int>(std::strlen(text));
    return NUVMfc::ToQStringOrReport(std::string_view(text, static_cast<std::size_t>(length)), "CDC text");
}

QFont DefaultFont() {
    LOGFONTA log{};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof log, &log);
    return NUVMfc::detail::FontFromLog(log);
}

}  // namespace

struct CDC::State {
    QPainter* painter = nullptr;
    std::unique_ptr<QPainter> owned;
    QPoint origin;       // where client (0, 0) lies on the painter
    QPoint viewportOrg;  // moved by SetViewportOrg
    QFont font = DefaultFont();
    HGDIOBJ fontHandle = nullptr;
    COLORREF text = RGB(0, 0, 0);
    COLORREF bk = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    bool textSet = false;
    HGDIOBJ brushHandle = GetStockObject(WHITE_BRUSH);
    HGDIOBJ penHandle = GetStockObject(BLACK_PEN);
    LOGBRUSH brush{BS_SOLID, RGB(255, 255, 255), 0};
    LOGPEN pen{PS_SOLID, {1, 0}, RGB(0, 0, 0)};
    QPoint position;

    struct Saved {
        QFont font;
        HGDIOBJ fontHandle, brushHandle, penHandle;
        LOGBRUSH brush;
        LOGPEN pen;
        COLORREF text, bk;
        int bkMode;
        QPoint viewportOrg;
    };
    std::vector<Saved> saved;

    QPoint Offset() const { return origin + viewportOrg; }
    QRect Rect(const RECT* r) const {
        return QRect(r->left + Offset().x(), r->top + Offset().y(), r->right - r->left, r->bottom - r->top);
    }
};

CDC::CDC() : d_(new State) {
    t_nextContext += 4;
    m_hDC = reinterpret_cast<HDC>(t_nextContext);
    t_contexts[m_hDC] = this;
}

CDC::~CDC() {
    DetachPainter();
    t_contexts.erase(m_hDC);
}

CDC* CDC::FromHandle(HDC hdc) {
    auto it = t_contexts.find(hdc);
    if (it != t_contexts.end()) return it->second;
    if (!hdc) return nullptr;
    // A context of the platform's bitmap layer: measuring only.
    thread_local std::unordered_map<HDC, std::unique_ptr<CDC>> foreign;
    auto& slot = foreign[hdc];
    if (!slot) slot.reset(new CDC);
    return slot.get();
}

COLORREF CDC::SetTextColor(COLORREF c) {
    COLORREF old = d_->text;
    d_->text = c & 0xFFFFFF;
    d_->textSet = true;
    return old;
}
COLORREF CDC::GetTextColor() const { return d_->text; }
COLORREF CDC::SetBkColor(COLORREF c) {
    COLORREF old = d_->bk;
    d_->bk = c & 0xFFFFFF;
    return old;
}
COLORREF CDC::GetBkColor() const { return d_->bk; }
int CDC::SetBkMode(int mode) {
    int old = d_->bkMode;
    if (mode == TRANSPARENT || mode == OPAQUE) d_->bkMode = mode;
    return old;
}
int CDC::GetBkMode() const { return d_->bkMode; }

HGDIOBJ CDC::SelectObject(HGDIOBJ object) {
    HGDIOBJ old = nullptr;
    switch (GetObjectType(object)) {
        case OBJ_FONT: {
            LOGFONTA log{};
            GetObjectA(object, sizeof log, &log);
            old = d_->fontHandle;
            d_->fontHandle = object;
            d_->font = NUVMfc::detail::FontFromLog(log);
            if (d_->painter) d_->painter->setFont(d_->font);
            break;
        }
        case OBJ_BRUSH:
            old = d_->brushHandle;
            d_->brushHandle = object;
            GetObjectA(object, sizeof d_->brush, &d_->brush);
            break;
        case OBJ_PEN:
            old = d_->penHandle;
            d_->penHandle = object;
            GetObjectA(object, sizeof d_->pen, &d_->pen);
            break;
        default:
            return nullptr;
    }
    return old;
}

CFont* CDC::SelectObject(CFont* font) {
    return font ? CFont::FromHandle(static_cast<HFONT>(SelectObject(font->m_hObject))) : nullptr;
}
CBrush* CDC::SelectObject(CBrush* brush) {
    return brush ? CBrush::FromHandle(static_cast<HBRUSH>(SelectObject(brush->m_hObject))) : nullptr;
}
CPen* CDC::SelectObject(CPen* pen) {
    return pen ? CPen::FromHandle(static_cast<HPEN>(SelectObject(pen->m_hObject))) : nullptr;
}

CGdiObject* CDC::SelectStockObject(int index) {
    HGDIOBJ stock = GetStockObject(index);
    if (!stock) return nullptr;
    DWORD type = GetObjectType(stock);
    HGDIOBJ old = SelectObject(stock);
    if (type == OBJ_FONT) return CFont::FromHandle(static_cast<HFONT>(old));
    if (type == OBJ_BRUSH) return CBrush::FromHandle(static_cast<HBRUSH>(old));
    if (type == OBJ_PEN) return CPen::FromHandle(static_cast<HPEN>(old));
    return nullptr;
}

CPoint CDC::SetViewportOrg(int x, int y) {
    CPoint old(d_->viewportOrg.x(), d_->viewportOrg.y());
    d_->viewportOrg = QPoint(x, y);
    return old;
}
CPoint CDC::GetViewportOrg() const { return CPoint(d_->viewportOrg.x(), d_->viewportOrg.y()); }
CPoint CDC::OffsetViewportOrg(int dx, int dy) { return SetViewportOrg(d_->viewportOrg.x() + dx, d_->viewportOrg.y() + dy); }

int CDC::SaveDC() {
    d_->saved.push_back(State::Saved{d_->font, d_->fontHandle, d_->brushHandle, d_->penHandle, d_->brush, d_->pen,
                                     d_->text, d_->bk, d_->bkMode, d_->viewportOrg});
    if (d_->painter) d_->painter->save();
    return static_cast<int>(d_->saved.size());
}

BOOL CDC::RestoreDC(int saved) {
    const int count = static_cast<int>(d_->saved.size());
    if (saved < 0) saved = count + 1 + saved;
    if (saved < 1 || saved > count) return FALSE;
    while (static_cast<int>(d_->saved.size()) >= saved) {
        const State::Saved s = d_->saved.back();
        d_->saved.pop_back();
        if (d_->painter) d_->painter->restore();
        d_->font = s.font, d_->fontHandle = s.fontHandle, d_->brushHandle = s.brushHandle, d_->penHandle = s.penHandle;
        d_->brush = s.brush, d_->pen = s.pen, d_->text = s.text, d_->bk = s.bk, d_->bkMode = s.bkMode;
        d_->viewportOrg = s.viewportOrg;
    }
    return TRUE;
}

int CDC::IntersectClipRect(int left, int top, int right, int bottom) {
    if (!d_->painter) return 0;  // ERROR
    RECT r{left, top, right, bottom};
    d_->painter->setClipRect(d_->Rect(&r), d_->painter->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    return (right > left && bottom > top) ? 2 : 1;  // SIMPLEREGION : NULLREGION
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF colour) {
    d_->bk = colour & 0xFFFFFF;
    if (d_->painter && rect) d_->painter->fillRect(d_->Rect(rect), NUVMfc::detail::ToQColor(colour));
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF colour) {
    RECT r{x, y, x + cx, y + cy};
    FillSolidRect(&r, colour);
}

BOOL CDC::FillRect(LPCRECT rect, CBrush* brush) {
    LOGBRUSH lb{};
    if (!d_->painter || !rect || !brush || !brush->GetLogBrush(&lb)) return FALSE;
    if (lb.lbStyle != BS_NULL) d_->painter->fillRect(d_->Rect(rect), NUVMfc::detail::ToQColor(lb.lbColor));
    return TRUE;
}

BOOL CDC::FrameRect(LPCRECT rect, CBrush* brush) {
    LOGBRUSH lb{};
    if (!d_->painter || !rect || !brush || !brush->GetLogBrush(&lb)) return FALSE;
    if (lb.lbStyle == BS_NULL || rect->right <= rect->left || rect->bottom <= rect->top) return TRUE;
    const QColor c = NUVMfc::detail::ToQColor(lb.lbColor);
    QRect q = d_->Rect(rect);
    d_->painter->fillRect(QRect(q.left(), q.top(), q.width(), 1), c);
    d_->painter->fillRect(QRect(q.left(), q.bottom(), q.width(), 1), c);
    d_->painter->fillRect(QRect(q.left(), q.top(), 1, q.height()), c);
    d_->painter->fillRect(QRect(q.right(), q.top(), 1, q.height()), c);
    return TRUE;
}

void CDC::Draw3dRect(LPCRECT rect, COLORREF topLeft, COLORREF bottomRight) {
    if (!d_->painter || !rect) return;
    QRect q = d_->Rect(rect);
    const QColor tl = NUVMfc::detail::ToQColor(topLeft), br = NUVMfc::detail::ToQColor(bottomRight);
    d_->painter->fillRect(QRect(q.left(), q.top(), q.width() - 1, 1), tl);
    d_->painter->fillRect(QRect(q.left(), q.top(), 1, q.height() - 1), tl);
    d_->painter->fillRect(QRect(q.right(), q.top(), 1, q.height()), br);
    d_->painter->fillRect(QRect(q.left(), q.bottom(), q.width(), 1), br);
}

BOOL CDC::DrawFocusRect(LPCRECT rect) {
    if (!d_->painter || !rect) return FALSE;
    QPen pen(Qt::black, 1, Qt::DotLine);
    d_->painter->save();
    d_->painter->setPen(pen);
    d_->painter->setBrush(Qt::NoBrush);
    d_->painter->drawRect(d_->Rect(rect).adjusted(0, 0, -1, -1));
    d_->painter->restore();
    return TRUE;
}

namespace {

QPen PenOf(const LOGPEN& p) {
    if (p.lopnStyle == PS_NULL) return QPen(Qt::NoPen);
    QPen pen(NUVMfc::detail::ToQColor(p.lopnColor), std::max(1, static_cast<int>(p.lopnWidth.x)));
    switch (p.lopnStyle) {
        case PS_DASH: pen.setStyle(Qt::DashLine); break;
        case PS_DOT: pen.setStyle(Qt::DotLine); break;
        case PS_DASHDOT: pen.setStyle(Qt::DashDotLine); break;
        case PS_DASHDOTDOT: pen.setStyle(Qt::DashDotDotLine); break;
        default: break;
    }
    return pen;
}

QBrush BrushOf(const LOGBRUSH& b) {
    if (b.lbStyle == BS_NULL) return QBrush(Qt::NoBrush);
    return QBrush(NUVMfc::detail::ToQColor(b.lbColor));
}

}  // namespace

BOOL CDC::Rectangle(int left, int top, int right, int bottom) {
    if (!d_->painter) return FALSE;
    RECT r{left, top, right, bottom};
    QRect q = d_->Rect(&r);
    d_->painter->save();
    d_->painter->setPen(Qt::NoPen);
    d_->painter->setBrush(BrushOf(d_->brush));
    d_->painter->drawRect(q);
    d_->painter->setPen(PenOf(d_->pen));
    d_->painter->setBrush(Qt::NoBrush);
    d_->painter->drawRect(q.adjusted(0, 0, -1, -1));
    d_->painter->restore();
    return TRUE;
}

BOOL CDC::Ellipse(int left, int top, int right, int bottom) {
    if (!d_->painter) return FALSE;
    RECT r{left, top, right, bottom};
    d_->painter->save();
    d_->painter->setPen(PenOf(d_->pen));
    d_->painter->setBrush(BrushOf(d_->brush));
    d_->painter->drawEllipse(d_->Rect(&r).adjusted(0, 0, -1, -1));
    d_->painter->restore();
    return TRUE;
}

CPoint CDC::MoveTo(int x, int y) {
    CPoint old(d_->position.x(), d_->position.y());
    d_->position = QPoint(x, y);
    return old;
}

BOOL CDC::LineTo(int x, int y) {
    const QPoint from = d_->position, to(x, y);
    d_->position = to;
    if (!d_->painter) return FALSE;
    d_->painter->save();
    d_->painter->setPen(PenOf(d_->pen));
    // The end point itself is not drawn, as the platform draws lines.
    QPointF a = from + d_->Offset(), b = to + d_->Offset();
    QLineF line(a, b);
    if (line.length() >= 1.0) line.setLength(line.length() - 1.0);
    if (line.length() > 0.0 || a == b) d_->painter->drawLine(line);
    d_->painter->restore();
    return TRUE;
}

COLORREF CDC::SetPixel(int x, int y, COLORREF colour) {
    if (!d_->painter) return CLR_INVALID;
    d_->painter->fillRect(QRect(x + d_->Offset().x(), y + d_->Offset().y(), 1, 1), NUVMfc::detail::ToQColor(colour));
    return colour & 0xFFFFFF;
}

BOOL CDC::TextOut(int x, int y, LPCSTR text, int length) {
    if (!d_->painter) return FALSE;
    const QString q = QText(text, length);
    QFontMetrics fm(d_->font);
    QPoint at(x + d_->Offset().x(), y + d_->Offset().y());
    QRect box(at, QSize(fm.horizontalAdvance(q), fm.height()));
    d_->painter->save();
    d_->painter->setFont(d_->font);
    if (d_->bkMode == OPAQUE) d_->painter->fillRect(box, NUVMfc::detail::ToQColor(d_->bk));
    d_->painter->setPen(NUVMfc::detail::ToQColor(d_->text));
    d_->painter->drawText(at + QPoint(0, fm.ascent()), q);
    d_->painter->restore();
    return TRUE;
}

int CDC::DrawText(LPCSTR text, int length, LPRECT rect, UINT format) {
    if (!rect) return 0;
    QString q = QText(text, length);
    QFontMetrics fm(d_->font);
    int flags = 0;
    if (format & DT_CENTER) flags |= Qt::AlignHCenter;
    else if (format & DT_RIGHT) flags |= Qt::AlignRight;
    else flags |= Qt::AlignLeft;
    if (format & DT_SINGLELINE) {
        flags |= Qt::TextSingleLine;
        if (format & DT_VCENTER) flags |= Qt::AlignVCenter;
        else if (format & DT_BOTTOM) flags |= Qt::AlignBottom;
        else flags |= Qt::AlignTop;
    } else {
        flags |= Qt::AlignTop;
        if (format & DT_WORDBREAK) flags |= Qt::TextWordWrap;
    }
    if (format & DT_EXPANDTABS) flags |= Qt::TextExpandTabs;
    if (!(format & DT_NOPREFIX)) flags |= Qt::TextShowMnemonic;
    const int width = rect->right - rect->left;
    if ((format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)) && !(format & DT_CALCRECT))
        q = fm.elidedText(q, (format & DT_PATH_ELLIPSIS) ? Qt::ElideMiddle : Qt::ElideRight, std::max(0, width));
    QRect box = d_->Rect(rect);
    if (format & DT_CALCRECT) {
        QRect need = fm.boundingRect(QRect(box.left(), box.top(), (flags & Qt::TextWordWrap) ? width : 1 << 20, 1 << 20),
                                     flags & ~(Qt::AlignVCenter | Qt::AlignBottom), q);
        if (!(flags & Qt::TextWordWrap)) rect->right = rect->left + need.width();
        rect->bottom = rect->top + need.height();
        return need.height();
    }
    QRect drawn = fm.boundingRect(box, flags, q);
    if (!d_->painter) return drawn.height();
    d_->painter->save();
    d_->painter->setFont(d_->font);
    if (!(format & DT_NOCLIP)) d_->painter->setClipRect(box, Qt::IntersectClip);
    if (d_->bkMode == OPAQUE) d_->painter->fillRect(drawn, NUVMfc::detail::ToQColor(d_->bk));
    d_->painter->setPen(NUVMfc::detail::ToQColor(d_->text));
    d_->painter->drawText(box, flags, q);
    d_->painter->restore();
    return drawn.height();
}

BOOL CDC::DrawPixmap(const QPixmap& pixmap, int x, int y) {
    if (!d_->painter) return FALSE;
    d_->painter->drawPixmap(QPoint(x, y) + d_->Offset(), pixmap);
    return TRUE;
}

CSize CDC::GetTextExtent(LPCSTR text, int length) const {
    QFontMetrics fm(d_->font);
    return CSize(fm.horizontalAdvance(QText(text, length)), fm.height());
}

BOOL CDC::GetTextMetrics(TEXTMETRICA* m) const {
    if (!m) return FALSE;
    QFontMetrics fm(d_->font);
    *m = TEXTMETRICA{};
    m->tmHeight = fm.height();
    m->tmAscent = fm.ascent();
    m->tmDescent = fm.descent();
    m->tmExternalLeading = std::max(0, fm.leading());
    m->tmAveCharWidth = fm.averageCharWidth();
    m->tmMaxCharWidth = fm.maxWidth();
    m->tmWeight = d_->font.weight();
    m->tmItalic = d_->font.italic();
    m->tmUnderlined = d_->font.underline();
    m->tmStruckOut = d_->font.strikeOut();
    m->tmCharSet = GB2312_CHARSET;
    m->tmDigitizedAspectX = m->tmDigitizedAspectY = 96;
    m->tmFirstChar = 0x20, m->tmLastChar = 0xFF, m->tmDefaultChar = '?', m->tmBreakChar = ' ';
    return TRUE;
}

int CDC::GetDeviceCaps(int index) const {
    switch (index) {
        case LOGPIXELSX:
        case LOGPIXELSY:
            return 96;
        case BITSPIXEL:
            return 32;
        case PLANES:
            return 1;
        case HORZRES:
        case VERTRES: {
            QScreen* s = QGuiApplication::primaryScreen();
            if (!s) return 0;
            return index == HORZRES ? s->size().width() : s->size().height();
        }
        default:
            return 0;
    }
}

QPainter* CDC::GetPainter() const { return d_->painter; }
const QFont& CDC::GetQFont() const { return d_->font; }

void CDC::AttachPainter(QPainter* painter, int originX, int originY, const QFont& font) {
    DetachPainter();
    d_->painter = painter;
    d_->origin = QPoint(originX, originY);
    d_->font = font;
    if (painter) painter->setFont(font);
}

void CDC::DetachPainter() {
    if (d_->owned) d_->owned->end();
    d_->owned.reset();
    d_->painter = nullptr;
}

BOOL CDC::BeginImage(QPaintDevice* device) {
    DetachPainter();
    if (!device) return FALSE;
    d_->owned.reset(new QPainter(device));
    if (!d_->owned->isActive()) {
        d_->owned.reset();
        return FALSE;
    }
    d_->painter = d_->owned.get();
    d_->origin = QPoint(0, 0);
    d_->painter->setFont(d_->font);
    return TRUE;
}

namespace {

QFont WindowFont(CWnd* wnd) {
    if (!wnd) return DefaultFont();
    if (QWidget* w = wnd->GetQWidget()) return w->font();
    return DefaultFont();
}

}  // namespace

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) {
    m_ps.hdc = m_hDC;
    d_->font = WindowFont(wnd);
    using namespace NUVMfc::detail;
    MessageFrame* f = CurrentFrame();
    if (!wnd || !f || f->msg.hwnd != m_hWnd || f->msg.message != WM_PAINT || !f->qtEvent || !f->qtTarget) return;
    auto* target = static_cast<QWidget*>(f->qtTarget);
    QWidget* window = wnd->GetQWidget();
    if (!window) return;
    // Client (0, 0) on the painted widget (a scroll area paints its viewport).
    QPoint clientOnTarget = ClientOrigin(window) - (target == window ? QPoint(0, 0) : target->mapTo(window, QPoint(0, 0)));
    d_->owned.reset(new QPainter(target));
    if (!d_->owned->isActive()) {
        d_->owned.reset();
        return;
    }
    d_->painter = d_->owned.get();
    d_->origin = clientOnTarget;
    d_->painter->setFont(d_->font);
    const QRect area = static_cast<QPaintEvent*>(f->qtEvent)->rect().translated(-clientOnTarget);
    m_ps.rcPaint = RECT{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
    m_ps.fErase = TRUE;
    f->defaulted = true;  // the window paints itself
}

CPaintDC::~CPaintDC() { DetachPainter(); }

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) { d_->font = WindowFont(wnd); }

// Brushes, pens and fonts.

namespace {

template <class T, class H>
T* Temporary(H handle) {
    if (!handle) return nullptr;
    struct Keeper {
        std::unordered_map<HGDIOBJ, std::unique_ptr<T>> map;
        ~Keeper() {
            for (auto& [h, w] : map) w->Detach();
        }
    };
    thread_local Keeper keeper;
    auto& slot = keeper.map[handle];
    if (!slot) {
        slot.reset(new T);
        slot->Attach(handle);
    }
    return slot.get();
}

}  // namespace

BOOL CBrush::CreateSolidBrush(COLORREF colour) {
    if (m_hObject) return FALSE;
    return Attach(::CreateSolidBrush(colour));
}

BOOL CBrush::CreateSysColorBrush(int index) {
    if (m_hObject) return FALSE;
    return Attach(::GetSysColorBrush(index));
}

int CBrush::GetLogBrush(LOGBRUSH* out) const { return m_hObject ? GetObjectA(m_hObject, sizeof(LOGBRUSH), out) : 0; }
CBrush* CBrush::FromHandle(HBRUSH brush) { return Temporary<CBrush>(static_cast<HGDIOBJ>(brush)); }

BOOL CPen::CreatePen(int style, int width, COLORREF colour) {
    if (m_hObject) return FALSE;
    return Attach(::CreatePen(style, width, colour));
}
int CPen::GetLogPen(LOGPEN* out) const { return m_hObject ? GetObjectA(m_hObject, sizeof(LOGPEN), out) : 0; }
CPen* CPen::FromHandle(HPEN pen) { return Temporary<CPen>(static_cast<HGDIOBJ>(pen)); }

BOOL CFont::CreateFontIndirect(const LOGFONTA* font) {
    if (m_hObject) return FALSE;
    return Attach(::CreateFontIndirectA(font));
}

BOOL CFont::CreatePointFontIndirect(const LOGFONTA* font, CDC* dc) {
    if (!font) return FALSE;
    LOGFONTA log = *font;
    const int dpi = dc ? dc->GetDeviceCaps(LOGPIXELSY) : 96;
    // lfHeight holds tenths of a point here; the character height in pixels replaces it.
    log.lfHeight = -((std::abs(static_cast<int>(font->lfHeight)) * dpi + 360) / 720);
    return CreateFontIndirect(&log);
}

BOOL CFont::CreatePointFont(int pointSize, LPCSTR faceName, CDC* dc) {
    LOGFONTA log{};
    log.lfHeight = pointSize;
    log.lfWeight = FW_NORMAL;
    log.lfCharSet = DEFAULT_CHARSET;
    if (faceName) {
        if (std::strlen(faceName) >= LF_FACESIZE) return FALSE;
        std::strcpy(log.lfFaceName, faceName);
    }
    return CreatePointFontIndirect(&log, dc);
}

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                       BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                       BYTE quality, BYTE pitchAndFamily, LPCSTR faceName) {
    if (m_hObject) return FALSE;
    return Attach(::CreateFontA(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                                outPrecision, clipPrecision, quality, pitchAndFamily, faceName));
}

int CFont::GetLogFont(LOGFONTA* out) const { return m_hObject ? GetObjectA(m_hObject, sizeof(LOGFONTA), out) : 0; }
CFont* CFont::FromHandle(HFONT font) { return Temporary<CFont>(static_cast<HGDIOBJ>(font)); }
