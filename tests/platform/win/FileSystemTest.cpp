#include "win/FileSystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "TempDir.h"

namespace {

using namespace NUVWin;

// GBK bytes written out by hand: 中文 D6D0 CEC4; 丄 8141 and 乤 8161 differ only in a trail byte
// that is an ASCII letter; 乗 815C has '\' as its trail byte.
const std::string kZhongWenGbk = "\xD6\xD0\xCE\xC4";
const std::string kZhongWenUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";
const std::string kUpGbk = "\x81\x41", kUpUtf8 = "\xE4\xB8\x84";
const std::string kLowGbk = "\x81\x61", kLowUtf8 = "\xE4\xB9\xA4";
const std::string kSlashGbk = "\x81\x5C", kSlashUtf8 = "\xE4\xB9\x97";

std::string Backslashed(std::string s) {
    std::replace(s.begin(), s.end(), '/', '\\');
    return s;
}

TEST(FileSystem, ResolvesSeparatorsCaseAndEncoding) {
    TempDir t;
    t.Touch("Sys/NUV.rx");
    t.Touch(kZhongWenUtf8 + "Dir/File.TXT");
    t.Touch(kSlashUtf8 + ".txt");
    t.Touch(kUpUtf8);
    t.Touch("Both/ABC");
    t.Touch("Both/abc");
    const std::string root = Backslashed(t.path());  // absolute, starting with '\'
    struct Case {
        std::string input;  // below the temp folder
        std::string expected;
    } cases[] = {
        {"\\sys\\nuv.rx", "/Sys/NUV.rx"},
        {"/SYS/Nuv.RX", "/Sys/NUV.rx"},
        {"\\Sys/nuv.RX", "/Sys/NUV.rx"},
        {"\\\\sys\\\\\\nuv.rx", "/Sys/NUV.rx"},
        {"\\sys\\", "/Sys/"},
        {"\\" + kZhongWenGbk + "dir\\file.txt", "/" + kZhongWenUtf8 + "Dir/File.TXT"},
        {"\\sys\\Missing\\New.txt", "/Sys/Missing/New.txt"},
        // The trail byte 0x5C is part of the character, not a separator.
        {"\\" + kSlashGbk + ".TXT", "/" + kSlashUtf8 + ".txt"},
        // Trail bytes never fold: 乤 is another character than 丄, so it stays unresolved.
        {"\\" + kLowGbk, "/" + kLowUtf8},
        {"\\" + kUpGbk, "/" + kUpUtf8},
        // An exact name wins; among case variants the first in byte order.
        {"\\both\\abc", "/Both/abc"},
        {"\\both\\Abc", "/Both/ABC"},
    };
    for (const Case& c : cases) EXPECT_EQ(NativePath(CString(root + c.input)), t.path() + c.expected) << c.input;

    // Relative paths resolve against the working folder.
    std::string cwd = std::filesystem::current_path();
    std::filesystem::current_path(t.path());
    EXPECT_EQ(NativePath("SYS\\nuv.rx"), "Sys/NUV.rx");
    EXPECT_EQ(NativePath(".\\sys\\..\\SYS"), "./Sys/../Sys");
    std::filesystem::current_path(cwd);

    EXPECT_TRUE(IsFile(CString(root + "\\SYS\\NUV.RX")));
    EXPECT_TRUE(IsFolder(CString(root + "/sys/")));
    EXPECT_FALSE(PathExists(CString(root + "\\" + kLowGbk)));
}

TEST(FileSystem, SeparatorHelpers) {
    struct Case {
        std::string input, appended, stripped;
    } cases[] = {
        {"a", "a/", "a"},
        {"a\\", "a\\", "a"},
        {"a/", "a/", "a"},
        {"a\\/\\", "a\\/\\", "a"},
        {"", "", ""},
        {"\\", "\\", "/"},
        {kSlashGbk, kSlashGbk + "/", kSlashGbk},
        {"x" + kSlashGbk + "\\", "x" + kSlashGbk + "\\", "x" + kSlashGbk},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AppendSeparator(CString(c.input)).str(), c.appended) << c.input;
        EXPECT_EQ(StripTrailingSeparators(CString(c.input)).str(), c.stripped) << c.input;
    }
    EXPECT_EQ(FileNamePart("a\\b/" + kSlashGbk + ".txt").str(), kSlashGbk + ".txt");
    EXPECT_EQ(FolderPart("a\\b/" + kSlashGbk + ".txt").str(), "a\\b/");
    EXPECT_EQ(FolderPart("name").str(), "");
}

