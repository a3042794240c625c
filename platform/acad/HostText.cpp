// Lossless conversion of outside text to GBK: a conversion counts only when converting back
// gives the very bytes that came in.
#include "acad/HostText.h"

#include <clocale>
#include <langinfo.h>

#include "win/Encoding.h"

namespace NUVAcad {
namespace {

bool Utf8ToGbkExactly(std::string_view utf8, std::string& gbk) {
    gbk = NUVWin::Utf8ToGbk(utf8);
    return NUVWin::GbkToUtf8(gbk) == utf8;
}

// Well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF): a file that is
// one is read as UTF-8 and never reinterpreted as GBK, whatever GBK would make of its bytes.
bool IsWellFormedUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
        unsigned char c = b(i);
        std::size_t n;
        unsigned lo = 0x80, hi = 0xBF;
        if (c < 0x80) n = 0;
        else if (c >= 0xC2 && c <= 0xDF) n = 1;
        else if (c >= 0xE0 && c <= 0xEF) {
            n = 2;
            if (c == 0xE0) lo = 0xA0;
            if (c == 0xED) hi = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            n = 3;
            if (c == 0xF0) lo = 0x90;
            if (c == 0xF4) hi = 0x8F;
        } else return false;
        if (n > 0 && i + n >= s.size()) return false;
        for (std::size_t k = 1; k <= n; ++k) {
            unsigned char t = b(i + k);
            if (k == 1 ? (t < lo || t > hi) : (t < 0x80 || t > 0xBF)) return false;
        }
        i += n + 1;
    }
    return true;
}

bool IsGbk(std::string_view bytes) { return NUVWin::Utf8ToGbk(NUVWin::GbkToUtf8(bytes)) == bytes; }

bool TerminalIsGbk() {
    static const bool gbk = [] {
        std::setlocale(LC_CTYPE, "");
        std::string cs = nl_langinfo(CODESET) ? nl_langinfo(CODESET) : "";
        return cs == "GBK" || cs == "GB2312" || cs == "GB18030" || cs == "CP936";
    }();
    return gbk;
}

// The first line (1-based) that is neither exact UTF-8 nor GBK; failing that (a file mixing
// the two), the first that is not exact UTF-8.
int FirstBadLine(std::string_view text) {
    int firstNotUtf8 = 0;
    int line = 1;
    std::size_t start = 0;
    for (;;) {
        std::size_t nl = text.find('\n', start);
        std::size_t end = nl == std::string_view::npos ? text.size() : nl;
        std::string_view part = text.substr(start, end - start);
        std::string ignored;
        bool utf8 = Utf8ToGbkExactly(part, ignored);
        if (!utf8 && !IsGbk(part)) return line;
        if (!utf8 && firstNotUtf8 == 0) firstNotUtf8 = line;
        if (nl == std::string_view::npos) break;
        start = nl + 1;
        ++line;
    }
    return firstNotUtf8 ? firstNotUtf8 : 1;
}

}  // namespace

bool DecodeTextFile(std::string_view bytes, std::string& gbk, std::string& error) {
    std::string_view text = bytes;
    bool bom = text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF";
    if (bom) text.remove_prefix(3);
    if (Utf8ToGbkExactly(text, gbk)) return true;
    if (!bom && !IsWellFormedUtf8(text) && IsGbk(text)) {
        gbk.assign(text);
        return true;
    }
    error = "line " + std::to_string(FirstBadLine(text)) +
            ": not UTF-8 or GBK text, or a character that GBK cannot represent";
    return false;
}

bool TerminalLineToGbk(std::string_view line, std::string& gbk, std::string& error) {
    if (TerminalIsGbk()) {
        if (IsGbk(line)) {
            gbk.assign(line);
            return true;
        }
        error = "the typed text is not valid GBK";
        return false;
    }
    if (Utf8ToGbkExactly(line, gbk)) return true;
    error = "the typed text holds a character that GBK cannot represent (or is not valid UTF-8)";
    return false;
}

}  // namespace NUVAcad
