#include "win/Registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>

#include "TempDir.h"

namespace {

const std::string kZhongWenGbk = "\xD6\xD0\xCE\xC4";  // 中文
const std::string kZhongWenUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";
const std::string kSheBeiGbk = "\xC9\xE8\xB1\xB8";  // 设备
const std::string kSheBeiUtf8 = "\xE8\xAE\xBE\xE5\xA4\x87";
const char* kKey = "Software\\NUV\\Settings";
const std::string kHead = "Windows Registry Editor Version 5.00\n\n";
const std::string kParents = "[HKEY_CURRENT_USER\\Software]\n\n[HKEY_CURRENT_USER\\Software\\NUV]\n\n";

HKEY Open(HKEY root, const char* key, REGSAM access = KEY_ALL_ACCESS) {
    HKEY h = nullptr;
    return RegOpenKeyExA(root, key, 0, access, &h) == ERROR_SUCCESS ? h : nullptr;
}

LONG SetBytes(HKEY h, const char* name, DWORD type, const std::string& bytes) {
    return RegSetValueExA(h, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
}

LONG Set(HKEY root, const char* key, const char* name, const std::string& value) {
    HKEY h;
    LONG rc = RegCreateKeyExA(root, key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &h, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    rc = SetBytes(h, name, REG_SZ, value + '\0');
    RegCloseKey(h);
    return rc;
}

// The value's bytes as the API hands them out (a string with its terminating zero).
std::optional<std::string> Query(HKEY h, const char* name, DWORD* type = nullptr) {
    char buf[512];
    DWORD size = sizeof buf;
    if (RegQueryValueExA(h, name, nullptr, type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS) return std::nullopt;
    return std::string(buf, size);
}

std::optional<std::string> Get(HKEY root, const char* key, const char* name) {
    HKEY h = Open(root, key, KEY_READ);
    if (!h) return std::nullopt;
    auto bytes = Query(h, name);
    RegCloseKey(h);
    if (!bytes || bytes->empty() || bytes->back() != '\0') return std::nullopt;
    return bytes->substr(0, bytes->size() - 1);
}

// Runs `body` in a child process and returns its exit status.
int InChild(const std::function<bool()>& body) {
    pid_t child = ::fork();
    if (child == 0) ::_exit(body() ? 0 : 1);
    int status = -1;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class Registry : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("NUV_REGISTRY_DIR", dir_.path().c_str(), 1); }
    void TearDown() override { ::unsetenv("NUV_REGISTRY_DIR"); }
    std::string UserFile() const { return dir_.File("user.reg"); }
    TempDir dir_;
};

TEST_F(Registry, StringsAreGbkInTheApiAndUtf8InTheFile) {
    ASSERT_EQ(Set(HKEY_CURRENT_USER, kKey, "PrjName", kZhongWenGbk + ".pra"), ERROR_SUCCESS);
    ASSERT_EQ(Set(HKEY_CURRENT_USER, kKey, kSheBeiGbk.c_str(), "C:\\NUV\\\"q\""), ERROR_SUCCESS);
    ASSERT_EQ(Set(HKEY_LOCAL_MACHINE, "Software", "ProjRootDir", "/srv/projects\\"), ERROR_SUCCESS);

    EXPECT_EQ(Get(HKEY_CURRENT_USER, "software\\nuv\\SETTINGS", "prjname"), kZhongWenGbk + ".pra");
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, kSheBeiGbk.c_str()), "C:\\NUV\\\"q\"");
    EXPECT_EQ(Get(HKEY_LOCAL_MACHINE, "Software", "ProjRootDir"), "/srv/projects\\");
    EXPECT_EQ(Get(HKEY_CURRENT_USER, "Software", "ProjRootDir"), std::nullopt);  // the hives are separate

    EXPECT_EQ(ReadAll(UserFile()), kHead + kParents + "[HKEY_CURRENT_USER\\Software\\NUV\\Settings]\n"
                                   "\"PrjName\"=\"" + kZhongWenUtf8 + ".pra\"\n"
                                   "\"" + kSheBeiUtf8 + "\"=\"C:\\\\NUV\\\\\\\"q\\\"\"\n\n");
    EXPECT_EQ(ReadAll(dir_.File("machine.reg")), kHead + "[HKEY_LOCAL_MACHINE\\Software]\n\"ProjRootDir\"=\"/srv/projects\\\\\"\n\n");
    EXPECT_EQ(NUVWin::RegistryFilePath(HKEY_CURRENT_USER), UserFile());
}

TEST_F(Registry, QueryFollowsTheApiContract) {
    HKEY h;
    DWORD disposition = 0, type = 0, size = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    ASSERT_EQ(SetBytes(h, "scale", REG_SZ, std::string("100", 4)), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(h, nullptr, REG_SZ, "dflt"), ERROR_SUCCESS);  // no terminating zero given
    ASSERT_EQ(SetBytes(h, "n", REG_DWORD, "\xcd\xab\x34\x12"), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(h, "blob", REG_BINARY, std::string("\0\1\xfe\xff", 4)), ERROR_SUCCESS);

    EXPECT_EQ(RegQueryValueExA(h, "SCALE", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);  // counts the terminating zero
    char small[3];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(h, "scale", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(Query(h, ""), std::string("dflt", 5));
    EXPECT_EQ(Query(h, "n", &type), "\xcd\xab\x34\x12");
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(Query(h, "blob", &type), std::string("\0\1\xfe\xff", 4));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(RegQueryValueExA(h, "absent", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(h), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(h), ERROR_INVALID_HANDLE);
    EXPECT_NE(ReadAll(UserFile()).find("@=\"dflt\"\n\"n\"=dword:1234abcd\n\"blob\"=hex:00,01,fe,ff\n"), std::string::npos);

    EXPECT_EQ(Open(HKEY_CURRENT_USER, "Software\\Nothing"), nullptr);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "software\\nuv", 0, nullptr, 0, KEY_READ, nullptr, &h, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    // Opened for reading only: no writes, no new subkeys; subkeys open relative to it.
    EXPECT_EQ(SetBytes(h, "x", REG_SZ, "1"), ERROR_ACCESS_DENIED);
    HKEY sub;
    EXPECT_EQ(RegCreateKeyExA(h, "New", 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr), ERROR_ACCESS_DENIED);
    ASSERT_NE(sub = Open(h, "SETTINGS", KEY_READ), nullptr);
    EXPECT_EQ(Query(sub, "scale"), std::string("100", 4));
    RegCloseKey(sub);
    RegCloseKey(h);
}

TEST_F(Registry, ValuesAndKeysAreDeletedAndEnumerated) {
    for (const char* key : {"S\\A", "S\\AB", "S\\B\\Deep"}) ASSERT_EQ(Set(HKEY_CURRENT_USER, key, "v1", "1"), ERROR_SUCCESS);
    ASSERT_EQ(Set(HKEY_CURRENT_USER, "S\\A", "v2", "2"), ERROR_SUCCESS);
    ASSERT_EQ(Set(HKEY_CURRENT_USER, ("S\\" + kZhongWenGbk).c_str(), "v", "4"), ERROR_SUCCESS);
    HKEY s = Open(HKEY_CURRENT_USER, "S"), a = Open(s, "a");
    ASSERT_TRUE(s && a);
    auto subkeys = [&] {
        std::vector<std::string> names;
        char name[64];
        DWORD n = sizeof name;
        for (DWORD i = 0; RegEnumKeyExA(s, i, name, &n, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS; ++i, n = sizeof name)
            names.emplace_back(name, n);
        return names;
    };
    EXPECT_EQ(subkeys(), (std::vector<std::string>{"A", "AB", "B", kZhongWenGbk}));
    char name[8];
    DWORD n = sizeof name, size = 0;
    ASSERT_EQ(RegEnumValueA(a, 1, name, &n, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name, n), "v2");
    EXPECT_EQ(size, 2u);
    n = sizeof name;
    EXPECT_EQ(RegEnumValueA(a, 2, name, &n, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

    EXPECT_EQ(RegDeleteValueA(a, "V1"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(a, "v1"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, "S\\A", "v1"), std::nullopt);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, "S\\A", "v2"), "2");
    // A key with subkeys is only removed as a whole tree.
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "S\\B"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "S\\B\\deep"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "S\\B\\deep"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "S\\B"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, "s\\a"), ERROR_SUCCESS);
    EXPECT_EQ(SetBytes(a, "v", REG_SZ, "x"), ERROR_KEY_DELETED);  // the open handle's key is gone
    EXPECT_EQ(subkeys(), (std::vector<std::string>{"AB", kZhongWenGbk}));  // the prefix sibling stays
    RegCloseKey(a);
    RegCloseKey(s);
    EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, "S"), ERROR_SUCCESS);
    EXPECT_EQ(ReadAll(UserFile()), kHead);
}

// A name buffer must hold the name and its terminating zero: exactly the name's length is one
// byte short and gets ERROR_MORE_DATA with nothing written, however many bytes the name has.
TEST_F(Registry, EnumerationBuffersOfExactlyTheNamesLength) {
    ASSERT_EQ(Set(HKEY_CURRENT_USER, "E\\Pipe", "Flow", "1"), ERROR_SUCCESS);
    ASSERT_EQ(Set(HKEY_CURRENT_USER, ("E\\" + kZhongWenGbk).c_str(), "v", "1"), ERROR_SUCCESS);
    HKEY e = Open(HKEY_CURRENT_USER, "E"), pipe = Open(e, "Pipe");
    ASSERT_TRUE(e && pipe);
    const struct {
        DWORD index;
        std::string name;
    } keys[] = {{0, "Pipe"}, {1, kZhongWenGbk}};
    for (const auto& k : keys) {
        const DWORD length = static_cast<DWORD>(k.name.size());
        char buffer[16];
        std::memset(buffer, '#', sizeof buffer);
        DWORD n = length;
        EXPECT_EQ(RegEnumKeyExA(e, k.index, buffer, &n, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA) << k.index;
        EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, '#')) << "nothing written, key " << k.index;
        n = length + 1;
        ASSERT_EQ(RegEnumKeyExA(e, k.index, buffer, &n, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS) << k.index;
        EXPECT_EQ(n, length);
        EXPECT_EQ(std::string(buffer, length + 1), k.name + '\0');
        EXPECT_EQ(buffer[length + 1], '#') << "not a byte past the zero";
    }
    char value[8];
    std::memset(value, '#', sizeof value);
    DWORD n = 4;  // "Flow"
    EXPECT_EQ(RegEnumValueA(pipe, 0, value, &n, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(std::string(value, sizeof value), std::string(sizeof value, '#'));
    n = 5;
    ASSERT_EQ(RegEnumValueA(pipe, 0, value, &n, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::string(value, 6), std::string("Flow\0#", 6));
    RegCloseKey(pipe);
    RegCloseKey(e);
}

TEST_F(Registry, ReadsWhatAnotherProcessWrote) {
    ASSERT_EQ(Set(HKEY_CURRENT_USER, kKey, "scale", "100"), ERROR_SUCCESS);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, "scale"), "100");  // now cached in this process
    ASSERT_EQ(InChild([] { return Set(HKEY_CURRENT_USER, kKey, "scale", "50") == ERROR_SUCCESS; }), 0);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, "scale"), "50");
    ASSERT_EQ(InChild([] {
                  HKEY h = Open(HKEY_CURRENT_USER, kKey);
                  return h && RegDeleteValueA(h, "scale") == ERROR_SUCCESS;
              }),
              0);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, "scale"), std::nullopt);
}