TEST(FileSystem, FoldersAreCreatedAndDeleted) {
    TempDir t;
    const std::string root = Backslashed(t.path());
    EXPECT_TRUE(MakeFolders(CString(root + "\\User\\" + kZhongWenGbk + "\\deep")));
    EXPECT_TRUE(std::filesystem::is_directory(t.File("User/" + kZhongWenUtf8 + "/deep")));
    // A second call, spelt differently, finds what is there and creates nothing new.
    EXPECT_TRUE(MakeFolders(CString(root + "/USER/" + kZhongWenGbk + "/Deep/")));
    EXPECT_FALSE(std::filesystem::exists(t.File("USER")));
    EXPECT_TRUE(IsFolder(CString(root + "\\user\\" + kZhongWenGbk + "\\DEEP")));

    t.Touch("User/plain.txt");
    EXPECT_FALSE(MakeFolders(CString(root + "\\user\\plain.txt")));  // a file is in the way
    EXPECT_FALSE(DeleteFile(CString(root + "\\user")));              // not a file
    EXPECT_FALSE(DeleteFolder(CString(root + "\\user")));            // not empty
    EXPECT_TRUE(DeleteFile(CString(root + "\\USER\\Plain.TXT")));
    EXPECT_FALSE(std::filesystem::exists(t.File("User/plain.txt")));
    EXPECT_FALSE(DeleteFile(CString(root + "\\user\\plain.txt")));  // already gone
    EXPECT_TRUE(DeleteFolder(CString(root + "\\user"), true));
    EXPECT_FALSE(std::filesystem::exists(t.File("User")));

    t.Touch("List/b.txt");
    t.Touch("List/" + kZhongWenUtf8);
    t.Touch("List/A.txt");
    CStringArray names;
    ASSERT_TRUE(ListFolder(CString(root + "\\list"), names));
    ASSERT_EQ(names.GetSize(), 3);
    EXPECT_EQ(names[0].str(), "A.txt");
    EXPECT_EQ(names[1].str(), "b.txt");
    EXPECT_EQ(names[2].str(), kZhongWenGbk);
}

TEST(FileSystem, ReadsGbkLines) {
    TempDir t;
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"first\r\n" + kZhongWenGbk + "\n\nlast", {"first", kZhongWenGbk, "", "last"}},
        {"one\n", {"one"}},
        {"one\r\n\r\n", {"one", ""}},
        {"crs\r\r\n", {"crs"}},
        {"", {}},
        // A trail byte 0x0D or 0x0A cannot occur in GBK, but 0x5C and letters can: kept as is.
        {kSlashGbk + "\r\n" + kUpGbk, {kSlashGbk, kUpGbk}},
    };
    int n = 0;
    for (const Case& c : cases) {
        std::string name = "f" + std::to_string(n++) + ".txt";
        t.Touch(name, c.bytes);
        CStringArray lines;
        ASSERT_TRUE(ReadTextLines(CString(Backslashed(t.File(name))), lines));
        ASSERT_EQ(lines.GetSize(), static_cast<INT_PTR>(c.lines.size())) << name;
        for (std::size_t i = 0; i < c.lines.size(); ++i) EXPECT_EQ(lines[static_cast<INT_PTR>(i)].str(), c.lines[i]) << name;
    }
    CStringArray lines;
    EXPECT_FALSE(ReadTextLines(CString(t.File("missing.txt")), lines));
}

// Whole files round-trip byte for byte; an atomic replacement keeps the file's permissions, leaves
// no temporary file behind, and a reader running beside a writer that keeps replacing a large file
// only ever sees one whole version, never an empty, short or mixed one.
TEST(FileSystem, WholeFilesAndAtomicReplacement) {
    TempDir t;
    const std::string bytes("bin\0\xFF\r\n", 7), a(200000, 'a'), b(200000, 'b');
    const CString path(Backslashed(t.File("Data.bin")));
    std::string back;
    ASSERT_TRUE(WriteFileAtomic(path, bytes));
    ASSERT_TRUE(ReadFileBytes(CString(Backslashed(t.path()) + "\\DATA.BIN"), back));
    EXPECT_EQ(back, bytes);
    EXPECT_FALSE(ReadFileBytes(CString(t.File("nothing")), back));
    EXPECT_FALSE(WriteFileAtomic(CString(t.File("no/such/folder/x")), "x"));

    ::chmod(t.File("Data.bin").c_str(), 0600);
    ASSERT_TRUE(WriteFileAtomic(path, a));
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        for (int i = 0; i < 40; ++i)
            if (!WriteFileAtomic(path, i % 2 ? a : b)) ::_exit(1);
        ::_exit(0);
    }
    int torn = 0, reads = 0, status = 0;
    for (; ::waitpid(child, &status, WNOHANG) == 0; ++reads) {
        std::string got = ReadAll(t.File("Data.bin"));
        torn += got != a && got != b;
    }
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(torn, 0) << "of " << reads << " reads";
    struct stat st;
    ASSERT_EQ(::stat(t.File("Data.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(t.path()), {}), 1);
}

}  // namespace
