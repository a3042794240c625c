#include "ado/FieldTypes.h"

#include "ado/SqlWords.h"

namespace NUVADO::detail {

void DescribeDeclaredType(const std::string& declared, Column& c) {
    std::string d = Upper(declared);
    std::size_t paren = d.find('(');
    std::string base = d.substr(0, paren);
    while (!base.empty() && base.back() == ' ') base.pop_back();
    long n1 = -1, n2 = -1;
    if (paren != std::string::npos) std::sscanf(d.c_str() + paren, "(%ld , %ld", &n1, &n2);
    c.typed = true;
    c.precision = 0;
    c.scale = 0;
    auto is = [&](std::initializer_list<const char*> names) {
        for (const char* n : names)
            if (base == n) return true;
        return false;
    };
    auto fixed = [&](DataTypeEnum t, long size, unsigned char precision) {
        c.type = t;
        c.definedSize = size;
        c.precision = precision;
        c.attributes |= adFldFixed;
    };
    if (is({"COUNTER", "AUTOINCREMENT", "IDENTITY"})) {
        fixed(adInteger, 4, 10);
        c.autoIncrement = true;
    } else if (is({"LONG", "INTEGER", "INT", "INTEGER4", "INT4", "MEDIUMINT"})) {
        fixed(adInteger, 4, 10);
    } else if (is({"SHORT", "SMALLINT", "INTEGER2", "INT2"})) {
        fixed(adSmallInt, 2, 5);
    } else if (is({"BYTE", "TINYINT", "INTEGER1", "UNSIGNED BYTE"})) {
        fixed(adUnsignedTinyInt, 1, 3);
    } else if (is({"BIGINT", "INTEGER8", "INT8"})) {
        fixed(adBigInt, 8, 19);
    } else if (is({"SINGLE", "REAL", "FLOAT4", "IEEESINGLE"})) {
        fixed(adSingle, 4, 7);
    } else if (is({"DOUBLE", "FLOAT", "FLOAT8", "IEEEDOUBLE", "NUMBER", "DOUBLE PRECISION"})) {
        fixed(adDouble, 8, 15);
    } else if (is({"CURRENCY", "MONEY"})) {
        fixed(adCurrency, 8, 19);
    } else if (is({"DATETIME", "DATE", "TIME", "TIMESTAMP"})) {
        fixed(adDate, 8, 0);
    } else if (is({"BIT", "YESNO", "LOGICAL", "LOGICAL1", "BOOLEAN", "BOOL"})) {
        fixed(adBoolean, 2, 0);
    } else if (is({"DECIMAL", "NUMERIC", "DEC"})) {
        fixed(adNumeric, 19, static_cast<unsigned char>(n1 > 0 && n1 <= 28 ? n1 : 18));
        c.scale = static_cast<unsigned char>(n2 > 0 && n2 <= 28 ? n2 : 0);
    } else if (is({"GUID", "UNIQUEIDENTIFIER"})) {
        fixed(adGUID, 16, 0);
    } else if (is({"MEMO", "LONGTEXT", "LONGCHAR", "NOTE", "NTEXT", "CLOB"})) {
        c.type = adLongVarWChar;
        c.definedSize = 536870910;
        c.attributes |= adFldLong | adFldMayDefer;
    } else if (is({"LONGBINARY", "OLEOBJECT", "IMAGE", "GENERAL", "BLOB"})) {
        c.type = adLongVarBinary;
        c.definedSize = 1073741823;
        c.attributes |= adFldLong | adFldMayDefer;
    } else if (is({"BINARY", "VARBINARY"})) {
        c.type = adVarBinary;
        c.definedSize = n1 > 0 ? n1 : 510;
    } else if (is({"TEXT", "VARCHAR", "CHAR", "CHARACTER", "NVARCHAR", "NCHAR", "STRING", "ALPHANUMERIC",
                   "CHARACTER VARYING", "NATIONAL CHARACTER", "VARYING CHARACTER"})) {
        c.type = (base == "CHAR" || base == "NCHAR" || base == "CHARACTER") ? adWChar : adVarWChar;
        c.definedSize = n1 > 0 ? n1 : 255;
        if (c.type == adWChar) c.attributes |= adFldFixed;
    } else {
        // Unknown declarations: what SQLite's own affinity rules would store.
        c.typed = false;
        if (d.find("INT") != std::string::npos) fixed(adInteger, 4, 10), c.typed = true;
        else if (d.find("CHAR") != std::string::npos || d.find("TEXT") != std::string::npos || d.find("CLOB") != std::string::npos) {
            c.type = adVarWChar;
            c.definedSize = 255;
            c.typed = true;
        } else if (d.find("REAL") != std::string::npos || d.find("FLOA") != std::string::npos || d.find("DOUB") != std::string::npos)
            fixed(adDouble, 8, 15), c.typed = true;
    }
}

VARTYPE VariantTypeOf(DataTypeEnum t) {
    switch (t) {
    case adSmallInt: return VT_I2;
    case adInteger: return VT_I4;
    case adSingle: return VT_R4;
    case adDouble: return VT_R8;
    case adCurrency: return VT_CY;
    case adDate: case adDBDate: case adDBTime: case adDBTimeStamp: return VT_DATE;
    case adBoolean: return VT_BOOL;
    case adDecimal: case adNumeric: return VT_DECIMAL;
    case adTinyInt: return VT_I1;
    case adUnsignedTinyInt: return VT_UI1;
    case adUnsignedSmallInt: return VT_UI2;
    case adUnsignedInt: return VT_UI4;
    case adBigInt: return VT_I8;
    case adUnsignedBigInt: return VT_UI8;
    case adBinary: case adVarBinary: case adLongVarBinary: return static_cast<VARTYPE>(VT_ARRAY | VT_UI1);
    case adVariant: return VT_VARIANT;
    default: return VT_BSTR;
    }
}

bool IsLongType(DataTypeEnum t) { return t == adLongVarWChar || t == adLongVarChar || t == adLongVarBinary; }

}  // namespace NUVADO::detail
