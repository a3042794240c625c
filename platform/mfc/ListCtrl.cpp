// The list control and header classes on QTableView and QHeaderView, the custom-draw delegate,
// and CListCtrl / CHeaderCtrl. The header is a window of its own (class "SysHeader32", the
// list's child, identifier 0) whose notifications the list turns into its own (LVN_COLUMNCLICK).
#include "mfc/ListCtrl.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>

#include <algorithm>
#include <numeric>

#include "mfc/ImageList.h"
#include "mfc/ListModel.h"
#include "mfc/MfcInternal.h"
#include "mfc/Text.h"

namespace NUVMfc::detail {
namespace {

// What a list keeps beside its widget; lives with the widget.
struct ListData : QObject {
    explicit ListData(QObject* owner) : QObject(owner) {}
    ListModel* model = nullptr;
    DWORD exStyle = 0;
    CImageList* images[3] = {nullptr, nullptr, nullptr};
    LRESULT prepaint = CDRF_DODEFAULT;  // the answer to this paint's CDDS_PREPAINT
    int paintRow = -1;
    LRESULT rowAnswer = CDRF_DODEFAULT;
    COLORREF rowText = 0, rowBack = 0;
    int selectionMark = -1;
    int quiet = 0;  // no LVN_ITEMCHANGED while the layer moves rows
    COLORREF textColour = GetSysColor(COLOR_WINDOWTEXT);
    COLORREF textBack = GetSysColor(COLOR_WINDOW);
    COLORREF back = GetSysColor(COLOR_WINDOW);
};

ListData* DataOf(WindowRecord* rec) { return rec ? static_cast<ListData*>(rec->classData) : nullptr; }

QTableView* View(const WindowRecord* rec) { return rec ? qobject_cast<QTableView*>(rec->widget.data()) : nullptr; }

// Where the viewport's (0, 0) lies in the list's client coordinates.
QPoint ViewportInClient(QTableView* v) { return v->viewport()->mapTo(v, QPoint(0, 0)) - ClientOrigin(v); }

RECT ToRect(const QRect& r) { return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

// A cell's whole rectangle on the viewport, grid line included, as the platform measures it.
QRect CellRect(QTableView* v, int row, int column) {
    return QRect(v->columnViewportPosition(column), v->rowViewportPosition(row), v->columnWidth(column), v->rowHeight(row));
}

UINT CdStates(QTableView* v, int row) {
    UINT s = 0;
    if (v->selectionModel()->isRowSelected(row, QModelIndex())) s |= CDIS_SELECTED;
    if (v->currentIndex().row() == row && v->hasFocus()) s |= CDIS_FOCUS;
    return s;
}

LRESULT CustomDraw(WindowRecord* rec, NMLVCUSTOMDRAW& cd) {
    cd.nmcd.hdr.code = NM_CUSTOMDRAW;
    return NotifyParent(rec, &cd.nmcd.hdr);
}

class Delegate : public QStyledItemDelegate {
public:
    Delegate(HWND list, QObject* owner) : QStyledItemDelegate(owner), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem opt(option);
        opt.state &= ~QStyle::State_HasFocus;  // the platform marks the focused row, not a cell
        WindowRecord* rec = Find(list_);
        ListData* d = DataOf(rec);
        QTableView* v = View(rec);
        if (!d || !v || !(d->prepaint & CDRF_NOTIFYITEMDRAW)) {
            QStyledItemDelegate::paint(painter, opt, index);
            return;
        }
        const int row = index.row(), col = index.column();
        const QPoint shift = ViewportInClient(v);
        CDC dc;
        dc.AttachPainter(painter, -shift.x(), -shift.y(), opt.font);
        NMLVCUSTOMDRAW cd{};
        cd.nmcd.hdc = dc.m_hDC;
        cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
        cd.nmcd.uItemState = CdStates(v, row);
        cd.nmcd.lItemlParam = d->model->rows[static_cast<std::size_t>(row)]->data;
        if (row != d->paintRow) {
            d->paintRow = row;
            cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
            cd.nmcd.rc = ToRect(CellRect(v, row, col).translated(shift));
            cd.clrText = d->textColour, cd.clrTextBk = d->textBack;
            d->rowAnswer = CustomDraw(rec, cd);
            d->rowText = cd.clrText, d->rowBack = cd.clrTextBk;
            if (!Find(list_)) return;
        }
        COLORREF text = d->rowText, back = d->rowBack;
        LRESULT answer = d->rowAnswer;
        if (answer & CDRF_SKIPDEFAULT) return;
        if (answer & CDRF_NOTIFYSUBITEMDRAW) {
            cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
            cd.nmcd.rc = ToRect(CellRect(v, row, col).translated(shift));
            cd.iSubItem = col;
            cd.clrText = text, cd.clrTextBk = back;
            answer = CustomDraw(rec, cd);
            if (!Find(list_) || (answer & CDRF_SKIPDEFAULT)) return;
            text = cd.clrText, back = cd.clrTextBk;
        }
        if (back != d->textBack && !(opt.state & QStyle::State_Selected)) painter->fillRect(opt.rect, ToQColor(back));
        if (text != d->textColour) opt.palette.setColor(QPalette::Text, ToQColor(text));
        QStyledItemDelegate::paint(painter, opt, index);
    }

private:
    HWND list_;
};

LRESULT NotifyListView(WindowRecord* rec, UINT code, int item, int subItem, UINT newState = 0, UINT oldState = 0,
                       UINT changed = 0, POINT at = POINT{0, 0}) {
    NMLISTVIEW nm{};
    nm.hdr.code = code;
    nm.iItem = item;
    nm.iSubItem = subItem;
    nm.uNewState = newState;
    nm.uOldState = oldState;
    nm.uChanged = changed;
    nm.ptAction = at;
    if (ListData* d = DataOf(rec); d && item >= 0 && item < static_cast<int>(d->model->rows.size()))
        nm.lParam = d->model->rows[static_cast<std::size_t>(item)]->data;
    return NotifyParent(rec, &nm.hdr);
}

void ApplyListStyle(WindowRecord& rec) {
    QTableView* v = View(&rec);
    ListData* d = DataOf(&rec);
    if (!v || !d) return;
    v->setSelectionMode((rec.style & LVS_SINGLESEL) ? QAbstractItemView::SingleSelection
                                                    : QAbstractItemView::ExtendedSelection);
    v->setShowGrid(d->exStyle & LVS_EX_GRIDLINES);
    v->horizontalHeader()->setVisible(!(rec.style & LVS_NOCOLUMNHEADER));
    v->horizontalHeader()->setSectionsClickable(!(rec.style & LVS_NOSORTHEADER));
    v->horizontalHeader()->setSectionsMovable(d->exStyle & LVS_EX_HEADERDRAGDROP);
}

int HitRow(WindowRecord* rec, POINT p, int* column, UINT* flags) {
    QTableView* v = View(rec);
    if (!v) return -1;
    const QPoint shift = ViewportInClient(v);
    const QPoint at(p.x - shift.x(), p.y - shift.y());
    UINT f = LVHT_NOWHERE;
    int row = -1;
    if (at.y() < 0) f = LVHT_ABOVE;
    else if (at.y() >= v->viewport()->height()) f = LVHT_BELOW;
    else if (at.x() < 0) f = LVHT_TOLEFT;
    else if (at.x() >= v->viewport()->width()) f = LVHT_TORIGHT;
    else {
        const QModelIndex i = v->indexAt(at);
        if (i.isValid()) {
            row = i.row();
            if (column) *column = i.column();
            f = LVHT_ONITEMLABEL;
            const ListData* d = DataOf(rec);
            if (i.column() == 0 && d && d->images[LVSIL_SMALL] && d->model->rows[static_cast<std::size_t>(row)]->image >= 0) {
                int cx = 0, cy = 0;
                d->images[LVSIL_SMALL]->GetImageSize(cx, cy);
                if (at.x() - v->visualRect(i).left() < cx + 4) f = LVHT_ONITEMICON;
            }
        }
    }
    if (flags) *flags = f;
    if (row < 0 && column) *column = -1;
    return row;
}

class ListClass : public WindowClass {
public:
    const char* Name() const override { return WC_LISTVIEW; }
    CWnd* MakeWrapper() const override { return new CListCtrl; }

