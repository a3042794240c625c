// What a result column is as a field: its ADO type, size and attributes, worked out from the
// declared column type the desktop engine's DDL used ("TEXT(50)", "COUNTER", "CURRENCY", ...).
#pragma once

#include <string>

#include "ado/Ado.h"

namespace NUVADO::detail {

// Field description of a result column.
struct Column {
    std::string name;  // UTF-8
    std::u16string wname;
    DataTypeEnum type = adVarWChar;
    long definedSize = 255;
    long attributes = 0;
    unsigned char precision = 0, scale = 0;
    std::string baseTable, baseColumn;  // empty for expressions
    bool key = false, autoIncrement = false, nullable = true, rowidAlias = false;
    bool typed = false;  // type known from a declaration (else inferred from the values)
};

// Field type, size and attributes for a declared column type ("TEXT(50)", "COUNTER", ...).
void DescribeDeclaredType(const std::string& declared, Column& c);
// The variant tag a field of this type holds.
VARTYPE VariantTypeOf(DataTypeEnum t);
bool IsLongType(DataTypeEnum t);

}  // namespace NUVADO::detail