// Two processes writing 200 values each at the same moment: the lock and the re-read under it
// make every write land on top of the other process's latest file.
TEST_F(Registry, ConcurrentWritersLoseNothing) {
    constexpr int kEach = 200;
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        if ((children[c] = ::fork()) != 0) continue;
        ::close(gate[1]);
        char go;
        if (::read(gate[0], &go, 1) != 0) ::_exit(2);  // returns when the parent closes the gate
        HKEY h;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS) ::_exit(1);
        for (int i = 0; i < kEach; ++i) {
            std::string name = std::string(1, static_cast<char>('a' + c)) + std::to_string(i);
            if (SetBytes(h, name.c_str(), REG_SZ, "value " + name + '\0') != ERROR_SUCCESS) ::_exit(1);
        }
        ::_exit(0);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (char c : {'a', 'b'})
        for (int i = 0; i < kEach; ++i) {
            std::string name = std::string(1, c) + std::to_string(i);
            EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, name.c_str()), "value " + name);
        }
}

TEST_F(Registry, HandEditedFileIsReadAndKeptOnRewrite) {
    dir_.Touch("user.reg", "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n; written by hand\r\n"
                           "[hkey_current_user\\Software\\NUV\\Settings]\r\n"
                           "\"scale\" = \"75\"\r\n"
                           "@=\"" + kZhongWenUtf8 + "\"\r\n"
                           "\"Digits\"=DWORD:2\r\n"
                           "\"Long\"=hex:01,02,\\\r\n    03\r\n"
                           "\"Path\"=\"C:\\\\Data\\\\\"\r\n");
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, "scale"), "75");
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, ""), kZhongWenGbk);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, "Path"), "C:\\Data\\");
    HKEY h = Open(HKEY_CURRENT_USER, kKey);
    EXPECT_EQ(Query(h, "digits"), std::string("\2\0\0\0", 4));
    EXPECT_EQ(Query(h, "long"), "\x01\x02\x03");
    // A change rewrites the file in the canonical form with every hand-written value kept.
    ASSERT_EQ(SetBytes(h, "scale", REG_SZ, "80"), ERROR_SUCCESS);
    RegCloseKey(h);
    EXPECT_EQ(ReadAll(UserFile()), kHead + kParents + "[HKEY_CURRENT_USER\\Software\\NUV\\Settings]\n"
                                   "\"scale\"=\"80\"\n@=\"" + kZhongWenUtf8 + "\"\n\"Digits\"=dword:00000002\n"
                                   "\"Long\"=hex:01,02,03\n\"Path\"=\"C:\\\\Data\\\\\"\n\n");
    EXPECT_FALSE(std::filesystem::exists(UserFile() + ".bak"));  // nothing was lost, so no copy
}

