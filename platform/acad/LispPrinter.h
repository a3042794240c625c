// Printed forms of AutoLISP values, as princ (raw text) and prin1/print (readable) show them:
// integers in decimal, reals with up to six significant digits and always a decimal point or an
// exponent ("3.0", "0.333333", "1.0e+10"), symbols in their stored upper case, nil as "nil",
// dotted pairs as "(1 . 2)", and for prin1 strings in quotes with \" \\ \n \t \r \e and \nnn
// escapes. Double-byte GBK characters are copied whole, so their second byte is never escaped.
// Printing walks lists iteratively: any length or depth is safe.
#pragma once

#include <string>

#include "acad/LispValue.h"

namespace NUVAcad {

std::string lispFormatReal(double r);
std::string lispPrint(const LispValue& v, bool escape);

}  // namespace NUVAcad
