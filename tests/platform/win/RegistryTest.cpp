#include "win/Registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

#include "TempDir.h"

namespace {

const std::string kZhongWenGbk = "\xD6\xD0\xCE\xC4";    // 中文
const std::string kZhongWenUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";
const std::string kSheBeiGbk = "\xC9\xE8\xB1\xB8";      // 设备
const std::string kSheBeiUtf8 = "\xE8\xAE\xBE\xE5\xA4\x87";
const char* kKey = "Software\\NUV\\Settings";

class Registry : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("NUV_REGISTRY_DIR", dir_.path().c_str(), 1); }
    void TearDown() override { ::unsetenv("NUV_REGISTRY_DIR"); }

    std::string UserFile() const { return dir_ / "user.reg"; }

    static LONG Set(HKEY root, const char* key, const char* name, const std::string& value) {
        HKEY h;
        LONG rc = RegCreateKeyExA(root, key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &h, nullptr);
        if (rc != ERROR_SUCCESS) return rc;
        rc = RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>(value.size() + 1));
        RegCloseKey(h);
        return rc;
    }

    static std::optional<std::string> Get(HKEY root, const char* key, const char* name) {
        HKEY h;
        if (RegOpenKeyExA(root, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return std::nullopt;
        char buf[512];
        DWORD size = sizeof buf, type = 0;
        LONG rc = RegQueryValueExA(h, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
        RegCloseKey(h);
        if (rc != ERROR_SUCCESS || type != REG_SZ || size == 0 || buf[size - 1] != '\0') return std::nullopt;
        return std::string(buf, size - 1);
    }

    TempDir dir_;
};

TEST_F(Registry, StringsAreGbkInTheApiAndUtf8InTheFile) {
    ASSERT_EQ(Set(HKEY_CURRENT_USER, kKey, "PrjName", kZhongWenGbk + ".pra"), ERROR_SUCCESS);
    ASSERT_EQ(Set(HKEY_CURRENT_USER, kKey, kSheBeiGbk.c_str(), "C:\\NUV\\\"q\""), ERROR_SUCCESS);
    ASSERT_EQ(Set(HKEY_LOCAL_MACHINE, kKey, "ProjRootDir", "/srv/projects\\"), ERROR_SUCCESS);

    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, "PrjName"), kZhongWenGbk + ".pra");
    EXPECT_EQ(Get(HKEY_CURRENT_USER, "software\\nuv\\SETTINGS", "prjname"), kZhongWenGbk + ".pra");
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, kSheBeiGbk.c_str()), "C:\\NUV\\\"q\"");
    EXPECT_EQ(Get(HKEY_LOCAL_MACHINE, kKey, "ProjRootDir"), "/srv/projects\\");
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, "ProjRootDir"), std::nullopt);  // the hives are separate

    EXPECT_EQ(ReadAll(UserFile()),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\Software]\n\n"
              "[HKEY_CURRENT_USER\\Software\\NUV]\n\n"
              "[HKEY_CURRENT_USER\\Software\\NUV\\Settings]\n"
              "\"PrjName\"=\"" + kZhongWenUtf8 + ".pra\"\n"
              "\"" + kSheBeiUtf8 + "\"=\"C:\\\\NUV\\\\\\\"q\\\"\"\n\n");
    EXPECT_EQ(ReadAll(dir_ / "machine.reg"),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_LOCAL_MACHINE\\Software]\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\NUV]\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\NUV\\Settings]\n"
              "\"ProjRootDir\"=\"/srv/projects\\\\\"\n\n");
    EXPECT_EQ(NUVWin::RegistryFilePath(HKEY_CURRENT_USER), UserFile());
}

