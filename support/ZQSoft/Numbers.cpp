// Plain-number test, by hand rather than strtod: strtod also takes blanks, exponents, "inf" and
// hexadecimal, none of which a plain number is.
#include "ZQSoft/Numbers.h"

namespace ZQ {

bool IsNum(const char* text) {
    if (!text) return false;
    const char* p = text;
    if (*p == '+' || *p == '-') ++p;
    bool digit = false, point = false;
    for (; *p; ++p) {
        if (*p >= '0' && *p <= '9') {
            digit = true;
        } else if (*p == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

}  // namespace ZQ