    QWidget* Make(DWORD, DWORD exStyle, QWidget* parent) const override {
        auto* v = new QTableView(parent);
        auto* model = new ListModel(v);
        v->setModel(model);
        v->verticalHeader()->hide();
        v->setSelectionBehavior(QAbstractItemView::SelectRows);
        v->setEditTriggers(QAbstractItemView::NoEditTriggers);
        v->setWordWrap(false);
        v->setTabKeyNavigation(false);
        v->setCornerButtonEnabled(false);
        v->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        v->setFrameShape(exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE) ? QFrame::StyledPanel : QFrame::Box);
        QHeaderView* h = v->horizontalHeader();
        h->setHighlightSections(false);
        h->setSortIndicatorShown(false);
        h->setStretchLastSection(false);
        h->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        // A header click is the program's to answer (sorting); it never selects a column.
        QObject::disconnect(h, SIGNAL(sectionPressed(int)), v, SLOT(selectColumn(int)));
        QObject::disconnect(h, SIGNAL(sectionEntered(int)), v, SLOT(_q_selectColumn(int)));
        const int rowHeight = QFontMetrics(v->font()).height() + 5;
        v->verticalHeader()->setMinimumSectionSize(rowHeight);
        v->verticalHeader()->setDefaultSectionSize(rowHeight);
        return v;
    }

    bool Fits(const QWidget* w) const override { return qobject_cast<const QTableView*>(w) != nullptr; }

    std::vector<QWidget*> EventWidgets(QWidget* w) const override {
        return {static_cast<QTableView*>(w)->viewport()};
    }

    void Wire(WindowRecord& rec) const override;

    void Release(WindowRecord& rec) const override { rec.classData = nullptr; }

    void ApplyStyle(WindowRecord& rec, DWORD) const override { ApplyListStyle(rec); }

    void BeforePaint(WindowRecord& rec) const override {
        ListData* d = DataOf(&rec);
        QTableView* v = View(&rec);
        if (!d || !v) return;
        d->paintRow = -1;
        NMLVCUSTOMDRAW cd{};
        CDC dc;
        cd.nmcd.hdc = dc.m_hDC;
        cd.nmcd.dwDrawStage = CDDS_PREPAINT;
        cd.nmcd.rc = ToRect(QRect(QPoint(0, 0), v->contentsRect().size()));
        cd.clrText = d->textColour, cd.clrTextBk = d->textBack;
        const HWND h = rec.handle;
        const LRESULT answer = CustomDraw(&rec, cd);
        if ((d = DataOf(Find(h)))) d->prepaint = answer;
    }

    void AfterDefault(WindowRecord& rec, UINT message, WPARAM, LPARAM lParam) const override {
        UINT code = 0;
        if (message == WM_LBUTTONUP) code = NM_CLICK;
        else if (message == WM_LBUTTONDBLCLK) code = NM_DBLCLK;
        else if (message == WM_RBUTTONUP) code = NM_RCLICK;
        else if (message == WM_SETFOCUS) code = NM_SETFOCUS;
        else if (message == WM_KILLFOCUS) code = NM_KILLFOCUS;
        if (!code) return;
        NMITEMACTIVATE nm{};
        nm.hdr.code = code;
        nm.iItem = -1;
        if (code == NM_CLICK || code == NM_DBLCLK || code == NM_RCLICK) {
            nm.ptAction = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            nm.iItem = HitRow(&rec, nm.ptAction, &nm.iSubItem, nullptr);
        }
        NotifyParent(&rec, &nm.hdr);
    }

    bool Proc(WindowRecord& rec, UINT message, WPARAM, LPARAM lParam, LRESULT& result) const override {
        if (message == WM_GETDLGCODE) {
            result = DLGC_WANTARROWS | DLGC_WANTCHARS;
            return true;
        }
        if (message == WM_NOTIFY) {
            auto* nm = reinterpret_cast<NMHEADERA*>(lParam);
            if (nm && nm->hdr.code == HDN_ITEMCLICKA) NotifyListView(&rec, LVN_COLUMNCLICK, -1, nm->iItem);
            return true;
        }
        return false;
    }

