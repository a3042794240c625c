// Values of the ADO layer as text: BSTRs and variants to and from the engine's UTF-8, through the
// one codec (win/Encoding.h). Row data crosses here for every cell.
#pragma once

#include <string>
#include <string_view>

#include "com/Com.h"
#include "win/CString.h"
#include "win/Encoding.h"

namespace NUVADO::detail {

// A BSTR from UTF-8 text.
BSTR AllocBstr(std::string_view utf8);
std::string BstrToUtf8(const _bstr_t& s);
std::string VariantTextUtf8(const VARIANT& v);  // the value as text (VariantChangeType rules)
// A file name (UTF-8) as the file layer takes it (GBK). A name holding a character GBK lacks is
// refused, with the reason in `why`, rather than turned into the name of another file.
bool GbkPath(const std::string& utf8, CString& out, std::string& why);

}  // namespace NUVADO::detail
