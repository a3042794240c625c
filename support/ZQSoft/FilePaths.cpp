// Existence, folder creation and file-name parts through the platform's file layer.
#include "ZQSoft/FilePaths.h"

#include "win/FileSystem.h"

namespace ZQ {
namespace {

// Byte offset of the dot that starts the extension of a name (no separators in it), or -1.
int ExtensionDot(const CString& name) {
    const std::string& s = name.str();
    int dot = -1;
    for (std::size_t i = 0; i < s.size();) {
        bool lead = static_cast<unsigned char>(s[i]) >= 0x80 && i + 1 < s.size();
        if (!lead && s[i] == '.') dot = static_cast<int>(i);
        i += lead ? 2 : 1;
    }
    return dot;
}

}  // namespace

bool IsExist(const char* path) { return path && *path && NUVWin::PathExists(CString(path)); }

bool MkMDir(const char* path) { return path && *path && NUVWin::MakeFolders(CString(path)); }

CString GetFilePath(const char* path) { return path ? NUVWin::FolderPart(CString(path)) : CString(); }

CString GetFileTitle(const char* path) {
    if (!path) return CString();
    CString name = NUVWin::FileNamePart(CString(path));
    int dot = ExtensionDot(name);
    return dot < 0 ? name : name.Left(dot);
}

CString GetFileExt(const char* path) {
    if (!path) return CString();
    CString name = NUVWin::FileNamePart(CString(path));
    int dot = ExtensionDot(name);
    return dot < 0 ? CString() : name.Mid(dot + 1);
}

}  // namespace ZQ
