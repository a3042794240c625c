// The common controls: list items, selection and its notifications, sorting, hit tests against
// sub-item rectangles, header clicks, custom draw read back from a grab, combo boxes, the date
// picker's format and tooltips.
#include <QComboBox>
#include <QHeaderView>
#include <QTableView>
#include <QToolTip>

#include "QtTestApp.h"
#include "mfc/Afx.h"

namespace {

constexpr UINT kListId = 200;

class Parent : public CWnd {
public:
    std::vector<NMLISTVIEW> changes;
    std::vector<int> columnClicks;
    std::vector<NMITEMACTIVATE> clicks;
    bool drawGreen = false;
    int greenRow = 1, greenColumn = 1;
    std::vector<UINT> comboCodes;

protected:
    void OnItemChanged(NMHDR* h, LRESULT*) { changes.push_back(*reinterpret_cast<NMLISTVIEW*>(h)); }
    void OnColumnClick(NMHDR* h, LRESULT*) { columnClicks.push_back(reinterpret_cast<NMLISTVIEW*>(h)->iSubItem); }
    void OnClick(NMHDR* h, LRESULT*) { clicks.push_back(*reinterpret_cast<NMITEMACTIVATE*>(h)); }
    void OnCustomDraw(NMHDR* h, LRESULT* result) {
        auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(h);
        *result = CDRF_DODEFAULT;
        if (!drawGreen) return;
        if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) *result = CDRF_NOTIFYITEMDRAW;
        else if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) *result = CDRF_NOTIFYSUBITEMDRAW;
        else if (cd->nmcd.dwDrawStage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM) &&
                 static_cast<int>(cd->nmcd.dwItemSpec) == greenRow && cd->iSubItem == greenColumn) {
            CDC::FromHandle(cd->nmcd.hdc)->FillSolidRect(&cd->nmcd.rc, RGB(0, 255, 0));
            *result = CDRF_SKIPDEFAULT;
        }
    }
    void OnComboChange() { comboCodes.push_back(CBN_SELCHANGE); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Parent, CWnd)
ON_NOTIFY(LVN_ITEMCHANGED, kListId, OnItemChanged)
ON_NOTIFY(LVN_COLUMNCLICK, kListId, OnColumnClick)
ON_NOTIFY(NM_CLICK, kListId, OnClick)
ON_NOTIFY(NM_CUSTOMDRAW, kListId, OnCustomDraw)
ON_CBN_SELCHANGE(300, OnComboChange)
END_MESSAGE_MAP()

int CALLBACK_ByData(LPARAM a, LPARAM b, LPARAM descending) {
    const int r = a < b ? -1 : a > b ? 1 : 0;
    return descending ? -r : r;
}

class ListTest : public QtTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300), nullptr, 0));
        ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(5, 5, 395, 295), &parent, kListId));
        list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        list.InsertColumn(0, "\xC3\xFB\xB3\xC6", LVCFMT_LEFT, 100);  // 名称
        list.InsertColumn(1, "value", LVCFMT_RIGHT, 80);
        const char* names[] = {"c", "a", "d", "b"};
        for (int i = 0; i < 4; ++i) {
            list.InsertItem(i, names[i]);
            list.SetItemText(i, 1, std::to_string(i * 10).c_str());
            list.SetItemData(i, static_cast<DWORD_PTR>(names[i][0]));
        }
        ShowActive(parent.GetQWidget());
        parent.changes.clear();
    }
    std::vector<CString> Column(int c) {
        std::vector<CString> out;
        for (int i = 0; i < list.GetItemCount(); ++i) out.push_back(list.GetItemText(i, c));
        return out;
    }
    Parent parent;
    CListCtrl list;
};

