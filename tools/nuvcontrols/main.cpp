// nuvcontrols: the kernel's input controls in a small duct-parameter dialog a user can try: a
// validated air-speed field (0 to 30 m/s, default 5, with its tip), an expression field for the
// length that keeps OK enabled only while it evaluates, and a parameter grid with row numbers,
// in-place editors (text, number, drop-down, date), sorting, and row commands from its menu and
// Alt keys. OK prints what was confirmed; --screenshot saves a picture of the dialog instead.
#include <QBuffer>
#include <QImage>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <string>

#include "controls/InPlaceComboBox.h"
#include "controls/InPlaceDateTime.h"
#include "controls/InPlaceEdit.h"
#include "controls/ListCtrlEx.h"
#include "controls/MathEdit.h"
#include "controls/SuperEdit.h"
#include "mfc/Afx.h"
#include "win/Encoding.h"
#include "win/FileSystem.h"

namespace {

constexpr UINT IDD_PARAMETERS = 100;
constexpr int IDC_SPEED = 1001, IDC_LENGTH = 1002, IDC_GRID = 1003;
enum Column { NAME = 0, VALUE = 1, UNIT = 2, MATERIAL = 3, DATE = 4 };

void Print(const CString& gbk) { std::fputs(NUVWin::GbkToTerminal(gbk.str()).c_str(), stdout); }

class ParameterDialog : public CDialog {
public:
    ParameterDialog() : CDialog(IDD_PARAMETERS) {}

    CSuperEdit speed;
    CMathEdit length;
    CListCtrlEx grid;

    // Shows the states the controls paint: the cell cursor on a value, an expression, an air
    // speed above the limit. The grid takes the focus first: a field that loses the focus while
    // out of range goes back to its default.
    void ShowStates() {
        grid.SetFocus();
        grid.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        grid.SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
        grid.SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
        length.InitWindowText("12.5+3*2.4");
        speed.SetWindowText("35");
    }

protected:
    void DoDataExchange(CDataExchange* dx) override {
        CDialog::DoDataExchange(dx);
        DDX_Control(dx, IDC_SPEED, speed);
        DDX_Control(dx, IDC_LENGTH, length);
        DDX_Control(dx, IDC_GRID, grid);
    }

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        speed.SetInputFloat(5, 0, 30, 0, 1, nullptr);
        length.SetAttachCtrlId(IDOK);
        length.InitWindowText("12.5");
        grid.ModifyStyleEx(LVEX_FIRSTORDER | LVEX_ALLOWADD | LVEX_ALLOWDELETE | LVEX_ALLOWMOVE | LVEX_MENU, 0);
        grid.InsertColumn(NAME, NUV_GBK("参数"), LVCFMT_LEFT, 110);
        grid.InsertColumn(VALUE, NUV_GBK("数值"), LVCFMT_RIGHT, 80);
        grid.InsertColumn(UNIT, NUV_GBK("单位"), LVCFMT_LEFT, 60);
        grid.InsertColumn(MATERIAL, NUV_GBK("材料"), LVCFMT_LEFT, 90);
        grid.InsertColumn(DATE, NUV_GBK("检测日期"), LVCFMT_LEFT, 110);
        grid.SetSort(NAME, SORT_TEXT);
        grid.SetSort(VALUE, SORT_NUMBER);
        grid.SetSort(UNIT, SORT_TEXT);
        grid.SetHeaderToolTip(VALUE, NUV_GBK("点击排序；Alt+N 新建一行"));
        const char* rows[][5] = {
            {"送风量", "1200", "m3/h", "镀锌钢板", "2024年03月05日"},
            {"风速", "5.0", "m/s", "镀锌钢板", "2024年03月05日"},
            {"管径", "250", "mm", "镀锌钢板", "2024年03月06日"},
            {"长度", "12.5", "m", "玻璃钢", "2024年03月06日"},
            {"粗糙度", "0.15", "mm", "玻璃钢", "2024年03月07日"},
            {"局部阻力系数", "0.35", "", "不锈钢", "2024年03月07日"},
        };
        for (int r = 0; r < 6; ++r) {
            grid.InsertItem(r, CString::FromUtf8(rows[r][0]));
            for (int c = 1; c < 5; ++c) grid.SetItemText(r, c, CString::FromUtf8(rows[r][c]));
        }
        return TRUE;
    }

    void OnOK() override {
        if (!GetDlgItem(IDOK)->IsWindowEnabled()) return;  // the length does not evaluate
        CString line;
        double v = 0;
        speed.GetWindowValue(v);
        line.Format("%s=%.2f\n", NUV_GBK("风速(m/s)").GetString(), v);
        Print(line);
        CString shown;
        if (length.GetExpressionValue(shown) == 0) Print(NUV_GBK("长度(m)") + "=" + shown + "\n");
        Print(NUV_GBK("序号,参数,数值,单位,材料,检测日期\n"));
        for (int r = 0; r < grid.GetItemCount(); ++r) {
            CString row = grid.CListCtrl::GetItemText(r, 0);
            for (int c = 0; c < 5; ++c) row += "," + grid.GetItemText(r, c);
            Print(row + "\n");
        }
        CDialog::OnOK();
    }

