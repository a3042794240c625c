// Brushes, pens and fonts as tracked descriptions, and the system colours of the light scheme.
#include "win/GdiDrawing.h"

#include <cstring>

#include "win/GdiObjects.h"

namespace NUVWin::gdi {

struct Brush : Object {
    Brush() : Object(Kind::Brush) {}
    LOGBRUSH log{};
};

struct Pen : Object {
    Pen() : Object(Kind::Pen) {}
    LOGPEN log{};
};

struct Font : Object {
    Font() : Object(Kind::Font) {}
    LOGFONTA log{};
};

namespace {

template <class T, class L>
T* Make(const L& log, bool stock = false) {
    T* o = new T;
    o->log = log;
    o->stock = stock;
    Track(o);
    return o;
}

LOGFONTA GuiFont() {
    LOGFONTA f{};
    f.lfHeight = -12;
    f.lfWeight = FW_NORMAL;
    f.lfCharSet = GB2312_CHARSET;
    std::strcpy(f.lfFaceName, "MS Shell Dlg");
    return f;
}

// Stock objects live as long as the process; they are made on first use.
struct Stock {
    Brush* brushes[6];
    Pen* pens[3];
    Font* systemFont;
    Font* guiFont;
    Brush* sysBrushes[31];
    Stock() {
        const COLORREF brushColours[] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128),
                                         RGB(64, 64, 64), RGB(0, 0, 0), RGB(0, 0, 0)};
        for (int i = 0; i < 6; ++i)
            brushes[i] = Make<Brush>(LOGBRUSH{i == NULL_BRUSH ? UINT(BS_NULL) : UINT(BS_SOLID), brushColours[i], 0}, true);
        pens[0] = Make<Pen>(LOGPEN{PS_SOLID, {1, 0}, RGB(255, 255, 255)}, true);
        pens[1] = Make<Pen>(LOGPEN{PS_SOLID, {1, 0}, RGB(0, 0, 0)}, true);
        pens[2] = Make<Pen>(LOGPEN{PS_NULL, {1, 0}, RGB(0, 0, 0)}, true);
        LOGFONTA sys = GuiFont();
        sys.lfWeight = FW_BOLD;
        std::strcpy(sys.lfFaceName, "System");
        systemFont = Make<Font>(sys, true);
        guiFont = Make<Font>(GuiFont(), true);
        for (int i = 0; i < 31; ++i) sysBrushes[i] = Make<Brush>(LOGBRUSH{BS_SOLID, GetSysColor(i), 0}, true);
    }
};

Stock& TheStock() {
    static Stock* s = new Stock;
    return *s;
}

}  // namespace

void* StockDrawingObject(int which) {
    Stock& s = TheStock();
    if (which >= WHITE_BRUSH && which <= NULL_BRUSH) return static_cast<Object*>(s.brushes[which]);
    if (which >= WHITE_PEN && which <= NULL_PEN) return static_cast<Object*>(s.pens[which - WHITE_PEN]);
    if (which == SYSTEM_FONT) return static_cast<Object*>(s.systemFont);
    if (which == DEFAULT_GUI_FONT) return static_cast<Object*>(s.guiFont);
    return nullptr;
}

int GetDrawingObject(const void* handle, int size, void* out) {
    auto copy = [&](const auto& log) -> int {
        const int n = static_cast<int>(sizeof log);
        if (!out) return n;
        if (size < n) return 0;
        std::memcpy(out, &log, sizeof log);
        return n;
    };
    if (Brush* b = As<Brush>(handle, Kind::Brush)) return copy(b->log);
    if (Pen* p = As<Pen>(handle, Kind::Pen)) return copy(p->log);
    if (Font* f = As<Font>(handle, Kind::Font)) return copy(f->log);
    return 0;
}

DWORD DrawingObjectType(const void* handle) {
    if (Find(handle, Kind::Brush)) return OBJ_BRUSH;
    if (Find(handle, Kind::Pen)) return OBJ_PEN;
    if (Find(handle, Kind::Font)) return OBJ_FONT;
    return 0;
}

bool IsDrawingObject(const void* handle) { return DrawingObjectType(handle) != 0; }

}  // namespace NUVWin::gdi

