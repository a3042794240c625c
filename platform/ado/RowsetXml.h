// The rowset XML persistence format (s:Schema, rs:data, z:row), read and written.
#pragma once

#include <string>
#include <vector>

#include "ado/AdoEnums.h"
#include "com/Variant.h"

namespace NUVADO {

struct RowsetColumn {
    std::string name;          // UTF-8
    DataTypeEnum type = adVarWChar;
    long definedSize = 0;
    long attributes = 0;
    unsigned char precision = 0, scale = 0;
    std::string baseTable, baseColumn;
    bool key = false, autoIncrement = false, nullable = true;
};

struct Rowset {
    std::vector<RowsetColumn> columns;
    std::vector<_variant_t> cells;  // rows × columns; VT_NULL for absent attributes
    std::size_t Rows() const { return columns.empty() ? 0 : cells.size() / columns.size(); }
};

// Reads a rowset XML document (UTF-8). Raises nothing: false with a reason on malformed input.
bool ReadRowsetXml(const std::string& xml, Rowset& out, std::string* error);
// Writes the document for the given rows (indices into out.cells / columns). False, naming the
// field and row, when a text cannot be written as XML 1.0 (a control character other than tab
// and line breaks, U+FFFE, U+FFFF, an unpaired surrogate, bytes that are not UTF-8): such text is
// refused, never written in a form readers reject or changed.
bool WriteRowsetXml(const Rowset& rowset, const std::vector<std::size_t>& rows, bool updatable, std::string& xml,
                    std::string* error = nullptr);

}  // namespace NUVADO