TEST_F(Registry, ExpandableStringsAreUtf16InTheFileAndGbkInTheApi) {
    // As the registry editor exports them: hex(2), UTF-16 LE with the terminating zero.
    // "%HOME%\中" is 25 00 48 00 4f 00 4d 00 45 00 25 00 5c 00 2d 4e 00 00.
    dir_.Touch("machine.reg", "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\NUV]\n"
                              "\"Root\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,5c,00,2d,4e,00,00\n");
    HKEY h = Open(HKEY_LOCAL_MACHINE, "Software\\NUV");
    ASSERT_NE(h, nullptr);
    DWORD type = 0;
    EXPECT_EQ(Query(h, "Root", &type), "%HOME%\\" + std::string("\xD6\xD0", 2) + '\0');
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    ASSERT_EQ(SetBytes(h, "Other", REG_EXPAND_SZ, "%A%" + kSheBeiGbk + '\0'), ERROR_SUCCESS);
    RegCloseKey(h);
    // 设备 is U+8BBE U+5907.
    EXPECT_NE(ReadAll(dir_.File("machine.reg")).find("\"Other\"=hex(2):25,00,41,00,25,00,be,8b,07,59,00,00\n"),
              std::string::npos)
        << ReadAll(dir_.File("machine.reg"));
    EXPECT_EQ(Get(HKEY_LOCAL_MACHINE, "Software\\NUV", "Other"), "%A%" + kSheBeiGbk);
}