    void OnBeginEdit(NMHDR* header, LRESULT* result) {
        *result = 0;
        auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
        const int row = info->item.iItem, column = info->item.iSubItem;
        switch (column) {
            case VALUE:
                if (CInPlaceEdit* e = grid.ShowInPlaceEdit(row, column, ES_RIGHT)) e->SetNumeric(0.0f, 1e6f, 2, TRUE);
                break;
            case UNIT:
                if (CInPlaceComboBox* c = grid.ShowInPlaceComboBox(row, column, 0)) {
                    for (const char* unit : {"m3/h", "m/s", "mm", "m", "Pa", ""}) c->AddString(unit);
                }
                break;
            case MATERIAL:
                if (CInPlaceComboBox* c = grid.ShowInPlaceComboBox(row, column, 1)) {
                    for (const char* m : {"镀锌钢板", "不锈钢", "玻璃钢", "PVC"}) c->AddString(CString::FromUtf8(m));
                }
                break;
            case DATE:
                grid.ShowInPlaceDateTimeCtrl(row, column);
                break;
            default:
                grid.ShowInPlaceEdit(row, column);
                break;
        }
    }

    LRESULT OnCell(WPARAM code, LPARAM value) {
        if (code != LVEX_COMMIT) return 0;
        const auto* v = reinterpret_cast<const LVEX_VALUE*>(value);
        if (v->column == NAME && v->text.IsEmpty()) {
            AfxMessageBox(NUV_GBK("参数名称不能为空。"), MB_ICONEXCLAMATION);
            return 1;
        }
        return 0;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ParameterDialog, CDialog)
ON_NOTIFY(LVN_BEGINLABELEDITA, IDC_GRID, OnBeginEdit)
ON_MESSAGE(WM_LVEX_CELL, OnCell)
END_MESSAGE_MAP()

const char kUsage[] =
    "usage: nuvcontrols [--screenshot FILE.png]\n"
    "\n"
    "Shows a duct-parameter dialog with the kernel's input controls: a validated air-speed field\n"
    "(0..30 m/s; red when out of range, yellow while a number is incomplete), a length field that\n"
    "takes arithmetic (\"2*(3+4)\", Enter shows the result), and a parameter grid (arrow keys and\n"
    "Tab move the cell cursor, Enter or a click edits, a header click sorts, Alt+N/I/D and\n"
    "Alt+arrows add, insert, delete and move rows; right-click for the menu). OK prints the values.\n"
    "\n"
    "  --screenshot FILE.png  save a picture of the dialog and exit, without waiting for a user\n"
    "  --help                 this text\n"
    "\n"
    "Without a user (no display, QT_QPA_PLATFORM=offscreen or NUV_NO_USER set) the dialog is\n"
    "answered from NUV_MODAL_ANSWERS (for example OK), else cancelled. Exit status: 0 after OK,\n"
    "1 when cancelled or the dialog cannot be shown, 2 for a wrong command line.\n";

int Screenshot(const std::string& file) {
    const CString path = CString::FromUtf8(file);
    if (path.ToUtf8() != file) {
        std::fprintf(stderr, "nuvcontrols: --screenshot: '%s' has a character GBK cannot hold\n", file.c_str());
        return 2;
    }
    ParameterDialog dialog;
    if (!dialog.Create(IDD_PARAMETERS)) {
        std::fprintf(stderr, "nuvcontrols: the dialog cannot be shown (no display?)\n");
        return 1;
    }
    dialog.ShowWindow(SW_SHOW);
    dialog.ShowStates();
    NUVMfc::ProcessPendingEvents();
    const QImage picture = dialog.GetQWidget()->grab().toImage();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG")) {
        std::fprintf(stderr, "nuvcontrols: the picture could not be encoded\n");
        return 1;
    }
    std::string why;
    if (!NUVWin::WriteFileAtomic(path, std::string_view(png.constData(), static_cast<std::size_t>(png.size())), &why)) {
        std::fprintf(stderr, "nuvcontrols: %s: %s\n", file.c_str(), why.c_str());
        return 1;
    }
    dialog.DestroyWindow();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string screenshot;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--screenshot" && i + 1 < argc) {
            screenshot = argv[++i];
        } else if (arg.rfind("--screenshot=", 0) == 0) {
            screenshot = arg.substr(std::strlen("--screenshot="));
        } else {
            std::fprintf(stderr, "nuvcontrols: %s: %s\n\n%s", arg.c_str(),
                         arg == "--screenshot" ? "needs a file name" : "unknown option", kUsage);
            return 2;
        }
    }
    if (!screenshot.empty() && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);  // a picture needs no screen
    if (!NUVMfc::EnsureApplication()) {
        std::fprintf(stderr, "nuvcontrols: no display (set DISPLAY, or QT_QPA_PLATFORM=offscreen to answer from NUV_MODAL_ANSWERS)\n");
        return 1;
    }
    if (!screenshot.empty()) return Screenshot(screenshot);
    ParameterDialog dialog;
    const INT_PTR result = dialog.DoModal();
    if (result == IDOK) return 0;
    if (result == -1) std::fprintf(stderr, "nuvcontrols: the dialog cannot be shown\n");
    else std::fprintf(stderr, "nuvcontrols: cancelled\n");
    return 1;
}
