// What the installation says about itself, in the machine key (ZQ::GetSoftRegItem() under
// HKEY_LOCAL_MACHINE): its release text and the mask of the suite's installed components.
#pragma once

#include "win/CString.h"

namespace NUV {

// Components of the suite, one bit each, in the installed-components mask. The kernel is bit 0;
// the installer and the suite's other modules number the rest.
enum ENUVSOFTGROUP : unsigned long {
    NUVSOFT_NONE = 0,
    NUVSOFT_KERNEL = 0x1,
    NUVSOFT_ALL = 0xFFFFFFFFul,
};

// The machine value "Release" (empty when absent). With `full` 0, a text holding a "." loses
// everything from its last "." on ("3.8.1" -> "3.8"); otherwise the whole text.
CString GetNUVVersion(int full);

// The mask: the leading number of the machine value "Group" taken as 32 bits (so "-1", as older
// writers stored the full mask, reads as 0xFFFFFFFF); 0 when absent.
unsigned long GetNUVGroupValue();
// Writes the mask as unsigned decimal text; the write's result. A mask beyond 32 bits is
// refused (0).
int SetNUVGroupValue(unsigned long mask);
// True when every bit of `bits` is in the mask (so a zero argument is always true).
bool HasInstallNUVGroup(ENUVSOFTGROUP bits);

}  // namespace NUV