TEST_F(ListTest, ItemsHoldTheirTextsAndData) {
    EXPECT_EQ(list.GetItemCount(), 4);
    EXPECT_EQ(list.GetItemText(2, 1), "20");
    EXPECT_EQ(list.GetItemText(2, 5), "");  // no such sub-item
    EXPECT_EQ(list.GetItemText(9, 0), "");
    EXPECT_EQ(list.InsertItem(99, "e"), 4);  // past the end: appended
    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_FALSE(list.DeleteItem(4));
    EXPECT_EQ(Column(0), (std::vector<CString>{"a", "d", "b", "e"}));
    char heading[8] = {};
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
    col.pszText = heading;
    col.cchTextMax = sizeof heading;
    ASSERT_TRUE(list.GetColumn(0, &col));
    EXPECT_STREQ(heading, "\xC3\xFB\xB3\xC6");
    EXPECT_EQ(col.cx, 100);
    EXPECT_FALSE(list.SetItemText(1, 0, "\x81"));  // not GBK
    EXPECT_EQ(list.GetItemText(1, 0), "d");
}

TEST_F(ListTest, SelectionIsToldAndFollowsItsItemsThroughSortAndDelete) {
    list.SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ASSERT_FALSE(parent.changes.empty());
    bool toldSelected = false;
    for (const NMLISTVIEW& n : parent.changes)
        toldSelected |= n.iItem == 2 && (n.uNewState & LVIS_SELECTED) && !(n.uOldState & LVIS_SELECTED);
    EXPECT_TRUE(toldSelected);
    list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list.GetSelectedCount(), 2u);
    ASSERT_TRUE(list.SortItems(CALLBACK_ByData, 0));
    EXPECT_EQ(Column(0), (std::vector<CString>{"a", "b", "c", "d"}));
    // "d" (was row 2) and "c" (was row 0) stay selected; "d" keeps the focus.
    std::vector<int> selected;
    for (POSITION p = list.GetFirstSelectedItemPosition(); p;) selected.push_back(list.GetNextSelectedItem(p));
    EXPECT_EQ(selected, (std::vector<int>{2, 3}));
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 3);
    list.DeleteItem(0);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 2);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);
    ASSERT_TRUE(list.SortItems(CALLBACK_ByData, 1));
    EXPECT_EQ(Column(0), (std::vector<CString>{"d", "c", "b"}));
}

TEST_F(ListTest, HitTestsFindTheCellWhoseRectangleHoldsThePoint) {
    for (int row = 0; row < 4; ++row) {
        for (int c = 0; c < 2; ++c) {
            CRect r;
            ASSERT_TRUE(list.GetSubItemRect(row, c, LVIR_LABEL, r));
            LVHITTESTINFO hit{};
            hit.pt = r.CenterPoint();
            EXPECT_EQ(list.SubItemHitTest(&hit), row);
            EXPECT_EQ(hit.iSubItem, c);
            EXPECT_TRUE(hit.flags & LVHT_ONITEM);
            // The last pixel inside belongs to the cell, the first one outside does not.
            hit.pt = CPoint(r.right - 1, r.bottom - 1);
            EXPECT_EQ(list.SubItemHitTest(&hit), row);
            EXPECT_EQ(hit.iSubItem, c);
        }
    }
    CRect whole, first;
    list.GetItemRect(1, &whole, LVIR_BOUNDS);
    list.GetSubItemRect(1, 0, LVIR_BOUNDS, first);
    EXPECT_EQ(first, whole);  // sub-item 0's bounds are the item's
    EXPECT_EQ(whole.Width(), 180);
    UINT flags = 0;
    EXPECT_EQ(list.HitTest(CPoint(10, 2), &flags), -1);  // on the header, above the items
    EXPECT_EQ(flags, static_cast<UINT>(LVHT_ABOVE));
    CRect last;
    list.GetItemRect(3, &last, LVIR_BOUNDS);
    EXPECT_EQ(list.HitTest(CPoint(10, last.bottom + 2), &flags), -1);
    EXPECT_EQ(flags, static_cast<UINT>(LVHT_NOWHERE));
}

