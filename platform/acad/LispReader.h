// The reader: AutoLISP text (GBK) to values. Integers (beyond 32 bits they read as reals),
// reals with exponents, strings with \\ \" \n \t \r \e and \nnn escapes, symbols folded to
// upper case, 'x as (QUOTE X), dotted pairs, comments from ";" to the line end and between ";|"
// and "|;". The reader keeps its own stack of open lists, so no input nests it on the C stack.
// Malformed input raises the language's errors ("malformed list on input", "extra right paren
// on input", "malformed string on input", "invalid dotted pair").
#pragma once

#include <string_view>

#include "acad/LispMachine.h"

namespace NUVAcad {

class LispReader {
public:
    LispReader(LispMachine& m, std::string_view text) : m_(m), s_(text) {}
    // The next expression; false when only blanks and comments remain.
    bool read(LispValue& out);

private:
    void skipBlank();
    LispValue readString();
    LispValue readAtom();

    LispMachine& m_;
    std::string_view s_;
    std::size_t i_ = 0;
};

// False while the text ends inside a list, a string or a block comment.
bool lispInputComplete(std::string_view text);

}  // namespace NUVAcad
