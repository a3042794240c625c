// Dialogs from resource scripts: the script reader (table of accepted and refused scripts), the
// dialog made from a template, DoModal answered by the queue (buttons, refused data, nothing
// queued), Enter and Escape, DDX/DDV, message boxes and the record of requests.
#include <QLineEdit>
#include <QPushButton>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "QtTestApp.h"
#include "RunCommand.h"
#include "mfc/Afx.h"

namespace {

using NUVMfc::DialogTemplate;
using NUVMfc::ModalKind;

struct ScriptCase {
    const char* name;
    const char* script;
    bool ok;
    const char* error;  // a part of the message, when refused
};

const char kFlowScript[] =
    "#pragma code_page(65001)\n"
    "#define IDD_FLOW 101\n"
    "#define IDC_FLOW 1001   // the flow field\n"
    "#define IDC_UNIT (IDC_FLOW + 1)\n"
    "IDR_MAIN MENU\nBEGIN\n  POPUP \"File\"\n  BEGIN\n    MENUITEM \"Exit\", 1\n  END\nEND\n"
    "IDD_FLOW DIALOGEX 0, 0, 186, 62\n"
    "STYLE DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU\n"
    "CAPTION \"风量\"\n"
    "FONT 9, \"宋体\", 400, 0, 0x86\n"
    "BEGIN\n"
    "    LTEXT \"风量(m3/h):\", IDC_STATIC, 7, 9, 50, 8\n"
    "    EDITTEXT IDC_FLOW, 60, 7, 119, 14, ES_AUTOHSCROLL | NOT WS_TABSTOP\n"
    "    CONTROL \"\", IDC_UNIT, \"ComboBox\", CBS_DROPDOWNLIST | WS_TABSTOP, 60, 24, 60, 50\n"
    "    DEFPUSHBUTTON \"确定\", IDOK, 75, 41, 50, 14\n"
    "    PUSHBUTTON \"取消\", IDCANCEL, 129, 41, 50, 14\n"
    "END\n";

TEST(DialogScript, ReadsTheStatementsOfAResourceScript) {
    std::vector<DialogTemplate> all;
    std::string error;
    ASSERT_TRUE(NUVMfc::ParseDialogScript(kFlowScript, all, error)) << error;
    ASSERT_EQ(all.size(), 1u);
    const DialogTemplate& d = all[0];
    EXPECT_EQ(d.number, 101);
    EXPECT_EQ(d.cx, 186);
    EXPECT_EQ(d.cy, 62);
    EXPECT_EQ(d.caption, "\xB7\xE7\xC1\xBF");  // 风量 in GBK
    EXPECT_EQ(d.fontName, "\xCB\xCE\xCC\xE5");  // 宋体
    EXPECT_EQ(d.pointSize, 9);
    ASSERT_EQ(d.items.size(), 5u);
    EXPECT_EQ(d.items[0].className, "Static");
    EXPECT_EQ(d.items[0].id, -1);
    EXPECT_EQ(d.items[0].style, static_cast<DWORD>(WS_CHILD | WS_VISIBLE | SS_LEFT | WS_GROUP));
    EXPECT_EQ(d.items[1].id, 1001);
    // EDITTEXT's own styles, plus ES_AUTOHSCROLL, without the tab stop taken away with NOT.
    EXPECT_EQ(d.items[1].style, static_cast<DWORD>(WS_CHILD | WS_VISIBLE | ES_LEFT | WS_BORDER | ES_AUTOHSCROLL));
    EXPECT_EQ(d.items[2].id, 1002);
    EXPECT_EQ(d.items[2].className, "ComboBox");
    EXPECT_EQ(d.items[3].style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    EXPECT_EQ(d.items[4].id, IDCANCEL);
    EXPECT_EQ(d.items[4].x, 129);
}

TEST(DialogScript, AcceptsAndRefusesScripts) {
    const ScriptCase cases[] = {
        {"two dialogs", "1 DIALOG 0,0,10,10 BEGIN END\n2 DIALOGEX 0,0,20,20\nBEGIN\nEND\n", true, ""},
        {"braces for BEGIN and END", "5 DIALOG 0, 0, 10, 10 { LTEXT \"a\", 1, 0, 0, 5, 5 }", true, ""},
        {"quotes doubled in a text", "5 DIALOG 0,0,1,1 BEGIN LTEXT \"a\"\"b\", 1, 0,0,1,1 END", true, ""},
        {"hexadecimal styles", "5 DIALOG 0,0,1,1 STYLE 0x80C80000 BEGIN END", true, ""},
        {"an unknown name", "5 DIALOG 0,0,1,1 STYLE WS_NOSUCH BEGIN END", false, "line 1: unknown name 'WS_NOSUCH'"},
        {"a string not closed", "5 DIALOG 0,0,1,1\nCAPTION \"abc\nBEGIN END", false, "line 2: string not closed"},
        {"BEGIN missing", "5 DIALOG 0,0,1,1\nSTYLE WS_POPUP\n", false, "BEGIN expected"},
        {"END missing", "5 DIALOG 0,0,1,1\nBEGIN\nLTEXT \"a\",1,0,0,1,1\n", false, "END expected"},
        {"too few numbers", "5 DIALOG 0,0,1 BEGIN END", false, "x, y, width and height"},
        {"a control without its size", "5 DIALOG 0,0,1,1 BEGIN EDITTEXT 1, 2, 3 END", false, "needs an id, x, y"},
        {"a list box", "5 DIALOG 0,0,1,1 BEGIN LISTBOX 1, 0, 0, 5, 5 END", false, "LISTBOX is not supported"},
        {"an unknown statement", "5 DIALOG 0,0,1,1 BEGIN SLIDER 1, 0, 0, 5, 5 END", false, "'SLIDER' is no control"},
        {"a code page not supported", "#pragma code_page(1252)\n", false, "code page 1252"},
        {"a comment not closed", "/* 5 DIALOG", false, "comment not closed"},
        {"a stray character", "5 DIALOG 0,0,1,1 @", false, "unexpected character '@'"},
        {"a GBK text, the default", "5 DIALOG 0,0,1,1 CAPTION \"\xB7\xE7\" BEGIN END", true, ""},
    };
    for (const ScriptCase& c : cases) {
        std::vector<DialogTemplate> all;
        std::string error;
        const bool ok = NUVMfc::ParseDialogScript(c.script, all, error);
        EXPECT_EQ(ok, c.ok) << c.name << ": " << error;
        if (!c.ok) {
            EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
        }
    }
}

TEST(DialogScript, UndefinedTextOfUtf8ScriptIsRefused) {
    // A UTF-8 script whose text has no GBK form names the line.
    std::vector<DialogTemplate> all;
    std::string error;
    const std::string script = "#pragma code_page(65001)\n5 DIALOG 0,0,1,1\nCAPTION \"\xF0\x9F\x98\x80\"\nBEGIN END";
    EXPECT_FALSE(NUVMfc::ParseDialogScript(script, all, error));
    EXPECT_EQ(error, "line 3: the text has a character that GBK cannot hold");
}

class FlowDialog : public CDialog {
public:
    explicit FlowDialog(const DialogTemplate& t) { InitModalIndirect(t); }
    double flow = 1200;
    int unit = 0;
    bool initialised = false;

protected:
    BOOL OnInitDialog() override {
        CComboBox* units = static_cast<CComboBox*>(GetDlgItem(1002));
        units->AddString("m3/h");
        units->AddString("L/s");
        initialised = true;
        return CDialog::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Text(dx, 1001, flow);
        DDV_MinMaxDouble(dx, flow, 0.0, 100000.0);
        DDX_CBIndex(dx, 1002, unit);
    }
};

class DialogTest : public QtTest {
protected:
    void SetUp() override {
        std::vector<DialogTemplate> all;
        std::string error;
        ASSERT_TRUE(NUVMfc::ParseDialogScript(kFlowScript, all, error)) << error;
        tmpl = all[0];
        NUVMfc::ClearModalAnswers();
        NUVMfc::ClearModalHistory();
    }
    void TearDown() override {
        NUVMfc::ClearModalAnswers();
        QtTest::TearDown();
    }
    static CString TextOf(CDialog& d, int id) {
        CString t;
        d.GetDlgItemText(id, t);
        return t;
    }
    DialogTemplate tmpl;
};

TEST_F(DialogTest, ModalDialogMovesDataInAndOutAndEndsWithTheButtonPressed) {
    FlowDialog dlg(tmpl);
    CString shown;
    NUVMfc::QueueModalAnswer([&](const NUVMfc::ModalRequest& r) -> INT_PTR {
        EXPECT_EQ(r.kind, ModalKind::Dialog);
        shown = TextOf(*r.dialog, 1001);
        r.dialog->SetDlgItemText(1001, "2500.5");
        static_cast<CComboBox*>(r.dialog->GetDlgItem(1002))->SetCurSel(1);
        return IDOK;
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(dlg.initialised);
    EXPECT_EQ(shown, "1200");
    EXPECT_DOUBLE_EQ(dlg.flow, 2500.5);
    EXPECT_EQ(dlg.unit, 1);
    EXPECT_EQ(dlg.m_hWnd, nullptr);  // the window is gone once DoModal returns
    auto history = NUVMfc::ModalHistory();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].caption, "\xB7\xE7\xC1\xBF");
    EXPECT_EQ(history[0].result, IDOK);
    EXPECT_TRUE(history[0].answered);
}

TEST_F(DialogTest, RefusedDataKeepTheDialogOpenForTheNextAnswer) {
    FlowDialog dlg(tmpl);
    NUVMfc::QueueModalAnswer([](const NUVMfc::ModalRequest& r) -> INT_PTR {
        r.dialog->SetDlgItemText(1001, "abc");
        return IDOK;
    });
    NUVMfc::QueueModalAnswer(IDOK);  // the message box about the bad number
    NUVMfc::QueueModalAnswer([](const NUVMfc::ModalRequest& r) -> INT_PTR {
        r.dialog->SetDlgItemText(1001, "200000");
        return IDOK;
    });
    NUVMfc::QueueModalAnswer(IDOK);  // the message box about the range
    NUVMfc::QueueModalAnswer(IDCANCEL);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    // A value is stored before its check, as the framework does; the dialog was cancelled.
    EXPECT_DOUBLE_EQ(dlg.flow, 200000);
    auto history = NUVMfc::ModalHistory();
    ASSERT_EQ(history.size(), 3u);
    EXPECT_EQ(history[0].kind, ModalKind::MessageBox);
    EXPECT_EQ(history[0].text, "\xC7\xEB\xCA\xE4\xC8\xEB\xCA\xFD\xD7\xD6\xA1\xA3");  // 请输入数字。
    EXPECT_EQ(history[1].kind, ModalKind::MessageBox);
    EXPECT_EQ(history[2].kind, ModalKind::Dialog);
}

TEST_F(DialogTest, NothingQueuedAndNoUserCancelsAtOnce) {
    FlowDialog dlg(tmpl);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    auto history = NUVMfc::ModalHistory();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_FALSE(history[0].answered);
}

TEST_F(DialogTest, EnterPressesTheDefaultButtonAndEscapeCancels) {
    FlowDialog enter(tmpl);
    NUVMfc::QueueModalAnswer([](const NUVMfc::ModalRequest& r) -> INT_PTR {
        CWnd* field = r.dialog->GetDlgItem(1001);
        field->SetFocus();
        static_cast<QLineEdit*>(field->GetQWidget())->selectAll();
        QTest::keyClicks(field->GetQWidget(), "42");
        QTest::keyClick(field->GetQWidget(), Qt::Key_Return);
        return 0;
    });
    EXPECT_EQ(enter.DoModal(), IDOK);
    EXPECT_DOUBLE_EQ(enter.flow, 42);

    FlowDialog escape(tmpl);
    NUVMfc::QueueModalAnswer([](const NUVMfc::ModalRequest& r) -> INT_PTR {
        QTest::keyClick(r.dialog->GetDlgItem(1001)->GetQWidget(), Qt::Key_Escape);
        return 0;
    });
    EXPECT_EQ(escape.DoModal(), IDCANCEL);
}

TEST_F(DialogTest, ClickingAButtonSendsItsCommand) {
    FlowDialog dlg(tmpl);
    NUVMfc::QueueModalAnswer([](const NUVMfc::ModalRequest& r) -> INT_PTR {
        auto* cancel = static_cast<QPushButton*>(r.dialog->GetDlgItem(IDCANCEL)->GetQWidget());
        QTest::mouseClick(cancel, Qt::LeftButton);
        return 0;
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

TEST_F(DialogTest, DialogUnitsFollowTheFont) {
    CDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(tmpl, nullptr));
    CRect du(0, 0, 4, 8), px = du;
    dlg.MapDialogRect(&px);
    // Four horizontal units are one average character, eight vertical ones a line.
    const QFontMetrics fm(dlg.GetQWidget()->font());
    EXPECT_EQ(px.bottom, fm.height());
    EXPECT_GT(px.right, 3);
    CRect client;
    dlg.GetClientRect(&client);
    CRect want(0, 0, 186, 62);
    dlg.MapDialogRect(&want);
    EXPECT_EQ(client.Width(), want.Width());
    EXPECT_EQ(client.Height(), want.Height());
    dlg.DestroyWindow();
}

TEST_F(DialogTest, MessageBoxTakesOnlyItsOwnButtons) {
    NUVMfc::QueueModalAnswer(IDNO);
    EXPECT_EQ(AfxMessageBox("q", MB_YESNO | MB_ICONQUESTION), IDNO);
    NUVMfc::QueueModalAnswer(IDYES);  // not a button of MB_OKCANCEL: its default instead
    EXPECT_EQ(AfxMessageBox("q", MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
    EXPECT_EQ(AfxMessageBox("q", MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL);  // nothing queued
    EXPECT_EQ(AfxMessageBox("q", MB_YESNOCANCEL), IDYES);
    auto history = NUVMfc::ModalHistory();
    ASSERT_EQ(history.size(), 4u);
    EXPECT_TRUE(history[0].answered);
    EXPECT_FALSE(history[1].answered);
    EXPECT_FALSE(history[2].answered);
}

TEST(ModalAnswerWords, ParseAsTheEnvironmentVariableGivesThem) {
    const struct {
        const char* word;
        bool ok;
        INT_PTR value;
    } cases[] = {{"OK", true, IDOK},          {"idcancel", true, IDCANCEL}, {"Yes", true, IDYES}, {"NO", true, IDNO},
                 {"ABORT", true, IDABORT},    {"RETRY", true, IDRETRY},     {"IGNORE", true, IDIGNORE},
                 {"CLOSE", true, IDCLOSE},    {"10101", true, 10101},       {"0x2775", true, 0x2775},
                 {"", false, 0},              {"maybe", false, 0},          {"12a", false, 0}};
    for (const auto& c : cases) {
        INT_PTR v = -99;
        EXPECT_EQ(NUVMfc::ParseModalAnswer(c.word, v), c.ok) << c.word;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.word;
        }
    }
}

}  // namespace

namespace {

// Where no display exists at all, a message box is a line on standard error and its default
// button the answer. The test runs this program again without a display to see it.
TEST(MessageBoxWithoutDisplay, GoesToStandardError) {
    if (std::getenv("NUV_TEST_NO_DISPLAY_CHILD")) {
        EXPECT_FALSE(NUVMfc::HasDisplay());
        EXPECT_EQ(AfxMessageBox("\xB2\xE2\xCA\xD4", MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);  // 测试
        EXPECT_TRUE(NUVMfc::ModalHistory().empty());
        return;
    }
    const std::string command =
        "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= NUV_TEST_NO_DISPLAY_CHILD=1 /proc/" +
        std::to_string(getpid()) + "/exe --gtest_filter=MessageBoxWithoutDisplay.* 2>&1";
    const NUVTest::CommandOutput child = NUVTest::RunCommand(command);
    const std::string& output = child.out;
    EXPECT_EQ(child.status, 0) << output;
    EXPECT_NE(output.find("NUV: \xE6\xB5\x8B\xE8\xAF\x95\n"), std::string::npos) << output;  // 测试 in UTF-8
}

}  // namespace
