// The suite's registry key and its string values. Every setting of the suite is a string value
// below GetSoftRegItem(): per user under HKEY_CURRENT_USER, per installation under
// HKEY_LOCAL_MACHINE. Names and texts are GBK.
#pragma once

#include "win/CString.h"
#include "win/Registry.h"

namespace ZQ {

// "Software\NUV": the suite's sub-key in both hives.
CString GetSoftRegItem();

// Reads a string value (REG_SZ, or REG_EXPAND_SZ with its %VARIABLE% references expanded from
// the process environment). True with the text in `out`; false, `out` unchanged, when the key or
// the value is missing or the value is not a string. A null value name reads the key's default.
bool GetRegStr(HKEY hive, const char* subKey, const char* valueName, CString& out);

// Stores `value` as REG_SZ, creating the key and its missing parents. True when stored.
bool SetRegStr(HKEY hive, const char* subKey, const char* valueName, const char* value);

}  // namespace ZQ
