// Whether a text is a plain decimal number, the form a number takes when it is typed or shown
// without arithmetic around it.
#pragma once

namespace ZQ {

// True for an optional sign, then digits with at most one decimal point and at least one digit:
// "5", "-5", "+0.5", "14.00", ".5", "5.". False for everything else: empty text, blanks anywhere,
// exponents ("1e3"), several points or signs, thousands separators, "inf", "nan", hexadecimal.
bool IsNum(const char* text);

}  // namespace ZQ
