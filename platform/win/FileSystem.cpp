#include "win/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

#include "win/Encoding.h"

namespace NUVWin {
namespace {

// GBK: a byte of 0x80 or above starts a double-byte character, whose trail byte may well be an
// ASCII letter or even '\' (0x5C) — so paths are always walked character by character.
std::size_t CharLength(std::string_view s, std::size_t i) {
    return (static_cast<unsigned char>(s[i]) >= 0x80 && i + 1 < s.size()) ? 2 : 1;
}

struct SplitPath {
    bool absolute = false;
    bool trailingSeparator = false;
    std::vector<std::string> components;  // GBK, none empty
};

SplitPath Split(std::string_view gbk) {
    SplitPath out;
    std::string cur;
    bool lastWasSeparator = false;
    for (std::size_t i = 0; i < gbk.size();) {
        std::size_t n = CharLength(gbk, i);
        if (n == 1 && IsPathSeparator(gbk[i])) {
            if (i == 0) out.absolute = true;
            if (!cur.empty()) out.components.push_back(std::move(cur));
            cur.clear();
            lastWasSeparator = true;
        } else {
            cur.append(gbk.substr(i, n));
            lastWasSeparator = false;
        }
        i += n;
    }
    if (!cur.empty()) out.components.push_back(std::move(cur));
    out.trailingSeparator = lastWasSeparator && !out.components.empty();
    return out;
}

// Names on disk are UTF-8, where every byte of a multi-byte character is 0x80 or above, so
// folding ASCII letters byte by byte never touches part of another character.
bool EqualNoCaseUtf8(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

bool Exists(const std::string& native) {
    struct stat st;
    return ::lstat(native.c_str(), &st) == 0;
}

// The entry of `folder` equal to `name` but for ASCII case; the first in byte order when several
// are, so the choice never depends on the order the file system lists them in.
bool FindNoCase(const std::string& folder, const std::string& name, std::string& found) {
    DIR* d = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!d) return false;
    bool any = false;
    while (dirent* e = ::readdir(d)) {
        std::string_view entry(e->d_name);
        if (!EqualNoCaseUtf8(entry, name)) continue;
        if (!any || entry < found) found = entry;
        any = true;
    }
    ::closedir(d);
    return any;
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + '/' + name;
}

}  // namespace

std::string NativePath(const CString& path) {
    SplitPath parts = Split(path.str());
    std::string cur = parts.absolute ? "/" : "";
    bool lookUp = true;  // stops at the first component that is missing whatever its case
    for (const std::string& gbk : parts.components) {
        std::string name = GbkToUtf8(gbk);
        if (name == "." || name == "..") {
            cur = Join(cur, name);
            continue;
        }
        if (lookUp && !Exists(Join(cur, name))) {
            std::string found;
            if (FindNoCase(cur, name, found))
                name = found;
            else
                lookUp = false;
        }
        cur = Join(cur, name);
    }
    if (parts.trailingSeparator) cur += '/';
    return cur;
}

CString AppendSeparator(const CString& path) {
    if (path.IsEmpty()) return path;
    const std::string& s = path.str();
    std::size_t last = 0;
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) last = i;
    if (CharLength(s, last) == 1 && IsPathSeparator(s[last])) return path;
    return path + kNativeSeparator;
}

CString StripTrailingSeparators(const CString& path) {
    const std::string& s = path.str();
    // End of the text up to and including the last character that is not a separator.
    std::size_t keep = 0;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = CharLength(s, i);
        if (!(n == 1 && IsPathSeparator(s[i]))) keep = i + n;
        i += n;
    }
    if (keep == 0 && !s.empty()) return CString(std::string(1, kNativeSeparator));
    return CString(s.substr(0, keep));
}

CString FileNamePart(const CString& path) {
    const std::string& s = path.str();
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = CharLength(s, i);
        if (n == 1 && IsPathSeparator(s[i])) start = i + 1;
        i += n;
    }
    return CString(s.substr(start));
}

CString FolderPart(const CString& path) {
    const CString name = FileNamePart(path);
    return CString(path.str().substr(0, path.str().size() - name.str().size()));
}

bool PathExists(const CString& path) {
    struct stat st;
    return ::stat(NativePath(path).c_str(), &st) == 0;
}

bool IsFolder(const CString& path) {
    struct stat st;
    return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const CString& path) {
    struct stat st;
    return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool MakeNativeFolders(const std::string& nativePath) {
    std::error_code ec;
    std::filesystem::create_directories(nativePath, ec);
    return std::filesystem::is_directory(nativePath, ec);
}

bool MakeFolders(const CString& path) {
    if (path.IsEmpty()) return false;
    return MakeNativeFolders(NativePath(path));
}

bool DeleteFile(const CString& path) {
    std::string native = NativePath(path);
    struct stat st;
    if (::lstat(native.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return ::unlink(native.c_str()) == 0;
}

bool DeleteFolder(const CString& path, bool recursive) {
    std::string native = NativePath(path);
    std::error_code ec;
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(native, ec))) return false;
    if (recursive) return std::filesystem::remove_all(native, ec) != static_cast<std::uintmax_t>(-1) && !ec;
    return ::rmdir(native.c_str()) == 0;
}

bool ListFolder(const CString& path, CStringArray& names) {
    names.RemoveAll();
    DIR* d = ::opendir(NativePath(path).c_str());
    if (!d) return false;
    std::vector<std::string> entries;
    while (dirent* e = ::readdir(d)) {
        std::string_view n(e->d_name);
        if (n != "." && n != "..") entries.emplace_back(n);
    }
    ::closedir(d);
    std::sort(entries.begin(), entries.end());
    for (const std::string& e : entries) names.Add(CString::FromUtf8(e));
    return true;
}

bool ReadNativeFile(const std::string& nativePath, std::string& bytes) {
    int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    bool statFailed = ::fstat(fd, &st) != 0;
    if (statFailed || S_ISDIR(st.st_mode)) {
        int why = statFailed ? errno : EISDIR;
        ::close(fd);
        errno = why;
        return false;
    }
    std::string out;
    out.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            int why = errno;
            ::close(fd);
            errno = why;
            return false;
        }
        if (n == 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    bytes = std::move(out);
    return true;
}

bool ReadFileBytes(const CString& path, std::string& bytes) { return ReadNativeFile(NativePath(path), bytes); }

bool ReadTextLines(const CString& path, CStringArray& lines) {
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) return false;
    lines.RemoveAll();
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
        if (end == std::string::npos) end = bytes.size();
        std::size_t stop = end;
        while (stop > start && bytes[stop - 1] == '\r') --stop;
        lines.Add(CString(bytes.substr(start, stop - start)));
        start = next;
    }
    return true;
}

}  // namespace NUVWin
