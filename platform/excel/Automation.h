// What every automation class shares: errors raised as the application raises them, optional
// and typed arguments, and text handed back as Unicode (never through GBK, which lacks many
// characters).
#pragma once

#include <string>

#include "com/Com.h"
#include "win/CString.h"

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
// Text handed back as Unicode, straight from UTF-8 (not through GBK, which lacks many characters).
_bstr_t TextBstr(const std::string& utf8);
_variant_t TextVariant(const std::string& utf8);
// A file name argument as the file layer takes it (GBK); refused, saying which character, when
// the name holds one GBK cannot: the file would otherwise be written under another name.
CString PathArgument(const _bstr_t& name, const char* doing);

}  // namespace NUVExcel
