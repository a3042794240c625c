// Release and installed components from the machine key.
#include "settings/Installation.h"

#include <cstdint>
#include <cstdlib>

#include "ZQSoft/RegistryValues.h"

namespace NUV {

CString GetNUVVersion(int full) {
    CString release;
    ZQ::GetRegStr(HKEY_LOCAL_MACHINE, ZQ::GetSoftRegItem(), "Release", release);
    int dot = release.ReverseFind('.');
    return full == 0 && dot >= 0 ? release.Left(dot) : release;
}

unsigned long GetNUVGroupValue() {
    CString text;
    if (!ZQ::GetRegStr(HKEY_LOCAL_MACHINE, ZQ::GetSoftRegItem(), "Group", text)) return 0;
    return static_cast<std::uint32_t>(std::strtoll(text, nullptr, 10));
}

int SetNUVGroupValue(unsigned long mask) {
    if (mask > 0xFFFFFFFFul) return 0;
    CString text;
    text.Format("%lu", mask);
    return ZQ::SetRegStr(HKEY_LOCAL_MACHINE, ZQ::GetSoftRegItem(), "Group", text) ? 1 : 0;
}

bool HasInstallNUVGroup(ENUVSOFTGROUP bits) { return (GetNUVGroupValue() & bits) == bits; }

}  // namespace NUV
