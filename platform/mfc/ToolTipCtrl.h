// CToolTipCtrl: tips for tools (a window, or a rectangle of one). The owner relays its mouse
// messages (RelayEvent); when the mouse rests on a tool for the initial delay, the tool's text is
// shown near it (Qt's tooltip), and a click, a move to another tool or Pop hides it. Texts are
// GBK; lines longer than the maximum width are wrapped between words.
#pragma once

#include <vector>

#include "mfc/CommCtrl.h"
#include "mfc/Wnd.h"

class CToolTipCtrl : public CWnd {
public:
    CToolTipCtrl();
    ~CToolTipCtrl() override;

    BOOL Create(CWnd* parent, DWORD style = 0);
    // A null rect makes the whole client area of wnd the tool.
    BOOL AddTool(CWnd* wnd, LPCSTR text, LPCRECT rect = nullptr, UINT_PTR id = 0);
    void DelTool(CWnd* wnd, UINT_PTR id = 0);
    void UpdateTipText(LPCSTR text, CWnd* wnd, UINT_PTR id = 0);
    void GetText(CString& text, CWnd* wnd, UINT_PTR id = 0) const;
    void SetToolRect(CWnd* wnd, UINT_PTR id, LPCRECT rect);
    int GetToolCount() const;
    void Activate(BOOL activate);
    BOOL IsActive() const { return active_; }
    void RelayEvent(LPMSG msg);
    int SetMaxTipWidth(int width);
    int GetMaxTipWidth() const { return maxWidth_; }
    void SetDelayTime(UINT delay);
    void SetDelayTime(DWORD which, int delay);
    int GetDelayTime(DWORD which) const;
    void Pop();
    // The text now shown by this control (empty when none).
    CString GetShownText() const { return shown_; }

protected:
    void OnTimer(UINT_PTR id);
    DECLARE_MESSAGE_MAP()

private:
    struct Tool {
        HWND window;
        UINT_PTR id;
        bool whole;
        RECT rect;
        CString text;
    };
    Tool* Locate(HWND window, UINT_PTR id);
    const Tool* Locate(HWND window, UINT_PTR id) const;
    void Show();
    std::vector<Tool> tools_;
    bool active_ = true;
    int maxWidth_ = -1;
    int initial_ = 500;
    int autoPop_ = 5000;
    const Tool* pending_ = nullptr;
    POINT at_{0, 0};
    CString shown_;
};
