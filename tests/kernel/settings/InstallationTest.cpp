#include "settings/Installation.h"

#include <fstream>
#include <regex>

#include "SettingsFixture.h"
#include "settings/Folders.h"
#include "win/FileSystem.h"

namespace {

using Installation = SettingsTest;

TEST_F(Installation, Versions) {
    struct Row {
        const char* release;  // null: absent
        std::string shortForm, fullForm;
    } rows[] = {
        {"3.8.1", "3.8", "3.8.1"}, {"3.8", "3", "3.8"}, {"2024", "2024", "2024"},
        {"v1.", "v1", "v1."},      {".5", "", ".5"},    {"", "", ""},
        {nullptr, "", ""},
    };
    for (const Row& r : rows) {
        MachineValues(r.release ? "\"Release\"=\"" + std::string(r.release) + "\"\n" : "");
        EXPECT_EQ(NUV::GetNUVVersion(0), r.shortForm) << (r.release ? r.release : "absent");
        EXPECT_EQ(NUV::GetNUVVersion(1), r.fullForm) << (r.release ? r.release : "absent");
        EXPECT_EQ(NUV::GetNUVVersion(2), r.fullForm) << (r.release ? r.release : "absent");
    }
}

TEST_F(Installation, ComponentMask) {
    struct Row {
        const char* stored;  // null: absent
        unsigned long mask;
        unsigned long asked;
        bool installed;
    } rows[] = {
        {"4", 4, 5, false},          {"7", 7, 5, true},         {"7", 7, 0, true},
        {nullptr, 0, 0, true},       {nullptr, 0, 1, false},    {"abc", 0, 1, false},
        {"4294967295", 0xFFFFFFFFul, 0x80000001ul, true},
        {"-1", 0xFFFFFFFFul, 0x80000000ul, true},  // the signed form older writers used
        {"2147483648", 0x80000000ul, 0x80000000ul, true},
        {"12junk", 12, 4, true},
    };
    for (const Row& r : rows) {
        MachineValues(r.stored ? "\"Group\"=\"" + std::string(r.stored) + "\"\n" : "");
        EXPECT_EQ(NUV::GetNUVGroupValue(), r.mask) << (r.stored ? r.stored : "absent");
        EXPECT_EQ(NUV::HasInstallNUVGroup(static_cast<NUV::ENUVSOFTGROUP>(r.asked)), r.installed)
            << (r.stored ? r.stored : "absent") << " asked " << r.asked;
    }

    MachineValues("");
    EXPECT_EQ(NUV::SetNUVGroupValue(0xFFFFFFFFul), 1);
    EXPECT_EQ(HiveValue("machine.reg", "Group"), "4294967295");
    EXPECT_EQ(NUV::SetNUVGroupValue(5), 1);
    EXPECT_EQ(HiveValue("machine.reg", "Group"), "5");
    EXPECT_TRUE(NUV::HasInstallNUVGroup(NUV::NUVSOFT_KERNEL));
    EXPECT_EQ(NUV::SetNUVGroupValue(0x100000000ul), 0);  // beyond 32 bits
    EXPECT_EQ(HiveValue("machine.reg", "Group"), "5");
    EXPECT_EQ(HiveValue("user.reg", "Group"), std::nullopt);
}

// The installation tree's own machine hive, as the build leaves it: a release, the kernel, and a
// project root in the user's data folder.
TEST(InstalledDefaults, TheBuildTreesMachineHive) {
    TempDir home;
    const char* keepHome = std::getenv("HOME");
    std::string savedHome = keepHome ? keepHome : "";
    ::setenv("HOME", home.path().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home.path() + "/config").c_str(), 1);
    ::unsetenv("NUV_REGISTRY_DIR");
    ::unsetenv("NUV_INSTALL_DIR");

    std::ifstream cmake(std::string(std::getenv("NUV_SOURCE_DIR")) + "/CMakeLists.txt");
    std::string text((std::istreambuf_iterator<char>(cmake)), {});
    std::smatch m;
    ASSERT_TRUE(std::regex_search(text, m, std::regex("project\\(NUVKernel VERSION ([0-9.]+)")));
    EXPECT_EQ(NUV::GetNUVVersion(1), m[1].str());
    EXPECT_TRUE(NUV::HasInstallNUVGroup(NUV::NUVSOFT_KERNEL));

    CString work;
    ASSERT_EQ(NUV::GetNUVWorkPath(work), 1);
    EXPECT_EQ(work, home.path() + "/.local/share/nuv/Projects/");
    CString project;
    ASSERT_EQ(NUV::GetNUVPrjPath(project), 1);
    EXPECT_EQ(project, home.path() + "/.local/share/nuv/Projects/temp.pra/");
    EXPECT_TRUE(std::filesystem::is_directory(home.path() + "/.local/share/nuv/Projects/temp.pra"));

    CString install;
    ASSERT_EQ(NUV::GetNUVPath(install), 1);
    EXPECT_EQ(install, std::string(std::getenv("NUV_BINARY_DIR")) + "/share/nuv/");
    EXPECT_TRUE(NUVWin::IsFolder(NUV::GetUSERFolder()));  // "User\\" found by the file layer

    ::setenv("HOME", savedHome.c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
