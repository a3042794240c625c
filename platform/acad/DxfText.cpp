// Decoding runs in two steps: the file's bytes become Unicode characters (UTF-8 strictly through
// the project's codec, another code page through iconv), escapes among them are resolved, and the
// characters become GBK (the project's codec again) or escapes. Files in GBK skip the first step:
// their bytes are kept as read and only the escapes between whole characters are resolved (a GBK
// trail byte may be 0x5C, a backslash).
#include "acad/DxfText.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "win/Encoding.h"

namespace NUVAcad {
namespace {

// One iconv descriptor per conversion and thread, opened on first use.
class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv() {
        if (ok()) iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

Iconv* converter(const std::string& to, const std::string& from) {
    thread_local std::map<std::string, std::unique_ptr<Iconv>> cache;
    auto& slot = cache[to + "<" + from];
    if (!slot) slot = std::make_unique<Iconv>(to.c_str(), from.c_str());
    return slot->ok() ? slot.get() : nullptr;
}


const char kHex[] = "0123456789ABCDEF";

void appendEscape(std::string& out, char32_t unit) {
    out += "\\U+";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 15];
}

// The escape DXF writes for a character: one \U+ for the basic plane, a surrogate pair beyond.
void appendEscapeFor(std::string& out, char32_t cp) {
    if (cp > 0xFFFF) {
        char32_t v = cp - 0x10000;
        appendEscape(out, 0xD800 + (v >> 10));
        appendEscape(out, 0xDC00 + (v & 0x3FF));
    } else {
        appendEscape(out, cp);
    }
}

// GBK bytes of characters, through the project's codec; a character GBK lacks (or a lone
// surrogate) becomes its escape and the conversion goes on after it.
void appendKernelChars(std::string& out, const char32_t* p, size_t n) {
    std::u16string units;
    units.reserve(n);
    for (size_t k = 0; k < n; ++k) {
        if (p[k] > 0xFFFF) {
            char32_t v = p[k] - 0x10000;
            units += static_cast<char16_t>(0xD800 + (v >> 10));
            units += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
        } else {
            units += static_cast<char16_t>(p[k]);
        }
    }
    std::u16string_view rest(units);
    std::string gbk;
    while (!rest.empty()) {
        size_t bad = 0;
        if (NUVWin::TryUtf16ToGbk(rest, gbk, &bad)) {
            out += gbk;
            return;
        }
        if (bad > 0 && NUVWin::TryUtf16ToGbk(rest.substr(0, bad), gbk)) out += gbk;
        char32_t unit = rest[bad];
        bool pair = unit >= 0xD800 && unit < 0xDC00 && bad + 1 < rest.size() && rest[bad + 1] >= 0xDC00 &&
                    rest[bad + 1] < 0xE000;
        if (pair) appendEscapeFor(out, 0x10000 + ((unit - 0xD800) << 10) + (rest[bad + 1] - 0xDC00));
        else appendEscape(out, unit);
        rest.remove_prefix(bad + (pair ? 2 : 1));
    }
}

int hexDigit(char32_t c) {
    if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
    return -1;
}

// Reads `n` hex digits at p; -1 when there are not so many.
template <class Ch>
long hexAt(const Ch* p, size_t left, size_t n) {
    if (left < n) return -1;
    long v = 0;
    for (size_t k = 0; k < n; ++k) {
        int d = hexDigit(static_cast<unsigned char>(p[k]) < 0x80 || sizeof(Ch) > 1 ? static_cast<char32_t>(p[k]) : 0xFFFF);
        if (d < 0) return -1;
        v = v * 16 + d;
    }
    return v;
}

// The code page of a \M+n escape.
const char* multibytePage(char32_t n) {
    switch (n) {
    case '1': return "CP932";   // Japanese
    case '2': return "CP950";   // traditional Chinese
    case '3': return "CP949";   // Korean (Wansung)
    case '4': return "JOHAB";   // Korean (Johab)
    case '5': return "CP936";   // simplified Chinese
    default: return nullptr;
    }
}

// The character of a double-byte code in a code page, 0 when it is none.
char32_t decodeDoubleByte(const char* page, long code) {
    Iconv* cv = converter("UTF-32LE", page);
    if (!cv) return 0;
    char in[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    char32_t out[2] = {0, 0};
    char* src = in;
    size_t srcLeft = 2;
    char* dst = reinterpret_cast<char*>(out);
    size_t dstLeft = sizeof out;
    iconv(cv->get(), nullptr, nullptr, nullptr, nullptr);
    if (iconv(cv->get(), &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1) || srcLeft != 0) return 0;
    if (dstLeft != sizeof out - 4) return 0;  // exactly one character
    return out[0];
}

// An escape at p (which holds a backslash): its character and length, or 0 when p starts none.
// \U+XXXX; a surrogate pair of two; the eight-digit form \U+000XXXXX of characters beyond the
// basic plane; \M+nXXXX, a double-byte code of the code page numbered n.
template <class Ch>
size_t escapeAt(const Ch* p, size_t left, char32_t& cp) {
    if (left < 7 || p[2] != '+') return 0;
    if (p[1] == 'U' || p[1] == 'u') {
        long v = hexAt(p + 3, left - 3, 4);
        if (v < 0) return 0;
        if (v <= 0x10) {
            long low = hexAt(p + 7, left - 7, 4);
            if (low >= 0 && (v << 16 | low) <= 0x10FFFF) {
                cp = static_cast<char32_t>(v << 16 | low);
                return 11;
            }
        }
        if (v >= 0xD800 && v < 0xDC00 && left >= 14 && p[7] == '\\' && (p[8] == 'U' || p[8] == 'u') && p[9] == '+') {
            long low = hexAt(p + 10, left - 10, 4);
            if (low >= 0xDC00 && low < 0xE000) {
                cp = static_cast<char32_t>(0x10000 + ((v - 0xD800) << 10) + (low - 0xDC00));
                return 14;
            }
        }
        cp = static_cast<char32_t>(v);
        return 7;
    }
    if ((p[1] == 'M' || p[1] == 'm') && left >= 8) {
        const char* page = multibytePage(static_cast<char32_t>(p[3]));
        long code = hexAt(p + 4, left - 4, 4);
        if (!page || code < 0) return 0;
        char32_t c = decodeDoubleByte(page, code);
        if (c == 0) return 0;
        cp = c;
        return 8;
    }
    return 0;
}

// A decoded escape: a backslash or control character stays an escape, so that it neither starts
// a new escape nor breaks the line when written back.
template <class Sink>
void putEscaped(char32_t cp, Sink&& put) {
    if (cp < 0x20 || cp == '\\') {
        std::string esc;
        appendEscapeFor(esc, cp);
        for (char c : esc) put(static_cast<char32_t>(static_cast<unsigned char>(c)));
    } else {
        put(cp);
    }
}

bool decodeUtf8(std::string_view in, std::u32string& out, std::string& error) {
    std::u16string units;
    size_t bad = 0;
    if (!NUVWin::TryUtf8ToUtf16(in, units, &bad)) {
        error = "invalid UTF-8 at byte " + std::to_string(bad + 1) + " of the value";
        return false;
    }
    out.reserve(units.size());
    for (size_t k = 0; k < units.size(); ++k) {
        char32_t u = units[k];
        // Well-formed input gives whole pairs.
        if (u >= 0xD800 && u < 0xDC00 && k + 1 < units.size()) u = 0x10000 + ((u - 0xD800) << 10) + (units[++k] - 0xDC00);
        out += u;
    }
    return true;
}

// A value in a code page other than GBK. Single-byte pages map a byte they leave undefined to
// the character of the same number, as the platform's own conversion does.
bool decodeCodePage(const std::string& page, bool singleByte, std::string_view in, std::u32string& out,
                    std::string& error) {
    Iconv* cv = converter("UTF-32LE", page);
    if (!cv) {
        error = "no converter for " + page;
        return false;
    }
    iconv(cv->get(), nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    while (srcLeft > 0) {
        char32_t buf[128];
        char* dst = reinterpret_cast<char*>(buf);
        size_t dstLeft = sizeof buf;
        size_t r = iconv(cv->get(), &src, &srcLeft, &dst, &dstLeft);
        out.append(buf, (sizeof buf - dstLeft) / 4);
        if (r != static_cast<size_t>(-1) || errno == E2BIG) continue;
        if (!singleByte) {
            error = "invalid " + page + " text at byte " + std::to_string(in.size() - srcLeft + 1) + " of the value";
            return false;
        }
        out += static_cast<char32_t>(static_cast<unsigned char>(*src));
        ++src;
        --srcLeft;
        iconv(cv->get(), nullptr, nullptr, nullptr, nullptr);
    }
    return true;
}

std::string upperAscii(std::string_view s) {
    std::string u(s);
    for (char& c : u)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return u;
}

}  // namespace

void appendKernelChar(std::string& out, char32_t cp) { appendKernelChars(out, &cp, 1); }

DxfTextDecoder::DxfTextDecoder(std::string_view acadVersion, std::string_view codePage) {
    // AC1021 and later: UTF-8.
    std::string ver = upperAscii(acadVersion);
    if (ver.size() == 6 && ver.compare(0, 2, "AC") == 0 && ver >= "AC1021") {
        kind_ = Kind::Utf8;
        name_ = "UTF-8";
        return;
    }
    std::string cp = upperAscii(codePage);
    std::string page;
    auto digitsAfter = [&](const char* prefix) -> std::string {
        size_t n = std::strlen(prefix);
        if (cp.compare(0, n, prefix) != 0 || cp.size() == n) return {};
        for (size_t k = n; k < cp.size(); ++k)
            if (cp[k] < '0' || cp[k] > '9') return {};
        return cp.substr(n);
    };
    if (std::string n = digitsAfter("ANSI_"); !n.empty()) page = "CP" + n;
    else if (std::string d = digitsAfter("DOS"); !d.empty()) page = "CP" + d;
    else if (cp == "BIG5") page = "CP950";
    else if (cp == "KSC5601") page = "CP949";
    else if (cp == "JOHAB") page = "JOHAB";
    else if (cp == "MACINTOSH") page = "MACINTOSH";
    else if (cp.compare(0, 7, "ISO8859") == 0 && cp.size() > 8) page = "ISO-8859-" + cp.substr(8);
    if (page.empty() || page == "CP936" || cp == "GB2312" || cp == "GBK") return;  // GBK: bytes as read
    if (!converter("UTF-32LE", page)) return;
    kind_ = Kind::CodePage;
    name_ = page;
    static const char* const multiByte[] = {"CP932", "CP949", "CP950", "JOHAB"};
    singleByte_ = true;
    for (const char* m : multiByte)
        if (page == m) singleByte_ = false;
}

bool DxfTextDecoder::decode(std::string_view in, std::string& out, std::string& error) const {
    out.clear();
    if (kind_ == Kind::Gbk) {
        if (in.find('\\') == std::string_view::npos) {
            out.assign(in);
            return true;
        }
        out.reserve(in.size());
        for (size_t k = 0; k < in.size();) {
            unsigned char c = static_cast<unsigned char>(in[k]);
            if (c >= 0x81 && c <= 0xFE && k + 1 < in.size()) {
                out.append(in.substr(k, 2));
                k += 2;
                continue;
            }
            char32_t cp;
            size_t n = c == '\\' ? escapeAt(in.data() + k, in.size() - k, cp) : 0;
            if (n) {
                putEscaped(cp, [&](char32_t x) { appendKernelChar(out, x); });
                k += n;
                continue;
            }
            out += static_cast<char>(c);
            ++k;
        }
        return true;
    }
    bool ascii = true;
    for (char c : in)
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\\') {
            ascii = false;
            break;
        }
    if (ascii) {
        out.assign(in);
        return true;
    }
    std::u32string chars;
    if (kind_ == Kind::Utf8 ? !decodeUtf8(in, chars, error) : !decodeCodePage(name_, singleByte_, in, chars, error))
        return false;
    std::u32string resolved;
    resolved.reserve(chars.size());
    for (size_t k = 0; k < chars.size();) {
        char32_t cp;
        size_t n = chars[k] == '\\' ? escapeAt(chars.data() + k, chars.size() - k, cp) : 0;
        if (n) {
            putEscaped(cp, [&](char32_t x) { resolved += x; });
            k += n;
        } else {
            resolved += chars[k++];
        }
    }
    appendKernelChars(out, resolved.data(), resolved.size());
    return true;
}

}  // namespace NUVAcad