TEST_F(Registry, QueryFollowsTheApiContract) {
    HKEY h;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    const DWORD number = 0x1234abcd;
    const BYTE blob[] = {0, 1, 0xfe, 0xff};
    ASSERT_EQ(RegSetValueExA(h, "scale", 0, REG_SZ, reinterpret_cast<const BYTE*>("100"), 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("dflt"), 4), ERROR_SUCCESS);  // no zero
    ASSERT_EQ(RegSetValueExA(h, "n", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(h, "blob", 0, REG_BINARY, blob, 4), ERROR_SUCCESS);

    DWORD type = 0, size = 0;
    char buf[8];
    EXPECT_EQ(RegQueryValueExA(h, "SCALE", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 4u);  // counts the terminating zero
    size = 3;
    EXPECT_EQ(RegQueryValueExA(h, "scale", nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    size = sizeof buf;
    EXPECT_EQ(RegQueryValueExA(h, "", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(buf, size), std::string("dflt", 5));
    DWORD got = 0;
    size = sizeof got;
    EXPECT_EQ(RegQueryValueExA(h, "n", nullptr, &type, reinterpret_cast<BYTE*>(&got), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(got, number);
    size = sizeof buf;
    EXPECT_EQ(RegQueryValueExA(h, "blob", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(std::string(buf, size), std::string("\0\1\xfe\xff", 4));
    EXPECT_EQ(RegQueryValueExA(h, "absent", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(h), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(h), ERROR_INVALID_HANDLE);

    EXPECT_NE(ReadAll(UserFile()).find("@=\"dflt\"\n\"n\"=dword:1234abcd\n\"blob\"=hex:00,01,fe,ff\n"), std::string::npos);

    HKEY missing;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Nothing", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "software\\nuv", 0, nullptr, 0, KEY_READ, nullptr, &h, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    // Opened for reading only: no writes, no new subkeys.
    EXPECT_EQ(RegSetValueExA(h, "x", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2), ERROR_ACCESS_DENIED);
    HKEY sub;
    EXPECT_EQ(RegCreateKeyExA(h, "New", 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr), ERROR_ACCESS_DENIED);
    ASSERT_EQ(RegOpenKeyExA(h, "SETTINGS", 0, KEY_READ, &sub), ERROR_SUCCESS);  // relative to an open key
    size = sizeof buf;
    EXPECT_EQ(RegQueryValueExA(sub, "scale", nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
    EXPECT_STREQ(buf, "100");
    RegCloseKey(sub);
    RegCloseKey(h);
}

TEST_F(Registry, ValuesAndKeysAreDeletedAndEnumerated) {
    ASSERT_EQ(Set(HKEY_CURRENT_USER, "S\\A", "v1", "1"), ERROR_SUCCESS);
    ASSERT_EQ(Set(HKEY_CURRENT_USER, "S\\A", "v2", "2"), ERROR_SUCCESS);
    ASSERT_EQ(Set(HKEY_CURRENT_USER, "S\\B\\Deep", "v", "3"), ERROR_SUCCESS);
    ASSERT_EQ(Set(HKEY_CURRENT_USER, ("S\\" + kZhongWenGbk).c_str(), "v", "4"), ERROR_SUCCESS);

    HKEY s;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "S", 0, KEY_READ, &s), ERROR_SUCCESS);
    std::vector<std::string> names;
    char name[64];
    for (DWORD i = 0;; ++i) {
        DWORD n = sizeof name;
        LONG rc = RegEnumKeyExA(s, i, name, &n, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(rc, ERROR_SUCCESS);
        EXPECT_EQ(n, std::strlen(name));
        names.emplace_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B", kZhongWenGbk}));
    DWORD small = 1;
    EXPECT_EQ(RegEnumKeyExA(s, 0, name, &small, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);

    HKEY a;
    ASSERT_EQ(RegOpenKeyExA(s, "a", 0, KEY_ALL_ACCESS, &a), ERROR_SUCCESS);
    DWORD n = sizeof name, type = 0, size = 0;
    ASSERT_EQ(RegEnumValueA(a, 1, name, &n, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_STREQ(name, "v2");
    EXPECT_EQ(size, 2u);
    n = sizeof name;
    EXPECT_EQ(RegEnumValueA(a, 2, name, &n, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

    EXPECT_EQ(RegDeleteValueA(a, "V1"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(a, "v1"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, "S\\A", "v1"), std::nullopt);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, "S\\A", "v2"), "2");
    EXPECT_EQ(ReadAll(UserFile()).find("v1"), std::string::npos);

    // A key with subkeys is only removed as a whole tree.
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "S\\B"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "S\\B\\deep"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "S\\B\\deep"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "S\\B"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, "s\\a"), ERROR_SUCCESS);
    // The open handle now refers to a key that is gone.
    EXPECT_EQ(RegSetValueExA(a, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_KEY_DELETED);
    n = sizeof name;
    ASSERT_EQ(RegEnumKeyExA(s, 0, name, &n, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name), kZhongWenGbk);
    n = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(s, 1, name, &n, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    RegCloseKey(a);
    RegCloseKey(s);
    EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, "S"), ERROR_SUCCESS);
    EXPECT_EQ(ReadAll(UserFile()), "Windows Registry Editor Version 5.00\n\n");
}

TEST_F(Registry, ReadsWhatAnotherProcessWrote) {
    ASSERT_EQ(Set(HKEY_CURRENT_USER, kKey, "scale", "100"), ERROR_SUCCESS);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, "scale"), "100");  // now cached in this process
    for (const char* step : {"write", "delete"}) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            LONG rc;
            if (std::string(step) == "write") {
                rc = Set(HKEY_CURRENT_USER, kKey, "scale", "50");
                if (rc == ERROR_SUCCESS) rc = Set(HKEY_CURRENT_USER, kKey, "texthigh", "3.500000");
            } else {
                HKEY h;
                rc = RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_WRITE, &h);
                if (rc == ERROR_SUCCESS) rc = RegDeleteValueA(h, "scale");
            }
            ::_exit(rc == ERROR_SUCCESS ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << step;
        if (std::string(step) == "write") {
            EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, "scale"), "50");
            EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, "texthigh"), "3.500000");
        } else {
            EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, "scale"), std::nullopt);
            EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, "texthigh"), "3.500000");
        }
    }
}

// Two processes writing 200 values each at the same moment: the lock and the re-read under it
// make every write land on top of the other process's latest file.
TEST_F(Registry, ConcurrentWritersLoseNothing) {
    constexpr int kEach = 200;
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            ::close(gate[1]);
            char go;
            if (::read(gate[0], &go, 1) != 0) ::_exit(2);  // wait until the parent opens the gate
            HKEY h;
            if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS) ::_exit(1);
            for (int i = 0; i < kEach; ++i) {
                std::string name = std::string(1, static_cast<char>('a' + c)) + std::to_string(i);
                std::string value = "value " + name;
                if (RegSetValueExA(h, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                   static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS)
                    ::_exit(1);
            }
            RegCloseKey(h);
            ::_exit(0);
        }
    }
    ::close(gate[0]);
    ::close(gate[1]);  // both start now
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    HKEY h;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &h), ERROR_SUCCESS);
    int count = 0;
    for (DWORD i = 0;; ++i) {
        char name[32];
        DWORD n = sizeof name;
        if (RegEnumValueA(h, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        ++count;
    }
    RegCloseKey(h);
    EXPECT_EQ(count, 2 * kEach);
    for (char c : {'a', 'b'})
        for (int i = 0; i < kEach; ++i) {
            std::string name = std::string(1, c) + std::to_string(i);
            EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, name.c_str()), "value " + name);
        }
}

