#include "ado/SqlFunctions.h"

#include <sqlcipher/sqlite3.h>

#include "ado/TextConvert.h"
#include "com/OleDateTime.h"

namespace NUVADO::detail {

namespace {

// Functions of the desktop engine's SQL that SQLite does not have.
void SqlNow(sqlite3_context* ctx, int, sqlite3_value**) {
    COleDateTime t = COleDateTime::GetCurrentTime();
    std::string s = t.Format("%Y-%m-%d %H:%M:%S").str();
    sqlite3_result_text(ctx, s.c_str(), -1, SQLITE_TRANSIENT);
}

void SqlDate(sqlite3_context* ctx, int, sqlite3_value**) {
    COleDateTime t = COleDateTime::GetCurrentTime();
    std::string s = t.Format("%Y-%m-%d 00:00:00").str();
    sqlite3_result_text(ctx, s.c_str(), -1, SQLITE_TRANSIENT);
}

void SqlUcase(sqlite3_context* ctx, int, sqlite3_value** v) {
    const unsigned char* s = sqlite3_value_text(v[0]);
    if (!s) return sqlite3_result_null(ctx);
    std::string out(reinterpret_cast<const char*>(s));
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    sqlite3_result_text(ctx, out.c_str(), -1, SQLITE_TRANSIENT);
}

void SqlLcase(sqlite3_context* ctx, int, sqlite3_value** v) {
    const unsigned char* s = sqlite3_value_text(v[0]);
    if (!s) return sqlite3_result_null(ctx);
    std::string out(reinterpret_cast<const char*>(s));
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    sqlite3_result_text(ctx, out.c_str(), -1, SQLITE_TRANSIENT);
}

void SqlIif(sqlite3_context* ctx, int, sqlite3_value** v) {
    bool cond = sqlite3_value_type(v[0]) != SQLITE_NULL && sqlite3_value_double(v[0]) != 0;
    sqlite3_result_value(ctx, v[cond ? 1 : 2]);
}

void SqlNz(sqlite3_context* ctx, int argc, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) != SQLITE_NULL) return sqlite3_result_value(ctx, v[0]);
    if (argc > 1) return sqlite3_result_value(ctx, v[1]);
    sqlite3_result_int(ctx, 0);
}

// Characters of a UTF-8 text: for Left/Right/Mid/Len, which count characters, not bytes.
std::u16string Chars(sqlite3_value* v) {
    const unsigned char* s = sqlite3_value_text(v);
    return s ? NUVWin::Utf8ToUtf16(reinterpret_cast<const char*>(s)) : std::u16string();
}

void ResultChars(sqlite3_context* ctx, std::u16string_view w) {
    std::string s = NUVWin::Utf16ToUtf8(w);
    sqlite3_result_text(ctx, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

void SqlLeft(sqlite3_context* ctx, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    std::u16string w = Chars(v[0]);
    auto n = static_cast<std::size_t>(std::max(0, sqlite3_value_int(v[1])));
    ResultChars(ctx, std::u16string_view(w).substr(0, n));
}

void SqlRight(sqlite3_context* ctx, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    std::u16string w = Chars(v[0]);
    auto n = std::min(w.size(), static_cast<std::size_t>(std::max(0, sqlite3_value_int(v[1]))));
    ResultChars(ctx, std::u16string_view(w).substr(w.size() - n));
}

void SqlMid(sqlite3_context* ctx, int argc, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    std::u16string w = Chars(v[0]);
    auto start = static_cast<std::size_t>(std::max(1, sqlite3_value_int(v[1])) - 1);
    std::size_t n = argc > 2 ? static_cast<std::size_t>(std::max(0, sqlite3_value_int(v[2]))) : std::u16string::npos;
    ResultChars(ctx, start < w.size() ? std::u16string_view(w).substr(start, n) : std::u16string_view());
}

void SqlLen(sqlite3_context* ctx, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    sqlite3_result_int(ctx, static_cast<int>(Chars(v[0]).size()));
}

}  // namespace

void RegisterFunctions(sqlite3* db) {
    struct F {
        const char* name;
        int args;
        void (*fn)(sqlite3_context*, int, sqlite3_value**);
    } fns[] = {{"Now", 0, SqlNow},     {"Date", 0, SqlDate},   {"UCase", 1, SqlUcase}, {"LCase", 1, SqlLcase},
               {"IIf", 3, SqlIif},     {"Nz", 1, SqlNz},       {"Nz", 2, SqlNz},       {"NUV_LEFT", 2, SqlLeft},
               {"NUV_RIGHT", 2, SqlRight}, {"Mid", 2, SqlMid},     {"Mid", 3, SqlMid},     {"Len", 1, SqlLen}};
    for (const F& f : fns) sqlite3_create_function(db, f.name, f.args, SQLITE_UTF8, nullptr, f.fn, nullptr, nullptr);
}

}  // namespace NUVADO::detail
