// The system registry: HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE with the usual API. Names and
// string data are GBK here; each hive is a text file (see RegistryFile.h) in UTF-8:
//
//   $NUV_REGISTRY_DIR/user.reg and machine.reg   when the variable is set, otherwise
//   $XDG_CONFIG_HOME/nuv/user.reg (~/.config/nuv/user.reg) for HKEY_CURRENT_USER and
//   <installation>/share/nuv/machine.reg for HKEY_LOCAL_MACHINE (beside the user file when the
//   installation tree is not writable; the installed file is then read until the first write).
//
// Every write is one locked read-modify-write of the file, so several processes may write at once
// without losing each other's values; every read sees the latest file on disk.
#pragma once

#include <cstdint>
#include <string>

#include "win/WinTypes.h"

using REGSAM = DWORD;

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;
struct FILETIME;
using PFILETIME = FILETIME*;

inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001u));
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002u));

#ifndef ERROR_SUCCESS
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_BADKEY 1010L
#define ERROR_CANTWRITE 1013L
#define ERROR_KEY_DELETED 1018L
#endif

#ifndef REG_SZ
#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_MULTI_SZ 7
#define REG_QWORD 11

#define REG_OPTION_NON_VOLATILE 0
#define REG_CREATED_NEW_KEY 1L
#define REG_OPENED_EXISTING_KEY 2L

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_EXECUTE 0x20019
#define KEY_ALL_ACCESS 0xF003F
#endif

// Opens an existing key below `key` (an empty or null subKey opens `key` itself again).
// ERROR_FILE_NOT_FOUND when it does not exist.
LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
// Opens the key, creating it and its missing parents first; `disposition` (may be null) receives
// REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM access,
                     LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition);
LONG RegCloseKey(HKEY key);

// With `data` null only the size is returned. A REG_SZ value comes with its terminating zero and
// its size counts it; ERROR_MORE_DATA (size set to what is needed) when the buffer is too small.
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
// A REG_SZ or REG_EXPAND_SZ value is the text up to its first zero byte (or `size` bytes if
// none); both are GBK here. REG_EXPAND_SZ is kept in the file as the registry editor exports it
// (hex(2): UTF-16 LE); its %VARIABLE% references are left for the reader to expand.
LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
LONG RegDeleteValueA(HKEY key, LPCSTR valueName);
// Deletes a key that has no subkeys (ERROR_ACCESS_DENIED otherwise, as the platform does).
LONG RegDeleteKeyA(HKEY key, LPCSTR subKey);
// Deletes a key and everything below it; an empty subKey empties `key` itself.
LONG RegDeleteTreeA(HKEY key, LPCSTR subKey);

// Enumeration by index, in the file's key order and the key's value order; ERROR_NO_MORE_ITEMS
// past the end. The name sizes are in characters without the terminating zero on return.
LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPSTR keyClass,
                   LPDWORD classSize, PFILETIME lastWriteTime);
LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize, LPDWORD reserved, LPDWORD type,
                   LPBYTE data, LPDWORD dataSize);

namespace NUVWin {

// The file that holds a hive (HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE), as it would be used now.
std::string RegistryFilePath(HKEY root);

}  // namespace NUVWin
