// CStatic: a text label (QLabel). SS_LEFT, SS_CENTER or SS_RIGHT align it; SS_CENTERIMAGE centres
// it vertically; SS_NOTIFY makes a click tell the parent STN_CLICKED. Its colours come from the
// parent's WM_CTLCOLORSTATIC answer.
#pragma once

#include "mfc/Wnd.h"

class CStatic : public CWnd {
public:
    BOOL Create(LPCSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT nID = 0xFFFF);
};
