// What the one file writer does to whatever already stands at the path it writes: links are
// written through, special files refused and kept, modes and owners kept, nothing left behind.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <stdexcept>

#include "TempDir.h"
#include "win/FileSystem.h"

namespace {

using namespace NUVWin;
namespace fs = std::filesystem;

struct stat LStat(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

std::set<std::string> Entries(const std::string& folder) {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) out.insert(e.path().filename().string());
    return out;
}

// Sets the umask for one test and puts the old one back.
class Umask {
public:
    explicit Umask(mode_t m) : old_(::umask(m)) {}
    ~Umask() { ::umask(old_); }

private:
    mode_t old_;
};

TEST(AtomicWrite, SymbolicLinksAreWrittenThroughToTheirTarget) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> links;  // link (relative to the folder) -> text
        std::string target;                                       // the file that must get the content
        bool targetExists;
    };
    const std::vector<Case> cases = {
        {"a link beside its file", {{"link", "data.txt"}}, "data.txt", true},
        {"an absolute link into another folder", {{"link", "@/other/data.txt"}}, "other/data.txt", true},
        {"a chain of relative links", {{"link", "sub/hop"}, {"sub/hop", "../other/data.txt"}}, "other/data.txt", true},
        {"a dangling link", {{"link", "other/new.txt"}}, "other/new.txt", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir t;
        fs::create_directories(t.File("other"));
        fs::create_directories(t.File("sub"));
        if (c.targetExists) t.Touch(c.target, "old");
        for (const auto& [link, to] : c.links)
            ASSERT_EQ(::symlink((to[0] == '@' ? t.path() + to.substr(1) : to).c_str(), t.File(link).c_str()), 0);
        const auto topBefore = Entries(t.path());
        auto otherBefore = Entries(t.File("other"));

        std::string why;
        ASSERT_TRUE(WriteNativeFileAtomic(t.File("link"), "new", &why)) << why;
        EXPECT_EQ(ReadAll(t.File(c.target)), "new");
        EXPECT_TRUE(S_ISLNK(LStat(t.File("link")).st_mode)) << "the link was replaced by a file";
        EXPECT_TRUE(S_ISREG(LStat(t.File(c.target)).st_mode));
        EXPECT_EQ(Entries(t.path()), topBefore) << "something was left beside the link";
        auto otherAfter = Entries(t.File("other"));
        if (!c.targetExists) otherBefore.insert(fs::path(c.target).filename().string());
        EXPECT_EQ(otherAfter, otherBefore) << "something was left beside the target";
    }
}

// The temporary file is made beside the file that is replaced, not beside the link, so the final
// rename never crosses file systems.
TEST(AtomicWrite, TheTemporaryFileSitsBesideTheTarget) {
    TempDir t;
    t.Touch("other/data.txt", "old");
    ASSERT_EQ(::symlink("other/data.txt", t.File("link").c_str()), 0);
    std::string seen;
    std::string why;
    ASSERT_TRUE(WriteNativeFileAtomicWith(
        t.File("link"),
        [&](const std::string& temp, std::string&) {
            seen = temp;
            // Like a library that writes by name: a new file in the temporary's place.
            ::unlink(temp.c_str());
            FILE* f = std::fopen(temp.c_str(), "wb");
            if (!f) return false;
            std::fputs("new", f);
            return std::fclose(f) == 0;
        },
        &why))
        << why;
    EXPECT_EQ(fs::path(seen).parent_path(), fs::path(t.File("other")));
    EXPECT_EQ(ReadAll(t.File("other/data.txt")), "new");
    EXPECT_EQ(Entries(t.File("other")), std::set<std::string>{"data.txt"});
}

