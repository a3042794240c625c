// Finding the installation folder: the registry first, then the environment, then the tree the
// library was loaded from, so a build tree and an installed tree both work without set-up.
#include "ZQSoft/InstallDir.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "ZQSoft/RegistryValues.h"
#include "win/FileSystem.h"
#include "win/Registry.h"

#ifndef ZQ_INSTALLED_LIB_TO_SHARE
#define ZQ_INSTALLED_LIB_TO_SHARE "../share/nuv"
#endif

namespace ZQ {
namespace {

bool Accept(const CString& folder, CString& out) {
    if (folder.IsEmpty() || !NUVWin::IsFolder(folder)) return false;
    out = NUVWin::AppendSeparator(NUVWin::StripTrailingSeparators(folder));
    return true;
}

// The folder of this library as loaded, native.
std::filesystem::path LibraryFolder() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&GetInstallDir), &info) == 0 || !info.dli_fname) return {};
    std::error_code ec;
    std::filesystem::path lib = std::filesystem::absolute(info.dli_fname, ec);
    return ec ? std::filesystem::path() : lib.parent_path();
}

}  // namespace

bool GetInstallDir(CString& out) {
    CString fromRegistry;
    if (GetRegStr(HKEY_LOCAL_MACHINE, GetSoftRegItem(), "InstallDir", fromRegistry) && Accept(fromRegistry, out))
        return true;
    if (const char* env = std::getenv("NUV_INSTALL_DIR"); env && *env && Accept(CString::FromUtf8(env), out))
        return true;
    std::filesystem::path lib = LibraryFolder();
    if (lib.empty()) return false;
    // The build tree keeps every library in lib/ beside share/; an installation may put the
    // libraries deeper (lib/<triplet>), which the installed relative path accounts for.
    for (const char* rel : {"../share/nuv", ZQ_INSTALLED_LIB_TO_SHARE}) {
        std::filesystem::path share = (lib / rel).lexically_normal();
        if (Accept(CString::FromUtf8(share.string()), out)) return true;
    }
    return false;
}

}  // namespace ZQ
