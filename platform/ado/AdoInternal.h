// Shared pieces of the ADO layer's implementation: text conversions, raising errors, the
// database handle and the column descriptions shared by record sets, XML and commands.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ado/Ado.h"

struct sqlite3;
struct sqlite3_stmt;

namespace NUVADO::detail {

inline constexpr const char* kEngineSource = "Microsoft JET Database Engine";
inline constexpr const char* kRecordsetSource = "ADODB.Recordset";
inline constexpr const char* kFieldSource = "ADODB.Field";
inline constexpr const char* kFieldsSource = "ADODB.Fields";
inline constexpr const char* kConnectionSource = "ADODB.Connection";
inline constexpr const char* kCommandSource = "ADODB.Command";
inline constexpr const char* kParameterSource = "ADODB.Parameter";

// UTF-8 <-> UTF-16 without the locale machinery (row data crosses here for every cell).
std::u16string Utf8To16(std::string_view s);
void AppendUtf16As8(std::string& out, const char16_t* s, std::size_t n);
inline std::string Utf16To8(std::u16string_view s) {
    std::string out;
    AppendUtf16As8(out, s.data(), s.size());
    return out;
}
// A BSTR from UTF-8 text.
BSTR AllocBstr(std::string_view utf8);
std::string BstrToUtf8(const _bstr_t& s);
std::string VariantTextUtf8(const VARIANT& v);  // the value as text (VariantChangeType rules)

// A name quoted for SQL ("a""b").
std::string Ident(const std::string& name);

// Raises _com_error with a UTF-8 description (converted for the error object).
[[noreturn]] void Raise(unsigned hr, const std::string& description, const char* source);
// The ADO messages for the common layer errors.
[[noreturn]] void RaiseClosed(const char* source);
[[noreturn]] void RaiseNoCurrentRecord();
[[noreturn]] void RaiseNotSupported(const std::string& what);
[[noreturn]] void RaiseBadArgument(const char* source);
[[noreturn]] void RaiseItemNotFound(const std::string& name);

// One open database file.
struct Database {
    sqlite3* db = nullptr;
    std::string path;        // as given (GBK), for messages
    std::string nativePath;  // on disk
    bool readOnly = false;
    int transactionDepth = 0;
    ~Database();

    // Raises the engine error for the last failure of this database.
    [[noreturn]] void RaiseEngine(int rc, const std::string& sql) const;
    // Runs SQL without results; raises on failure.
    void Exec(const std::string& sql) const;
};

// A prepared statement that finalizes itself.
struct Statement {
    sqlite3_stmt* stmt = nullptr;
    Statement() = default;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();
};

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

// The desktop engine's SQL made acceptable to SQLite: #dates#, &, TRUE/FALSE, TOP n, the DDL type
// names. Texts, bracketed names and comments pass untouched.
std::string TranslateSql(const std::string& sql);

// Catalogue of stored procedures ("named, parameterised queries").
inline constexpr const char* kProcedureTable = "NUV_Procedures";
// Handles CREATE PROCEDURE / DROP PROCEDURE statements; false when the text is not one.
bool ExecuteProcedureDdl(Database& db, const std::string& sql);
// The SQL of a stored procedure with its parameters as ?1..?n; false when no such procedure.
bool LookupProcedure(Database& db, const std::string& name, std::string& sql);

// Binds a value to a statement parameter as the engine stores it for this field type.
void BindValue(sqlite3_stmt* st, int index, const VARIANT& v, DataTypeEnum type);

}  // namespace NUVADO::detail
