// CListCtrlEx in a real window: the row-number column, sorting (text, number, the caller's
// comparison, header clicks with their marks), the cell cursor's keys and wrap-around, editors
// opened, committed, refused and cancelled with the parent's records, numeric editors, the
// "..." button, the drop-down and date editors, the row commands with their messages, the context
// menu, and the focused cell painted in the focus colour.
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>

#include "QtTestApp.h"
#include "controls/InPlaceComboBox.h"
#include "controls/InPlaceDateTime.h"
#include "controls/InPlaceEdit.h"
#include "controls/ListCtrlEx.h"
#include "mfc/Afx.h"

namespace {

constexpr UINT kGridId = 300;

struct Record {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::vector<int> rows;  // 0x467's list
    LVEX_VALUE value{};     // 0x464 / 0x66
};

class Host : public CWnd {
public:
    std::vector<Record> records;
    std::vector<std::pair<int, int>> beginEdits;
    std::vector<UINT> commands;
    CListCtrlEx* grid = nullptr;
    LRESULT verdict = 0;      // the answer to a value
    CString helped;           // what the "..." button's request gets
    enum Kind { EDIT, EDIT_EX, NUMERIC, COMBO, DATE, NONE } kind = EDIT;

protected:
    LRESULT OnCell(WPARAM w, LPARAM l) {
        Record r{WM_LVEX_CELL, w, l, {}, {}};
        if (w == LVEX_COMMIT) r.value = *reinterpret_cast<LVEX_VALUE*>(l);
        if (w == LVEX_BUTTON) *reinterpret_cast<CString*>(l) = helped;
        records.push_back(r);
        return w == LVEX_COMMIT ? verdict : 0;
    }
    LRESULT OnInserted(WPARAM w, LPARAM l) {
        records.push_back(Record{WM_LVEX_INSERTED, w, l, {}, {}});
        return 0;
    }
    LRESULT OnDeleting(WPARAM w, LPARAM l) {
        Record r{WM_LVEX_DELETING, w, l, {}, {}};
        auto* rows = reinterpret_cast<CArray<int, int>*>(w);
        for (INT_PTR i = 0; i < rows->GetSize(); ++i) r.rows.push_back((*rows)[i]);
        records.push_back(r);
        return 0;
    }
    LRESULT OnMoved(WPARAM w, LPARAM l) {
        records.push_back(Record{WM_LVEX_MOVED, w, l, {}, {}});
        return 0;
    }
    void OnBeginEdit(NMHDR* h, LRESULT*) {
        auto* info = reinterpret_cast<NMLVDISPINFOA*>(h);
        beginEdits.emplace_back(info->item.iItem, info->item.iSubItem);
        switch (kind) {
            case EDIT: grid->ShowInPlaceEdit(info->item.iItem, info->item.iSubItem); break;
            case EDIT_EX: grid->ShowInPlaceEditEx(info->item.iItem, info->item.iSubItem); break;
            case NUMERIC:
                if (CInPlaceEdit* e = grid->ShowInPlaceEdit(info->item.iItem, info->item.iSubItem, ES_RIGHT))
                    e->SetNumeric(0.0f, 100.0f, 2, TRUE);
                break;
            case COMBO:
                if (CInPlaceComboBox* c = grid->ShowInPlaceComboBox(info->item.iItem, info->item.iSubItem, 1)) {
                    c->AddString("steel");
                    c->AddString("copper");
                    c->AddString("PVC");
                }
                break;
            case DATE: grid->ShowInPlaceDateTimeCtrl(info->item.iItem, info->item.iSubItem); break;
            case NONE: break;
        }
    }
    void OnUnknown() { commands.push_back(0x9999); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Host, CWnd)
ON_MESSAGE(WM_LVEX_CELL, OnCell)
ON_MESSAGE(WM_LVEX_INSERTED, OnInserted)
ON_MESSAGE(WM_LVEX_DELETING, OnDeleting)
ON_MESSAGE(WM_LVEX_MOVED, OnMoved)
ON_NOTIFY(LVN_BEGINLABELEDITA, kGridId, OnBeginEdit)
ON_COMMAND(0x9999, OnUnknown)
END_MESSAGE_MAP()

class GridTest : public QtTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 520, 320), nullptr, 0));
        ASSERT_TRUE(grid.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(5, 5, 515, 315), &host, kGridId));
        host.grid = &grid;
        ShowActive(host.GetQWidget());
        grid.SetFocus();
    }
    void Fill(const std::vector<std::vector<const char*>>& rows, std::vector<const char*> headings) {
        for (std::size_t c = 0; c < headings.size(); ++c) grid.InsertColumn(static_cast<int>(c), headings[c], LVCFMT_LEFT, 90);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            grid.InsertItem(static_cast<int>(r), rows[r][0]);
            for (std::size_t c = 1; c < rows[r].size(); ++c) grid.SetItemText(static_cast<int>(r), static_cast<int>(c), rows[r][c]);
        }
    }
    std::vector<CString> Column(int c) {
        std::vector<CString> out;
        for (int r = 0; r < grid.GetItemCount(); ++r) out.push_back(grid.GetItemText(r, c));
        return out;
    }
    std::vector<CString> Numbers() {
        std::vector<CString> out;
        for (int r = 0; r < grid.GetItemCount(); ++r) out.push_back(grid.CListCtrl::GetItemText(r, 0));
        return out;
    }
    QWidget* View() { return grid.GetQWidget(); }
    void ClickHeader(int column, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QHeaderView* h = static_cast<QTableView*>(View())->horizontalHeader();
        const int x = h->sectionViewportPosition(column) + h->sectionSize(column) / 2;
        QTest::mouseClick(h->viewport(), Qt::LeftButton, mods, QPoint(x, h->height() / 2));
    }
    void ClickCell(int row, int column) {  // the grid's own column numbers
        CRect r;
        ASSERT_TRUE(grid.GetSubItemRect(row, column, LVIR_LABEL, r));
        auto* v = static_cast<QTableView*>(View());
        const QPoint at = QPoint(r.CenterPoint().x, r.CenterPoint().y) + v->contentsRect().topLeft() -
                          v->viewport()->mapTo(v, QPoint(0, 0));
        QTest::mouseClick(v->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
    QLineEdit* EditorLine() {
        CWnd* e = grid.GetIpPlaceWnd();
        return e ? qobject_cast<QLineEdit*>(e->GetQWidget()) : nullptr;
    }
    std::vector<Record> Of(UINT message) {
        std::vector<Record> out;
        for (const Record& r : host.records) {
            if (r.message == message) out.push_back(r);
        }
        return out;
    }
    Host host;
    CListCtrlEx grid;
};

TEST_F(GridTest, StartsAsTheGridIsMade) {
    EXPECT_EQ(grid.GetStyleEx(), static_cast<DWORD>(LVEX_HEADERTOOLTIP));
    EXPECT_EQ(grid.GetFocusSubItemColor(), RGB(0, 255, 0));
    EXPECT_EQ(grid.GetHighlightType(), HIGHLIGHT_ROW);
    EXPECT_EQ(grid.GetFocusColumn(), -1);
    EXPECT_EQ(grid.GetIpPlaceWnd(), nullptr);
    EXPECT_TRUE(grid.GetExtendedStyle() & LVS_EX_GRIDLINES);
    EXPECT_TRUE(grid.GetExtendedStyle() & LVS_EX_FULLROWSELECT);
    EXPECT_EQ(grid.SetHighlightType(3), HIGHLIGHT_ROW);  // too large: nothing changes
    EXPECT_EQ(grid.GetHighlightType(), HIGHLIGHT_ROW);
    EXPECT_EQ(grid.SetHighlightType(-1), HIGHLIGHT_ROW);
    EXPECT_EQ(grid.SetHighlightType(0), HIGHLIGHT_ROW);
    EXPECT_EQ(grid.GetHighlightType(), HIGHLIGHT_NORMAL);
    ASSERT_NE(grid.GetMenu()->GetSafeHmenu(), nullptr);
    CMenu* menu = grid.GetMenu();
    const UINT ids[] = {ID_LVEX_NEW, 0, ID_LVEX_INSERT, ID_LVEX_DELETE, 0, ID_LVEX_UP, ID_LVEX_DOWN, 0, ID_LVEX_TOP, ID_LVEX_BOTTOM};
    ASSERT_EQ(menu->GetMenuItemCount(), 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(menu->GetMenuItemID(i), ids[i]) << i;
    CString text;
    menu->GetMenuString(ID_LVEX_UP, text, MF_BYCOMMAND);
    EXPECT_EQ(text, "\xC9\xCF\xD2\xC6(&I)\tAlt + \xA1\xFC");  // 上移(&I)\tAlt + ↑
}

TEST_F(GridTest, RowNumbersFollowInsertsDeletesAndSorts) {
    grid.ModifyStyleEx(LVEX_FIRSTORDER, 0);
    Fill({{"b"}, {"e"}, {"a"}, {"d"}, {"c"}}, {"\xC3\xFB\xB3\xC6"});
    CHeaderCtrl* header = grid.CListCtrl::GetHeaderCtrl();
    char heading[16] = {};
    HDITEMA item{};
    item.mask = HDI_TEXT;
    item.pszText = heading;
    item.cchTextMax = sizeof heading;
    header->GetItem(0, &item);
    EXPECT_STREQ(heading, "\xD0\xF2\xBA\xC5");  // 序号
    EXPECT_EQ(grid.GetColumnCount(), 1);
    EXPECT_EQ(Numbers(), (std::vector<CString>{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(Column(0), (std::vector<CString>{"b", "e", "a", "d", "c"}));
    ASSERT_TRUE(grid.DeleteItem(1));
    EXPECT_EQ(Numbers(), (std::vector<CString>{"1", "2", "3", "4"}));
    EXPECT_EQ(Column(0), (std::vector<CString>{"b", "a", "d", "c"}));
    ASSERT_TRUE(grid.SortColumn(0, SORT_TEXT, 0));
    EXPECT_EQ(Column(0), (std::vector<CString>{"a", "b", "c", "d"}));
    EXPECT_EQ(Numbers(), (std::vector<CString>{"1", "2", "3", "4"}));
    grid.InsertItem(1, "x");
    EXPECT_EQ(Numbers(), (std::vector<CString>{"1", "2", "3", "4", "5"}));
    grid.ModifyStyleEx(0, LVEX_FIRSTORDER);
    EXPECT_EQ(grid.CListCtrl::GetItemText(0, 0), "a");  // the number column is gone
}

TEST_F(GridTest, NumbersAndTextsSortDifferently) {
    Fill({{"9"}, {"10"}, {"2"}}, {"n"});
    grid.SortColumn(0, SORT_NUMBER, 0);
    EXPECT_EQ(Column(0), (std::vector<CString>{"2", "9", "10"}));
    grid.SortColumn(0, SORT_TEXT, 0);
    EXPECT_EQ(Column(0), (std::vector<CString>{"10", "2", "9"}));
    grid.SortColumn(0, SORT_NUMBER, 1);
    EXPECT_EQ(Column(0), (std::vector<CString>{"10", "9", "2"}));
    EXPECT_FALSE(grid.SortColumn(0, SORT_NONE, 0));
    EXPECT_FALSE(grid.SetSort(5, SORT_TEXT));  // beyond the last column
    EXPECT_TRUE(grid.SetSort(0, SORT_TEXT));
}

int ByLength(LPARAM a, LPARAM b, LPARAM context) {
    auto* c = reinterpret_cast<LVEX_SORTCONTEXT*>(context);
    const int la = c->grid->GetItemText(static_cast<int>(a), c->column).GetLength();
    const int lb = c->grid->GetItemText(static_cast<int>(b), c->column).GetLength();
    return c->descending ? lb - la : la - lb;
}

TEST_F(GridTest, TheCallersComparisonGetsRowsAndTheDataFollowsItsRow) {
    Fill({{"ccc"}, {"a"}, {"bb"}}, {"t"});
    for (int r = 0; r < 3; ++r) grid.SetItemData(r, 100 + r);
    ASSERT_TRUE(grid.SetSort(0, ByLength));
    ASSERT_TRUE(grid.SortColumn(0, 0));
    EXPECT_EQ(Column(0), (std::vector<CString>{"a", "bb", "ccc"}));
    EXPECT_EQ(grid.GetItemData(0), 101u);
    EXPECT_EQ(grid.GetItemData(1), 102u);
    EXPECT_EQ(grid.GetItemData(2), 100u);
}

TEST_F(GridTest, HeaderClicksSortUpThenDownAndCtrlKeepsOtherMarks) {
    Fill({{"2", "b"}, {"10", "a"}, {"1", "c"}}, {"n", "t"});
    grid.SetSort(0, SORT_NUMBER);
    grid.SetSort(1, SORT_TEXT);
    ClickHeader(0);
    EXPECT_EQ(Column(0), (std::vector<CString>{"1", "2", "10"}));
    EXPECT_EQ(grid.GetFlatHeader()->GetSortMark(0), CFlatHeaderCtrl::SORT_MARK_UP);
    ClickHeader(0);
    EXPECT_EQ(Column(0), (std::vector<CString>{"10", "2", "1"}));
    EXPECT_EQ(grid.GetFlatHeader()->GetSortMark(0), CFlatHeaderCtrl::SORT_MARK_DOWN);
    ClickHeader(1, Qt::ControlModifier);
    EXPECT_EQ(Column(1), (std::vector<CString>{"a", "b", "c"}));
    EXPECT_EQ(grid.GetFlatHeader()->GetSortMark(0), CFlatHeaderCtrl::SORT_MARK_DOWN);  // kept
    ClickHeader(1);
    EXPECT_EQ(grid.GetFlatHeader()->GetSortMark(0), CFlatHeaderCtrl::SORT_MARK_NONE);  // cleared
    EXPECT_EQ(grid.GetFlatHeader()->GetSortMark(1), CFlatHeaderCtrl::SORT_MARK_DOWN);
    EXPECT_FALSE(grid.IsSorting());
}

TEST_F(GridTest, ClickingTheRowNumberColumnDoesNothing) {
    grid.ModifyStyleEx(LVEX_FIRSTORDER, 0);
    Fill({{"b"}, {"a"}}, {"t"});
    grid.SetSort(0, SORT_TEXT);
    ClickHeader(1);
    EXPECT_EQ(Column(0), (std::vector<CString>{"a", "b"}));
    ClickHeader(0);
    EXPECT_EQ(Column(0), (std::vector<CString>{"a", "b"}));
    EXPECT_EQ(grid.GetFlatHeader()->GetSortMark(1), CFlatHeaderCtrl::SORT_MARK_UP);
}

TEST_F(GridTest, CursorKeysWrapAtTheEnds) {
    Fill({{"a", "b", "c"}, {"d", "e", "f"}}, {"1", "2", "3"});
    host.kind = Host::NONE;
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int row, column;
    } steps[] = {
        {Qt::Key_Right, Qt::NoModifier, 0, 1},   // from (0, 0)
        {Qt::Key_End, Qt::ControlModifier, 1, 2},
        {Qt::Key_Right, Qt::NoModifier, 0, 0},   // the last cell wraps to the first
        {Qt::Key_Left, Qt::NoModifier, 1, 2},    // and back
        {Qt::Key_Down, Qt::NoModifier, 1, 2},    // stops at the last row
        {Qt::Key_Up, Qt::NoModifier, 0, 2},
        {Qt::Key_Up, Qt::NoModifier, 0, 2},      // stops at the first
        {Qt::Key_Tab, Qt::NoModifier, 1, 0},
        {Qt::Key_Backtab, Qt::ShiftModifier, 0, 2},
        {Qt::Key_Home, Qt::ControlModifier, 0, 0},
        {Qt::Key_End, Qt::NoModifier, 1, 0},
    };
    grid.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    for (const Step& s : steps) {
        QTest::keyClick(View(), s.key, s.mods);
        EXPECT_EQ(grid.GetFocusRow(), s.row) << s.key;
        EXPECT_EQ(grid.GetFocusColumn(), s.column) << s.key;
        EXPECT_EQ(grid.GetNextItem(-1, LVNI_SELECTED), s.row);
    }
    EXPECT_TRUE(host.beginEdits.empty());  // moving without an editor opens none
    EXPECT_EQ(CWnd::GetFocus(), &grid);    // Tab moved the cursor, not the focus
}

TEST_F(GridTest, EnterOpensTheNextCellAndTheParentsVerdictDecides) {
    Fill({{"a", "b"}, {"c", "d"}}, {"1", "2"});
    grid.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    QTest::keyClick(View(), Qt::Key_Return);  // the cursor starts in column 0: Enter opens column 1
    ASSERT_EQ(host.beginEdits, (std::vector<std::pair<int, int>>{{0, 1}}));
    QLineEdit* line = EditorLine();
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), "b");
    EXPECT_EQ(line->selectedText(), "b");
    EXPECT_EQ(grid.GetIpPlaceWnd()->GetDlgCtrlID(), IDC_LVEX_EDIT);
    QTest::keyClicks(line, "x1");
    host.verdict = 1;  // refused: the editor stays
    QTest::keyClick(line, Qt::Key_Return);
    ASSERT_NE(grid.GetIpPlaceWnd(), nullptr);
    EXPECT_EQ(grid.GetItemText(0, 1), "b");
    auto values = Of(WM_LVEX_CELL);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].wParam, static_cast<WPARAM>(LVEX_COMMIT));
    EXPECT_EQ(values[0].value.row, 0);
    EXPECT_EQ(values[0].value.column, 1);
    EXPECT_EQ(values[0].value.grid, &grid);
    EXPECT_EQ(values[0].value.text, "x1");
    host.verdict = 0;
    QTest::keyClick(EditorLine(), Qt::Key_Return);
    EXPECT_EQ(grid.GetIpPlaceWnd(), nullptr);
    EXPECT_EQ(grid.GetItemText(0, 1), "x1");
    EXPECT_EQ(CWnd::GetFocus(), &grid);
}