TEST_F(Registry, BrokenLineIsReportedAndTheOriginalBackedUp) {
    const std::string hand = kHead + "[HKEY_CURRENT_USER\\Software\\NUV\\Settings]\n"
                                     "\"scale\"=\"60\"\nscale = 70 oops\n\"texthigh\"=\"4.0\"\n";
    dir_.Touch("user.reg", hand);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, "scale"), "60");
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, "texthigh"), "4.0");  // the rest of the file still counts
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(UserFile() + ":5:"), std::string::npos) << err;
    EXPECT_EQ(err.find(":5:"), err.rfind(":5:")) << "reported once, not on every read: " << err;
    EXPECT_FALSE(std::filesystem::exists(UserFile() + ".bak"));  // reading changes nothing

    ::testing::internal::CaptureStderr();
    ASSERT_EQ(Set(HKEY_CURRENT_USER, kKey, "scale", "65"), ERROR_SUCCESS);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find(".bak"), std::string::npos);
    EXPECT_EQ(ReadAll(UserFile() + ".bak"), hand);
    EXPECT_EQ(ReadAll(UserFile()).find("oops"), std::string::npos);
    // The rewritten file is clean: a later write neither complains nor touches the copy.
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(Set(HKEY_CURRENT_USER, kKey, "scale", "66"), ERROR_SUCCESS);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(ReadAll(UserFile() + ".bak"), hand);
}

