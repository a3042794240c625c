// Text arrives as arbitrary bytes from files and other programs: the codec's checks and both of
// its forms must agree, strict conversions must be exact both ways, and replacing ones must give
// well-formed output.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "win/Encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace NUVWin;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    constexpr std::size_t kNone = std::string::npos;

    // UTF-8 as UTF-8: the check, the strict decoder and the round trip agree.
    std::u16string wide;
    std::size_t bad = kNone;
    bool ok = TryUtf8ToUtf16(bytes, wide, &bad);
    if (ok != (FindInvalidUtf8(bytes) == kNone) || (!ok && bad != FindInvalidUtf8(bytes))) std::abort();
    if (ok) {
        std::string back;
        if (!TryUtf16ToUtf8(wide, back) || back != bytes) std::abort();
    }
    // Replacing forms always give well-formed text.
    if (FindInvalidUtf16(Utf8ToUtf16(bytes)) != kNone) std::abort();
    if (FindInvalidUtf8(Utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(data), size / 2))) != kNone) std::abort();

    // The same bytes as GBK: what decodes comes back byte for byte.
    std::string utf8, gbk;
    if (TryGbkToUtf8(bytes, utf8)) {
        if (FindInvalidUtf8(utf8) != kNone || !TryUtf8ToGbk(utf8, gbk) || gbk != bytes) std::abort();
    }
    if (FindInvalidUtf8(GbkToUtf8(bytes)) != kNone) std::abort();
    // UTF-8 to GBK: strict refuses or is exact; the replacing form matches it when it succeeds.
    if (ok && TryUtf8ToGbk(bytes, gbk)) {
        if (Utf8ToGbk(bytes) != gbk || !TryGbkToUtf8(gbk, utf8) || utf8 != bytes) std::abort();
    }
    (void)DescribePosition(bytes, size / 2);
    return 0;
}