    UINT ColourRequest(const WindowRecord&) const override { return 0; }
};

const ListClass g_listClass;

void ListClass::Wire(WindowRecord& rec) const {
    QTableView* v = View(&rec);
    auto* d = new ListData(v);
    d->model = static_cast<ListModel*>(v->model());
    d->exStyle = 0;
    rec.classData = d;
    const HWND h = rec.handle;
    v->setItemDelegate(new Delegate(h, v));
    ApplyListStyle(rec);
    // The header is a child window of the list.
    CreateRecord(v->horizontalHeader(), FindClass(WC_HEADER), WS_CHILD | WS_VISIBLE | HDS_BUTTONS | HDS_HORZ, 0, 0);
    QItemSelectionModel* sel = v->selectionModel();
    QObject::connect(sel, &QItemSelectionModel::selectionChanged, rec.hook,
                     [h](const QItemSelection& on, const QItemSelection& off) {
                         WindowRecord* r = Find(h);
                         ListData* data = DataOf(r);
                         if (!data || data->quiet) return;
                         QTableView* view = View(r);
                         const int focused = view->currentIndex().row();
                         auto rowsOf = [](const QItemSelection& s) {
                             std::vector<int> rows;
                             for (const QItemSelectionRange& range : s) {
                                 for (int i = range.top(); i <= range.bottom(); ++i) rows.push_back(i);
                             }
                             std::sort(rows.begin(), rows.end());
                             rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
                             return rows;
                         };
                         for (int row : rowsOf(off)) {
                             const UINT f = row == focused ? LVIS_FOCUSED : 0;
                             NotifyListView(r, LVN_ITEMCHANGED, row, 0, f, f | LVIS_SELECTED, LVIF_STATE);
                             if (!(r = Find(h))) return;
                         }
                         for (int row : rowsOf(on)) {
                             const UINT f = row == focused ? LVIS_FOCUSED : 0;
                             NotifyListView(r, LVN_ITEMCHANGED, row, 0, f | LVIS_SELECTED, f, LVIF_STATE);
                             if (!(r = Find(h))) return;
                         }
                     });
    QObject::connect(sel, &QItemSelectionModel::currentRowChanged, rec.hook,
                     [h](const QModelIndex& now, const QModelIndex& before) {
                         WindowRecord* r = Find(h);
                         ListData* data = DataOf(r);
                         if (!data || data->quiet) return;
                         QItemSelectionModel* s = View(r)->selectionModel();
                         if (before.isValid()) {
                             const UINT selected = s->isRowSelected(before.row(), QModelIndex()) ? LVIS_SELECTED : 0;
                             NotifyListView(r, LVN_ITEMCHANGED, before.row(), 0, selected, selected | LVIS_FOCUSED, LVIF_STATE);
                             if (!(r = Find(h))) return;
                         }
                         if (now.isValid()) {
                             const UINT selected = s->isRowSelected(now.row(), QModelIndex()) ? LVIS_SELECTED : 0;
                             NotifyListView(r, LVN_ITEMCHANGED, now.row(), 0, selected | LVIS_FOCUSED, selected, LVIF_STATE);
                         }
                     });
    // Scrolling is told to the list as the platform's scroll messages.
    QObject::connect(v->verticalScrollBar(), &QScrollBar::valueChanged, rec.hook, [h](int value) {
        if (WindowRecord* r = Find(h)) Dispatch(r, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, value), 0);
    });
    QObject::connect(v->horizontalScrollBar(), &QScrollBar::valueChanged, rec.hook, [h](int value) {
        if (WindowRecord* r = Find(h)) Dispatch(r, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, value), 0);
    });
}

// The header class.
class HeaderClass : public WindowClass {
public:
    const char* Name() const override { return WC_HEADER; }
    CWnd* MakeWrapper() const override { return new CHeaderCtrl; }
    QWidget* Make(DWORD style, DWORD, QWidget* parent) const override {
        auto* h = new QHeaderView(Qt::Horizontal, parent);
        h->setModel(new ListModel(h));
        h->setSectionsClickable(style & HDS_BUTTONS);
        h->setSectionsMovable(style & HDS_DRAGDROP);
        h->setHighlightSections(style & HDS_HOTTRACK);
        h->setVisible(!(style & HDS_HIDDEN));
        return h;
    }
    bool Fits(const QWidget* w) const override { return qobject_cast<const QHeaderView*>(w) != nullptr; }
    std::vector<QWidget*> EventWidgets(QWidget* w) const override { return {static_cast<QHeaderView*>(w)->viewport()}; }
    void Wire(WindowRecord& rec) const override {
        auto* header = static_cast<QHeaderView*>(rec.widget.data());
        const HWND h = rec.handle;
        QObject::connect(header, &QHeaderView::sectionClicked, rec.hook, [h](int section) {
            WindowRecord* r = Find(h);
            if (!r) return;
            NMHEADERA nm{};
            nm.hdr.code = HDN_ITEMCLICKA;
            nm.iItem = section;
            nm.iButton = 0;
            NotifyParent(r, &nm.hdr);
        });
        QObject::connect(header, &QHeaderView::sectionResized, rec.hook, [h](int section, int, int size) {
            WindowRecord* r = Find(h);
            if (!r) return;
            HDITEMA item{};
            item.mask = HDI_WIDTH;
            item.cxy = size;
            NMHEADERA nm{};
            nm.hdr.code = HDN_ITEMCHANGEDA;
            nm.iItem = section;
            nm.pitem = &item;
            NotifyParent(r, &nm.hdr);
        });
        QObject::connect(header, &QHeaderView::sectionMoved, rec.hook, [h](int section, int, int) {
            WindowRecord* r = Find(h);
            if (!r) return;
            NMHEADERA nm{};
            nm.hdr.code = HDN_ENDDRAG;
            nm.iItem = section;
            NotifyParent(r, &nm.hdr);
        });
    }
    void ApplyStyle(WindowRecord& rec, DWORD) const override {
        auto* header = static_cast<QHeaderView*>(rec.widget.data());
        header->setSectionsClickable(rec.style & HDS_BUTTONS);
        header->setSectionsMovable(rec.style & HDS_DRAGDROP);
        header->setHighlightSections(rec.style & HDS_HOTTRACK);
    }
};

const HeaderClass g_headerClass;
const bool g_registered = (RegisterClass(&g_listClass), RegisterClass(&g_headerClass), true);

}  // namespace