TEST_F(GridTest, EscapeCancelsAndF2OpensTheCurrentCell) {
    Fill({{"a", "b"}}, {"1", "2"});
    grid.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    QTest::keyClick(View(), Qt::Key_F2);
    ASSERT_EQ(host.beginEdits, (std::vector<std::pair<int, int>>{{0, 0}}));
    QTest::keyClicks(EditorLine(), "zz");
    QTest::keyClick(EditorLine(), Qt::Key_Escape);
    EXPECT_EQ(grid.GetIpPlaceWnd(), nullptr);
    EXPECT_EQ(grid.GetItemText(0, 0), "a");
    EXPECT_TRUE(Of(WM_LVEX_CELL).empty());
}

TEST_F(GridTest, MovingWithAnEditorOpenCommitsFirstAndOpensTheNextCell) {
    Fill({{"a"}, {"b"}, {"c"}}, {"1"});
    ClickCell(0, 0);
    ASSERT_NE(EditorLine(), nullptr);
    QTest::keyClicks(EditorLine(), "A");
    QTest::keyClick(EditorLine(), Qt::Key_Down);
    EXPECT_EQ(grid.GetItemText(0, 0), "A");
    EXPECT_EQ(host.beginEdits, (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}}));
    ASSERT_NE(EditorLine(), nullptr);
    EXPECT_EQ(EditorLine()->text(), "b");
    host.verdict = 1;
    QTest::keyClicks(EditorLine(), "B");
    QTest::keyClick(EditorLine(), Qt::Key_Down);  // refused: the cursor stays
    EXPECT_EQ(grid.GetFocusRow(), 1);
    EXPECT_EQ(host.beginEdits.size(), 2u);
    ClickCell(2, 0);  // a click with a refused value is ignored too
    EXPECT_EQ(grid.GetFocusRow(), 1);
    host.verdict = 0;
    ClickCell(2, 0);
    EXPECT_EQ(grid.GetItemText(1, 0), "B");
    EXPECT_EQ(grid.GetFocusRow(), 2);
    EXPECT_EQ(host.beginEdits.back(), (std::pair<int, int>{2, 0}));
}

