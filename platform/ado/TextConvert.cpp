#include "ado/TextConvert.h"

namespace NUVADO::detail {

BSTR AllocBstr(std::string_view utf8) {
    // Plain ASCII (the common case for keys and numbers) widens without a temporary.
    bool ascii = true;
    for (char c : utf8)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        BSTR b = SysAllocStringLen(nullptr, static_cast<std::uint32_t>(utf8.size()));
        for (std::size_t i = 0; i < utf8.size(); ++i) b[i] = static_cast<char16_t>(utf8[i]);
        return b;
    }
    std::u16string w = NUVWin::Utf8ToUtf16(utf8);
    return SysAllocStringLen(w.data(), static_cast<std::uint32_t>(w.size()));
}

std::string BstrToUtf8(const _bstr_t& s) {
    std::string out;
    if (s.GetBSTR()) NUVWin::AppendUtf16AsUtf8(out, std::u16string_view(s.GetBSTR(), s.length()));
    return out;
}

std::string VariantTextUtf8(const VARIANT& v) {
    if (v.vt == VT_BSTR) {
        std::string out;
        NUVWin::AppendUtf16AsUtf8(out, std::u16string_view(v.bstrVal, SysStringLen(v.bstrVal)));
        return out;
    }
    VARIANT t;
    VariantInit(&t);
    if (FAILED(VariantChangeType(&t, &v, 0, VT_BSTR))) return {};
    std::string out;
    NUVWin::AppendUtf16AsUtf8(out, std::u16string_view(t.bstrVal, SysStringLen(t.bstrVal)));
    VariantClear(&t);
    return out;
}

bool GbkPath(const std::string& utf8, CString& out, std::string& why) {
    std::string gbk;
    std::size_t bad = 0;
    if (NUVWin::TryUtf8ToGbk(utf8, gbk, &bad)) {
        out = CString(gbk);
        return true;
    }
    why = "the file name '" + utf8 + "' holds a character the system code page (GBK) cannot hold, at " +
          NUVWin::DescribePosition(utf8, bad);
    return false;
}

}  // namespace NUVADO::detail