using NUVWin::gdi::Brush;
using NUVWin::gdi::Font;
using NUVWin::gdi::Make;
using NUVWin::gdi::Object;
using NUVWin::gdi::Pen;

HBRUSH CreateSolidBrush(COLORREF colour) {
    return reinterpret_cast<HBRUSH>(static_cast<Object*>(Make<Brush>(LOGBRUSH{BS_SOLID, colour & 0xFFFFFF, 0})));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
    if (!brush || (brush->lbStyle != BS_SOLID && brush->lbStyle != BS_NULL)) return nullptr;
    LOGBRUSH log = *brush;
    log.lbColor &= 0xFFFFFF;
    return reinterpret_cast<HBRUSH>(static_cast<Object*>(Make<Brush>(log)));
}

HPEN CreatePen(int style, int width, COLORREF colour) {
    if (style < PS_SOLID || style > PS_NULL) return nullptr;
    LOGPEN log{static_cast<UINT>(style), {width < 0 ? 0 : width, 0}, colour & 0xFFFFFF};
    return reinterpret_cast<HPEN>(static_cast<Object*>(Make<Pen>(log)));
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
    return pen ? CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor) : nullptr;
}

HFONT CreateFontIndirectA(const LOGFONTA* font) {
    if (!font || !std::memchr(font->lfFaceName, 0, LF_FACESIZE)) return nullptr;
    return reinterpret_cast<HFONT>(static_cast<Object*>(Make<Font>(*font)));
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCSTR faceName) {
    LOGFONTA f{};
    f.lfHeight = height;
    f.lfWidth = width;
    f.lfEscapement = escapement;
    f.lfOrientation = orientation;
    f.lfWeight = weight;
    f.lfItalic = italic ? 1 : 0;
    f.lfUnderline = underline ? 1 : 0;
    f.lfStrikeOut = strikeOut ? 1 : 0;
    f.lfCharSet = static_cast<BYTE>(charSet);
    f.lfOutPrecision = static_cast<BYTE>(outPrecision);
    f.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    f.lfQuality = static_cast<BYTE>(quality);
    f.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (faceName) {
        if (std::strlen(faceName) >= LF_FACESIZE) return nullptr;
        std::strcpy(f.lfFaceName, faceName);
    }
    return CreateFontIndirectA(&f);
}

DWORD GetSysColor(int index) {
    switch (index) {
        case COLOR_SCROLLBAR: return RGB(200, 200, 200);
        case COLOR_BACKGROUND: return RGB(0, 0, 0);
        case COLOR_ACTIVECAPTION: return RGB(153, 180, 209);
        case COLOR_INACTIVECAPTION: return RGB(191, 205, 219);
        case COLOR_MENU: return RGB(240, 240, 240);
        case COLOR_WINDOW: return RGB(255, 255, 255);
        case COLOR_WINDOWFRAME: return RGB(100, 100, 100);
        case COLOR_MENUTEXT: return RGB(0, 0, 0);
        case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
        case COLOR_CAPTIONTEXT: return RGB(0, 0, 0);
        case COLOR_HIGHLIGHT: return RGB(0, 120, 215);
        case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
        case COLOR_BTNFACE: return RGB(240, 240, 240);
        case COLOR_BTNSHADOW: return RGB(160, 160, 160);
        case COLOR_GRAYTEXT: return RGB(109, 109, 109);
        case COLOR_BTNTEXT: return RGB(0, 0, 0);
        case COLOR_BTNHIGHLIGHT: return RGB(255, 255, 255);
        case COLOR_3DDKSHADOW: return RGB(105, 105, 105);
        case COLOR_3DLIGHT: return RGB(227, 227, 227);
        case COLOR_INFOTEXT: return RGB(0, 0, 0);
        case COLOR_INFOBK: return RGB(255, 255, 225);
        case COLOR_HOTLIGHT: return RGB(0, 102, 204);
        default: return 0;
    }
}

HBRUSH GetSysColorBrush(int index) {
    if (index < 0 || index > 30) return nullptr;
    return reinterpret_cast<HBRUSH>(static_cast<Object*>(NUVWin::gdi::TheStock().sysBrushes[index]));
}
