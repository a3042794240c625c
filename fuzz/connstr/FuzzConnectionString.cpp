// Connection strings come from callers and configuration files; the parser must stay in bounds
// and every parsed pair must be found again by its key; values written with QuoteValue must come
// back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ado/ConnectionString.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    NUVADO::ConnectionString cs;
    std::string why;
    if (cs.Parse(text, &why)) {
        for (const auto& [key, value] : cs.Pairs()) {
            if (key.empty()) std::abort();
            if (!cs.Find(key)) std::abort();
        }
    } else if (why.empty()) {
        std::abort();  // a refusal always says why
    }
    // Any two values written with QuoteValue come back whole and add no key.
    std::string a = text.substr(0, size / 2), b = text.substr(size / 2);
    NUVADO::ConnectionString built;
    if (!built.Parse("A=" + NUVADO::ConnectionString::QuoteValue(a) + ";B=" + NUVADO::ConnectionString::QuoteValue(b) + ";"))
        std::abort();
    if (built.Pairs().size() != 2 || *built.Find("A") != a || *built.Find("B") != b) std::abort();
    return 0;
}