TEST_F(Registry, HandEditedFileIsReadAndKeptOnRewrite) {
    const std::string hand =
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; written by hand\r\n"
        "[hkey_current_user\\Software\\NUV\\Settings]\r\n"
        "\"scale\" = \"75\"\r\n"
        "@=\"" + kZhongWenUtf8 + "\"\r\n"
        "\"Digits\"=DWORD:2\r\n"
        "\"Long\"=hex:01,02,\\\r\n"
        "    03\r\n"
        "\"Path\"=\"C:\\\\Data\\\\\"\r\n";
    dir_.Touch("user.reg", hand);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, "scale"), "75");
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, ""), kZhongWenGbk);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, "Path"), "C:\\Data\\");
    HKEY h;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
    DWORD digits = 0, size = 4, type = 0;
    EXPECT_EQ(RegQueryValueExA(h, "digits", nullptr, &type, reinterpret_cast<BYTE*>(&digits), &size), ERROR_SUCCESS);
    EXPECT_EQ(digits, 2u);
    BYTE bytes[8];
    size = sizeof bytes;
    EXPECT_EQ(RegQueryValueExA(h, "long", nullptr, &type, bytes, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), size), "\x01\x02\x03");

    // A change rewrites the file in the canonical form with every hand-written value kept.
    ASSERT_EQ(RegSetValueExA(h, "scale", 0, REG_SZ, reinterpret_cast<const BYTE*>("80"), 3), ERROR_SUCCESS);
    RegCloseKey(h);
    EXPECT_EQ(ReadAll(UserFile()),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\Software]\n\n"
              "[HKEY_CURRENT_USER\\Software\\NUV]\n\n"
              "[HKEY_CURRENT_USER\\Software\\NUV\\Settings]\n"
              "\"scale\"=\"80\"\n"
              "@=\"" + kZhongWenUtf8 + "\"\n"
              "\"Digits\"=dword:00000002\n"
              "\"Long\"=hex:01,02,03\n"
              "\"Path\"=\"C:\\\\Data\\\\\"\n\n");
    EXPECT_FALSE(std::filesystem::exists(UserFile() + ".bak"));  // nothing was lost, so no copy
}

TEST_F(Registry, BrokenLineIsReportedAndTheOriginalBackedUp) {
    const std::string hand =
        "Windows Registry Editor Version 5.00\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\NUV\\Settings]\n"
        "\"scale\"=\"60\"\n"
        "scale = 70 oops\n"
        "\"texthigh\"=\"4.0\"\n";
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
    err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(".bak"), std::string::npos) << err;
    EXPECT_EQ(ReadAll(UserFile() + ".bak"), hand);
    EXPECT_EQ(ReadAll(UserFile()).find("oops"), std::string::npos);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, "scale"), "65");

    // The rewritten file is clean: a later write neither complains nor touches the copy.
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(Set(HKEY_CURRENT_USER, kKey, "scale", "66"), ERROR_SUCCESS);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(ReadAll(UserFile() + ".bak"), hand);
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
