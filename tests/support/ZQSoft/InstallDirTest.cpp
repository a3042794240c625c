#include "ZQSoft/InstallDir.h"

#include <filesystem>

#include "ZQFixture.h"

namespace {

class InstallDir : public ZQTest {
protected:
    void SetUp() override {
        ZQTest::SetUp();
        const char* env = std::getenv("NUV_INSTALL_DIR");
        savedEnv_ = env ? env : "";
        ::unsetenv("NUV_INSTALL_DIR");
    }
    void TearDown() override {
        if (!savedEnv_.empty()) ::setenv("NUV_INSTALL_DIR", savedEnv_.c_str(), 1);
        ZQTest::TearDown();
    }
    void RegistryValue(const std::string& folder) {
        std::string escaped;
        for (char c : folder) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
        WriteMachineHive("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\NUV]\n"
                         "\"InstallDir\"=\"" + escaped + "\"\n");
    }
    std::string savedEnv_;
};

TEST_F(InstallDir, RegistryThenEnvironmentThenTheTreeBesideTheLibrary) {
    const std::string installed = dir_.path() + "/installed";
    const std::string other = dir_.path() + "/other";
    std::filesystem::create_directories(installed);
    std::filesystem::create_directories(other);
    const std::string buildTree = std::string(std::getenv("NUV_BINARY_DIR")) + "/share/nuv/";
    ASSERT_TRUE(std::filesystem::is_directory(buildTree)) << "the build tree lacks its installation tree";

    struct Row {
        const char* name;
        std::string registry;  // empty: no value
        std::string env;       // empty: unset
        std::string expected;
    } rows[] = {
        {"registry wins", installed, other, installed + "/"},
        {"separators at the end become one", installed + "\\\\//", "", installed + "/"},
        {"a folder that is gone is passed over", dir_.path() + "/gone", other, other + "/"},
        {"environment", "", other + "/", other + "/"},
        {"the build tree", "", "", buildTree},
        {"a missing environment folder is passed over too", "", dir_.path() + "/gone", buildTree},
    };
    for (const Row& r : rows) {
        if (r.registry.empty())
            WriteMachineHive("");
        else
            RegistryValue(r.registry);
        if (r.env.empty())
            ::unsetenv("NUV_INSTALL_DIR");
        else
            ::setenv("NUV_INSTALL_DIR", r.env.c_str(), 1);
        CString out("unchanged");
        EXPECT_TRUE(ZQ::GetInstallDir(out)) << r.name;
        EXPECT_EQ(out, r.expected) << r.name;
    }
}

TEST_F(InstallDir, RelativeNamesAppendDirectly) {
    CString folder;
    ASSERT_TRUE(ZQ::GetInstallDir(folder));
    // The tree is found by case-insensitive names whatever separator follows.
    EXPECT_TRUE(std::filesystem::exists(std::string(folder + "sys/nuv.rx"))) << folder.str();
}

}  // namespace