// The copy comes first: when it cannot be kept, the file is not rewritten (its hand-typed lines
// would be lost), the write fails and says why.
TEST_F(Registry, NoRewriteWhenTheOriginalCannotBeKept) {
    const std::string hand = kHead + "[HKEY_CURRENT_USER\\Software\\NUV\\Settings]\n\"scale\"=\"60\"\nscale = 70 oops\n";
    dir_.Touch("user.reg", hand);
    std::filesystem::create_directory(UserFile() + ".bak");  // something the copy may not replace
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Set(HKEY_CURRENT_USER, kKey, "scale", "65"), ERROR_CANTWRITE);
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("was not changed"), std::string::npos) << err;
    EXPECT_NE(err.find("folder"), std::string::npos) << err;
    EXPECT_EQ(ReadAll(UserFile()), hand);
    EXPECT_TRUE(std::filesystem::is_directory(UserFile() + ".bak"));
}

// The hive file keeps its mode and stays a link when it is one (a settings folder kept elsewhere).
TEST_F(Registry, TheHiveFileKeepsItsModeAndItsLink) {
    const std::string real = dir_.Touch("elsewhere/user.reg", kHead);
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("elsewhere/user.reg", UserFile().c_str()), 0);
    ASSERT_EQ(Set(HKEY_CURRENT_USER, kKey, "scale", "65"), ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::is_symlink(UserFile()));
    EXPECT_NE(ReadAll(real).find("\"scale\"=\"65\""), std::string::npos);
    EXPECT_EQ(std::filesystem::status(real).permissions(), std::filesystem::perms(0600));
}

TEST(RegistryLocation, FollowsXdgAndTheInstallationTree) {
    TempDir xdg;
    ::unsetenv("NUV_REGISTRY_DIR");
    ::setenv("XDG_CONFIG_HOME", xdg.path().c_str(), 1);
    EXPECT_EQ(NUVWin::RegistryFilePath(HKEY_CURRENT_USER), xdg.path() + "/nuv/user.reg");
    // Programs run from <tree>/bin and the libraries from <tree>/lib, in the build tree as in an
    // installation, so the machine hive belongs in <tree>/share/nuv.
    std::filesystem::path tree = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path();
    EXPECT_EQ(NUVWin::RegistryFilePath(HKEY_LOCAL_MACHINE), (tree / "share/nuv/machine.reg").string());
    ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