// For CListCtrl and CHeaderCtrl below.
struct ListAccess {
    static WindowRecord* Rec(const CWnd* w) { return Find(w->m_hWnd); }
    static QTableView* V(const CWnd* w) { return View(Rec(w)); }
    static ListData* D(const CWnd* w) { return DataOf(Rec(w)); }
    static ListModel* M(const CWnd* w) {
        ListData* d = D(w);
        return d ? d->model : nullptr;
    }
};

}  // namespace NUVMfc::detail

using NUVMfc::detail::ListAccess;
using NUVMfc::detail::ListColumn;
using NUVMfc::detail::ListModel;
using NUVMfc::detail::ListRow;

namespace {

bool ValidRow(const ListModel* m, int row) { return m && row >= 0 && row < static_cast<int>(m->rows.size()); }

struct Quiet {
    explicit Quiet(NUVMfc::detail::ListData* d) : d_(d) {
        if (d_) ++d_->quiet;
    }
    ~Quiet() {
        if (d_) --d_->quiet;
    }
    NUVMfc::detail::ListData* d_;
};

}  // namespace

BOOL CListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT nID) {
    return CWnd::Create(WC_LISTVIEW, nullptr, style, rect, parent, nID);
}

int CListCtrl::InsertColumn(int column, const LVCOLUMNA* info) {
    ListModel* m = ListAccess::M(this);
    QTableView* v = ListAccess::V(this);
    if (!m || !info) return -1;
    ListColumn c;
    if ((info->mask & LVCF_TEXT) && info->pszText) c.heading = info->pszText;
    if (info->mask & LVCF_FMT) c.format = info->fmt;
    c.subItem = (info->mask & LVCF_SUBITEM) ? info->iSubItem : column;
    if (info->mask & LVCF_IMAGE) c.image = info->iImage;
    c.headerFormat = HDF_STRING | (c.format & LVCFMT_JUSTIFYMASK);
    QString check;
    if (!NUVMfc::ToQString(c.heading.str(), check)) return -1;
    const int at = m->InsertColumn(column, c);
    if ((info->mask & LVCF_WIDTH) && info->cx >= 0) v->horizontalHeader()->resizeSection(at, info->cx);
    else v->resizeColumnToContents(at);
    return at;
}

int CListCtrl::InsertColumn(int column, LPCSTR heading, int format, int width, int subItem) {
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT | LVCF_FMT | (width >= 0 ? LVCF_WIDTH : 0) | (subItem >= 0 ? LVCF_SUBITEM : 0);
    c.pszText = const_cast<LPSTR>(heading ? heading : "");
    c.fmt = format;
    c.cx = width;
    c.iSubItem = subItem;
    return InsertColumn(column, &c);
}

BOOL CListCtrl::DeleteColumn(int column) {
    ListModel* m = ListAccess::M(this);
    return m && m->RemoveColumn(column);
}

BOOL CListCtrl::GetColumn(int column, LVCOLUMNA* info) const {
    ListModel* m = ListAccess::M(this);
    if (!m || !info || column < 0 || column >= static_cast<int>(m->columns.size())) return FALSE;
    const ListColumn& c = m->columns[static_cast<std::size_t>(column)];
    if (info->mask & LVCF_FMT) info->fmt = c.format;
    if (info->mask & LVCF_WIDTH) info->cx = GetColumnWidth(column);
    if (info->mask & LVCF_SUBITEM) info->iSubItem = c.subItem;
    if (info->mask & LVCF_IMAGE) info->iImage = c.image;
    if (info->mask & LVCF_ORDER) info->iOrder = ListAccess::V(this)->horizontalHeader()->visualIndex(column);
    if ((info->mask & LVCF_TEXT) && info->pszText && info->cchTextMax > 0) {
        const int n = std::min(c.heading.GetLength(), info->cchTextMax - 1);
        std::memcpy(info->pszText, c.heading.GetString(), static_cast<std::size_t>(n));
        info->pszText[n] = '\0';
    }
    return TRUE;
}

BOOL CListCtrl::SetColumn(int column, const LVCOLUMNA* info) {
    ListModel* m = ListAccess::M(this);
    if (!m || !info || column < 0 || column >= static_cast<int>(m->columns.size())) return FALSE;
    ListColumn& c = m->columns[static_cast<std::size_t>(column)];
    if ((info->mask & LVCF_TEXT) && info->pszText) {
        QString check;
        if (!NUVMfc::ToQString(info->pszText, check)) return FALSE;
        c.heading = info->pszText;
    }
    if (info->mask & LVCF_FMT) {
        c.format = info->fmt;
        c.headerFormat = (c.headerFormat & ~HDF_JUSTIFYMASK) | (info->fmt & LVCFMT_JUSTIFYMASK);
    }
    if (info->mask & LVCF_SUBITEM) c.subItem = info->iSubItem;
    if (info->mask & LVCF_IMAGE) c.image = info->iImage;
    m->ColumnChanged(column);
    if (info->mask & LVCF_WIDTH) SetColumnWidth(column, info->cx);
    return TRUE;
}

int CListCtrl::GetColumnWidth(int column) const {
    QTableView* v = ListAccess::V(this);
    return v && column >= 0 && column < v->model()->columnCount() ? v->columnWidth(column) : 0;
}

BOOL CListCtrl::SetColumnWidth(int column, int cx) {
    QTableView* v = ListAccess::V(this);
    if (!v || column < 0 || column >= v->model()->columnCount()) return FALSE;
    if (cx == LVSCW_AUTOSIZE || cx == LVSCW_AUTOSIZE_USEHEADER) v->resizeColumnToContents(column);
    else v->setColumnWidth(column, std::max(0, cx));
    return TRUE;
}

BOOL CListCtrl::GetColumnOrderArray(LPINT order, int count) const {
    QTableView* v = ListAccess::V(this);
    if (!v || !order) return FALSE;
    const int n = v->model()->columnCount();
    if (count < 0) count = n;
    if (count != n) return FALSE;
    for (int visual = 0; visual < n; ++visual) order[visual] = v->horizontalHeader()->logicalIndex(visual);
    return TRUE;
}

