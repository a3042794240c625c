// CCmdTarget and CWnd: the object side of a window. A window is a handle (HWND) to a Qt widget
// (or, for message-only windows, to no widget at all); a CWnd attached to the handle receives
// its messages through WindowProc, which looks them up in the message maps and otherwise lets
// the widget behave as it would on its own (DefWindowProc). Qt events become the messages the
// framework documents (WM_KEYDOWN, WM_CHAR, WM_LBUTTONDOWN, WM_PAINT, ...) before the widget
// sees them, so a handler may swallow, change or add to what the user did.
//
// Texts are GBK; they cross into Qt exactly or not at all (see Text.h). Coordinates are pixels,
// client coordinates relative to the window's client area (inside any frame; a list control's
// header is part of its client area).
#pragma once

#include "mfc/MessageMap.h"
#include "win/CObject.h"
#include "win/CString.h"
#include "win/GdiDrawing.h"

class QWidget;
class CFont;
class CMenu;
class CDataExchange;

class CCmdTarget : public CObject {
public:
    // Looks the command or notification up in the message maps: nCode is the notification code
    // of a WM_COMMAND, or of a WM_NOTIFY when extra points to its NMHDR. TRUE when handled.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* extra, LRESULT* result);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    // The first entry for (message, code, id) in this class's maps, most derived first.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT code, UINT id) const;
};

class CWnd : public CCmdTarget {
public:
    CWnd();
    explicit CWnd(HWND attached);  // a wrapper that does not own the window
    // Destroys the window if this object made it (Create, CreateEx); a window it only attached
    // or subclassed is let go and stays with its owner.
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The CWnd attached to the handle, or a wrapper kept for the window's life when none is.
    static CWnd* FromHandle(HWND hWnd);
    // Only a CWnd attached with Create, Attach or SubclassWindow.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Window creation. className is a registered class ("Edit", "Button", "Static", "ComboBox",
    // "SysListView32", "SysHeader32", "SysDateTimePick32", or null / any other name for a plain
    // window this object paints itself); rect is in the parent's client coordinates.
    virtual BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT nID,
                        void* context = nullptr);
    virtual BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect,
                          CWnd* parent, UINT nID, LPVOID param = nullptr);
    // A window that has no widget and only receives messages; it belongs to the calling thread.
    BOOL CreateMessageOnly();
    virtual BOOL DestroyWindow();

    // Attaching to an existing window. Subclassing routes its messages through this object from
    // now on; the window keeps its own behaviour for whatever the maps leave to DefWindowProc.
    BOOL Attach(HWND hWnd);
    HWND Detach();
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* parent);
    HWND UnsubclassWindow();

    // The Qt widget behind the window (null for message-only windows), for code that mixes in
    // Qt directly; and the window of a widget (made on first use).
    QWidget* GetQWidget() const;
    static HWND HandleOf(QWidget* widget);

    // Family.
    CWnd* GetParent() const;
    CWnd* SetParent(CWnd* newParent);
    CWnd* GetOwner() const { return GetParent(); }
    CWnd* GetTopLevelParent() const;
    CWnd* GetDlgItem(int nID) const;
    int GetDlgCtrlID() const;
    int SetDlgCtrlID(int nID);

    // Text (GBK). SetWindowText leaves the window unchanged when the text is not GBK.
    void SetWindowText(LPCSTR text);
    int GetWindowText(LPSTR buffer, int maxCount) const;
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const;
    void SetDlgItemText(int nID, LPCSTR text);
    int GetDlgItemText(int nID, CString& text) const;
    void SetDlgItemInt(int nID, UINT value, BOOL isSigned = TRUE);
    UINT GetDlgItemInt(int nID, BOOL* translated = nullptr, BOOL isSigned = TRUE) const;

    // State.
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT nFlags = 0);
    CWnd* SetFocus();
    static CWnd* GetFocus();
    BOOL IsChild(const CWnd* wnd) const;

    // Painting.
    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(LPCRECT rect, BOOL erase = TRUE);
    void UpdateWindow();
    void RedrawWindow() { Invalidate(); UpdateWindow(); }
    void SetRedraw(BOOL redraw = TRUE);
    void SetFont(CFont* font, BOOL redraw = TRUE);
    CFont* GetFont() const;
    CDC* GetDC();
    int ReleaseDC(CDC* dc);

    // Geometry.
    void GetWindowRect(LPRECT rect) const;  // screen coordinates
    void GetClientRect(LPRECT rect) const;  // 0, 0, width, height of the client area
    void ClientToScreen(LPPOINT point) const;
    void ClientToScreen(LPRECT rect) const;
    void ScreenToClient(LPPOINT point) const;
    void ScreenToClient(LPRECT rect) const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(LPCRECT rect, BOOL repaint = TRUE);
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void CenterWindow(CWnd* alternate = nullptr);

    // Messages and timers. A timer of a window posts WM_TIMER to it (or calls proc) every
    // elapse milliseconds until KillTimer; it needs the window's thread to run the Qt event
    // loop, which the dialogs' modal loops and the host's loop do.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT elapse, TIMERPROC proc = nullptr);
    BOOL KillTimer(UINT_PTR nIDEvent);
    int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK);

    // Dialog data.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* dx);

    // The message being handled on this thread (the innermost one).
    static const MSG* GetCurrentMessage();

    // Message processing.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Keyboard and mouse messages pass here first, from the window they are for up through its
    // parents, before they are dispatched; TRUE stops them.
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // A notification or colour request this control sent to its parent, offered back to it.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Offers the current message to the child window that sent it.
    static BOOL ReflectLastMsg(HWND child, LRESULT* result = nullptr);
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    virtual void PreSubclassWindow();
    virtual void PostNcDestroy();

protected:
    // The window's own behaviour for the message being handled.
    LRESULT Default();

    // Handlers with the framework's signatures; each does what the window would do anyway.
    int OnCreate(LPCREATESTRUCT cs);
    void OnDestroy();
    void OnClose();
    void OnSize(UINT type, int cx, int cy);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnShowWindow(BOOL show, UINT status);
    void OnEnable(BOOL enable);
    void OnSetFocus(CWnd* oldWnd);
    void OnKillFocus(CWnd* newWnd);
    void OnTimer(UINT_PTR nIDEvent);
    UINT OnGetDlgCode();
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSysKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSysChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnRButtonUp(UINT nFlags, CPoint point);
    void OnRButtonDblClk(UINT nFlags, CPoint point);
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint point);
    void OnContextMenu(CWnd* wnd, CPoint point);
    void OnHScroll(UINT sbCode, UINT pos, CScrollBar* bar);
    void OnVScroll(UINT sbCode, UINT pos, CScrollBar* bar);
    // Offers the request to the child first (reflection), then does the default.
    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT nCtlColor);

    friend struct NUVMfcAccess;
};

// Common free-standing forms.
CWnd* AfxGetMainWnd();
void AfxSetMainWnd(CWnd* wnd);

// Message maps name CDC in their entries; every window header brings it along.
#include "mfc/Dc.h"
