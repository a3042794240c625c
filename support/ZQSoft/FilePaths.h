// Files and folders by their Windows-style GBK paths (either separator; components matched
// case-insensitively by the file layer), and the parts of a file name. The parts are taken
// character by character, so a double-byte character whose trail byte is '\' never splits a name.
#pragma once

#include "win/CString.h"

namespace ZQ {

// True when a file or folder exists at the path (a null or empty path: false).
bool IsExist(const char* path);

// Creates the folder and every missing parent. True when the folder exists afterwards (also when
// it existed before); false for a null or empty path or when something else stands in the way.
bool MkMDir(const char* path);

// For "\proj\dwg\plan.a.dwg" (and the same with '/'):
//   GetFilePath  "\proj\dwg\"  the folder with its trailing separator; empty without a folder
//   GetFileTitle "plan.a"    the name without folder and extension
//   GetFileExt   "dwg"       the extension without its dot; empty when the name has no dot
// A name that starts with its only dot (".profile") has an empty title and the extension
// "profile"; a path ending in a separator has an empty title and extension.
CString GetFilePath(const char* path);
CString GetFileTitle(const char* path);
CString GetFileExt(const char* path);

}  // namespace ZQ