BOOL CListCtrl::SetColumnOrderArray(int count, LPINT order) {
    QTableView* v = ListAccess::V(this);
    if (!v || !order || count != v->model()->columnCount()) return FALSE;
    QHeaderView* h = v->horizontalHeader();
    for (int visual = 0; visual < count; ++visual) h->moveSection(h->visualIndex(order[visual]), visual);
    return TRUE;
}

CHeaderCtrl* CListCtrl::GetHeaderCtrl() const {
    QTableView* v = ListAccess::V(this);
    if (!v) return nullptr;
    return static_cast<CHeaderCtrl*>(CWnd::FromHandle(CWnd::HandleOf(v->horizontalHeader())));
}

int CListCtrl::InsertItem(const LVITEMA* item) {
    ListModel* m = ListAccess::M(this);
    if (!m || !item || item->iSubItem != 0) return -1;
    auto row = std::make_unique<ListRow>();
    row->texts.resize(std::max<std::size_t>(1, m->columns.size()));
    if ((item->mask & LVIF_TEXT) && item->pszText && item->pszText != LPSTR_TEXTCALLBACK) {
        QString check;
        if (!NUVMfc::ToQString(item->pszText, check)) return -1;
        row->texts[0] = item->pszText;
    }
    if (item->mask & LVIF_IMAGE) row->image = item->iImage;
    if (item->mask & LVIF_PARAM) row->data = item->lParam;
    if (item->mask & LVIF_INDENT) row->indent = item->iIndent;
    const int at = std::clamp(item->iItem, 0, static_cast<int>(m->rows.size()));
    if (!m->InsertRow(at, std::move(row))) return -1;
    if (item->mask & LVIF_STATE) SetItemState(at, item->state, item->stateMask);
    if (auto* rec = ListAccess::Rec(this)) NUVMfc::detail::NotifyListView(rec, LVN_INSERTITEM, at, 0);
    return at;
}

int CListCtrl::InsertItem(int index, LPCSTR text) { return InsertItem(LVIF_TEXT, index, text, 0, 0, 0, 0); }
int CListCtrl::InsertItem(int index, LPCSTR text, int image) {
    return InsertItem(LVIF_TEXT | LVIF_IMAGE, index, text, 0, 0, image, 0);
}

int CListCtrl::InsertItem(UINT mask, int index, LPCSTR text, UINT state, UINT stateMask, int image, LPARAM param) {
    LVITEMA item{};
    item.mask = mask;
    item.iItem = index;
    item.pszText = const_cast<LPSTR>(text);
    item.state = state;
    item.stateMask = stateMask;
    item.iImage = image;
    item.lParam = param;
    return InsertItem(&item);
}

BOOL CListCtrl::DeleteItem(int index) {
    ListModel* m = ListAccess::M(this);
    if (!ValidRow(m, index)) return FALSE;
    const HWND h = m_hWnd;
    NUVMfc::detail::NotifyListView(ListAccess::Rec(this), LVN_DELETEITEM, index, 0);
    if (!::IsWindow(h) || !ValidRow(m, index)) return FALSE;
    return m->RemoveRow(index);
}

BOOL CListCtrl::DeleteAllItems() {
    ListModel* m = ListAccess::M(this);
    if (!m) return FALSE;
    NUVMfc::detail::NotifyListView(ListAccess::Rec(this), LVN_DELETEALLITEMS, -1, 0);
    if (!(m = ListAccess::M(this))) return FALSE;
    m->RemoveAll();
    return TRUE;
}

int CListCtrl::GetItemCount() const {
    ListModel* m = ListAccess::M(this);
    return m ? static_cast<int>(m->rows.size()) : 0;
}

BOOL CListCtrl::SetItemCount(int) { return ListAccess::M(this) != nullptr; }

BOOL CListCtrl::GetItem(LVITEMA* item) const {
    ListModel* m = ListAccess::M(this);
    if (!item || !ValidRow(m, item->iItem) || item->iSubItem < 0) return FALSE;
    const ListRow& r = *m->rows[static_cast<std::size_t>(item->iItem)];
    if ((item->mask & LVIF_TEXT) && item->pszText && item->cchTextMax > 0) {
        const CString t = item->iSubItem < static_cast<int>(r.texts.size()) ? r.texts[static_cast<std::size_t>(item->iSubItem)] : CString();
        const int n = std::min(t.GetLength(), item->cchTextMax - 1);
        std::memcpy(item->pszText, t.GetString(), static_cast<std::size_t>(n));
        item->pszText[n] = '\0';
    }
    if (item->mask & LVIF_IMAGE) item->iImage = r.image;
    if (item->mask & LVIF_PARAM) item->lParam = r.data;
    if (item->mask & LVIF_INDENT) item->iIndent = r.indent;
    if (item->mask & LVIF_STATE) item->state = GetItemState(item->iItem, item->stateMask);
    return TRUE;
}

BOOL CListCtrl::SetItem(const LVITEMA* item) {
    ListModel* m = ListAccess::M(this);
    if (!item || !ValidRow(m, item->iItem) || item->iSubItem < 0) return FALSE;
    if ((item->mask & LVIF_TEXT) && item->pszText && !m->SetText(item->iItem, item->iSubItem, item->pszText)) return FALSE;
    if (item->mask & LVIF_IMAGE) m->SetImage(item->iItem, item->iImage);
    if (item->mask & LVIF_PARAM) m->rows[static_cast<std::size_t>(item->iItem)]->data = item->lParam;
    if (item->mask & LVIF_INDENT) m->rows[static_cast<std::size_t>(item->iItem)]->indent = item->iIndent;
    if (item->mask & LVIF_STATE) SetItemState(item->iItem, item->state, item->stateMask);
    return TRUE;
}

BOOL CListCtrl::SetItem(int index, int subItem, UINT mask, LPCSTR text, int image, UINT state, UINT stateMask,
                        LPARAM param) {
    LVITEMA item{};
    item.mask = mask;
    item.iItem = index;
    item.iSubItem = subItem;
    item.pszText = const_cast<LPSTR>(text);
    item.iImage = image;
    item.state = state;
    item.stateMask = stateMask;
    item.lParam = param;
    return SetItem(&item);
}

BOOL CListCtrl::SetItemText(int index, int subItem, LPCSTR text) {
    ListModel* m = ListAccess::M(this);
    return ValidRow(m, index) && m->SetText(index, subItem, text ? text : "");
}

