#include "win/Guid.h"

#include <sys/random.h>

#include <cerrno>

namespace {

constexpr std::int32_t kOk = 0;
constexpr std::int32_t kInvalidArg = static_cast<std::int32_t>(0x80070057);
constexpr std::int32_t kFail = static_cast<std::int32_t>(0x80004005);

bool FillRandom(unsigned char* out, std::size_t n) {
    std::size_t got = 0;
    while (got < n) {
        ssize_t r = getrandom(out + got, n - got, 0);
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        got += static_cast<std::size_t>(r);
    }
    return true;
}

}  // namespace

std::int32_t CoCreateGuid(GUID* guid) {
    if (!guid) return kInvalidArg;
    unsigned char bytes[16];
    if (!FillRandom(bytes, sizeof bytes)) return kFail;
    std::memcpy(guid, bytes, sizeof bytes);
    // The version lives in the high nibble of the third field, the variant in the top two bits
    // of the first byte of the fourth.
    guid->Data3 = static_cast<WORD>((guid->Data3 & 0x0FFF) | 0x4000);
    guid->Data4[0] = static_cast<BYTE>((guid->Data4[0] & 0x3F) | 0x80);
    return kOk;
}