TEST_F(GridTest, ScrollingOrLeavingTheGridEndsTheEditor) {
    Fill({{"a"}, {"b"}}, {"1"});
    ClickCell(0, 0);
    ASSERT_NE(grid.GetIpPlaceWnd(), nullptr);
    grid.SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(grid.GetIpPlaceWnd(), nullptr);
    EXPECT_EQ(grid.GetItemText(0, 0), "a");
}

TEST(GridEditors, NumericCheckAndFormat) {
    CInPlaceEdit e;
    e.SetNumeric(0.0f, 100.0f, 2, FALSE);
    const struct {
        const char* text;
        bool window;
        CInPlaceEdit::Verdict verdict;
    } cases[] = {{"+", false, CInPlaceEdit::TEXT_INCOMPLETE},  {"-", true, CInPlaceEdit::TEXT_INCOMPLETE},
                 {".", true, CInPlaceEdit::TEXT_INCOMPLETE},   {".", false, CInPlaceEdit::TEXT_NOT_A_NUMBER},
                 {"-.", true, CInPlaceEdit::TEXT_INCOMPLETE},  {"-.", false, CInPlaceEdit::TEXT_NOT_A_NUMBER},
                 {"5", true, CInPlaceEdit::TEXT_OK},           {"100", true, CInPlaceEdit::TEXT_OK},
                 {"0", true, CInPlaceEdit::TEXT_OK},           {"100.01", true, CInPlaceEdit::TEXT_OUT_OF_RANGE},
                 {"-0.01", true, CInPlaceEdit::TEXT_OUT_OF_RANGE}, {"1e2", true, CInPlaceEdit::TEXT_OK},
                 {"1e3", true, CInPlaceEdit::TEXT_OUT_OF_RANGE}, {"5x", true, CInPlaceEdit::TEXT_NOT_A_NUMBER},
                 {"5 6", true, CInPlaceEdit::TEXT_NOT_A_NUMBER}, {"", true, CInPlaceEdit::TEXT_NOT_A_NUMBER},
                 {" 7 ", true, CInPlaceEdit::TEXT_OK},          {"0x10", true, CInPlaceEdit::TEXT_NOT_A_NUMBER},
                 {"inf", true, CInPlaceEdit::TEXT_NOT_A_NUMBER}};
    for (const auto& c : cases) EXPECT_EQ(e.CheckText(c.text, c.window), c.verdict) << "'" << c.text << "'";
    EXPECT_EQ(e.FormatValue(3.14159f), "3.14159");
    EXPECT_EQ(e.FormatValue(2.5f), "2.50");
    EXPECT_EQ(e.FormatValue(100.0f), "100.00");
    EXPECT_EQ(e.FormatValue(0.1f), "0.10");
    EXPECT_EQ(e.FormatValue(1.0e-5f), "0.00");  // "%G" shows 1E-05: no decimals of its own
}

