// The rule before a tool writes a file: existing files only with --force, the files the command
// reads never, whichever name or link reaches them.
#include "OutputFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "TempDir.h"

namespace {

using nuvtools::CheckOutputFile;
using nuvtools::OutputRefused;

std::string Refusal(const std::string& out, bool force, const std::vector<std::string>& inputs) {
    try {
        CheckOutputFile(out, force, inputs);
        return "";
    } catch (const OutputRefused& e) {
        return e.what();
    }
}

TEST(OutputFile, ExistingFilesNeedForceAndInputsAreNeverWritten) {
    TempDir dir;
    const std::string db = dir.Touch("g.mdb", "data"), other = dir.Touch("other.xml", "old");
    ASSERT_EQ(symlink(db.c_str(), dir.File("link.mdb").c_str()), 0);
    ASSERT_EQ(link(db.c_str(), dir.File("hard.mdb").c_str()), 0);
    ASSERT_EQ(symlink(dir.File("nowhere").c_str(), dir.File("dangling.xml").c_str()), 0);
    dir.Touch("sub/x");
    const struct {
        std::string out;
        bool force;
        const char* refusal;  // a piece of the message, "" for allowed
    } cases[] = {
        {dir.File("new.xml"), false, ""},
        {other, false, "already exists (--force replaces it)"},
        {other, true, ""},
        {db, true, "is the file this command reads"},
        {dir.File("link.mdb"), true, "is the file this command reads"},
        {dir.File("hard.mdb"), true, "is the file this command reads"},
        {dir.path() + "/sub/../g.mdb", true, "is the file this command reads"},
        {dir.File("dangling.xml"), false, "already exists"},
        {dir.File("sub"), true, "is a folder"},
    };
    for (const auto& c : cases) {
        const std::string why = Refusal(c.out, c.force, {db});
        if (*c.refusal == 0) {
            EXPECT_EQ(why, "") << c.out;
        } else {
            EXPECT_NE(why.find(c.refusal), std::string::npos) << c.out << ": " << why;
            EXPECT_EQ(why.rfind(c.out, 0), 0u) << "the message names the file: " << why;
        }
    }
}

TEST(OutputFile, SameFileGoesByIdentity) {
    TempDir dir;
    const std::string a = dir.Touch("a", "same"), b = dir.Touch("b", "same");
    EXPECT_TRUE(nuvtools::SameFile(a, dir.path() + "/./a"));
    EXPECT_FALSE(nuvtools::SameFile(a, b));  // equal content is not the same file
    EXPECT_FALSE(nuvtools::SameFile(a, dir.File("missing")));
}

}  // namespace
