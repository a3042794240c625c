// The one way files are written: a temporary file beside the real target, flushed and renamed
// over it. Whatever a failure does, the target and everything around it stay as they were.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>

#include "win/FileSystem.h"

namespace NUVWin {
namespace {

constexpr int kMaxLinkHops = 40;  // as the kernel's own limit for path resolution

std::string Quote(const std::string& s) { return "'" + s + "'"; }

std::string FolderOf(const std::string& native) {
    std::size_t slash = native.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return native.substr(0, slash);
}

const char* KindOf(mode_t m) {
    if (S_ISDIR(m)) return "a folder";
    if (S_ISFIFO(m)) return "a named pipe (FIFO)";
    if (S_ISCHR(m)) return "a character device";
    if (S_ISBLK(m)) return "a block device";
    if (S_ISSOCK(m)) return "a socket";
    return "not a regular file";
}

// What a write to a path replaces: the path itself, or the end of the chain of symbolic links
// that starts there (a link is written through, never replaced by a file).
struct Target {
    std::string path;
    bool exists = false;
    struct stat st {};
};

bool Resolve(const std::string& path, Target& t, std::string& why) {
    std::string cur = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st;
        if (::lstat(cur.c_str(), &st) != 0) {
            if (errno != ENOENT) {
                why = "cannot reach " + Quote(cur) + ": " + std::strerror(errno);
                return false;
            }
            t.path = cur;  // a new file (or a missing folder, which creating the file reports)
            return true;
        }
        if (!S_ISLNK(st.st_mode)) {
            t.path = cur;
            t.exists = true;
            t.st = st;
            return true;
        }
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        ssize_t n;
        while ((n = ::readlink(cur.c_str(), link.data(), link.size())) == static_cast<ssize_t>(link.size()))
            link.resize(link.size() * 2);
        if (n <= 0) {
            why = "cannot read the symbolic link " + Quote(cur) + ": " + std::strerror(n < 0 ? errno : ENOENT);
            return false;
        }
        link.resize(static_cast<std::size_t>(n));
        cur = link[0] == '/' ? link : FolderOf(cur) + "/" + link;
    }
    why = Quote(path) + ": too many levels of symbolic links";
    return false;
}

std::string Describe(const std::string& path, const Target& t) {
    return t.path == path ? Quote(path) : Quote(path) + " (a link to " + Quote(t.path) + ")";
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Creates the temporary file beside the target: a name no other writer uses (process id and a
// random part), hidden, in the target's folder so the rename stays within one file system.
int CreateTemp(const Target& t, std::string& temp, mode_t mode, std::string& why) {
    std::string folder = FolderOf(t.path);
    std::size_t slash = t.path.find_last_of('/');
    std::string prefix = slash == std::string::npos ? "" : t.path.substr(0, slash + 1);
    std::string base = t.path.substr(prefix.size());
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".%d.%08llx.tmp", static_cast<int>(::getpid()),
                      static_cast<unsigned long long>(rng() & 0xffffffffULL));
        temp = prefix + "." + base + suffix;
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    why = "cannot create a file in " + Quote(folder) + ": " + std::strerror(errno);
    return -1;
}

// Writes the new content into the open temporary file (or, for writers that take a file name,
// into the file at its path); false with the reason when it cannot.
using Fill = std::function<bool(int fd, const std::string& tempPath, std::string& why)>;

bool Fail(std::string* out, std::string why) {
    if (out) *out = std::move(why);
    return false;
}

// Owns the temporary file until it is renamed into place: any way out before that, a failure or
// an exception from the filler, removes it.
class Temporary {
public:
    ~Temporary() {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    int fd_ = -1;
    std::string path_;
    // Closes the descriptor; false (errno set) when the close reports a failed write.
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }
    void Placed() { path_.clear(); }
};

bool Replace(const std::string& nativePath, const Fill& fill, std::string* whyOut, const WriteOptions& options) {
    if (nativePath.empty() || nativePath.back() == '/') return Fail(whyOut, "no file name given in " + Quote(nativePath));
    std::string why;
    Target t;
    if (!Resolve(nativePath, t, why)) return Fail(whyOut, why);
    const std::string name = Describe(nativePath, t);
    if (!options.mayReplace && (t.exists || t.path != nativePath)) return Fail(whyOut, name + " already exists");
    if (t.exists && !S_ISREG(t.st.st_mode))
        return Fail(whyOut, name + " is " + KindOf(t.st.st_mode) + ", not a regular file; it was left as it is");
    // Replacing by rename needs no write permission on the file itself; a file the user may not
    // write is still refused, as writing into it would be.
    if (t.exists && ::faccessat(AT_FDCWD, t.path.c_str(), W_OK, AT_EACCESS) != 0)
        return Fail(whyOut, "cannot replace " + name + ": " + std::strerror(errno));

    // Over an existing file the temporary starts private: its content may be as confidential as
    // the file it replaces, whose mode it takes only at the end.
    Temporary temp;
    temp.fd_ = CreateTemp(t, temp.path_, t.exists ? 0600 : 0666, why);
    if (temp.fd_ < 0) return Fail(whyOut, why);
    struct stat fresh;
    mode_t mode = ::fstat(temp.fd_, &fresh) == 0 ? fresh.st_mode & 07777 : 0644;  // 0666 less the umask
    if (t.exists) mode = t.st.st_mode & 07777;
    bool ok = fill(temp.fd_, temp.path_, why);
    int err = errno;
    ok = temp.Close() && ok;
    if (!ok) return Fail(whyOut, why.empty() ? "cannot write " + name + ": " + std::strerror(err ? err : errno) : why);

    // The file the filler left at the temporary path (it may have made a new one there).
    temp.fd_ = ::open(temp.path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (temp.fd_ < 0) return Fail(whyOut, "cannot write " + name + ": " + std::strerror(errno));
    if (t.exists && ::fchown(temp.fd_, t.st.st_uid, t.st.st_gid) != 0 &&
        ::fchown(temp.fd_, static_cast<uid_t>(-1), t.st.st_gid) != 0) {
        // Only an owner the process may give: otherwise the file belongs to whoever saved it.
    }
    // After the owner: changing it clears the set-id bits.
    if (::fchmod(temp.fd_, mode) != 0 || ::fsync(temp.fd_) != 0 || !temp.Close())
        return Fail(whyOut, "cannot write " + name + ": " + std::strerror(errno));

    int rc = options.mayReplace ? ::rename(temp.path_.c_str(), t.path.c_str())
                                : ::renameat2(AT_FDCWD, temp.path_.c_str(), AT_FDCWD, t.path.c_str(), RENAME_NOREPLACE);
    bool linked = false;
    if (rc != 0 && !options.mayReplace && errno == EINVAL) {
        // A file system without no-replace renames: a hard link fails the same way on a taken name.
        rc = ::link(temp.path_.c_str(), t.path.c_str());
        linked = true;
    }
    if (rc != 0) {
        err = errno;
        return Fail(whyOut, err == EEXIST ? name + " already exists" : "cannot write " + name + ": " + std::strerror(err));
    }
    if (!linked) temp.Placed();  // renamed away; after a link the temporary name still has to go
    // The rename itself is only durable once the folder is flushed.
    int dir = ::open(FolderOf(t.path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace

bool WriteNativeFileAtomic(const std::string& nativePath, std::string_view bytes, std::string* why, const WriteOptions& options) {
    return Replace(
        nativePath, [&](int fd, const std::string&, std::string&) { return WriteAll(fd, bytes); }, why, options);
}

bool WriteNativeFileAtomicWith(const std::string& nativePath, const FileFiller& fill, std::string* why, const WriteOptions& options) {
    return Replace(
        nativePath, [&](int, const std::string& temp, std::string& reason) { return fill(temp, reason); }, why, options);
}

bool WriteFileAtomic(const CString& path, std::string_view bytes, std::string* why, const WriteOptions& options) {
    return WriteNativeFileAtomic(NativePath(path), bytes, why, options);
}

}  // namespace NUVWin
