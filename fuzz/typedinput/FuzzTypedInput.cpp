// Typed answers as prompts read them: the first line is a keyword list for acedInitGet, the rest
// are answers tried as a real, an integer, an angle, a point (resolved against a reference) and
// a keyword. Nothing may crash; a successful parse gives finite numbers, and a keyword match is
// an index into the list whose result is a non-empty word.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "acad/TypedInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view all(reinterpret_cast<const char*>(data), size);
    std::size_t nl = all.find('\n');
    std::string_view spec = all.substr(0, nl);
    std::string_view rest = nl == std::string_view::npos ? std::string_view() : all.substr(nl + 1);
    NUVAcad::KeywordList keywords(spec);
    const NUVAcad::AngleConvention conventions[] = {{0, false}, {M_PI / 2, true}};
    const double reference[3] = {1.5, -2.5, 3};
    while (true) {
        std::size_t end = rest.find('\n');
        std::string_view text = rest.substr(0, end);
        double v = 0;
        if (NUVAcad::ParseTypedReal(text, v) && !std::isfinite(v)) std::abort();
        long long n = 0;
        NUVAcad::ParseTypedInteger(text, n);
        if (NUVAcad::ParseTypedAngle(text, v) && !std::isfinite(v)) std::abort();
        if (NUVAcad::ParseAngleOverride(text, v) && !std::isfinite(v)) std::abort();
        NUVAcad::TypedPoint p;
        if (NUVAcad::ParseTypedPoint(text, p)) {
            for (double c : p.v)
                if (!std::isfinite(c)) std::abort();
            for (const auto& conv : conventions) {
                double out[3];
                NUVAcad::ResolveTypedPoint(p, reference, 0, conv, out);
            }
        }
        int k = keywords.match(text);
        if (k < -1 || k >= static_cast<int>(keywords.size())) std::abort();
        if (k >= 0 && keywords.result(static_cast<std::size_t>(k)).empty()) std::abort();
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return 0;
}
