#include "ado/TextConvert.h"

namespace NUVADO::detail {

std::u16string Utf8To16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0, n = s.size();
    while (i < n) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out += static_cast<char16_t>(c);
            ++i;
            continue;
        }
        char32_t cp;
        int extra;
        if ((c & 0xE0) == 0xC0) cp = c & 0x1F, extra = 1;
        else if ((c & 0xF0) == 0xE0) cp = c & 0x0F, extra = 2;
        else if ((c & 0xF8) == 0xF0) cp = c & 0x07, extra = 3;
        else {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (i + static_cast<std::size_t>(extra) >= n) {
            out += u'\uFFFD';
            break;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            auto t = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((t & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (t & 0x3F);
        }
        if (!ok) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

void AppendUtf16As8(std::string& out, const char16_t* s, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

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
    std::u16string w = Utf8To16(utf8);
    return SysAllocStringLen(w.data(), static_cast<std::uint32_t>(w.size()));
}

std::string BstrToUtf8(const _bstr_t& s) {
    std::string out;
    if (s.GetBSTR()) AppendUtf16As8(out, s.GetBSTR(), s.length());
    return out;
}

std::string VariantTextUtf8(const VARIANT& v) {
    if (v.vt == VT_BSTR) {
        std::string out;
        AppendUtf16As8(out, v.bstrVal, SysStringLen(v.bstrVal));
        return out;
    }
    VARIANT t;
    VariantInit(&t);
    if (FAILED(VariantChangeType(&t, &v, 0, VT_BSTR))) return {};
    std::string out;
    AppendUtf16As8(out, t.bstrVal, SysStringLen(t.bstrVal));
    VariantClear(&t);
    return out;
}

}  // namespace NUVADO::detail
