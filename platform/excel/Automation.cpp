#include "excel/Automation.h"

#include <strings.h>

#include "excel/Book.h"
#include "excel/Excel.h"
#include "win/Encoding.h"

namespace NUVExcel {

[[noreturn]] void Fail(const std::string& description) {
    throw _com_error(XL_E_FAILED, _bstr_t("Excel"), TextBstr(description));  // every character kept
}

[[noreturn]] void Disconnected() {
    _com_issue_errorex(RPC_E_DISCONNECTED, "Excel", "The object invoked has disconnected from its clients.");
}

std::string Utf8(const _variant_t& v) {
    _bstr_t b = v;
    return b.utf8();
}

long LongArg(const _variant_t& v) {
    if (IsMissing(v)) _com_issue_error(DISP_E_PARAMNOTFOUND);
    return static_cast<long>(v);
}

void CheckCell(long row, long col) {
    if (row < 1 || row > kMaxRow || col < 1 || col > kMaxCol) Fail("The cell reference is outside the sheet");
}

bool SameNameNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

_bstr_t TextBstr(const std::string& utf8) { return _bstr_t(std::u16string_view(NUVWin::Utf8ToUtf16(utf8))); }

_variant_t TextVariant(const std::string& utf8) { return _variant_t(TextBstr(utf8)); }

CString PathArgument(const _bstr_t& name, const char* doing) {
    std::string gbk;
    std::size_t bad = 0;
    if (!NUVWin::TryUtf16ToGbk(name.u16(), gbk, &bad))
        Fail(std::string("Cannot ") + doing + " '" + name.utf8() + "': character " + std::to_string(bad + 1) +
             " of the file name has no form in the system code page (GBK)");
    return CString(gbk);
}

}  // namespace NUVExcel
