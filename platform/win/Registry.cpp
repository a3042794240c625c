#include "win/Registry.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "win/Encoding.h"
#include "win/FileSystem.h"
#include "win/RegistryFile.h"

struct HKEY__ {
    HKEY root;         // HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE
    std::string path;  // UTF-8, below the root
    REGSAM access;
};

namespace {

using NUVWin::RegFile::Document;
using NUVWin::RegFile::Key;
using NUVWin::RegFile::Value;

struct HiveLocation {
    std::string file;  // read and written
    std::string seed;  // read while `file` does not exist yet (the installed machine file)
};

// What identifies one version of a file: a rename gives a new inode, a rewrite a new size or time.
struct FileIdentity {
    std::string source;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    timespec mtime{}, ctime{};
    bool operator==(const FileIdentity& o) const {
        return source == o.source && dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec;
    }
};

struct Hive {
    std::string rootName;
    Document doc;
    FileIdentity identity;  // of what `doc` was read from; empty source: nothing was there
    bool loaded = false;
    bool hasProblems = false;  // some line of `identity.source` could not be read
    FileIdentity reported;     // the last version whose problems went to stderr
};

std::map<std::string, Hive> g_hives;  // by file path
std::set<HKEY__*> g_handles;

bool IsUser(HKEY root) { return root == HKEY_CURRENT_USER; }
bool IsPredefined(HKEY k) { return k == HKEY_CURRENT_USER || k == HKEY_LOCAL_MACHINE; }

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string UserConfigFolder() {
    std::string xdg = Env("XDG_CONFIG_HOME");
    if (!xdg.empty() && xdg[0] == '/') return xdg + "/nuv";
    std::string home = Env("HOME");
    if (home.empty())
        if (passwd* pw = ::getpwuid(::getuid())) home = pw->pw_dir;
    return home + "/.config/nuv";
}

// share/nuv beside the folder our library was loaded from.
std::string InstallShareFolder() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&InstallShareFolder), &info) == 0 || !info.dli_fname) return {};
    std::filesystem::path lib = std::filesystem::absolute(info.dli_fname);
    return (lib.parent_path() / ".." / "share" / "nuv").lexically_normal().string();
}

// Writable, or creatable by us because its nearest existing ancestor is writable.
bool CanWriteFolder(const std::string& folder) {
    std::filesystem::path p(folder);
    std::error_code ec;
    while (!p.empty() && !std::filesystem::exists(p, ec)) {
        if (p == p.parent_path()) break;
        p = p.parent_path();
    }
    return !p.empty() && std::filesystem::is_directory(p, ec) && ::access(p.c_str(), W_OK) == 0;
}

HiveLocation Locate(HKEY root) {
    const char* name = IsUser(root) ? "user.reg" : "machine.reg";
    std::string dir = Env("NUV_REGISTRY_DIR");
    if (!dir.empty()) return {dir + "/" + name, {}};
    std::string user = UserConfigFolder();
    if (IsUser(root)) return {user + "/" + name, {}};
    std::string share = InstallShareFolder();
    if (!share.empty() && CanWriteFolder(share)) return {share + "/" + name, {}};
    static bool said = false;  // once per process
    if (!said) {
        said = true;
        std::fprintf(stderr, "nuv registry: %s is not writable; HKEY_LOCAL_MACHINE is kept in %s/%s\n",
                     share.empty() ? "the installation folder" : share.c_str(), user.c_str(), name);
    }
    return {user + "/" + name, share.empty() ? std::string() : share + "/" + name};
}

