// The framework's wrappers of brushes, pens and fonts (CGdiObject is the platform's, in
// win/CBitmap.h): each owns the handle it creates and deletes it with itself. FromHandle gives a
// wrapper that does not own the handle, kept by the layer for the calling thread.
#pragma once

#include "win/CBitmap.h"
#include "win/GdiDrawing.h"

class CDC;

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF colour) { CreateSolidBrush(colour); }
    BOOL CreateSolidBrush(COLORREF colour);
    BOOL CreateSysColorBrush(int index);
    // 0 when no brush is attached.
    int GetLogBrush(LOGBRUSH* out) const;
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    static CBrush* FromHandle(HBRUSH brush);
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF colour) { CreatePen(style, width, colour); }
    BOOL CreatePen(int style, int width, COLORREF colour);
    int GetLogPen(LOGPEN* out) const;
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
    static CPen* FromHandle(HPEN pen);
};

class CFont : public CGdiObject {
public:
    BOOL CreateFontIndirect(const LOGFONTA* font);
    // pointSize in tenths of a point, at the screen's 96 pixels per inch unless dc says otherwise.
    BOOL CreatePointFont(int pointSize, LPCSTR faceName, CDC* dc = nullptr);
    BOOL CreatePointFontIndirect(const LOGFONTA* font, CDC* dc = nullptr);
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                    BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                    BYTE pitchAndFamily, LPCSTR faceName);
    int GetLogFont(LOGFONTA* out) const;
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
    static CFont* FromHandle(HFONT font);
};
