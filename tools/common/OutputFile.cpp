#include "OutputFile.h"

#include <sys/stat.h>

namespace nuvtools {

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void CheckOutputFile(const std::string& out, bool force, const std::vector<std::string>& inputs) {
    for (const std::string& in : inputs)
        if (SameFile(out, in)) throw OutputRefused(out + " is the file this command reads (" + in + "); choose another name");
    struct stat st {};
    // lstat: a link that points nowhere is something at that name too.
    if (lstat(out.c_str(), &st) != 0) return;
    struct stat target {};
    if (stat(out.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) throw OutputRefused(out + " is a folder");
    if (!force) throw OutputRefused(out + " already exists (--force replaces it)");
}

}  // namespace nuvtools
