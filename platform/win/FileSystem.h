// The file layer: every file the kernel and the support libraries touch goes through here.
//
// Paths are written the Windows way, as GBK text: `\` and `/` both separate components, and a
// leading separator makes the path absolute (drive letters do not occur). Names on disk are
// UTF-8, so each component is converted on the way. A component that does not exist under its
// exact name is looked up case-insensitively among the folder's entries (ASCII letters fold;
// double-byte characters must match byte for byte), which is how the suite's fixed names such as
// "sys\nuv.rx" and "SYS\NUVUpdate.Txt" find whatever case the installation happens to use.
#pragma once

#include <functional>
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

// Whole-file bytes. On failure errno says why (EISDIR for a folder).
bool ReadFileBytes(const CString& path, std::string& bytes);
bool ReadNativeFile(const std::string& nativePath, std::string& bytes);

// ---- Writing ----
// Every file the project writes goes through these. The file at the path is replaced so that a
// reader sees the old or the new content, never a part, and the new content survives a crash once
// the call returns true: a temporary file beside the target is written, flushed and renamed over
// it.
// - A symbolic link is written through: the file at the end of the link chain is replaced (the
//   temporary file sits beside it) and the link stays a link.
// - Anything at the path that is not a regular file (folder, FIFO, device, socket) is refused and
//   left as it is; so is an existing file the user may not write.
// - An existing file keeps its permission bits and, where the process may set them, its owner and
//   group. A new file gets 0666 less the umask.
// - A file with several hard links: the name written to gets the new file; the other names keep
//   the old content (replacing in place could leave every name with a half-written file).
// On failure nothing at the path has changed and no temporary file is left; `why`, when given,
// says what went wrong and names the path (UTF-8).
struct WriteOptions {
    bool mayReplace = true;  // false: refuse when anything already stands at the path (checked
                             // by the final rename itself, so no other writer can slip in between)
};

bool WriteFileAtomic(const CString& path, std::string_view bytes, std::string* why = nullptr,
                     const WriteOptions& options = {});
// The same on a path that is already native (UTF-8, '/' only, no case matching).
bool WriteNativeFileAtomic(const std::string& nativePath, std::string_view bytes, std::string* why = nullptr,
                           const WriteOptions& options = {});
// For writers that produce the file themselves from a file name (a library, a database engine):
// `fill` writes the new content at the temporary path it is given (the file exists, empty) and
// returns false, with a reason, when it cannot.
using FileFiller = std::function<bool(const std::string& tempPath, std::string& why)>;
bool WriteNativeFileAtomicWith(const std::string& nativePath, const FileFiller& fill, std::string* why = nullptr,
                               const WriteOptions& options = {});

// Creates a native folder and every missing parent; true when it exists afterwards.
bool MakeNativeFolders(const std::string& nativePath);

}  // namespace NUVWin
