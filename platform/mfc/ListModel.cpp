// The list model. Sort marks are arrows drawn here once and shown as the header item's
// decoration, so several columns can show theirs at the same time.
#include "mfc/ListModel.h"

#include <QPainter>

#include "mfc/ImageList.h"
#include "mfc/Text.h"

namespace NUVMfc::detail {
namespace {

QPixmap Arrow(bool up) {
    QPixmap p(9, 6);
    p.fill(Qt::transparent);
    QPainter painter(&p);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(96, 96, 96));
    QPolygonF tri;
    if (up) tri << QPointF(0, 6) << QPointF(9, 6) << QPointF(4.5, 0);
    else tri << QPointF(0, 0) << QPointF(9, 0) << QPointF(4.5, 6);
    painter.drawPolygon(tri);
    return p;
}

Qt::Alignment Align(int format) {
    switch (format & LVCFMT_JUSTIFYMASK) {
        case LVCFMT_RIGHT: return Qt::AlignRight | Qt::AlignVCenter;
        case LVCFMT_CENTER: return Qt::AlignHCenter | Qt::AlignVCenter;
        default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

}  // namespace

int ListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(rows.size()); }
int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows.size())) return QVariant();
    const ListRow& r = *rows[static_cast<std::size_t>(index.row())];
    const auto col = static_cast<std::size_t>(index.column());
    switch (role) {
        case Qt::DisplayRole:
            return col < r.shown.size() ? r.shown[col] : QString();
        case Qt::DecorationRole:
            if (col == 0 && r.image >= 0 && smallImages) {
                if (const QPixmap* p = smallImages->Pixmap(r.image)) return *p;
            }
            return QVariant();
        case Qt::TextAlignmentRole:
            return col < columns.size() ? QVariant(static_cast<int>(Align(columns[col].format))) : QVariant();
        default:
            return QVariant();
    }
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(columns.size())) return QVariant();
    const ListColumn& c = columns[static_cast<std::size_t>(section)];
    switch (role) {
        case Qt::DisplayRole:
            return c.shown;
        case Qt::DecorationRole: {
            static const QPixmap up = Arrow(true), down = Arrow(false);
            if (c.headerFormat & HDF_SORTUP) return up;
            if (c.headerFormat & HDF_SORTDOWN) return down;
            if ((c.headerFormat & HDF_IMAGE) && headerImages) {
                if (const QPixmap* p = headerImages->Pixmap(c.image)) return *p;
            }
            return QVariant();
        }
        case Qt::TextAlignmentRole:
            return static_cast<int>(Align(c.headerFormat & HDF_JUSTIFYMASK));
        default:
            return QVariant();
    }
}

bool ListModel::InsertRow(int at, std::unique_ptr<ListRow> row) {
    if (at < 0 || at > static_cast<int>(rows.size())) return false;
    row->texts.resize(std::max(row->texts.size(), columns.size()));
    row->shown.resize(row->texts.size());
    for (std::size_t i = 0; i < row->texts.size(); ++i) ToQString(row->texts[i].str(), row->shown[i]);
    beginInsertRows(QModelIndex(), at, at);
    rows.insert(rows.begin() + at, std::move(row));
    endInsertRows();
    return true;
}

bool ListModel::RemoveRow(int at) {
    if (at < 0 || at >= static_cast<int>(rows.size())) return false;
    beginRemoveRows(QModelIndex(), at, at);
    rows.erase(rows.begin() + at);
    endRemoveRows();
    return true;
}

void ListModel::RemoveAll() {
    beginResetModel();
    rows.clear();
    endResetModel();
}

bool ListModel::SetText(int row, int column, const CString& text) {
    if (row < 0 || row >= static_cast<int>(rows.size()) || column < 0) return false;
    QString q;
    if (!ToQString(text.str(), q)) return false;
    ListRow& r = *rows[static_cast<std::size_t>(row)];
    const auto col = static_cast<std::size_t>(column);
    if (col >= r.texts.size()) {
        r.texts.resize(col + 1);
        r.shown.resize(col + 1);
    }
    r.texts[col] = text;
    r.shown[col] = q;
    if (column < static_cast<int>(columns.size())) emit dataChanged(index(row, column), index(row, column));
    return true;
}

bool ListModel::SetImage(int row, int image) {
    if (row < 0 || row >= static_cast<int>(rows.size())) return false;
    rows[static_cast<std::size_t>(row)]->image = image;
    if (!columns.empty()) emit dataChanged(index(row, 0), index(row, 0));
    return true;
}

int ListModel::InsertColumn(int at, ListColumn column) {
    at = std::clamp(at, 0, static_cast<int>(columns.size()));
    ToQString(column.heading.str(), column.shown);
    beginInsertColumns(QModelIndex(), at, at);
    columns.insert(columns.begin() + at, std::move(column));
    for (auto& r : rows) {
        if (static_cast<int>(r->texts.size()) >= at) {
            r->texts.insert(r->texts.begin() + at, CString());
            r->shown.insert(r->shown.begin() + at, QString());
        }
    }
    endInsertColumns();
    return at;
}

bool ListModel::RemoveColumn(int at) {
    if (at < 0 || at >= static_cast<int>(columns.size())) return false;
    beginRemoveColumns(QModelIndex(), at, at);
    columns.erase(columns.begin() + at);
    for (auto& r : rows) {
        if (static_cast<int>(r->texts.size()) > at) {
            r->texts.erase(r->texts.begin() + at);
            r->shown.erase(r->shown.begin() + at);
        }
    }
    endRemoveColumns();
    return true;
}

void ListModel::ColumnChanged(int column) {
    if (column < 0 || column >= static_cast<int>(columns.size())) return;
    ToQString(columns[static_cast<std::size_t>(column)].heading.str(), columns[static_cast<std::size_t>(column)].shown);
    emit headerDataChanged(Qt::Horizontal, column, column);
    if (!rows.empty()) emit dataChanged(index(0, column), index(static_cast<int>(rows.size()) - 1, column));
}

void ListModel::Reorder(const std::vector<int>& order) {
    if (order.size() != rows.size()) return;
    emit layoutAboutToBeChanged();
    std::vector<int> newPlace(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) newPlace[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
    std::vector<std::unique_ptr<ListRow>> moved(rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) moved[i] = std::move(rows[static_cast<std::size_t>(order[i])]);
    rows = std::move(moved);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& i : before) after.push_back(index(newPlace[static_cast<std::size_t>(i.row())], i.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

}  // namespace NUVMfc::detail