// Reads the hive's current version from disk unless `doc` already is it. Always re-reads when
// `force` (callers holding the write lock).
void Load(Hive& hive, const HiveLocation& where, bool force) {
    int fd = ::open(where.file.c_str(), O_RDONLY | O_CLOEXEC);
    std::string source = where.file;
    if (fd < 0 && !where.seed.empty()) {
        fd = ::open(where.seed.c_str(), O_RDONLY | O_CLOEXEC);
        source = where.seed;
    }
    FileIdentity id;
    struct stat st;
    if (fd >= 0 && ::fstat(fd, &st) == 0) {
        id = FileIdentity{source, st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    }
    if (!force && hive.loaded && id == hive.identity) {
        if (fd >= 0) ::close(fd);
        return;
    }
    std::string text;
    if (fd >= 0) {
        char buf[65536];
        ssize_t n;
        while ((n = ::read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
        ::close(fd);
    }
    auto parsed = NUVWin::RegFile::Parse(text, hive.rootName);
    hive.doc = std::move(parsed.document);
    hive.identity = id;
    hive.loaded = true;
    hive.hasProblems = !parsed.problems.empty();
    if (hive.hasProblems && !(hive.reported == id)) {
        for (const auto& p : parsed.problems)
            std::fprintf(stderr, "nuv registry: %s:%d: %s; the line is ignored\n", source.c_str(), p.line, p.message.c_str());
        hive.reported = id;
    }
}

Hive& HiveFor(HKEY root, HiveLocation& where) {
    where = Locate(root);
    Hive& hive = g_hives[where.file];
    if (hive.rootName.empty()) {
        hive.rootName = IsUser(root) ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
        hive.doc = Document(hive.rootName);
    }
    return hive;
}

// A read: the hive as it is on disk now.
const Document& Current(HKEY root) {
    HiveLocation where;
    Hive& hive = HiveFor(root, where);
    Load(hive, where, false);
    return hive.doc;
}

// A write: under the hive's file lock, re-read the file, let `change` edit the document and write
// it back if it says it changed something. The lock makes concurrent writers take turns, and the
// re-read makes each apply its change to the other's result.
// The hive file's lock between processes, held while this object lives: released however the
// write ends, an exception from the change included.
class HiveLock {
public:
    explicit HiveLock(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
        while (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0)
            if (errno != EINTR) {
                ::close(fd_);
                fd_ = -1;
            }
    }
    ~HiveLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    HiveLock(const HiveLock&) = delete;
    HiveLock& operator=(const HiveLock&) = delete;
    bool Held() const { return fd_ >= 0; }

private:
    int fd_;
};

LONG Mutate(HKEY root, const std::function<LONG(Document&, bool& changed)>& change) {
    HiveLocation where;
    Hive& hive = HiveFor(root, where);
    std::string folder = std::filesystem::path(where.file).parent_path().string();
    if (!NUVWin::MakeNativeFolders(folder)) return ERROR_CANTWRITE;
    HiveLock lock(where.file + ".lock");
    if (!lock.Held()) return ERROR_CANTWRITE;
    // Whatever happens, the next access reads the file again.
    struct Reload {
        Hive& hive;
        ~Reload() { hive.loaded = false; }
    } reload{hive};
    Load(hive, where, true);
    bool changed = false;
    LONG rc = change(hive.doc, changed);
    if (rc != ERROR_SUCCESS || !changed) return rc;
    // Lines that could not be read are about to disappear from the file: keep the original first,
    // and write nothing when it cannot be kept.
    if (hive.hasProblems && hive.identity.source == where.file) {
        std::string original, why;
        if (!NUVWin::ReadNativeFile(where.file, original) || !NUVWin::WriteNativeFileAtomic(where.file + ".bak", original, &why)) {
            std::fprintf(stderr, "nuv registry: %s was not changed: it holds unreadable lines, and the copy of the original could "
                                 "not be kept (%s)\n",
                         where.file.c_str(), why.empty() ? "the file cannot be read" : why.c_str());
            return ERROR_CANTWRITE;
        }
        std::fprintf(stderr, "nuv registry: %s is rewritten without its unreadable lines; the original is kept in %s.bak\n",
                     where.file.c_str(), where.file.c_str());
    }
    std::string why;
    if (!NUVWin::WriteNativeFileAtomic(where.file, NUVWin::RegFile::Serialize(hive.doc), &why)) {
        std::fprintf(stderr, "nuv registry: %s\n", why.c_str());
        return ERROR_CANTWRITE;
    }
    return ERROR_SUCCESS;
}

std::string ToUtf8(LPCSTR gbk) { return gbk ? NUVWin::GbkToUtf8(gbk) : std::string(); }

// A name the file can hold: it has to stay on one line.
bool Storable(const std::string& name) { return name.find_first_of("\r\n") == std::string::npos; }

std::string JoinKey(const std::string& base, const std::string& sub) {
    return NUVWin::RegFile::NormalizeKeyPath(base.empty() ? sub : base + "\\" + sub);
}

// The root, path and rights behind a handle; false for a handle that is not open.
bool Resolve(HKEY key, HKEY& root, std::string& path, REGSAM& access) {
    if (IsPredefined(key)) {
        root = key;
        path.clear();
        access = KEY_ALL_ACCESS;
        return true;
    }
    if (!g_handles.count(key)) return false;
    root = key->root;
    path = key->path;
    access = key->access;
    return true;
}

// Resolves a handle for an operation that needs the given access right.
LONG ResolveFor(HKEY key, REGSAM need, HKEY& root, std::string& path) {
    REGSAM rights;
    if (!Resolve(key, root, path, rights)) return ERROR_INVALID_HANDLE;
    return (rights & need) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// The key a handle opens, for reading its values (the registry lock held).
LONG KeyToRead(HKEY key, const Key*& out) {
    HKEY root;
    std::string path;
    if (LONG rc = ResolveFor(key, KEY_QUERY_VALUE, root, path); rc != ERROR_SUCCESS) return rc;
    out = Current(root).Find(path);
    return out ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

// REG_EXPAND_SZ is kept as the registry editor exports it: UTF-16 LE with its terminating zero.
std::u16string Utf16LeText(const std::string& bytes) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char16_t c = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (c == 0) break;
        text += c;
    }
    return text;
}

std::string Utf16LeBytes(const std::u16string& text) {
    std::string bytes;
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes + std::string(2, '\0');
}

// The API bytes of a stored value: the string types as GBK with their terminating zero, others
// as stored.
std::string ApiBytes(const Value& v) {
    if (v.type == REG_SZ) return NUVWin::Utf8ToGbk(v.data) + '\0';
    if (v.type == REG_EXPAND_SZ) return NUVWin::Utf16ToGbk(Utf16LeText(v.data)) + '\0';
    return v.data;
}

LONG CopyOut(const std::string& bytes, LPBYTE data, LPDWORD size) {
    if (!size) return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    DWORD need = static_cast<DWORD>(bytes.size());
    if (data) {
        if (*size < need) {
            *size = need;
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, bytes.data(), bytes.size());
    }
    *size = need;
    return ERROR_SUCCESS;
}

LONG CopyName(const std::string& gbk, LPSTR out, LPDWORD size) {
    if (!out || !size) return ERROR_INVALID_PARAMETER;
    if (*size <= gbk.size()) return ERROR_MORE_DATA;
    std::memcpy(out, gbk.c_str(), gbk.size() + 1);
    *size = static_cast<DWORD>(gbk.size());
    return ERROR_SUCCESS;
}

std::string LastComponent(const std::string& path) {
    std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

HKEY NewHandle(HKEY root, std::string path, REGSAM access) {
    HKEY h = new HKEY__{root, std::move(path), access};
    g_handles.insert(h);
    return h;
}

}  // namespace

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access, PHKEY result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    HKEY root;
    std::string base;
    REGSAM rights;
    if (!Resolve(key, root, base, rights)) return ERROR_INVALID_HANDLE;
    const Key* found = Current(root).Find(JoinKey(base, ToUtf8(subKey)));
    if (!found) return ERROR_FILE_NOT_FOUND;
    *result = NewHandle(root, found->path, access);
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM access, LPSECURITY_ATTRIBUTES, PHKEY result,
                     LPDWORD disposition) {
    if (!result) return ERROR_INVALID_PARAMETER;
    HKEY root;
    std::string base;
    REGSAM rights;
    if (!Resolve(key, root, base, rights)) return ERROR_INVALID_HANDLE;
    std::string sub = ToUtf8(subKey);
    if (!Storable(sub)) return ERROR_INVALID_PARAMETER;
    std::string full = JoinKey(base, sub);
    // Opening an existing key needs no lock and no write.
    if (const Key* found = Current(root).Find(full)) {
        *result = NewHandle(root, found->path, access);
        if (disposition) *disposition = REG_OPENED_EXISTING_KEY;
        return ERROR_SUCCESS;
    }
    if (!(rights & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
    std::string path;
    bool created = false;
    LONG rc = Mutate(root, [&](Document& doc, bool& changed) -> LONG {
        if (!base.empty() && !doc.Find(base)) return ERROR_KEY_DELETED;
        path = doc.Create(full, &created).path;
        changed = created;
        return ERROR_SUCCESS;
    });
    if (rc != ERROR_SUCCESS) return rc;
    *result = NewHandle(root, path, access);
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
    if (IsPredefined(key)) return ERROR_SUCCESS;
    if (!g_handles.erase(key)) return ERROR_INVALID_HANDLE;
    delete key;
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
    if (data && !size) return ERROR_INVALID_PARAMETER;
    const Key* k = nullptr;
    if (LONG rc = KeyToRead(key, k); rc != ERROR_SUCCESS) return rc;
    const Value* v = Document::FindValue(*k, ToUtf8(valueName));
    if (!v) return ERROR_FILE_NOT_FOUND;
    if (type) *type = v->type;
    return CopyOut(ApiBytes(*v), data, size);
}

LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD size) {
    if (!data && size > 0) return ERROR_INVALID_PARAMETER;
    HKEY root;
    std::string path;
    if (LONG rc = ResolveFor(key, KEY_SET_VALUE, root, path); rc != ERROR_SUCCESS) return rc;
    Value value{ToUtf8(valueName), type, std::string(reinterpret_cast<const char*>(data ? data : reinterpret_cast<const BYTE*>("")), size)};
    if (!Storable(value.name)) return ERROR_INVALID_PARAMETER;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::size_t zero = value.data.find('\0');
        if (zero != std::string::npos) value.data.resize(zero);
        value.data = type == REG_SZ ? NUVWin::GbkToUtf8(value.data) : Utf16LeBytes(NUVWin::GbkToUtf16(value.data));
    }
    return Mutate(root, [&](Document& doc, bool& changed) -> LONG {
        Key* k = doc.Find(path);
        if (!k) return ERROR_KEY_DELETED;
        const Value* old = Document::FindValue(*k, value.name);
        changed = !old || old->type != value.type || old->data != value.data;
        if (changed) Document::SetValue(*k, value);
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteValueA(HKEY key, LPCSTR valueName) {
    HKEY root;
    std::string path;
    if (LONG rc = ResolveFor(key, KEY_SET_VALUE, root, path); rc != ERROR_SUCCESS) return rc;
    std::string name = ToUtf8(valueName);
    return Mutate(root, [&](Document& doc, bool& changed) -> LONG {
        Key* k = doc.Find(path);
        if (!k) return ERROR_KEY_DELETED;
        changed = Document::DeleteValue(*k, name);
        return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

namespace {

LONG DeleteKey(HKEY key, LPCSTR subKey, bool tree) {
    HKEY root;
    std::string base;
    REGSAM rights;
    if (!Resolve(key, root, base, rights)) return ERROR_INVALID_HANDLE;
    std::string full = JoinKey(base, ToUtf8(subKey));
    if (full.empty() && !tree) return ERROR_ACCESS_DENIED;  // a hive's root cannot go
    return Mutate(root, [&](Document& doc, bool& changed) -> LONG {
        Key* k = doc.Find(full);
        if (!k) return ERROR_FILE_NOT_FOUND;
        if (tree && (subKey == nullptr || *subKey == '\0')) {
            // Empty the key itself but keep it.
            for (const std::string& child : doc.Children(full)) doc.Remove(child);
            changed = true;
            k = doc.Find(full);
            k->values.clear();
            return ERROR_SUCCESS;
        }
        if (!tree && !doc.Children(full).empty()) return ERROR_ACCESS_DENIED;
        changed = doc.Remove(full);
        return ERROR_SUCCESS;
    });
}

}  // namespace

LONG RegDeleteKeyA(HKEY key, LPCSTR subKey) { return DeleteKey(key, subKey, false); }
LONG RegDeleteTreeA(HKEY key, LPCSTR subKey) { return DeleteKey(key, subKey, true); }

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD, LPSTR keyClass, LPDWORD classSize,
                   PFILETIME) {
    HKEY root;
    std::string path;
    if (LONG rc = ResolveFor(key, KEY_ENUMERATE_SUB_KEYS, root, path); rc != ERROR_SUCCESS) return rc;
    const Document& doc = Current(root);
    if (!doc.Find(path)) return ERROR_KEY_DELETED;
    std::vector<std::string> children = doc.Children(path);
    if (index >= children.size()) return ERROR_NO_MORE_ITEMS;
    LONG rc = CopyName(NUVWin::Utf8ToGbk(LastComponent(children[index])), name, nameSize);
    if (rc == ERROR_SUCCESS && keyClass && classSize && *classSize > 0) {
        keyClass[0] = '\0';
        *classSize = 0;
    }
    return rc;
}

LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize, LPDWORD, LPDWORD type, LPBYTE data,
                   LPDWORD dataSize) {
    if (data && !dataSize) return ERROR_INVALID_PARAMETER;
    const Key* k = nullptr;
    if (LONG rc = KeyToRead(key, k); rc != ERROR_SUCCESS) return rc;
    if (index >= k->values.size()) return ERROR_NO_MORE_ITEMS;
    const Value& v = k->values[index];
    LONG rc = CopyName(NUVWin::Utf8ToGbk(v.name), valueName, valueNameSize);
    if (rc != ERROR_SUCCESS) return rc;
    if (type) *type = v.type;
    return CopyOut(ApiBytes(v), data, dataSize);
}

namespace NUVWin {

std::string RegistryFilePath(HKEY root) {
    if (!IsPredefined(root)) return {};
    return Locate(root).file;
}

}  // namespace NUVWin
