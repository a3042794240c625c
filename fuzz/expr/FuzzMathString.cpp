// Arbitrary bytes through the evaluator's whole calling order. Besides the sanitizers' own
// checks it traps on broken promises: the text stays inside its buffer, a validated text is
// normalised and validates again elsewhere, errors keep the last value, copies agree.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "expr/MathString.h"

extern "C" const char* __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

bool SameResult(double a, double b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Byte 0 picks how the text arrives; with bit 0 the next 8 bytes are the value of x.
    if (size == 0) return 0;
    const uint8_t flags = data[0];
    ++data;
    --size;
    double x = 0.0;
    if ((flags & 1) && size >= sizeof x) {
        std::memcpy(&x, data, sizeof x);
        data += sizeof x;
        size -= sizeof x;
    }
    static char input[4096];
    if (size >= sizeof input) size = sizeof input - 1;
    std::memcpy(input, data, size);
    input[size] = '\0';
    const std::size_t length = std::strlen(input);

    CMathString m;
    if (flags & 2) {
        CMathString primer("1+1");
        primer.checkString();
        primer.stringToBolan();
        primer.compvalue();
        m = primer;
        if (flags & 1) m.Initial(input, x);
        else m.Initial(input);
    } else if (flags & 1) {
        m = CMathString(input, x);
    } else {
        m = CMathString(input);
    }
    Require(std::strlen(m.text) <= CMathString::MAX_TEXT + 1);

    const int valid = m.checkString();
    if (length > CMathString::MAX_TEXT + 1) Require(valid == 0);
    if (valid != 1) return 0;

    const std::size_t normalised = std::strlen(m.text);
    Require(normalised >= 1 && normalised <= CMathString::MAX_TEXT + 1 && m.text[normalised - 1] == '#');
    Require(std::strpbrk(m.text, "[]{}") == nullptr);

    // The end marker is no character of an expression; without it the normalised text validates
    // again to itself.
    CMathString again;
    again.Initial(m.text, m.getX());
    Require(again.checkString() == 0);
    char unmarked[CMathString::TEXT_SIZE];
    std::memcpy(unmarked, m.text, normalised - 1);
    unmarked[normalised - 1] = '\0';
    again.Initial(unmarked, m.getX());
    Require(again.checkString() == 1 && std::strcmp(again.text, m.text) == 0 && again.hasX == m.hasX);

    Require(m.stringToBolan() == 1);
    const double before = m.getvalue();
    const int code = m.compvalue();
    Require(code >= -1 && code <= 8);
    if (code != 0) Require(SameResult(m.getvalue(), before));

    CMathString copy(m);
    Require(copy.compvalue() == code && SameResult(copy.getvalue(), m.getvalue()));

    // The helpers on every position of the text.
    for (int i = 0; m.text[i] != '\0'; ++i) {
        int position = i;
        if (CMathString::seekStr(m.text, position, "sin")) Require(position == i + 3);
        else Require(position == i);
        const double digits = CMathString::stringToDigital(m.text + i);
        Require(!(digits < 0.0));
    }
    return 0;
}
