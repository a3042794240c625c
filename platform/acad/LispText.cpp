// Case folding that leaves double-byte GBK characters alone.
#include "acad/LispText.h"

namespace NUVAcad {

namespace {

template <class F> std::string mapSingleBytes(std::string_view s, F f) {
    std::string out(s);
    for (std::size_t i = 0; i < out.size();) {
        const std::size_t n = lispCharLength(out, i);
        if (n == 1) out[i] = f(out[i]);
        i += n;
    }
    return out;
}

}  // namespace

std::string lispToUpper(std::string_view s) {
    return mapSingleBytes(s, [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
}

std::string lispToLower(std::string_view s) {
    return mapSingleBytes(s, [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
}

}  // namespace NUVAcad