TEST_F(ListTest, ClickingARowSelectsItAndTellsTheParentTheCell) {
    CRect r;
    list.GetSubItemRect(2, 1, LVIR_LABEL, r);
    CPoint at = r.CenterPoint();
    QTableView* v = static_cast<QTableView*>(list.GetQWidget());
    const QPoint onViewport = QPoint(at.x, at.y) + v->contentsRect().topLeft() - v->viewport()->mapTo(v, QPoint(0, 0));
    QTest::mouseClick(v->viewport(), Qt::LeftButton, Qt::NoModifier, onViewport);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 2);
    ASSERT_EQ(parent.clicks.size(), 1u);
    EXPECT_EQ(parent.clicks[0].iItem, 2);
    EXPECT_EQ(parent.clicks[0].iSubItem, 1);
}

TEST_F(ListTest, HeaderClickBecomesAColumnClick) {
    QHeaderView* h = static_cast<QTableView*>(list.GetQWidget())->horizontalHeader();
    const int x = h->sectionViewportPosition(1) + h->sectionSize(1) / 2;
    QTest::mouseClick(h->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, h->height() / 2));
    EXPECT_EQ(parent.columnClicks, (std::vector<int>{1}));
    CHeaderCtrl* header = list.GetHeaderCtrl();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->GetDlgCtrlID(), 0);
    EXPECT_EQ(header->GetParent(), &list);
    EXPECT_EQ(header->GetItemCount(), 2);
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    item.fmt = HDF_STRING | HDF_SORTUP;
    EXPECT_TRUE(header->SetItem(0, &item));
    item.fmt = HDF_STRING | HDF_SORTDOWN;
    EXPECT_TRUE(header->SetItem(1, &item));
    HDITEMA back{};
    back.mask = HDI_FORMAT;
    header->GetItem(0, &back);
    EXPECT_EQ(back.fmt & (HDF_SORTUP | HDF_SORTDOWN), HDF_SORTUP);
    header->GetItem(1, &back);
    EXPECT_EQ(back.fmt & (HDF_SORTUP | HDF_SORTDOWN), HDF_SORTDOWN);
    EXPECT_FALSE(header->SetItem(2, &item));
}

TEST_F(ListTest, CustomDrawPaintsTheCellItsHandlerAsksFor) {
    parent.drawGreen = true;
    CRect r, other;
    list.GetSubItemRect(1, 1, LVIR_LABEL, r);
    list.GetSubItemRect(2, 1, LVIR_LABEL, other);
    QTableView* v = static_cast<QTableView*>(list.GetQWidget());
    const QPoint origin = v->contentsRect().topLeft();
    EXPECT_EQ(PaintedColour(v, QPoint(r.CenterPoint().x, r.CenterPoint().y) + origin), RGB(0, 255, 0));
    EXPECT_NE(PaintedColour(v, QPoint(other.CenterPoint().x, other.CenterPoint().y) + origin), RGB(0, 255, 0));
}

TEST_F(QtTest, ComboBoxSortsSearchesAndTellsChoices) {
    Parent parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 100), nullptr, 0));
    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_SORT, CRect(5, 5, 150, 30), &parent, 300));
    EXPECT_EQ(combo.AddString("pipe"), 0);
    EXPECT_EQ(combo.AddString("Duct"), 0);  // case is ignored in the order
    EXPECT_EQ(combo.AddString("elbow"), 1);
    EXPECT_EQ(combo.AddString("\xB7\xE7\xB9\xDC"), 3);  // 风管: GBK bytes sort after ASCII
    EXPECT_EQ(combo.GetCount(), 4);
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);
    EXPECT_EQ(combo.FindStringExact(-1, "PIPE"), 2);
    EXPECT_EQ(combo.FindString(-1, "el"), 1);
    EXPECT_EQ(combo.FindString(1, "el"), 1);  // the search wraps round to the start
    EXPECT_EQ(combo.FindStringExact(-1, "pip"), CB_ERR);
    EXPECT_EQ(combo.SelectString(-1, "du"), 0);
    CString text;
    combo.GetLBText(3, text);
    EXPECT_EQ(text, "\xB7\xE7\xB9\xDC");
    EXPECT_EQ(combo.GetLBText(4, text), CB_ERR);
    EXPECT_EQ(combo.SetCurSel(7), CB_ERR);
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);
    EXPECT_TRUE(parent.comboCodes.empty());  // the program's own changes are not told
    ShowActive(parent.GetQWidget());
    combo.SetCurSel(0);
    combo.SetFocus();
    QTest::keyClick(combo.GetQWidget(), Qt::Key_Down);
    EXPECT_EQ(combo.GetCurSel(), 1);
    EXPECT_EQ(parent.comboCodes, (std::vector<UINT>{CBN_SELCHANGE}));
}

