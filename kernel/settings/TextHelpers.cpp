#include "settings/TextHelpers.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "win/Guid.h"
#include "win/TempFile.h"

namespace NUV {

CString ftoa(double value, int digits) {
    if (digits < 0) return CString();
    // Half a unit of the last kept decimal is added, then the text is cut: the caller's decimals
    // are rounded, the others fall away.
    double p = std::pow(10.0, digits);
    double t = value * p;
    t += t >= 0 ? 0.5 : -0.5;
    double v = t / p;
    CString text;
    text.Format("%f", v);
    int point = text.Find('.');
    if (point < 0) return text;  // inf, nan
    return text.Left(digits == 0 ? point : point + 1 + digits);
}

CString itoa(int value) {
    CString text;
    text.Format("%d", value);
    return text;
}

bool IsChinese(char ch) { return static_cast<unsigned char>(ch) >= 0x80; }

int AdjustChineseIndex(const char* text, int index) {
    if (!text || index < 0) return index;
    int length = static_cast<int>(std::strlen(text));
    if (index >= length || !IsChinese(text[index])) return index;
    if (index == length - 1) return index;
    // Bytes of 0x80 or above pair up from the start: an odd count up to here means a lead byte.
    int count = 0;
    for (int i = index; i >= 0; --i)
        if (IsChinese(text[i])) ++count;
    return count % 2 ? index + 1 : index;
}

int GetChineseStringLength(const char* text) {
    if (!text) return 0;
    int length = static_cast<int>(std::strlen(text));
    int leads = 0;
    for (int i = 0; i < length; ++i) {
        if (IsChinese(text[i])) {
            ++leads;
            ++i;  // its trail byte
        }
    }
    return length - leads;
}

CString GetGUIDString(const char* format) {
    GUID g{};
    CoCreateGuid(&g);
    CString text;
    if (!format) return text;
    // The format comes from the caller, as with the platform's own GUID formatting.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    text.Format(format, static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2],
                g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
#pragma GCC diagnostic pop
    return text;
}

int GetUniqueTempName(CString& out, const char* prefix, unsigned unique) {
    char folder[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, folder);
    if (n == 0 || n > MAX_PATH) return 0;
    char name[MAX_PATH];
    if (GetTempFileNameA(folder, prefix ? prefix : "", unique, name) == 0) return 0;
    out = name;
    return 1;
}

}  // namespace NUV