CString CListCtrl::GetItemText(int index, int subItem) const {
    ListModel* m = ListAccess::M(this);
    if (!ValidRow(m, index) || subItem < 0) return CString();
    const ListRow& r = *m->rows[static_cast<std::size_t>(index)];
    return subItem < static_cast<int>(r.texts.size()) ? r.texts[static_cast<std::size_t>(subItem)] : CString();
}

int CListCtrl::GetItemText(int index, int subItem, LPSTR buffer, int length) const {
    if (!buffer || length <= 0) return 0;
    const CString t = GetItemText(index, subItem);
    const int n = std::min(t.GetLength(), length - 1);
    std::memcpy(buffer, t.GetString(), static_cast<std::size_t>(n));
    buffer[n] = '\0';
    return n;
}

BOOL CListCtrl::SetItemData(int index, DWORD_PTR data) {
    ListModel* m = ListAccess::M(this);
    if (!ValidRow(m, index)) return FALSE;
    m->rows[static_cast<std::size_t>(index)]->data = static_cast<LPARAM>(data);
    return TRUE;
}

DWORD_PTR CListCtrl::GetItemData(int index) const {
    ListModel* m = ListAccess::M(this);
    return ValidRow(m, index) ? static_cast<DWORD_PTR>(m->rows[static_cast<std::size_t>(index)]->data) : 0;
}

BOOL CListCtrl::SetItemState(int index, UINT state, UINT mask) {
    ListModel* m = ListAccess::M(this);
    QTableView* v = ListAccess::V(this);
    if (!m || !v) return FALSE;
    if (index == -1) {
        for (int i = 0; i < static_cast<int>(m->rows.size()); ++i) SetItemState(i, state, mask);
        return TRUE;
    }
    if (!ValidRow(m, index)) return FALSE;
    QItemSelectionModel* sel = v->selectionModel();
    const QModelIndex first = m->index(index, 0);
    if (mask & LVIS_FOCUSED) {
        if (state & LVIS_FOCUSED) {
            const int column = v->currentIndex().isValid() ? v->currentIndex().column() : 0;
            sel->setCurrentIndex(m->index(index, std::max(0, column)), QItemSelectionModel::NoUpdate);
        } else if (v->currentIndex().row() == index) {
            sel->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        }
    }
    if (mask & LVIS_SELECTED) {
        if ((state & LVIS_SELECTED) && (GetStyle() & LVS_SINGLESEL))
            sel->select(first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        else
            sel->select(first, ((state & LVIS_SELECTED) ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                                   QItemSelectionModel::Rows);
    }
    const UINT others = mask & ~(LVIS_SELECTED | LVIS_FOCUSED);
    ListRow& r = *m->rows[static_cast<std::size_t>(index)];
    r.state = (r.state & ~others) | (state & others);
    return TRUE;
}

UINT CListCtrl::GetItemState(int index, UINT mask) const {
    ListModel* m = ListAccess::M(this);
    QTableView* v = ListAccess::V(this);
    if (!ValidRow(m, index) || !v) return 0;
    UINT s = m->rows[static_cast<std::size_t>(index)]->state;
    if (v->selectionModel()->isRowSelected(index, QModelIndex())) s |= LVIS_SELECTED;
    if (v->currentIndex().isValid() && v->currentIndex().row() == index) s |= LVIS_FOCUSED;
    return s & mask;
}

UINT CListCtrl::GetSelectedCount() const {
    QTableView* v = ListAccess::V(this);
    return v ? static_cast<UINT>(v->selectionModel()->selectedRows().size()) : 0;
}

POSITION CListCtrl::GetFirstSelectedItemPosition() const {
    const int first = GetNextItem(-1, LVNI_SELECTED);
    return first < 0 ? nullptr : reinterpret_cast<POSITION>(static_cast<std::uintptr_t>(first + 1));
}

int CListCtrl::GetNextSelectedItem(POSITION& position) const {
    const int row = static_cast<int>(reinterpret_cast<std::uintptr_t>(position)) - 1;
    const int next = GetNextItem(row, LVNI_SELECTED);
    position = next < 0 ? nullptr : reinterpret_cast<POSITION>(static_cast<std::uintptr_t>(next + 1));
    return row;
}

int CListCtrl::GetNextItem(int start, int flags) const {
    const int n = GetItemCount();
    const bool up = flags & LVNI_ABOVE;
    UINT want = 0;
    if (flags & LVNI_SELECTED) want |= LVIS_SELECTED;
    if (flags & LVNI_FOCUSED) want |= LVIS_FOCUSED;
    for (int i = up ? start - 1 : start + 1; i >= 0 && i < n; i += up ? -1 : 1) {
        if ((GetItemState(i, want) & want) == want) return i;
    }
    return -1;
}

int CListCtrl::GetSelectionMark() const {
    auto* d = ListAccess::D(this);
    return d ? d->selectionMark : -1;
}

int CListCtrl::SetSelectionMark(int index) {
    auto* d = ListAccess::D(this);
    if (!d) return -1;
    const int old = d->selectionMark;
    d->selectionMark = index;
    return old;
}

BOOL CListCtrl::SortItems(PFNLVCOMPARE compare, DWORD_PTR data) {
    ListModel* m = ListAccess::M(this);
    if (!m || !compare) return FALSE;
    std::vector<int> order(m->rows.size());
    std::iota(order.begin(), order.end(), 0);
    // A merge sort: it stays sound even when the comparison is not a strict order.
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return compare(m->rows[static_cast<std::size_t>(a)]->data, m->rows[static_cast<std::size_t>(b)]->data,
                       static_cast<LPARAM>(data)) < 0;
    });
    Quiet quiet(ListAccess::D(this));
    m->Reorder(order);
    return TRUE;
}

BOOL CListCtrl::GetItemRect(int index, LPRECT rect, UINT code) const {
    ListModel* m = ListAccess::M(this);
    QTableView* v = ListAccess::V(this);
    if (!ValidRow(m, index) || !v || !rect || m->columns.empty()) return FALSE;
    const QPoint shift = NUVMfc::detail::ViewportInClient(v);
    QRect r = NUVMfc::detail::CellRect(v, index, 0);
    if (code == LVIR_BOUNDS || code == LVIR_SELECTBOUNDS) {
        for (int c = 1; c < static_cast<int>(m->columns.size()); ++c) r = r.united(NUVMfc::detail::CellRect(v, index, c));
    }
    *rect = NUVMfc::detail::ToRect(r.translated(shift));
    return TRUE;
}

