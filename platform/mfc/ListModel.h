// Internal to libnuvmfc: the items and columns of a list control (and of a header made on its
// own) as a Qt table model. Texts are kept as GBK, the platform's form, with their Qt form beside
// them for painting. Rows move as whole objects, so the selection and the focus follow their items
// through inserts, deletes and sorts.
#pragma once

#include <QAbstractTableModel>
#include <QPixmap>

#include <memory>
#include <vector>

#include "mfc/CommCtrl.h"
#include "win/CString.h"

class CImageList;

namespace NUVMfc::detail {

struct ListRow {
    std::vector<CString> texts;   // by column
    std::vector<QString> shown;
    int image = -1;
    LPARAM data = 0;
    UINT state = 0;  // the states other than selected and focused
    int indent = 0;
};

struct ListColumn {
    CString heading;
    QString shown;
    int format = LVCFMT_LEFT;      // the list's column format
    int subItem = 0;
    int image = -1;
    int headerFormat = HDF_STRING;  // the header item's format, sort marks included
    LPARAM headerParam = 0;
};

class ListModel : public QAbstractTableModel {
public:
    explicit ListModel(QObject* parent) : QAbstractTableModel(parent) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    bool InsertRow(int at, std::unique_ptr<ListRow> row);
    bool RemoveRow(int at);
    void RemoveAll();
    bool SetText(int row, int column, const CString& text);
    bool SetImage(int row, int image);
    int InsertColumn(int at, ListColumn column);
    bool RemoveColumn(int at);
    void ColumnChanged(int column);
    // Puts row order[i] at position i, keeping persistent indexes (selection, current item).
    void Reorder(const std::vector<int>& order);

    std::vector<ListColumn> columns;
    std::vector<std::unique_ptr<ListRow>> rows;
    CImageList* smallImages = nullptr;
    CImageList* headerImages = nullptr;
};

}  // namespace NUVMfc::detail