TEST_F(GridTest, NumericEditorsReportAndRefuseBadValues) {
    Fill({{"1"}}, {"v"});
    host.kind = Host::NUMERIC;
    NUVMfc::ClearModalHistory();
    ClickCell(0, 0);
    ASSERT_NE(EditorLine(), nullptr);
    QTest::keyClicks(EditorLine(), "150");
    QTest::keyClick(EditorLine(), Qt::Key_Return);
    EditorLine()->setText("abc");
    QTest::keyClick(EditorLine(), Qt::Key_Return);
    EditorLine()->setText("-");
    QTest::keyClick(EditorLine(), Qt::Key_Return);  // incomplete: refused without a word
    ASSERT_NE(grid.GetIpPlaceWnd(), nullptr);
    auto boxes = NUVMfc::ModalHistory();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Given value is out of range.\n");
    EXPECT_EQ(boxes[1].text, "Characters must be a number.\n");
    EXPECT_TRUE(Of(WM_LVEX_CELL).empty());  // nothing reached the parent
    EditorLine()->setText("2.5");
    QTest::keyClick(EditorLine(), Qt::Key_Return);
    EXPECT_EQ(grid.GetItemText(0, 0), "2.50");
}

TEST_F(GridTest, TheButtonAsksTheParentForHelp) {
    Fill({{"a"}}, {"1"});
    host.kind = Host::EDIT_EX;
    host.helped = "from the parent";
    ClickCell(0, 0);
    auto* editor = static_cast<CInPlaceEditEx*>(grid.GetIpPlaceWnd());
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(editor->GetButton(), nullptr);
    EXPECT_EQ(editor->GetButton()->GetDlgCtrlID(), IDC_LVEX_BUTTON);
    QTest::mouseClick(editor->GetButton()->GetQWidget(), Qt::LeftButton);
    auto asks = Of(WM_LVEX_CELL);
    ASSERT_EQ(asks.size(), 1u);
    EXPECT_EQ(asks[0].wParam, static_cast<WPARAM>(LVEX_BUTTON));
    ASSERT_NE(grid.GetIpPlaceWnd(), nullptr);  // clicking its own button keeps the editor
    EXPECT_EQ(EditorLine()->text(), "from the parent");
    QTest::keyClick(EditorLine(), Qt::Key_Return);
    EXPECT_EQ(grid.GetItemText(0, 0), "from the parent");
}

