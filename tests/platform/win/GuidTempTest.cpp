#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <string>

#include "win/Guid.h"
#include "win/TempFile.h"

namespace {

// Sets an environment variable for one test and puts the old value back.
struct EnvVar {
    EnvVar(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old, had_ = true;
        setenv(name, value.c_str(), 1);
    }
    ~EnvVar() { had_ ? (void)setenv(name_, old_.c_str(), 1) : (void)unsetenv(name_); }
    const char* name_;
    std::string old_;
    bool had_ = false;
};

std::string MakeFolder() {
    char pattern[] = "/tmp/nuvwin-temp-XXXXXX";
    return mkdtemp(pattern);
}

TEST(Guid, VersionFourRfcVariantAndRandom) {
    std::set<std::string> seen;
    for (int i = 0; i < 64; ++i) {
        GUID g{};
        ASSERT_EQ(CoCreateGuid(&g), 0);
        EXPECT_EQ(g.Data3 >> 12, 4);
        EXPECT_EQ(g.Data4[0] & 0xC0, 0x80);
        seen.insert(std::string(reinterpret_cast<const char*>(&g), sizeof g));
    }
    EXPECT_EQ(seen.size(), 64u);
    EXPECT_NE(CoCreateGuid(nullptr), 0);
}

TEST(TempFile, TempPathComesFromTheEnvironmentWithASeparator) {
    char buf[MAX_PATH];
    {
        EnvVar e("TMPDIR", "/var/tmp");
        EXPECT_EQ(GetTempPathA(MAX_PATH, buf), 9u);
        EXPECT_STREQ(buf, "/var/tmp/");
        char tiny[4] = "abc";
        EXPECT_EQ(GetTempPathA(sizeof tiny, tiny), 10u) << "too small: length needed with terminator";
        EXPECT_STREQ(tiny, "abc");
    }
    {
        EnvVar e("TMPDIR", "");
        EXPECT_EQ(GetTempPathA(MAX_PATH, buf), 5u);
        EXPECT_STREQ(buf, "/tmp/");
    }
}

TEST(TempFile, NamesFollowThePlatformRules) {
    char name[MAX_PATH];
    struct Row {
        const char* path;
        const char* prefix;
        UINT unique;
        const char* want;
    } rows[] = {
        {"/x/", "abcdef", 0x2A, "/x/abc2A.TMP"},
        {"/x", "ab", 0xBEEF, "/x/abBEEF.TMP"},
        {"/x/", "", 0x1234ABCD, "/x/ABCD.TMP"},
        {"C:\\dir\\", "Q", 7, "C:\\dir\\Q7.TMP"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(GetTempFileNameA(r.path, r.prefix, r.unique, name), r.unique);
        EXPECT_STREQ(name, r.want);
        EXPECT_NE(access(name, F_OK), 0) << "a nonzero number only forms the name";
    }
    std::string longPath(MAX_PATH - 13, 'd');
    EXPECT_EQ(GetTempFileNameA(longPath.c_str(), "p", 1, name), 0u);
}

TEST(TempFile, ZeroCreatesAFreshFileEachTime) {
    std::string dir = MakeFolder();
    char a[MAX_PATH], b[MAX_PATH];
    UINT na = GetTempFileNameA(dir.c_str(), "nuvtest", 0, a);
    UINT nb = GetTempFileNameA(dir.c_str(), "nuvtest", 0, b);
    ASSERT_NE(na, 0u);
    ASSERT_NE(nb, 0u);
    EXPECT_NE(na, nb);
    EXPECT_LE(na, 0xFFFFu);
    for (const char* n : {a, b}) {
        std::string s = n;
        EXPECT_EQ(s.rfind(dir + "/nuv", 0), 0u) << s;
        EXPECT_EQ(s.substr(s.size() - 4), ".TMP");
        std::string hex = s.substr(dir.size() + 4, s.size() - dir.size() - 8);
        EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos) << hex;
        struct stat st{};
        ASSERT_EQ(stat(n, &st), 0);
        EXPECT_EQ(st.st_size, 0);
        unlink(n);
    }
    rmdir(dir.c_str());
    EXPECT_EQ(GetTempFileNameA((dir + "/missing").c_str(), "x", 0, a), 0u);
}

}  // namespace
