// Arbitrary bytes as a module's resource script. The reader either accepts the text or names the
// line it stopped at; what it accepts reads the same a second time, and every control it makes
// is a child window.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mfc/DialogTemplate.h"

extern "C" const char* __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view script(reinterpret_cast<const char*>(data), size);
    std::vector<NUVMfc::DialogTemplate> first, second;
    std::string error, again;
    const bool ok = NUVMfc::ParseDialogScript(script, first, error);
    Require(NUVMfc::ParseDialogScript(script, second, again) == ok);
    if (!ok) {
        Require(error.rfind("line ", 0) == 0);
        Require(error == again);
        return 0;
    }
    Require(first.size() == second.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        Require(first[i].items.size() == second[i].items.size());
        for (const NUVMfc::DialogItem& item : first[i].items) Require((item.style & WS_CHILD) != 0);
    }
    return 0;
}