TEST_F(GridTest, TheDropDownStartsAtTheCellsItem) {
    Fill({{"copper"}}, {"m"});
    host.kind = Host::COMBO;
    ClickCell(0, 0);
    auto* combo = static_cast<CInPlaceComboBox*>(grid.GetIpPlaceWnd());
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->GetDlgCtrlID(), IDC_LVEX_COMBO);
    CString chosen;
    combo->GetLBText(combo->GetCurSel(), chosen);
    EXPECT_EQ(chosen, "copper");
    combo->GetLBText(0, chosen);
    EXPECT_EQ(chosen, "copper");  // sorted: copper, PVC, steel
    QTest::keyClick(combo->GetQWidget(), Qt::Key_Down);
    QTest::keyClick(combo->GetQWidget(), Qt::Key_Return);
    EXPECT_EQ(grid.GetItemText(0, 0), "PVC");
}

TEST(GridEditors, CellDates) {
    const struct {
        const char* text;
        bool ok;
        int y, m, d;
    } cases[] = {{"2024\xC4\xEA" "03\xD4\xC2" "05\xC8\xD5", true, 2024, 3, 5},
                 {"2024\xC4\xEA" "3\xD4\xC2" "5\xC8\xD5", true, 2024, 3, 5},
                 {"2024-12-31", true, 2024, 12, 31},
                 {"abc", false, 0, 0, 0},
                 {"2024\xC4\xEA" "13\xD4\xC2" "5\xC8\xD5", false, 0, 0, 0},
                 {"2023-02-29", false, 0, 0, 0},
                 {"", false, 0, 0, 0}};
    for (const auto& c : cases) {
        COleDateTime d;
        EXPECT_EQ(CInPlaceDateTime::ParseCellDate(c.text, d), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(d.GetYear(), c.y);
            EXPECT_EQ(d.GetMonth(), c.m);
            EXPECT_EQ(d.GetDay(), c.d);
            char want[32];
            std::snprintf(want, sizeof want, "%04d\xC4\xEA%02d\xD4\xC2%02d\xC8\xD5", c.y, c.m, c.d);
            EXPECT_EQ(CInPlaceDateTime::FormatCellDate(d), CString(want));
        }
    }
}

