// CDC: drawing with the platform's calls (fills, text, lines, rectangles) onto a Qt painter. A
// CPaintDC paints a window inside its WM_PAINT; a CClientDC, or a CDC with no painter, only
// measures (text extents and metrics) because Qt paints widgets only from their paint event, so
// drawing outside WM_PAINT is refused (the calls return FALSE) rather than lost silently.
//
// Coordinates are the window's client coordinates; the viewport origin moves them. Text is GBK.
#pragma once

#include <memory>

#include "mfc/GdiWrappers.h"
#include "mfc/Wnd.h"

class QPainter;
class QFont;
class QPaintDevice;
class QPixmap;

struct TEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};
typedef TEXTMETRICA TEXTMETRIC;

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};

class CDC : public CObject {
public:
    CDC();
    ~CDC() override;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    // The CDC of a handle this layer gave out (a paint context, a colour request's context);
    // a measuring wrapper for any other handle.
    static CDC* FromHandle(HDC hdc);

    // Attributes.
    COLORREF SetTextColor(COLORREF colour);
    COLORREF GetTextColor() const;
    COLORREF SetBkColor(COLORREF colour);
    COLORREF GetBkColor() const;
    int SetBkMode(int mode);  // TRANSPARENT or OPAQUE
    int GetBkMode() const;
    CFont* SelectObject(CFont* font);
    CBrush* SelectObject(CBrush* brush);
    CPen* SelectObject(CPen* pen);
    HGDIOBJ SelectObject(HGDIOBJ object);
    CGdiObject* SelectStockObject(int index);
    CPoint SetViewportOrg(int x, int y);
    CPoint SetViewportOrg(POINT p) { return SetViewportOrg(p.x, p.y); }
    CPoint GetViewportOrg() const;
    CPoint OffsetViewportOrg(int dx, int dy);
    int SaveDC();
    BOOL RestoreDC(int saved);
    int IntersectClipRect(int left, int top, int right, int bottom);
    int IntersectClipRect(LPCRECT rect) { return IntersectClipRect(rect->left, rect->top, rect->right, rect->bottom); }

    // Drawing; FALSE (and nothing drawn) without a painter.
    void FillSolidRect(LPCRECT rect, COLORREF colour);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF colour);
    BOOL FillRect(LPCRECT rect, CBrush* brush);
    BOOL FrameRect(LPCRECT rect, CBrush* brush);
    void Draw3dRect(LPCRECT rect, COLORREF topLeft, COLORREF bottomRight);
    BOOL DrawFocusRect(LPCRECT rect);
    BOOL Rectangle(int left, int top, int right, int bottom);
    BOOL Rectangle(LPCRECT rect) { return Rectangle(rect->left, rect->top, rect->right, rect->bottom); }
    BOOL Ellipse(int left, int top, int right, int bottom);
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y);
    BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
    COLORREF SetPixel(int x, int y, COLORREF colour);
    BOOL TextOut(int x, int y, LPCSTR text, int length);
    BOOL TextOut(int x, int y, const CString& text) { return TextOut(x, y, text, text.GetLength()); }
    // DT_ flags: alignment, DT_VCENTER with DT_SINGLELINE, DT_WORDBREAK, DT_END_ELLIPSIS,
    // DT_CALCRECT (measures into rect, draws nothing), DT_NOPREFIX ('&' otherwise underlines
    // the next character). Returns the height of the text.
    int DrawText(LPCSTR text, int length, LPRECT rect, UINT format);
    int DrawText(const CString& text, LPRECT rect, UINT format) { return DrawText(text, text.GetLength(), rect, format); }

    BOOL DrawPixmap(const QPixmap& pixmap, int x, int y);

    // Measuring.
    CSize GetTextExtent(LPCSTR text, int length) const;
    CSize GetTextExtent(const CString& text) const { return GetTextExtent(text, text.GetLength()); }
    BOOL GetTextMetrics(TEXTMETRICA* metrics) const;
    int GetDeviceCaps(int index) const;

    // For the layer and for code that mixes in Qt: the painter (null when measuring only) and
    // the font text is drawn and measured with.
    QPainter* GetPainter() const;
    const QFont& GetQFont() const;
    // Paints on a painter the caller keeps; origin is where client (0, 0) lies on it.
    void AttachPainter(QPainter* painter, int originX, int originY, const QFont& font);
    void DetachPainter();
    // Paints into an image (a memory context); the image must outlive the painting.
    BOOL BeginImage(QPaintDevice* device);

protected:
    struct State;
    std::unique_ptr<State> d_;
};

class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps{};
    HWND m_hWnd = nullptr;
};

class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    HWND m_hWnd = nullptr;
};
