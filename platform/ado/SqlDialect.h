// The desktop engine's SQL dialect made acceptable to SQLite. Texts, bracketed names and comments
// must pass untouched: only code outside them is rewritten.
#pragma once

#include <string>

namespace NUVADO::detail {

// #dates#, &, TRUE/FALSE, TOP n, the DDL type names and self-numbering columns.
std::string TranslateSql(const std::string& sql);

}  // namespace NUVADO::detail