TEST(AtomicWrite, AnythingButARegularFileIsRefusedAndKept) {
    struct Case {
        const char* what;
        const char* kind;  // the words the reason must hold
        std::function<void(const std::string& path)> make;
    };
    const std::vector<Case> cases = {
        {"a folder", "folder", [](const std::string& p) { fs::create_directory(p); }},
        {"a FIFO", "FIFO", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }},
        {"a socket", "socket",
         [](const std::string& p) {
             int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un a{};
             a.sun_family = AF_UNIX;
             ASSERT_LT(p.size(), sizeof a.sun_path);
             std::snprintf(a.sun_path, sizeof a.sun_path, "%s", p.c_str());
             ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
             ::close(s);
         }},
        {"a device node", "character device",
         [](const std::string& p) {
             // A node of our own where the process may make one, else a link to the real one:
             // both must survive.
             if (::mknod(p.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
                 ASSERT_EQ(::symlink("/dev/null", p.c_str()), 0);
             }
         }},
        {"a link to a FIFO", "FIFO",
         [](const std::string& p) {
             ASSERT_EQ(::mkfifo((p + ".fifo").c_str(), 0644), 0);
             ASSERT_EQ(::symlink((p + ".fifo").c_str(), p.c_str()), 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir t;
        const std::string path = t.File("out.xlsx");
        c.make(path);
        struct stat before = LStat(path);
        const auto entries = Entries(t.path());

        std::string why;
        EXPECT_FALSE(WriteNativeFileAtomic(path, "data", &why));
        EXPECT_NE(why.find(c.kind), std::string::npos) << why;
        EXPECT_NE(why.find(path), std::string::npos) << "the reason names the path: " << why;
        struct stat after = LStat(path);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(Entries(t.path()), entries);
    }
    struct stat null {};
    ASSERT_EQ(::stat("/dev/null", &null), 0);
    EXPECT_TRUE(S_ISCHR(null.st_mode));
    EXPECT_EQ(null.st_rdev, makedev(1, 3));
}

TEST(AtomicWrite, AnExistingFileKeepsItsModeAndOwner) {
    Umask umask(022);  // a fresh file would come out 0644
    for (mode_t mode : {0600, 0640, 0664, 0666, 0700, 0755, 02775}) {
        SCOPED_TRACE(std::to_string(mode));
        TempDir t;
        const std::string path = t.Touch("keep.dat", "old");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        std::string why;
        ASSERT_TRUE(WriteNativeFileAtomic(path, "new", &why)) << why;
        EXPECT_EQ(LStat(path).st_mode & 07777, mode);
        EXPECT_EQ(ReadAll(path), "new");
    }
    if (::geteuid() == 0) {  // only a privileged process can give a file away to test this
        TempDir t;
        const std::string path = t.Touch("owned.dat", "old");
        ASSERT_EQ(::chown(path.c_str(), 4321, 4322), 0);
        ASSERT_TRUE(WriteNativeFileAtomic(path, "new"));
        EXPECT_EQ(LStat(path).st_uid, 4321u);
        EXPECT_EQ(LStat(path).st_gid, 4322u);
    }
}

TEST(AtomicWrite, ANewFileGetsTheUsualModeUnderTheUmask) {
    const std::pair<mode_t, mode_t> cases[] = {{022, 0644}, {002, 0664}, {027, 0640}, {077, 0600}, {0, 0666}};
    for (auto [mask, expected] : cases) {
        SCOPED_TRACE(std::to_string(mask));
        TempDir t;
        {
            Umask umask(mask);
            ASSERT_TRUE(WriteNativeFileAtomic(t.File("fresh.dat"), "x"));
        }
        EXPECT_EQ(LStat(t.File("fresh.dat")).st_mode & 07777, expected);
    }
}

// Documented: the name written gets the new file, other names of the old one keep its content.
TEST(AtomicWrite, OtherHardLinksKeepTheOldContent) {
    TempDir t;
    const std::string a = t.Touch("a.txt", "old");
    ASSERT_EQ(::link(a.c_str(), t.File("b.txt").c_str()), 0);
    ASSERT_TRUE(WriteNativeFileAtomic(a, "new"));
    EXPECT_EQ(ReadAll(a), "new");
    EXPECT_EQ(ReadAll(t.File("b.txt")), "old");
    EXPECT_EQ(LStat(t.File("b.txt")).st_nlink, 1u);
}

TEST(AtomicWrite, NoReplaceRefusesWhateverStandsThere) {
    TempDir t;
    t.Touch("file", "old");
    ASSERT_EQ(::symlink("missing", t.File("dangling").c_str()), 0);
    ASSERT_EQ(::mkfifo(t.File("fifo").c_str(), 0644), 0);
    const WriteOptions create{.mayReplace = false};
    for (const char* name : {"file", "dangling", "fifo"}) {
        SCOPED_TRACE(name);
        std::string why;
        EXPECT_FALSE(WriteNativeFileAtomic(t.File(name), "new", &why, create));
        EXPECT_NE(why.find("exists"), std::string::npos) << why;
    }
    EXPECT_EQ(ReadAll(t.File("file")), "old");
    EXPECT_FALSE(fs::exists(t.File("missing")));
    ASSERT_TRUE(WriteNativeFileAtomic(t.File("fresh"), "new", nullptr, create));
    EXPECT_EQ(ReadAll(t.File("fresh")), "new");
    EXPECT_EQ(Entries(t.path()), (std::set<std::string>{"dangling", "fifo", "file", "fresh"}));
}

TEST(AtomicWrite, AFailedWriteChangesNothing) {
    TempDir t;
    const std::string path = t.Touch("keep.txt", "old");
    std::string why;
    EXPECT_FALSE(WriteNativeFileAtomicWith(
        path,
        [](const std::string& temp, std::string& reason) {
            std::FILE* f = std::fopen(temp.c_str(), "wb");
            std::fputs("half", f);
            std::fclose(f);
            reason = "the writer gave up";
            return false;
        },
        &why));
    EXPECT_EQ(why, "the writer gave up");
    EXPECT_EQ(ReadAll(path), "old");
    EXPECT_EQ(Entries(t.path()), std::set<std::string>{"keep.txt"});

    // A writer that throws (a tool's failure path) leaves nothing either.
    EXPECT_THROW(WriteNativeFileAtomicWith(path, [](const std::string&, std::string&) -> bool { throw std::runtime_error("gone"); }),
                 std::runtime_error);
    EXPECT_EQ(ReadAll(path), "old");
    EXPECT_EQ(Entries(t.path()), std::set<std::string>{"keep.txt"});

    EXPECT_FALSE(WriteNativeFileAtomic(t.File("no/such/folder/x"), "x", &why));
    EXPECT_NE(why.find(t.File("no/such/folder")), std::string::npos) << why;
    EXPECT_FALSE(WriteNativeFileAtomic(t.path() + "/", "x", &why));
    EXPECT_EQ(Entries(t.path()), std::set<std::string>{"keep.txt"});
}

}  // namespace
