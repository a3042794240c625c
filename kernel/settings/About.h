// What the suite says about itself on the command line: the about banner with the installed
// release. The banner's framing ("*****   ", "  NUV V", "版   *****") is what users and the
// suite's scripts look for: keep it byte for byte.
#pragma once

#include "win/CString.h"

namespace NUV {

// The maker's name as the about texts show it (GBK).
CString NUVMakerName();

// Prints "\n*****   <maker>  NUV V<release>  版   *****\n", the release as GetNUVVersion(0) gives it.
void ShowNUVAboutStr();

}  // namespace NUV
