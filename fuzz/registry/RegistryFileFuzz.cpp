// Feeds arbitrary bytes to the registry file reader. Whatever it makes of them must survive a
// write and a second read unchanged: the file written back is read without a single problem, gives
// the same keys and values, and writes out byte for byte the same again.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "win/RegistryFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace NUVWin::RegFile;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    ParseResult first = Parse(text, "HKEY_CURRENT_USER");
    std::string written = Serialize(first.document);
    ParseResult second = Parse(written, "HKEY_CURRENT_USER");
    if (!second.problems.empty()) std::abort();
    if (!(second.document == first.document)) std::abort();
    if (Serialize(second.document) != written) std::abort();
    return 0;
}
