// CButton: push buttons, check boxes, radio buttons and group boxes, by BS_ style. A click tells
// the parent BN_CLICKED. A BS_CHECKBOX or BS_RADIOBUTTON does not change its own check on a click
// (the parent decides); the BS_AUTO kinds do.
#pragma once

#include "mfc/Wnd.h"

class CButton : public CWnd {
public:
    BOOL Create(LPCSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT nID);
    int GetCheck() const;
    void SetCheck(int check);
    UINT GetButtonStyle() const;
    void SetButtonStyle(UINT style, BOOL redraw = TRUE);
    // Clicks the button as the user would (BN_CLICKED follows).
    void Click();
};
