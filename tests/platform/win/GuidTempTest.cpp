#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <string>

#include "TempDir.h"
#include "win/Guid.h"
#include "win/TempFile.h"

namespace {

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

    char tiny[4] = "abc";
    EXPECT_GT(GetTempPathA(sizeof tiny, tiny), 4u) << "too small: the length needed";
    EXPECT_STREQ(tiny, "abc");
}

TEST(TempFile, ZeroCreatesAFreshFileEachTime) {
    TempDir temp;
    const std::string dir = temp.path();
    char a[MAX_PATH], b[MAX_PATH];
    UINT na = GetTempFileNameA(dir.c_str(), "nuvtest", 0, a);
    UINT nb = GetTempFileNameA(dir.c_str(), "nuvtest", 0, b);
    ASSERT_NE(na, 0u);
    ASSERT_NE(nb, 0u);
    EXPECT_NE(na, nb);
    EXPECT_STRNE(a, b);
    for (const char* n : {a, b}) {
        struct stat st{};
        ASSERT_EQ(stat(n, &st), 0) << n;
        EXPECT_EQ(st.st_size, 0);
    }
}

}  // namespace
