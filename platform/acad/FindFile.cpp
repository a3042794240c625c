// The host's file search.
#include "acad/FindFile.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include "acad/AcApDocument.h"
#include "acad/AdsTypes.h"
#include "acad/HostInternal.h"
#include "win/Encoding.h"
#include "win/FileSystem.h"
#include "win/WinTypes.h"

namespace NUVAcad {
namespace {

bool IsRegular(const std::string& native) {
    struct stat st;
    return ::stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Real(const std::string& native) {
    char* real = ::realpath(native.c_str(), nullptr);
    if (!real) return std::string();
    std::string out(real);
    std::free(real);
    return out;
}

std::string Parent(const std::string& native) {
    std::size_t slash = native.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : native.substr(0, slash);
}

}  // namespace

std::string InstallationFolder() {
    if (const char* env = std::getenv("NUV_INSTALL_DIR"); env && *env) return NUVWin::NativePath(CString(env));
    // Beside the library itself: <prefix>/lib/libnuvacad.so -> <prefix>/share/nuv (one level
    // further up for a multiarch lib/<triplet>/).
    Dl_info info;
    if (::dladdr(reinterpret_cast<const void*>(&InstallationFolder), &info) && info.dli_fname) {
        std::string lib = Real(info.dli_fname);
        if (!lib.empty()) {
            std::string prefix = Parent(Parent(lib));
            struct stat st;
            std::string upper = Parent(prefix) + "/share/nuv";
            if (::stat((prefix + "/share/nuv").c_str(), &st) != 0 && ::stat(upper.c_str(), &st) == 0) return upper;
            return prefix + "/share/nuv";
        }
    }
    return "share/nuv";
}

std::vector<std::string> SupportPath() {
    std::vector<std::string> out;
    if (const char* env = std::getenv("NUV_SUPPORT_PATH")) {
        std::string all = env;
        std::size_t start = 0;
        while (start <= all.size()) {
            std::size_t sep = all.find_first_of(";:", start);
            if (sep == std::string::npos) sep = all.size();
            std::string part = all.substr(start, sep - start);
            if (!part.empty()) out.push_back(NUVWin::NativePath(CString(part)));
            start = sep + 1;
        }
    }
    out.push_back(InstallationFolder() + "/support");
    return out;
}

std::string RealFilePath(const std::string& gbkPath) {
    if (gbkPath.empty()) return std::string();
    std::string native = NUVWin::NativePath(CString(gbkPath));
    if (!IsRegular(native)) return std::string();
    return Real(native);
}

bool FindFile(const std::string& gbkName, std::string& gbkFound, const AcApDocument* document) {
    if (gbkName.empty()) return false;
    auto accept = [&](const std::string& native) {
        if (!IsRegular(native)) return false;
        std::string real = Real(native);
        if (real.empty()) return false;
        gbkFound = NUVWin::Utf8ToGbk(real);
        return true;
    };
    bool hasFolder = gbkName.find_first_of("/\\") != std::string::npos;
    if (hasFolder) return accept(NUVWin::NativePath(CString(gbkName)));
    std::vector<std::string> folders;
    const AcApDocument* doc = document ? document : acDocManager->curDocument();
    if (doc && !doc->isUntitled())
        folders.push_back(Parent(NUVWin::NativePath(CString(doc->fileName()))));
    for (std::string& f : SupportPath()) folders.push_back(std::move(f));
    folders.push_back(".");
    const std::string utf8Name = NUVWin::GbkToUtf8(gbkName);
    for (const std::string& folder : folders) {
        if (accept(folder + "/" + utf8Name)) return true;
        // Not under its exact name: let the file layer match the letter case.
        CString candidate = NUVWin::AppendSeparator(CString(NUVWin::Utf8ToGbk(folder))) + CString(gbkName);
        if (accept(NUVWin::NativePath(candidate))) return true;
    }
    return false;
}

}  // namespace NUVAcad

int acedFindFile(const char* name, char* result, std::size_t bufferLength) {
    if (!name || !result || bufferLength == 0) return RTERROR;
    std::string found;
    if (!NUVAcad::FindFile(name, found) || found.size() + 1 > bufferLength) return RTERROR;
    std::memcpy(result, found.c_str(), found.size() + 1);
    return RTNORM;
}

int acedFindFile(const char* name, char* result) { return acedFindFile(name, result, MAX_PATH); }
