// Dialog templates: a dialog's caption, styles, font and controls in dialog units, as a
// resource script describes them. A module keeps its dialogs in resource-script text embedded as
// RT_DIALOG resources (nuv_add_resources), so the suite's existing scripts port unchanged:
//
//   #define IDC_FLOW 1001
//   IDD_FLOW DIALOGEX 0, 0, 186, 62
//   STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU
//   CAPTION "风量"
//   FONT 9, "宋体"
//   BEGIN
//       LTEXT "风量(m3/h):", IDC_STATIC, 7, 9, 50, 8
//       EDITTEXT IDC_FLOW, 60, 7, 119, 14, ES_AUTOHSCROLL
//       DEFPUSHBUTTON "确定", IDOK, 75, 41, 50, 14
//       PUSHBUTTON "取消", IDCANCEL, 129, 41, 50, 14
//   END
//
// The script is GBK unless it says `#pragma code_page(65001)` (UTF-8). `#define` lines give names
// to numbers; the platform's style and identifier names are known. Controls: CONTROL (any
// class), LTEXT, RTEXT, CTEXT, EDITTEXT, PUSHBUTTON, DEFPUSHBUTTON, CHECKBOX, AUTOCHECKBOX,
// RADIOBUTTON, AUTORADIOBUTTON, STATE3, AUTO3STATE, GROUPBOX, COMBOBOX. An error names its line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "mfc/WinUser.h"
#include "win/CString.h"

namespace NUVMfc {

struct DialogItem {
    CString className;
    CString text;  // GBK
    DWORD style;   // WS_CHILD | WS_VISIBLE included
    DWORD exStyle;
    int x, y, cx, cy;  // dialog units
    int id;
};

struct DialogTemplate {
    CString name;  // the statement's name, as written (a number's digits, or a symbol)
    int number = -1;  // the name's value when it is a number or a #define
    DWORD style = WS_POPUP | WS_BORDER | WS_SYSMENU;
    DWORD exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    CString caption;
    CString fontName;  // GBK; empty for the system's dialog font
    int pointSize = 9;
    int weight = 400;
    bool italic = false;
    std::vector<DialogItem> items;

    DialogTemplate& Add(LPCSTR className, LPCSTR text, DWORD style, int x, int y, int cx, int cy, int id,
                        DWORD exStyle = 0);
};

// Every DIALOG / DIALOGEX statement of the script, in order. False with `error` set
// ("line 12: ...") when the script cannot be read.
bool ParseDialogScript(std::string_view script, std::vector<DialogTemplate>& out, std::string& error);

// The template of a module's RT_DIALOG resource: the statement of that name (number or text)
// in the resource's script, or its only statement. A null module means the current resource
// module (AfxGetResourceHandle).
bool LoadDialogTemplate(HINSTANCE module, LPCSTR name, DialogTemplate& out, std::string& error);

}  // namespace NUVMfc

// The module whose resources dialogs are loaded from (the main program by default); modules set
// theirs while they show their dialogs.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);
