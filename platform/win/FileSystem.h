// The file layer: every file the kernel and the support libraries touch goes through here.
//
// Paths are written the Windows way, as GBK text: `\` and `/` both separate components, and a
// leading separator makes the path absolute (drive letters do not occur). Names on disk are
// UTF-8, so each component is converted on the way. A component that does not exist under its
// exact name is looked up case-insensitively among the folder's entries (ASCII letters fold;
// double-byte characters must match byte for byte), which is how the suite's fixed names such as
// "sys\nuv.rx" and "SYS\NUVUpdate.Txt" find whatever case the installation happens to use.
#pragma once

#include <string>
#include <string_view>

#include "win/CString.h"

namespace NUVWin {

// The separator this platform writes when a path needs one appended.
inline constexpr char kNativeSeparator = '/';

// True for both separators the file layer accepts.
constexpr bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

// The real path on disk for a Windows-style path: separators become '/', each component is
// converted to UTF-8 and matched case-insensitively when the exact name is absent. Components
// from the first one that cannot be found onwards are kept as written (converted), so the result
// is also the right name for creating a file or folder. A trailing separator is kept.
std::string NativePath(const CString& path);

// The path with the native separator appended, unless it already ends with either separator.
// An empty path stays empty.
CString AppendSeparator(const CString& path);

// The path without trailing separators of either kind ("/" alone stays "/").
CString StripTrailingSeparators(const CString& path);

// The path's final component (after the last separator), and everything before it.
CString FileNamePart(const CString& path);
CString FolderPart(const CString& path);

bool PathExists(const CString& path);
bool IsFolder(const CString& path);
bool IsFile(const CString& path);

// Creates the folder and every missing parent. True when the folder exists afterwards.
bool MakeFolders(const CString& path);

// Removes a file (not a folder). False when it did not exist or could not be removed.
bool DeleteFile(const CString& path);

// Removes a folder: only an empty one unless `recursive`, which removes everything inside too.
bool DeleteFolder(const CString& path, bool recursive = false);

// Names (GBK) of the entries of a folder, sorted, without "." and "..".
bool ListFolder(const CString& path, CStringArray& names);

// Reads a text file as GBK lines, each without its CR/LF. A final line without a line feed
// counts; the empty text after a final line feed does not. False when the file cannot be read.
bool ReadTextLines(const CString& path, CStringArray& lines);

// Whole-file bytes.
bool ReadFileBytes(const CString& path, std::string& bytes);
bool WriteFileBytes(const CString& path, std::string_view bytes);

// Replaces the file so that a reader sees either the old or the new content, never a part, and
// the new content survives a crash once this returns true: a temporary file in the same folder is
// written, flushed to disk and renamed over the target.
bool WriteFileAtomic(const CString& path, std::string_view bytes);

// The same operations on paths that are already native (UTF-8, '/' only, no case matching), for
// the platform's own files such as the registry's.
bool ReadNativeFile(const std::string& nativePath, std::string& bytes);
bool WriteNativeFileAtomic(const std::string& nativePath, std::string_view bytes);
bool MakeNativeFolders(const std::string& nativePath);

}  // namespace NUVWin
