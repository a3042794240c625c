// Dialog data exchange: DoDataExchange lists the dialog's controls and the members they show
// (DDX_) and the checks on the values read back (DDV_). UpdateData(FALSE) writes the members
// into the controls; UpdateData(TRUE) reads them back and checks them. A value that cannot be
// read or fails a check is told to the user in a message box, the control gets the focus with
// its text selected, and UpdateData returns FALSE. A member is stored before the checks that
// follow it run (so a value out of range is in the member when UpdateData fails); the members
// after the failing field keep their values.
#pragma once

#include "mfc/Wnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate);

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;

    HWND PrepareCtrl(int nID);
    HWND PrepareEditCtrl(int nID);
    // Reports nothing itself: the message box has been shown by the caller.
    [[noreturn]] void Fail();

    HWND m_hLastControl = nullptr;
    BOOL m_bEditLastControl = FALSE;
};

void DDX_Control(CDataExchange* dx, int nID, CWnd& control);
void DDX_Text(CDataExchange* dx, int nID, CString& value);
void DDX_Text(CDataExchange* dx, int nID, int& value);
void DDX_Text(CDataExchange* dx, int nID, UINT& value);
void DDX_Text(CDataExchange* dx, int nID, long& value);
void DDX_Text(CDataExchange* dx, int nID, double& value);
void DDX_Text(CDataExchange* dx, int nID, float& value);
void DDX_Check(CDataExchange* dx, int nID, int& value);
// The index of the checked radio button in the group that starts at nID (-1 when none).
void DDX_Radio(CDataExchange* dx, int nID, int& value);
void DDX_CBIndex(CDataExchange* dx, int nID, int& index);
void DDX_CBString(CDataExchange* dx, int nID, CString& value);

void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars);
void DDV_MinMaxInt(CDataExchange* dx, int value, int minVal, int maxVal);
void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minVal, UINT maxVal);
void DDV_MinMaxLong(CDataExchange* dx, long value, long minVal, long maxVal);
void DDV_MinMaxDouble(CDataExchange* dx, const double& value, double minVal, double maxVal);
void DDV_MinMaxFloat(CDataExchange* dx, const float& value, float minVal, float maxVal);