TEST_F(QtTest, DatePickerShowsThePlatformsPicture) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 100), nullptr, 0));
    CDateTimeCtrl date;
    ASSERT_TRUE(date.Create(WS_CHILD | WS_VISIBLE, CRect(5, 5, 180, 30), &parent, 301));
    ASSERT_TRUE(date.SetTime(COleDateTime(2024, 3, 5, 0, 0, 0)));
    ASSERT_TRUE(date.SetFormat("yyyy'\xC4\xEA'MM'\xD4\xC2'dd'\xC8\xD5'"));  // yyyy'年'MM'月'dd'日'
    CString shown;
    date.GetWindowText(shown);
    EXPECT_EQ(shown, "2024\xC4\xEA" "03\xD4\xC2" "05\xC8\xD5");
    COleDateTime back;
    ASSERT_TRUE(date.GetTime(back));
    EXPECT_EQ(back.GetYear(), 2024);
    EXPECT_EQ(back.GetMonth(), 3);
    EXPECT_EQ(back.GetDay(), 5);
    COleDateTime bad;
    bad.SetStatus(COleDateTime::invalid);
    EXPECT_FALSE(date.SetTime(bad));
    EXPECT_FALSE(date.SetTime(COleDateTime(1700, 1, 1, 0, 0, 0)));  // before the picker's range
}

TEST_F(QtTest, TooltipShowsAfterTheMouseRestsAndHidesOnAClick) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 100), nullptr, 0));
    CEdit field;
    ASSERT_TRUE(field.Create(WS_CHILD | WS_VISIBLE, CRect(5, 5, 180, 30), &parent, 302));
    ShowActive(parent.GetQWidget());
    CToolTipCtrl tip;
    ASSERT_TRUE(tip.Create(&parent));
    tip.SetDelayTime(TTDT_INITIAL, 20);
    ASSERT_TRUE(tip.AddTool(&field, "\xD7\xEE\xD0\xA1\xD6\xB5:0"));  // 最小值:0
    MSG move{field.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10), 0, {0, 0}};
    tip.RelayEvent(&move);
    EXPECT_TRUE(tip.GetShownText().IsEmpty());  // not before the delay
    QTest::qWait(80);
    EXPECT_EQ(tip.GetShownText(), "\xD7\xEE\xD0\xA1\xD6\xB5:0");
    EXPECT_EQ(QToolTip::text(), QString::fromUtf8("最小值:0"));
    MSG click{field.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10), 0, {0, 0}};
    tip.RelayEvent(&click);
    EXPECT_TRUE(tip.GetShownText().IsEmpty());
    tip.Activate(FALSE);
    tip.RelayEvent(&move);
    QTest::qWait(60);
    EXPECT_TRUE(tip.GetShownText().IsEmpty());
    MSG outside{field.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(500, 10), 0, {0, 0}};
    tip.Activate(TRUE);
    tip.RelayEvent(&outside);  // outside the tool: nothing pending
    QTest::qWait(60);
    EXPECT_TRUE(tip.GetShownText().IsEmpty());
}

}  // namespace
