#include "settings/Folders.h"

#include <filesystem>

#include "SettingsFixture.h"

namespace {

using Folders = SettingsTest;

std::string Escaped(const std::string& path) {
    std::string out;
    for (char c : path) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
}

TEST_F(Folders, InstallationFolders) {
    const std::string install = dir_.path() + "/suite";
    std::filesystem::create_directories(install);
    MachineValues("\"InstallDir\"=\"" + install + "\"\n");
    CString path("before");
    ASSERT_EQ(NUV::GetNUVPath(path), 1);
    EXPECT_EQ(path, install + "/");
    EXPECT_EQ(NUV::GetBDWGFolder(), install + "/Bdwg\\");
    EXPECT_EQ(NUV::GetSLDFolder(), install + "/Sld\\");
    EXPECT_EQ(NUV::GetUSERFolder(), install + "/User\\");
}

TEST_F(Folders, WorkPathHasExactlyOneSeparator) {
    struct Row {
        const char* what;
        std::string machine;  // values of the machine key
        int result;
        std::string path;
    } rows[] = {
        {"absent", "", 0, "before"},
        {"empty", "\"ProjRootDir\"=\"\"\n", 0, "before"},
        {"plain", "\"ProjRootDir\"=\"/srv/proj\"\n", 1, "/srv/proj/"},
        {"several backslashes", "\"ProjRootDir\"=\"" + Escaped("/srv/proj\\\\\\") + "\"\n", 1, "/srv/proj/"},
        {"mixed separators", "\"ProjRootDir\"=\"" + Escaped("\\srv\\proj/\\/") + "\"\n", 1, "\\srv\\proj/"},
        {"root alone", "\"ProjRootDir\"=\"" + Escaped("\\\\") + "\"\n", 1, "/"},
    };
    for (const Row& r : rows) {
        MachineValues(r.machine);
        CString path("before");
        EXPECT_EQ(NUV::GetNUVWorkPath(path), r.result) << r.what;
        EXPECT_EQ(path, r.path) << r.what;
    }
}

TEST_F(Folders, ProjectFolderIsNamedAndMade) {
    const std::string root = dir_.path() + "/projects";
    MachineValues("\"ProjRootDir\"=\"" + Escaped(root + "\\\\") + "\"\n");
    struct Row {
        const char* what;
        std::string user;      // values of the user key
        std::string folder;    // below the root, as returned (GBK)
        std::string onDisk;    // below the root, UTF-8
    } rows[] = {
        {"no name", "", "temp.pra", "temp.pra"},
        {"abc", "\"PrjName\"=\"abc\"\n", "abc.pra", "abc.pra"},
        {"upper case extension", "\"PrjName\"=\"Hall.PRA\"\n", "Hall.PRA", "Hall.PRA"},
        {"mixed case extension", "\"PrjName\"=\"x.pRa\"\n", "x.pRa", "x.pRa"},
        {"other extension", "\"PrjName\"=\"a.pr\"\n", "a.pr.pra", "a.pr.pra"},
        {"just the extension", "\"PrjName\"=\".pra\"\n", ".pra", ".pra"},
        {"short name", "\"PrjName\"=\"ra\"\n", "ra.pra", "ra.pra"},
        {"Chinese", "\"PrjName\"=\"\xE5\x8A\x9E\xE5\x85\xAC\xE6\xA5\xBC\"\n", "\xB0\xEC\xB9\xAB\xC2\xA5.pra",
         "\xE5\x8A\x9E\xE5\x85\xAC\xE6\xA5\xBC.pra"},  // 办公楼
        {"nested", "\"PrjName\"=\"2024/site\"\n", "2024/site.pra", "2024/site.pra"},
    };
    for (const Row& r : rows) {
        UserValues(r.user);
        CString path;
        ASSERT_EQ(NUV::GetNUVPrjPath(path), 1) << r.what;
        EXPECT_EQ(path, root + "/" + r.folder + "/") << r.what;
        EXPECT_TRUE(std::filesystem::is_directory(root + "/" + r.onDisk)) << r.what;
    }
}

TEST_F(Folders, ProjectPathIntoABuffer) {
    const std::string root = dir_.path() + "/p";
    MachineValues("\"ProjRootDir\"=\"" + root + "\"\n");
    UserValues("\"PrjName\"=\"job\"\n");
    const std::string expected = root + "/job.pra/";
    const unsigned n = static_cast<unsigned>(expected.size());
    struct Row {
        unsigned size;
        int result;
    } rows[] = {{n - 1, 0}, {n, 0}, {n + 1, 1}, {512, 1}, {0, 0}};
    for (const Row& r : rows) {
        char buf[512] = "untouched";
        EXPECT_EQ(NUV::GetNUVPrjPath(buf, r.size), r.result) << r.size;
        EXPECT_EQ(std::string(buf), r.result ? expected : "untouched") << r.size;
    }
    EXPECT_EQ(NUV::GetNUVPrjPath(nullptr, 512), 0);

    MachineValues("");  // no project root: nothing to copy, nothing made
    char buf[512] = "untouched";
    EXPECT_EQ(NUV::GetNUVPrjPath(buf, sizeof buf), 0);
    CString path("before");
    EXPECT_EQ(NUV::GetNUVPrjPath(path), 0);
    EXPECT_EQ(path, "before");
}

TEST_F(Folders, AProjectFolderThatCannotBeMadeIsNotReported) {
    dir_.Touch("blocked", "a file where the root should be");
    MachineValues("\"ProjRootDir\"=\"" + dir_.File("blocked") + "\"\n");
    CString path;
    EXPECT_EQ(NUV::GetNUVPrjPath(path), 1);
    EXPECT_EQ(path, dir_.File("blocked") + "/temp.pra/");
    EXPECT_EQ(ReadAll(dir_.File("blocked")), "a file where the root should be");
}

}  // namespace
