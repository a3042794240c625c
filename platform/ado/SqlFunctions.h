// Functions of the desktop engine's SQL that SQLite lacks (Now, Date, UCase, IIf, Nz, Mid, Len,
// ...), registered on every connection. Left/Right/Mid/Len count characters, not bytes.
#pragma once

struct sqlite3;

namespace NUVADO::detail {

void RegisterFunctions(sqlite3* db);

}  // namespace NUVADO::detail
