// Adding a folder to the host's library search path.
#include "ZQSoft/SearchPath.h"

#include <cstdlib>
#include <string>

#include "win/CString.h"
#include "win/FileSystem.h"

namespace ZQ {

bool AddPathEnvironmentVariable(const char* folder) {
    if (!folder || !*folder) return false;
    std::string add(folder);
    if (add.find_first_of(";:") != std::string::npos) return false;
    const char* now = std::getenv(kSearchPathVariable);
    if (!now) now = std::getenv("PATH");
    std::string list = now ? now : "";
    const std::string want = NUVWin::StripTrailingSeparators(CString(add)).str();
    for (std::size_t start = 0; start <= list.size();) {
        std::size_t sep = list.find_first_of(";:", start);
        if (sep == std::string::npos) sep = list.size();
        if (sep > start && NUVWin::StripTrailingSeparators(CString(list.substr(start, sep - start))).str() == want) {
            // Already there; make sure it is in "Path" itself, not only in "PATH".
            return ::setenv(kSearchPathVariable, list.c_str(), 1) == 0;
        }
        start = sep + 1;
    }
    if (!list.empty() && list.back() != ';' && list.back() != ':') list += ';';
    list += add;
    return ::setenv(kSearchPathVariable, list.c_str(), 1) == 0;
}

}  // namespace ZQ
