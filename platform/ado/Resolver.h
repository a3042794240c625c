// What the text of a command or a record set's source names, and the SQL that reads it: a stored
// procedure, a table or view (read whole), or SQL as written. Record sets and commands resolve
// with this one rule, so the same text means the same thing to both.
#pragma once

#include <string>

#include "ado/Database.h"

namespace NUVADO::detail {

// commandType: adCmdTable/adCmdTableDirect (a table or view, which must exist), adCmdStoredProc
// (a procedure, else a table or view), adCmdUnknown (a single name that is a procedure, table or
// view, else SQL), anything else SQL as written. Raises DB_E_NOTABLE for a name that is none.
std::string ResolveSource(Database& db, const std::string& text, long commandType);

}  // namespace NUVADO::detail
