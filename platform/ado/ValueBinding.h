// Values going into statements: a variant bound as the engine stores it for the field's type
// (dates as ISO text, currency and decimals exactly). Readers rely on these stored forms.
#pragma once

#include <string>

#include "ado/Ado.h"

struct sqlite3_stmt;

namespace NUVADO::detail {

// Binds a value to a statement parameter as the engine stores it for this field type.
void BindValue(sqlite3_stmt* st, int index, const VARIANT& v, DataTypeEnum type);
// Binds UTF-8 text.
void BindText(sqlite3_stmt* st, int index, const std::string& s);
// A date as stored ("yyyy-mm-dd hh:mm:ss"); empty when out of range.
std::string DateStorage(DATE d);

}  // namespace NUVADO::detail
