// Filter/Find criteria and the desktop SQL rewriting take text from users and files: neither may
// crash, hang or read out of bounds, whatever the text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ado/SqlDialect.h"
#include "ado/Criteria.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    NUVADO::Criteria c;
    std::string why;
    if (c.Parse(text, &why)) {
        // Evaluate against a record whose fields cycle through the common kinds of value.
        static const _variant_t samples[] = {_variant_t(42L), _variant_t("Supply"), _variant_t(2.5), _variant_t(38838.5, VT_DATE),
                                             _variant_t(true), _variant_t()};
        std::vector<const VARIANT*> values;
        for (std::size_t i = 0; i < c.FieldNames().size(); ++i) values.push_back(&samples[i % 6]);
        c.Matches(values.data());
    }
    (void)NUVADO::detail::TranslateSql(text);
    return 0;
}
