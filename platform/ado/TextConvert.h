// Text crossing the ADO layer: UTF-8 (what the engine stores) to UTF-16 (what BSTRs and variants
// hold) and back. Row data crosses here for every cell, so these avoid the locale machinery.
#pragma once

#include <string>
#include <string_view>

#include "com/Com.h"

namespace NUVADO::detail {

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

}  // namespace NUVADO::detail