TEST_F(GridTest, TheDatePickerWritesTheCellsFormat) {
    Fill({{"2024\xC4\xEA" "03\xD4\xC2" "05\xC8\xD5"}}, {"d"});
    host.kind = Host::DATE;
    ClickCell(0, 0);
    auto* date = static_cast<CInPlaceDateTime*>(grid.GetIpPlaceWnd());
    ASSERT_NE(date, nullptr);
    COleDateTime shown;
    ASSERT_TRUE(date->GetTime(shown));
    EXPECT_EQ(shown.GetDay(), 5);
    date->SetTime(COleDateTime(2025, 1, 9, 0, 0, 0));
    QTest::keyClick(date->GetQWidget(), Qt::Key_Return);
    EXPECT_EQ(grid.GetItemText(0, 0), "2025\xC4\xEA" "01\xD4\xC2" "09\xC8\xD5");
}

TEST_F(GridTest, RowCommandsNeedTheirPermission) {
    Fill({{"a"}, {"b"}}, {"1"});
    grid.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(grid.InsertItem(-1), -1);
    EXPECT_EQ(grid.DelItem(-1), -1);
    EXPECT_EQ(grid.DownItem(-1), -1);
    QTest::keyClick(View(), Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(grid.GetItemCount(), 2);
    EXPECT_TRUE(host.records.empty());
}

TEST_F(GridTest, AltKeysInsertAppendAndDeleteWithTheirMessages) {
    Fill({{"a"}, {"b"}, {"c"}, {"d"}}, {"1"});
    grid.ModifyStyleEx(LVEX_ALLOWADD | LVEX_ALLOWDELETE, 0);
    QTest::keyClick(View(), Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(Column(0), (std::vector<CString>{"a", "b", "c", "d", ""}));
    auto inserted = Of(WM_LVEX_INSERTED);
    ASSERT_EQ(inserted.size(), 1u);
    EXPECT_EQ(inserted[0].wParam, 4u);
    EXPECT_EQ(grid.GetNextItem(-1, LVNI_SELECTED), 4);
    grid.SetItemState(-1, 0, LVIS_SELECTED);
    grid.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    QTest::keyClick(View(), Qt::Key_I, Qt::AltModifier);
    EXPECT_EQ(Column(0), (std::vector<CString>{"a", "", "b", "c", "d", ""}));
    // Three rows selected: one message lists them, then all three go.
    grid.SetItemState(-1, 0, LVIS_SELECTED);
    for (int r : {0, 2, 5}) grid.SetItemState(r, LVIS_SELECTED, LVIS_SELECTED);
    QTest::keyClick(View(), Qt::Key_Delete, Qt::AltModifier);
    auto deleting = Of(WM_LVEX_DELETING);
    ASSERT_EQ(deleting.size(), 1u);
    EXPECT_EQ(deleting[0].rows, (std::vector<int>{0, 2, 5}));
    EXPECT_EQ(Column(0), (std::vector<CString>{"", "c", "d"}));
    EXPECT_EQ(grid.DelItem(1), 1);  // one row: the one now in its place is selected
    EXPECT_EQ(Column(0), (std::vector<CString>{"", "d"}));
    EXPECT_EQ(grid.GetNextItem(-1, LVNI_SELECTED), 1);
    EXPECT_EQ(grid.DelItem(1), 0);  // the last: the new last is selected
    EXPECT_EQ(grid.DelItem(0), -1);  // nothing left
}

TEST_F(GridTest, MovesExchangeTextsStepByStepAndTellTheParent) {
    grid.ModifyStyleEx(LVEX_FIRSTORDER | LVEX_ALLOWMOVE, 0);
    Fill({{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}}, {"n", "v"});
    grid.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(grid.UpItem(-1), -1);  // the first row cannot go up
    EXPECT_TRUE(Of(WM_LVEX_MOVED).empty());
    EXPECT_EQ(grid.DownItem(-1), 1);
    EXPECT_EQ(Column(0), (std::vector<CString>{"b", "a", "c", "d"}));
    EXPECT_EQ(Column(1), (std::vector<CString>{"2", "1", "3", "4"}));
    EXPECT_EQ(grid.GetNextItem(-1, LVNI_SELECTED), 1);
    EXPECT_EQ(grid.GetNextItem(-1, LVNI_FOCUSED), 1);
    QTest::keyClick(View(), Qt::Key_End, Qt::AltModifier);
    EXPECT_EQ(Column(0), (std::vector<CString>{"b", "c", "d", "a"}));
    QTest::keyClick(View(), Qt::Key_Home, Qt::AltModifier);
    EXPECT_EQ(Column(0), (std::vector<CString>{"a", "b", "c", "d"}));
    QTest::keyClick(View(), Qt::Key_Down, Qt::AltModifier);
    QTest::keyClick(View(), Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(Numbers(), (std::vector<CString>{"1", "2", "3", "4"}));
    auto moves = Of(WM_LVEX_MOVED);
    ASSERT_EQ(moves.size(), 5u);
    const WPARAM codes[] = {LVEX_MOVE_DOWN, LVEX_MOVE_BOTTOM, LVEX_MOVE_TOP, LVEX_MOVE_DOWN, LVEX_MOVE_UP};
    const LPARAM rows[] = {1, 3, 0, 1, 0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(moves[static_cast<std::size_t>(i)].wParam, codes[i]);
        EXPECT_EQ(moves[static_cast<std::size_t>(i)].lParam, rows[i]);
    }
    EXPECT_EQ(grid.EndItem(3), -1);  // already last
}

TEST_F(GridTest, TheContextMenuRunsTheRowCommandsItAllows) {
    Fill({{"a"}, {"b"}}, {"1"});
    grid.ModifyStyleEx(LVEX_MENU | LVEX_ALLOWDELETE, 0);
    grid.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    NUVMfc::QueueModalAnswer(static_cast<INT_PTR>(ID_LVEX_UP));  // greyed: moves are not allowed
    grid.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(grid.m_hWnd), MAKELPARAM(-1, -1));
    NUVMfc::ProcessPendingEvents();
    EXPECT_EQ(Column(0), (std::vector<CString>{"a", "b"}));
    NUVMfc::QueueModalAnswer(static_cast<INT_PTR>(ID_LVEX_DELETE));
    grid.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(grid.m_hWnd), MAKELPARAM(-1, -1));
    NUVMfc::ProcessPendingEvents();
    EXPECT_EQ(Column(0), (std::vector<CString>{"b"}));
    // A command that is not the grid's goes to the parent unchanged.
    grid.SendMessage(WM_COMMAND, 0x9999, 0);
    EXPECT_EQ(host.commands, (std::vector<UINT>{0x9999}));
}

TEST_F(GridTest, TheFocusedCellIsPaintedInTheFocusColour) {
    Fill({{"a", "b"}, {"c", "d"}}, {"1", "2"});
    host.kind = Host::NONE;
    grid.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    QTest::keyClick(View(), Qt::Key_Right);  // the cursor to (1, 1)
    ASSERT_EQ(grid.GetFocusColumn(), 1);
    auto* v = static_cast<QTableView*>(View());
    auto centre = [&](int row, int column) {
        CRect r;
        grid.GetSubItemRect(row, column, LVIR_LABEL, r);
        return QPoint(r.left + 3, r.top + 3) + v->contentsRect().topLeft();
    };
    EXPECT_EQ(PaintedColour(v, centre(1, 1)), RGB(0, 255, 0));
    EXPECT_NE(PaintedColour(v, centre(1, 0)), RGB(0, 255, 0));
    grid.SetFocusSubItemColor(RGB(255, 0, 255));
    EXPECT_EQ(PaintedColour(v, centre(1, 1)), RGB(255, 0, 255));
}

TEST_F(GridTest, ColumnStylesLiveInTheHighWord) {
    Fill({{"a", "b"}}, {"1", "2"});
    EXPECT_TRUE(grid.ModifyColumnStyle(1, 0x10000, 0));
    HDITEMEX ex{0, CString()};
    grid.GetFlatHeader()->GetItemEx(1, &ex);
    EXPECT_EQ(ex.nStyle, 0x0001u);
    EXPECT_TRUE(grid.ModifyColumnStyle(1, 0x60000, 0x10000));
    grid.GetFlatHeader()->GetItemEx(1, &ex);
    EXPECT_EQ(ex.nStyle, 0x0006u);
    EXPECT_FALSE(grid.ModifyColumnStyle(2, 0x10000, 0));
    EXPECT_TRUE(grid.SetHeaderToolTip(0, "tip"));
    grid.GetFlatHeader()->GetItemEx(0, &ex);
    EXPECT_EQ(ex.strToolTip, "tip");
}

}  // namespace
