// Arbitrary typed text through the validated field's checks, for every character class: the
// state is one of the twelve, the checks leave the text alone, and running them twice agrees.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "controls/SuperEdit.h"

extern "C" const char* __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Byte 0 picks the class and the checks; the rest is the text (up to its first zero byte).
    if (size == 0) return 0;
    const uint8_t flags = data[0];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string copy = text;
    CSuperEdit field;
    field.SetValidCharSet(static_cast<VVEset>(flags % 11), "0123456789.-");
    field.SetEnableLengthCheck(flags & 0x10);
    field.SetTextLenMinMax(flags & 0x20 ? 2 : 0, 40);
    field.SetEableValueCheck(flags & 0x40);
    field.SetEmptyValid(!(flags & 0x80));
    field.SetAllValue(5, -1000, 1000);
    const int state = field.ValidateText(text.c_str());
    Require(state >= VVE_EMPTY_ERROR && state <= VVE_CUSTOM_ERROR2);
    Require(field.ValidateText(text.c_str()) == state);
    Require(text == copy);
    for (int set = VVE_CUSTOM; set <= VVE_FLOAT; ++set) {
        const int r = CSuperEdit::CheckRange(static_cast<VVEset>(set), text.c_str());
        Require(r >= -1 && r <= 1);
    }
    return 0;
}
