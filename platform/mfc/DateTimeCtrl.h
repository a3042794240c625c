// CDateTimeCtrl: a date and time picker (QDateTimeEdit) with a drop-down calendar unless
// DTS_UPDOWN. Formats use the platform's pictures (yyyy, MM, dd, HH, mm, ss, tt, text in single
// quotes, such as "yyyy'年'MM'月'dd'日'"). A user's change tells the parent DTN_DATETIMECHANGE
// with the new time.
#pragma once

#include "com/OleDateTime.h"
#include "mfc/CommCtrl.h"
#include "mfc/Wnd.h"

class CDateTimeCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT nID);
    // FALSE for an invalid or null value, or one outside 1752-09-14 .. 9999-12-31.
    BOOL SetTime(const COleDateTime& time);
    BOOL SetTime(const SYSTEMTIME* time);
    BOOL GetTime(COleDateTime& time) const;
    DWORD GetTime(SYSTEMTIME* time) const;  // GDT_VALID
    // A null format goes back to the style's default (short date, long date or time).
    BOOL SetFormat(LPCSTR format);
    // The drop-down calendar while it is open, else null.
    CWnd* GetMonthCalCtrl() const;
};
