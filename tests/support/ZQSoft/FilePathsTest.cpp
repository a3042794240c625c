#include "ZQSoft/FilePaths.h"

#include <sys/stat.h>

#include <filesystem>

#include "ZQFixture.h"

namespace {

// 乗 is 81 5C in GBK: its trail byte is a backslash, which must not split the name.
const std::string kNoriGbk = "\x81\x5C";

TEST(FileNameParts, Table) {
    struct Row {
        std::string path, folder, title, ext;
    } rows[] = {
        {"\\proj\\dwg\\plan.a.dwg", "\\proj\\dwg\\", "plan.a", "dwg"},
        {"/proj/dwg/plan.dwg", "/proj/dwg/", "plan", "dwg"},
        {"/proj\\mixed/x.LSP", "/proj\\mixed/", "x", "LSP"},
        {"plan.dwg", "", "plan", "dwg"},
        {"plan", "", "plan", ""},
        {"plan.", "", "plan", ""},
        {".profile", "", "", "profile"},
        {"\\proj\\dwg\\", "\\proj\\dwg\\", "", ""},
        {"\\proj.d\\plan", "\\proj.d\\", "plan", ""},  // a dot in a folder is no extension
        {"", "", "", ""},
        {"\\a\\" + kNoriGbk + ".dwg", "\\a\\", kNoriGbk, "dwg"},
        {"\\" + kNoriGbk + "\\b.rx", "\\" + kNoriGbk + "\\", "b", "rx"},
        {"\\a\\b." + kNoriGbk, "\\a\\", "b", kNoriGbk},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ZQ::GetFilePath(r.path.c_str()), r.folder) << r.path;
        EXPECT_EQ(ZQ::GetFileTitle(r.path.c_str()), r.title) << r.path;
        EXPECT_EQ(ZQ::GetFileExt(r.path.c_str()), r.ext) << r.path;
        // The parts give the path back: folder + title + "." + extension.
        if (!r.ext.empty() || r.path.ends_with('.')) {
            EXPECT_EQ(ZQ::GetFilePath(r.path.c_str()) + ZQ::GetFileTitle(r.path.c_str()) + "." +
                          ZQ::GetFileExt(r.path.c_str()),
                      r.path);
        }
    }
    EXPECT_EQ(ZQ::GetFilePath(nullptr), "");
    EXPECT_EQ(ZQ::GetFileTitle(nullptr), "");
    EXPECT_EQ(ZQ::GetFileExt(nullptr), "");
}

using Folders = ZQTest;

TEST_F(Folders, ExistenceMatchesLetterCaseLikeTheHost) {
    dir_.Touch("Sys/NUV.rx", "");
    const std::string root = dir_.path();
    struct Row {
        std::string path;
        bool exists;
    } rows[] = {
        {root + "/Sys/NUV.rx", true},
        {root + "\\sys\\nuv.rx", true},  // other case, other separator
        {root + "/SYS", true},           // a folder
        {root + "/SYS/", true},
        {root + "/sys/nuv.rx/", false},  // a file is no folder
        {root + "/sys/other.rx", false},
        {root + "/none/nuv.rx", false},
        {"", false},
    };
    for (const Row& r : rows) EXPECT_EQ(ZQ::IsExist(r.path.c_str()), r.exists) << r.path;
    EXPECT_FALSE(ZQ::IsExist(nullptr));
}

TEST_F(Folders, MkMDirMakesEveryMissingParent) {
    const std::string root = dir_.path();
    const std::string deep = root + "\\a\\" + kNoriGbk + "\\c.pra\\";
    ASSERT_TRUE(ZQ::MkMDir(deep.c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(root + "/a/\xE4\xB9\x97/c.pra"));  // 乗 in UTF-8 on disk
    EXPECT_TRUE(ZQ::MkMDir(deep.c_str()));                                        // already there
    EXPECT_TRUE(ZQ::MkMDir((root + "/A/new").c_str()));                           // an existing parent in another case
    EXPECT_TRUE(std::filesystem::is_directory(root + "/a/new"));
    EXPECT_FALSE(std::filesystem::exists(root + "/A"));

    dir_.Touch("file", "x");
    EXPECT_FALSE(ZQ::MkMDir((root + "/file/sub").c_str()));  // a file stands in the way
    EXPECT_EQ(ReadAll(root + "/file"), "x");
    EXPECT_FALSE(ZQ::MkMDir(""));
    EXPECT_FALSE(ZQ::MkMDir(nullptr));
}

}  // namespace
