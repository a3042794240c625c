#include "excel/Automation.h"

#include <strings.h>

#include "excel/Book.h"
#include "excel/Excel.h"
#include "win/Encoding.h"

namespace NUVExcel {

[[noreturn]] void Fail(const std::string& description) {
    _com_issue_errorex(XL_E_FAILED, "Excel", NUVWin::Utf8ToGbk(description).c_str());
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

// Unicode text straight into a variant (not through GBK, which lacks many characters).
_variant_t TextVariant(const std::string& utf8) {
    std::u16string w;
    w.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        auto c = static_cast<unsigned char>(utf8[i]);
        int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t cp = n == 1 ? c : c & (0x3F >> (n - 1));
        for (int k = 1; k < n && i + k < utf8.size(); ++k) cp = (cp << 6) | (utf8[i + k] & 0x3F);
        i += n;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            w.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            w.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            w.push_back(static_cast<char16_t>(cp));
        }
    }
    return _variant_t(_bstr_t(std::u16string_view(w)));
}

}  // namespace NUVExcel
