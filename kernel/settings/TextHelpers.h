// Number formatting and double-byte text helpers shared by every module of the suite, and
// unique names (GUID text, temporary files).
#pragma once

#include "win/CString.h"

namespace NUV {

// value rounded half away from zero to `digits` decimals (at most six are written); the decimal
// point is dropped for 0 digits; empty for a negative count.
CString ftoa(double value, int digits);

// The value in decimal.
CString itoa(int value);

// True for a byte of 0x80 or above: one half of a double-byte character.
bool IsChinese(char ch);

// The index moved one byte forward when it falls on the lead byte of a double-byte character,
// so that cutting the text there never splits a character.
int AdjustChineseIndex(const char* text, int index);

// Characters in the text, a double-byte character counting once.
int GetChineseStringLength(const char* text);

// A new GUID written with the caller's format, which receives eleven arguments: Data1 (as an
// unsigned long), Data2, Data3 and the eight bytes of Data4.
CString GetGUIDString(const char* format);

// A temporary file name in the system's temporary folder: with unique 0 a new empty file is
// created under a free name, otherwise the name is only formed from the number. 1 and out set,
// or 0 with out unchanged.
int GetUniqueTempName(CString& out, const char* prefix, unsigned unique);

}  // namespace NUV