BOOL CListCtrl::GetSubItemRect(int index, int subItem, int code, CRect& rect) const {
    ListModel* m = ListAccess::M(this);
    QTableView* v = ListAccess::V(this);
    if (!ValidRow(m, index) || !v || subItem < 0 || subItem >= static_cast<int>(m->columns.size())) return FALSE;
    // Sub-item 0's bounds are the whole item's, as the platform answers.
    if (subItem == 0 && code == LVIR_BOUNDS) return GetItemRect(index, &rect, LVIR_BOUNDS);
    rect = CRect(NUVMfc::detail::ToRect(
        NUVMfc::detail::CellRect(v, index, subItem).translated(NUVMfc::detail::ViewportInClient(v))));
    return TRUE;
}

int CListCtrl::HitTest(CPoint point, UINT* flags) const {
    return NUVMfc::detail::HitRow(ListAccess::Rec(this), point, nullptr, flags);
}

int CListCtrl::HitTest(LVHITTESTINFO* info) const {
    if (!info) return -1;
    info->iItem = NUVMfc::detail::HitRow(ListAccess::Rec(this), info->pt, nullptr, &info->flags);
    return info->iItem;
}

int CListCtrl::SubItemHitTest(LVHITTESTINFO* info) {
    if (!info) return -1;
    info->iItem = NUVMfc::detail::HitRow(ListAccess::Rec(this), info->pt, &info->iSubItem, &info->flags);
    return info->iItem;
}

BOOL CListCtrl::EnsureVisible(int index, BOOL) {
    ListModel* m = ListAccess::M(this);
    QTableView* v = ListAccess::V(this);
    if (!ValidRow(m, index) || !v || m->columns.empty()) return FALSE;
    const int column = v->currentIndex().isValid() ? v->currentIndex().column() : 0;
    v->scrollTo(m->index(index, column));
    return TRUE;
}

BOOL CListCtrl::Scroll(CSize size) {
    QTableView* v = ListAccess::V(this);
    if (!v) return FALSE;
    v->horizontalScrollBar()->setValue(v->horizontalScrollBar()->value() + size.cx);
    const int rowHeight = std::max(1, v->verticalHeader()->defaultSectionSize());
    v->verticalScrollBar()->setValue(v->verticalScrollBar()->value() + size.cy / rowHeight);
    return TRUE;
}

int CListCtrl::GetTopIndex() const {
    QTableView* v = ListAccess::V(this);
    return v ? std::max(0, v->rowAt(0)) : 0;
}

int CListCtrl::GetCountPerPage() const {
    QTableView* v = ListAccess::V(this);
    if (!v) return 0;
    return v->viewport()->height() / std::max(1, v->verticalHeader()->defaultSectionSize());
}

BOOL CListCtrl::RedrawItems(int first, int last) {
    QTableView* v = ListAccess::V(this);
    ListModel* m = ListAccess::M(this);
    if (!v || !m) return FALSE;
    for (int i = std::max(0, first); i <= last && i < static_cast<int>(m->rows.size()); ++i) {
        for (int c = 0; c < static_cast<int>(m->columns.size()); ++c) v->update(m->index(i, c));
    }
    return TRUE;
}

BOOL CListCtrl::Update(int index) { return RedrawItems(index, index); }

int CListCtrl::GetStringWidth(LPCSTR text) const {
    QTableView* v = ListAccess::V(this);
    QString q;
    if (!v || !text || !NUVMfc::ToQString(text, q)) return 0;
    return QFontMetrics(v->font()).horizontalAdvance(q);
}

DWORD CListCtrl::SetExtendedStyle(DWORD exStyle) {
    auto* d = ListAccess::D(this);
    if (!d) return 0;
    const DWORD old = d->exStyle;
    d->exStyle = exStyle;
    NUVMfc::detail::ApplyListStyle(*ListAccess::Rec(this));
    return old;
}

DWORD CListCtrl::GetExtendedStyle() const {
    auto* d = ListAccess::D(this);
    return d ? d->exStyle : 0;
}

CImageList* CListCtrl::SetImageList(CImageList* images, int which) {
    auto* d = ListAccess::D(this);
    if (!d || which < 0 || which > 2) return nullptr;
    CImageList* old = d->images[which];
    d->images[which] = images;
    if (which == LVSIL_SMALL) d->model->smallImages = images;
    if (QTableView* v = ListAccess::V(this)) v->viewport()->update();
    return old;
}

CImageList* CListCtrl::GetImageList(int which) const {
    auto* d = ListAccess::D(this);
    return d && which >= 0 && which <= 2 ? d->images[which] : nullptr;
}

BOOL CListCtrl::SetBkColor(COLORREF colour) {
    auto* d = ListAccess::D(this);
    if (!d) return FALSE;
    d->back = colour;
    NUVMfc::detail::SetPaletteColours(ListAccess::V(this), {{QPalette::Base, colour}});
    return TRUE;
}
COLORREF CListCtrl::GetBkColor() const {
    auto* d = ListAccess::D(this);
    return d ? d->back : CLR_INVALID;
}
BOOL CListCtrl::SetTextColor(COLORREF colour) {
    auto* d = ListAccess::D(this);
    if (!d) return FALSE;
    d->textColour = colour;
    NUVMfc::detail::SetPaletteColours(ListAccess::V(this), {{QPalette::Text, colour}});
    return TRUE;
}
COLORREF CListCtrl::GetTextColor() const {
    auto* d = ListAccess::D(this);
    return d ? d->textColour : CLR_INVALID;
}
BOOL CListCtrl::SetTextBkColor(COLORREF colour) {
    auto* d = ListAccess::D(this);
    if (!d) return FALSE;
    d->textBack = colour;
    if (QTableView* v = ListAccess::V(this)) v->viewport()->update();
    return TRUE;
}
COLORREF CListCtrl::GetTextBkColor() const {
    auto* d = ListAccess::D(this);
    return d ? d->textBack : CLR_INVALID;
}

