// What every automation class shares: errors raised as the application raises them, optional
// and typed arguments, and text handed back as Unicode (never through GBK, which lacks many
// characters).
#pragma once

#include <string>

#include "com/Com.h"

namespace NUVExcel {

[[noreturn]] void Fail(const std::string& description);
[[noreturn]] void Disconnected();

// An optional argument left out.
inline bool IsMissing(const _variant_t& v) { return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND; }

// A text argument as UTF-8.
std::string Utf8(const _variant_t& v);
// A whole-number argument; a missing one is an error.
long LongArg(const _variant_t& v);
// Raises unless the cell is on the sheet.
void CheckCell(long row, long col);
// Sheet and book names compare without regard to ASCII case.
bool SameNameNoCase(const std::string& a, const std::string& b);
// Unicode text straight into a variant (not through GBK, which lacks many characters).
_variant_t TextVariant(const std::string& utf8);

}  // namespace NUVExcel
