#include "ZQSoft/SearchPath.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

std::optional<std::string> Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::optional<std::string>(v) : std::nullopt;
}

// Keeps the test program's own PATH and Path as they were.
class SearchPath : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = Env("PATH");
        Path_ = Env("Path");
    }
    void TearDown() override {
        Restore("PATH", path_);
        Restore("Path", Path_);
    }
    static void Restore(const char* name, const std::optional<std::string>& v) {
        if (v)
            ::setenv(name, v->c_str(), 1);
        else
            ::unsetenv(name);
    }
    std::optional<std::string> path_, Path_;
};

TEST_F(SearchPath, AppendsToPathOnce) {
    ::setenv("PATH", "/usr/bin:/bin", 1);
    ::unsetenv("Path");
    struct Step {
        const char* folder;
        bool ok;
        const char* pathAfter;
    } steps[] = {
        {"/opt/nuv/lib", true, "/usr/bin:/bin;/opt/nuv/lib"},  // started from PATH
        {"/opt/nuv/lib", true, "/usr/bin:/bin;/opt/nuv/lib"},  // already there
        {"/opt/nuv/lib/", true, "/usr/bin:/bin;/opt/nuv/lib"},  // the same folder with a separator
        {"/bin", true, "/usr/bin:/bin;/opt/nuv/lib"},           // in the part that came from PATH
        {"\\srv\\mods", true, "/usr/bin:/bin;/opt/nuv/lib;\\srv\\mods"},
        {"", false, "/usr/bin:/bin;/opt/nuv/lib;\\srv\\mods"},
        {"/a;b", false, "/usr/bin:/bin;/opt/nuv/lib;\\srv\\mods"},  // would split into two
        {"/a:b", false, "/usr/bin:/bin;/opt/nuv/lib;\\srv\\mods"},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(ZQ::AddPathEnvironmentVariable(s.folder), s.ok) << s.folder;
        EXPECT_EQ(Env("Path"), std::string(s.pathAfter)) << s.folder;
    }
    EXPECT_EQ(Env("PATH"), std::string("/usr/bin:/bin"));  // programs started later still find theirs
    EXPECT_FALSE(ZQ::AddPathEnvironmentVariable(nullptr));
}

TEST_F(SearchPath, StartsEmptyWithoutEitherVariable) {
    ::unsetenv("PATH");
    ::unsetenv("Path");
    EXPECT_TRUE(ZQ::AddPathEnvironmentVariable("/x"));
    EXPECT_EQ(Env("Path"), std::string("/x"));
    ::setenv("Path", "/y;", 1);
    EXPECT_TRUE(ZQ::AddPathEnvironmentVariable("/x"));
    EXPECT_EQ(Env("Path"), std::string("/y;/x"));
}

}  // namespace