// CHeaderCtrl.

namespace {

QHeaderView* HeaderView(const CWnd* w) { return qobject_cast<QHeaderView*>(w->GetQWidget()); }

ListModel* HeaderModel(const CWnd* w) {
    QHeaderView* h = HeaderView(w);
    return h ? dynamic_cast<ListModel*>(h->model()) : nullptr;
}

bool ValidColumn(const ListModel* m, int c) { return m && c >= 0 && c < static_cast<int>(m->columns.size()); }

}  // namespace

BOOL CHeaderCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT nID) {
    return CWnd::Create(WC_HEADER, nullptr, style, rect, parent, nID);
}

int CHeaderCtrl::GetItemCount() const {
    ListModel* m = HeaderModel(this);
    return m ? static_cast<int>(m->columns.size()) : -1;
}

BOOL CHeaderCtrl::GetItem(int index, HDITEMA* item) const {
    ListModel* m = HeaderModel(this);
    if (!item || !ValidColumn(m, index)) return FALSE;
    const ListColumn& c = m->columns[static_cast<std::size_t>(index)];
    if (item->mask & HDI_WIDTH) item->cxy = HeaderView(this)->sectionSize(index);
    if (item->mask & HDI_FORMAT) item->fmt = c.headerFormat;
    if (item->mask & HDI_LPARAM) item->lParam = c.headerParam;
    if (item->mask & HDI_IMAGE) item->iImage = c.image;
    if (item->mask & HDI_ORDER) item->iOrder = HeaderView(this)->visualIndex(index);
    if ((item->mask & HDI_TEXT) && item->pszText && item->cchTextMax > 0) {
        const int n = std::min(c.heading.GetLength(), item->cchTextMax - 1);
        std::memcpy(item->pszText, c.heading.GetString(), static_cast<std::size_t>(n));
        item->pszText[n] = '\0';
    }
    return TRUE;
}

BOOL CHeaderCtrl::SetItem(int index, HDITEMA* item) {
    ListModel* m = HeaderModel(this);
    if (!item || !ValidColumn(m, index)) return FALSE;
    ListColumn& c = m->columns[static_cast<std::size_t>(index)];
    if ((item->mask & HDI_TEXT) && item->pszText) {
        QString check;
        if (!NUVMfc::ToQString(item->pszText, check)) return FALSE;
        c.heading = item->pszText;
    }
    if (item->mask & HDI_FORMAT) {
        c.headerFormat = item->fmt;
        HeaderView(this)->setSectionResizeMode(index, (item->fmt & HDF_FIXEDWIDTH) ? QHeaderView::Fixed
                                                                                    : QHeaderView::Interactive);
    }
    if (item->mask & HDI_LPARAM) c.headerParam = item->lParam;
    if (item->mask & HDI_IMAGE) c.image = item->iImage;
    m->ColumnChanged(index);
    if (item->mask & HDI_WIDTH) HeaderView(this)->resizeSection(index, std::max(0, item->cxy));
    if (item->mask & HDI_ORDER) HeaderView(this)->moveSection(HeaderView(this)->visualIndex(index), item->iOrder);
    HeaderView(this)->viewport()->update();
    return TRUE;
}

int CHeaderCtrl::InsertItem(int index, HDITEMA* item) {
    ListModel* m = HeaderModel(this);
    if (!m || !item) return -1;
    ListColumn c;
    if ((item->mask & HDI_TEXT) && item->pszText) c.heading = item->pszText;
    if (item->mask & HDI_FORMAT) c.headerFormat = item->fmt;
    if (item->mask & HDI_LPARAM) c.headerParam = item->lParam;
    const int at = m->InsertColumn(index, c);
    if (item->mask & HDI_WIDTH) HeaderView(this)->resizeSection(at, std::max(0, item->cxy));
    return at;
}

BOOL CHeaderCtrl::DeleteItem(int index) {
    ListModel* m = HeaderModel(this);
    return m && m->RemoveColumn(index);
}

BOOL CHeaderCtrl::GetItemRect(int index, LPRECT rect) const {
    QHeaderView* h = HeaderView(this);
    ListModel* m = HeaderModel(this);
    if (!h || !rect || !ValidColumn(m, index) || h->isSectionHidden(index)) return FALSE;
    const int x = h->sectionViewportPosition(index);
    *rect = RECT{x, 0, x + h->sectionSize(index), h->height()};
    return TRUE;
}

int CHeaderCtrl::HitTest(HDHITTESTINFO* info) const {
    QHeaderView* h = HeaderView(this);
    if (!h || !info) return -1;
    const int section = h->logicalIndexAt(info->pt.x);
    if (info->pt.y < 0 || info->pt.y >= h->height() || section < 0) {
        info->flags = HHT_NOWHERE;
        info->iItem = -1;
        return -1;
    }
    const int right = h->sectionViewportPosition(section) + h->sectionSize(section);
    info->flags = std::abs(info->pt.x - right) <= 3 ? HHT_ONDIVIDER : HHT_ONHEADER;
    info->iItem = section;
    return section;
}

BOOL CHeaderCtrl::GetOrderArray(LPINT order, int count) const {
    QHeaderView* h = HeaderView(this);
    if (!h || !order || count != h->count()) return FALSE;
    for (int visual = 0; visual < count; ++visual) order[visual] = h->logicalIndex(visual);
    return TRUE;
}

BOOL CHeaderCtrl::SetOrderArray(int count, LPINT order) {
    QHeaderView* h = HeaderView(this);
    if (!h || !order || count != h->count()) return FALSE;
    for (int visual = 0; visual < count; ++visual) h->moveSection(h->visualIndex(order[visual]), visual);
    return TRUE;
}

int CHeaderCtrl::OrderToIndex(int order) const {
    QHeaderView* h = HeaderView(this);
    return h ? h->logicalIndex(order) : -1;
}

CImageList* CHeaderCtrl::SetImageList(CImageList* images) {
    ListModel* m = HeaderModel(this);
    if (!m) return nullptr;
    CImageList* old = m->headerImages;
    m->headerImages = images;
    return old;
}

CImageList* CHeaderCtrl::GetImageList() const {
    ListModel* m = HeaderModel(this);
    return m ? m->headerImages : nullptr;
}
