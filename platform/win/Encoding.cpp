#include "win/Encoding.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <stdexcept>

namespace NUVWin {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

// ---- UTF-8 ----

// The length of the well-formed character at s[0..n), 0 when it is ill-formed; `skip` is then the
// length of its maximal well-formed prefix (at least 1), which one U+FFFD replaces.
std::size_t Utf8Length(const unsigned char* s, std::size_t n, char32_t& cp, std::size_t& skip) {
    unsigned char c = s[0];
    std::size_t len;
    unsigned char lo = 0x80, hi = 0xBF;  // the range of the second byte
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0F;
        if (c == 0xE0) lo = 0xA0;  // no overlong forms
        if (c == 0xED) hi = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
    } else {
        skip = 1;
        return 0;
    }
    for (std::size_t k = 1; k < len; ++k) {
        unsigned char t = k < n ? s[k] : 0;
        if (k >= n || t < (k == 1 ? lo : 0x80) || t > (k == 1 ? hi : 0xBF)) {
            skip = k;
            return 0;
        }
        cp = (cp << 6) | (t & 0x3F);
    }
    return len;
}

void PutUtf16(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<char16_t>(cp);
    }
}

void PutUtf8(std::string& out, char32_t c) {
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

// Decodes UTF-8 into UTF-16; strict stops at the first ill-formed sequence.
bool DecodeUtf8(std::string_view in, std::u16string& out, bool strict, std::size_t* bad) {
    out.clear();
    out.reserve(in.size());
    const auto* s = reinterpret_cast<const unsigned char*>(in.data());
    std::size_t i = 0, n = in.size();
    while (i < n) {
        if (s[i] < 0x80) {
            out += static_cast<char16_t>(s[i++]);
            continue;
        }
        char32_t cp;
        std::size_t skip = 0, len = Utf8Length(s + i, n - i, cp, skip);
        if (len == 0) {
            if (strict) {
                if (bad) *bad = i;
                return false;
            }
            out += u'\uFFFD';
            i += skip;
            continue;
        }
        PutUtf16(out, cp);
        i += len;
    }
    return true;
}

// Encodes UTF-16 as UTF-8 onto `out`; strict stops at an unpaired surrogate.
bool EncodeUtf8(std::u16string_view in, std::string& out, bool strict, std::size_t* bad) {
    std::size_t n = in.size();
    for (std::size_t i = 0; i < n; ++i) {
        char32_t c = in[i];
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (in[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            if (strict) {
                if (bad) *bad = i;
                return false;
            }
            c = 0xFFFD;
        }
        PutUtf8(out, c);
    }
    return true;
}

// ---- GBK through iconv ----

// One converter per direction and thread: opening iconv descriptors is far dearer than converting.
class Converter {
public:
    Converter(const char* to, const char* from, std::size_t unit) : cd_(iconv_open(to, from)), unit_(unit) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(std::string("iconv_open ") + from + " -> " + to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in`. An input sequence iconv refuses (not in the source encoding, or with no form
    // in the target) ends a strict run, with its offset in `bad`; otherwise it is replaced by
    // `replacement` and skipped (`skipUtf8`: the whole ill-formed UTF-8 sequence, else one unit).
    bool Run(std::string_view in, std::string& out, bool strict, std::size_t* bad, std::string_view replacement, bool skipUtf8) {
        out.resize(in.size() * 2 + 16);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        std::size_t used = 0;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        while (srcLeft > 0) {
            char* dst = out.data() + used;
            std::size_t dstLeft = out.size() - used;
            std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            used = out.size() - dstLeft;
            if (r != static_cast<std::size_t>(-1)) break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            // EILSEQ, or EINVAL for a sequence cut short at the end.
            if (strict) {
                if (bad) *bad = static_cast<std::size_t>(src - in.data());
                out.resize(used);
                return false;
            }
            std::size_t skip = std::min(unit_, srcLeft);
            if (unit_ == 2 && srcLeft >= 4) {
                // A character beyond the basic plane is one replacement, not one per surrogate.
                auto unit = [&](std::size_t k) { return static_cast<unsigned char>(src[k]) | (static_cast<unsigned char>(src[k + 1]) << 8); };
                if (unit(0) >= 0xD800 && unit(0) <= 0xDBFF && unit(2) >= 0xDC00 && unit(2) <= 0xDFFF) skip = 4;
            }
            if (skipUtf8) {
                char32_t cp;
                std::size_t sub = 1;
                std::size_t len = Utf8Length(reinterpret_cast<const unsigned char*>(src), srcLeft, cp, sub);
                skip = len ? len : sub;  // a well-formed character GBK lacks is one replacement
            }
            src += skip;
            srcLeft -= skip;
            if (out.size() - used < replacement.size()) out.resize(out.size() * 2 + replacement.size());
            std::memcpy(out.data() + used, replacement.data(), replacement.size());
            used += replacement.size();
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        out.resize(used);
        return true;
    }

private:
    iconv_t cd_;
    std::size_t unit_;
};

Converter& GbkToUtf8Conv() {
    thread_local Converter c("UTF-8", "CP936", 1);
    return c;
}
Converter& Utf8ToGbkConv() {
    thread_local Converter c("CP936", "UTF-8", 1);
    return c;
}
Converter& GbkToUtf16Conv() {
    thread_local Converter c("UTF-16LE", "CP936", 1);
    return c;
}
Converter& Utf16ToGbkConv() {
    thread_local Converter c("CP936", "UTF-16LE", 2);
    return c;
}

std::u16string FromLittleEndian(const std::string& bytes) {
    std::u16string out(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) | (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return out;
}

std::string ToLittleEndian(std::u16string_view utf16) {
    std::string bytes(utf16.size() * 2, '\0');
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        bytes[2 * i] = static_cast<char>(utf16[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(utf16[i] >> 8);
    }
    return bytes;
}

bool IsAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

std::size_t FindInvalidUtf8(std::string_view utf8) {
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    std::size_t i = 0, n = utf8.size();
    while (i < n) {
        if (s[i] < 0x80) {
            ++i;
            continue;
        }
        char32_t cp;
        std::size_t skip, len = Utf8Length(s + i, n - i, cp, skip);
        if (len == 0) return i;
        i += len;
    }
    return kNone;
}

std::size_t FindInvalidUtf16(std::u16string_view utf16) {
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char16_t c = utf16[i];
        if (c < 0xD800 || c > 0xDFFF) continue;
        if (c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
            ++i;
            continue;
        }
        return i;
    }
    return kNone;
}

bool TryUtf8ToUtf16(std::string_view utf8, std::u16string& out, std::size_t* bad) { return DecodeUtf8(utf8, out, true, bad); }

bool TryUtf16ToUtf8(std::u16string_view utf16, std::string& out, std::size_t* bad) {
    out.clear();
    return EncodeUtf8(utf16, out, true, bad);
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    DecodeUtf8(utf8, out, false, nullptr);
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    EncodeUtf8(utf16, out, false, nullptr);
    return out;
}

void AppendUtf16AsUtf8(std::string& out, std::u16string_view utf16) { EncodeUtf8(utf16, out, false, nullptr); }

bool TryGbkToUtf8(std::string_view gbk, std::string& out, std::size_t* bad) {
    if (IsAscii(gbk)) return out.assign(gbk), true;
    return GbkToUtf8Conv().Run(gbk, out, true, bad, {}, false);
}

bool TryUtf8ToGbk(std::string_view utf8, std::string& out, std::size_t* bad) {
    if (IsAscii(utf8)) return out.assign(utf8), true;
    // iconv's own idea of well-formed UTF-8 is not the one this codec promises.
    if (std::size_t at = FindInvalidUtf8(utf8); at != kNone) {
        if (bad) *bad = at;
        out.clear();
        return false;
    }
    return Utf8ToGbkConv().Run(utf8, out, true, bad, {}, true);
}

bool TryGbkToUtf16(std::string_view gbk, std::u16string& out, std::size_t* bad) {
    std::string bytes;
    bool ok = GbkToUtf16Conv().Run(gbk, bytes, true, bad, {}, false);
    out = FromLittleEndian(bytes);
    return ok;
}

bool TryUtf16ToGbk(std::u16string_view utf16, std::string& out, std::size_t* bad) {
    std::size_t at = 0;
    bool ok = Utf16ToGbkConv().Run(ToLittleEndian(utf16), out, true, &at, {}, false);
    if (!ok && bad) *bad = at / 2;
    return ok;
}

std::string GbkToUtf8(std::string_view gbk) {
    std::string out;
    if (IsAscii(gbk)) return std::string(gbk);
    GbkToUtf8Conv().Run(gbk, out, false, nullptr, "\xEF\xBF\xBD", false);
    return out;
}

std::string Utf8ToGbk(std::string_view utf8) {
    std::string out;
    if (IsAscii(utf8)) return std::string(utf8);
    if (FindInvalidUtf8(utf8) != kNone) return Utf16ToGbk(Utf8ToUtf16(utf8));  // one "?" per bad sequence
    Utf8ToGbkConv().Run(utf8, out, false, nullptr, "?", true);
    return out;
}

std::u16string GbkToUtf16(std::string_view gbk) {
    std::string bytes;
    GbkToUtf16Conv().Run(gbk, bytes, false, nullptr, std::string_view("\xFD\xFF", 2), false);
    return FromLittleEndian(bytes);
}

std::string Utf16ToGbk(std::u16string_view utf16) {
    std::string out;
    Utf16ToGbkConv().Run(ToLittleEndian(utf16), out, false, nullptr, "?", false);
    return out;
}

std::string DescribePosition(std::string_view text, std::size_t offset) {
    std::size_t line = 1, column = 1;
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < offset && i < text.size();) {
        if (s[i] == '\n') {
            ++line;
            column = 1;
            ++i;
            continue;
        }
        char32_t cp;
        std::size_t skip = 1, len = Utf8Length(s + i, text.size() - i, cp, skip);
        i += len ? len : 1;
        ++column;
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

std::string GbkToTerminal(std::string_view gbk) {
    static const std::string codeset = [] {
        std::setlocale(LC_CTYPE, "");
        const char* cs = nl_langinfo(CODESET);
        return std::string(cs ? cs : "");
    }();
    // A terminal that is not GBK gets UTF-8, which is also right for the "C"/ASCII locale of
    // pipes and logs: nothing readable is lost.
    if (codeset == "GBK" || codeset == "GB2312" || codeset == "GB18030" || codeset == "CP936") return std::string(gbk);
    return GbkToUtf8(gbk);
}

}  // namespace NUVWin
