#include "win/Encoding.h"

#include <cerrno>
#include <clocale>
#include <algorithm>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <stdexcept>

namespace NUVWin {
namespace {

// One converter per direction and thread: opening iconv descriptors is far dearer than converting.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(std::string("iconv_open ") + from + " -> " + to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts in, replacing an invalid input sequence of `unit` bytes by `replacement`.
    std::string Run(std::string_view in, std::size_t unit, std::string_view replacement) {
        std::string out;
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
            } else {
                // EILSEQ or EINVAL (truncated sequence at the end): replace one unit and go on.
                std::size_t skip = std::min(unit, srcLeft);
                if (unit == 1 && from_utf8_) skip = Utf8SequenceLength(src, srcLeft);
                src += skip;
                srcLeft -= skip;
                if (out.size() - used < replacement.size()) out.resize(out.size() * 2 + replacement.size());
                std::memcpy(out.data() + used, replacement.data(), replacement.size());
                used += replacement.size();
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        out.resize(used);
        return out;
    }

    bool from_utf8_ = false;

private:
    static std::size_t Utf8SequenceLength(const char* p, std::size_t left) {
        unsigned char c = static_cast<unsigned char>(*p);
        std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
        // Only skip continuation bytes that are really there.
        std::size_t k = 1;
        while (k < n && k < left && (static_cast<unsigned char>(p[k]) & 0xC0) == 0x80) ++k;
        return k;
    }
    iconv_t cd_;
};

Converter& GbkToUtf8Conv() { thread_local Converter c("UTF-8", "CP936"); return c; }
Converter& Utf8ToGbkConv() {
    thread_local Converter c("CP936", "UTF-8");
    c.from_utf8_ = true;
    return c;
}
Converter& GbkToUtf16Conv() { thread_local Converter c("UTF-16LE", "CP936"); return c; }
Converter& Utf16ToGbkConv() { thread_local Converter c("CP936", "UTF-16LE"); return c; }

}  // namespace

std::string GbkToUtf8(std::string_view gbk) { return GbkToUtf8Conv().Run(gbk, 1, "\xEF\xBF\xBD"); }

std::string Utf8ToGbk(std::string_view utf8) { return Utf8ToGbkConv().Run(utf8, 1, "?"); }

std::u16string GbkToUtf16(std::string_view gbk) {
    std::string bytes = GbkToUtf16Conv().Run(gbk, 1, std::string_view("\xFD\xFF", 2));
    std::u16string out(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return out;
}

std::string Utf16ToGbk(std::u16string_view utf16) {
    std::string bytes(utf16.size() * 2, '\0');
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        bytes[2 * i] = static_cast<char>(utf16[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(utf16[i] >> 8);
    }
    return Utf16ToGbkConv().Run(bytes, 2, "?");
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
