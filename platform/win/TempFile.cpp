#include "win/TempFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "win/FileSystem.h"

DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer) {
    const char* env = std::getenv("TMPDIR");
    std::string folder = (env && *env) ? env : "/tmp";
    if (!NUVWin::IsPathSeparator(folder.back())) folder += NUVWin::kNativeSeparator;
    if (!buffer || folder.size() + 1 > bufferLength) return static_cast<DWORD>(folder.size() + 1);
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return static_cast<DWORD>(folder.size());
}

namespace {

// Where the search for a free number starts: the clock in milliseconds, mixed with the process
// so that two programs started together do not walk the same sequence.
unsigned StartNumber() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    unsigned long ms = static_cast<unsigned long>(ts.tv_sec) * 1000UL + static_cast<unsigned long>(ts.tv_nsec / 1000000);
    unsigned n = static_cast<unsigned>((ms ^ (static_cast<unsigned long>(getpid()) << 5)) & 0xFFFF);
    return n ? n : 1;
}

std::string FormName(const std::string& folder, LPCSTR prefix, unsigned number) {
    std::string name = folder;
    if (!name.empty() && !NUVWin::IsPathSeparator(name.back())) name += NUVWin::kNativeSeparator;
    name.append(prefix, strnlen(prefix, 3));
    char hex[8];
    std::snprintf(hex, sizeof hex, "%X", number & 0xFFFF);
    name += hex;
    name += ".TMP";
    return name;
}

}  // namespace

UINT GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR tempFileName) {
    if (!path || !prefix || !tempFileName) return 0;
    if (std::strlen(path) > MAX_PATH - 14) return 0;

    if (unique != 0) {
        std::string name = FormName(path, prefix, unique);
        if (name.size() + 1 > MAX_PATH) return 0;
        std::memcpy(tempFileName, name.c_str(), name.size() + 1);
        return unique;
    }

    // The folder may be written the Windows way; files are created at its real location.
    std::string nativeFolder = NUVWin::NativePath(CString(path));
    unsigned number = StartNumber();
    for (unsigned tries = 0; tries < 0xFFFF; ++tries) {
        std::string name = FormName(path, prefix, number);
        if (name.size() + 1 > MAX_PATH) return 0;
        std::string native = FormName(nativeFolder, prefix, number);
        int fd = open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            std::memcpy(tempFileName, name.c_str(), name.size() + 1);
            return number;
        }
        if (errno != EEXIST) return 0;
        number = (number & 0xFFFF) + 1;
        if (number > 0xFFFF) number = 1;
    }
    return 0;
}
