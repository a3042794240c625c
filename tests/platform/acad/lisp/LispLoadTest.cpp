// Loading .lsp files through the file layer: found along the host's search order or by path,
// with or without the extension, GBK text kept byte for byte, errors inside a file, missing
// files with and without a fallback.
#include <gtest/gtest.h>

#include "FakeLispHost.h"
#include "TempDir.h"

namespace {

struct LispLoad : ::testing::Test {
    TempDir dir;
    LispSession s;
    void SetUp() override { s.host.searchFolder = dir.File("support"); }
};

TEST_F(LispLoad, FilesRunInOrderAndGiveTheLastValue) {
    dir.Touch("support/helper.lsp",
              ";; helper functions\n"
              "(defun helper (x) (* x 3))\n"
              ";| a block comment\n   over two lines |;\n"
              "(setq loaded \"yes\")\n");
    EXPECT_EQ(s.Run("(load \"helper\")"), "\"yes\"");
    EXPECT_EQ(s.Run("(helper 5)"), "15");
    EXPECT_EQ(s.Run("(load \"helper.lsp\")"), "\"yes\"");
    // By a path outside the search order, with either separator.
    dir.Touch("elsewhere/Other.LSP", "(setq other 1) 'done");
    EXPECT_EQ(s.Run("(load \"" + dir.File("elsewhere/Other.LSP") + "\")"), "DONE");
    std::string backslashed = dir.File("elsewhere\\other.lsp");
    std::string escaped;
    for (char c : backslashed) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    EXPECT_EQ(s.Run("(load \"" + escaped + "\")"), "DONE");

    resbuf* result = nullptr;
    ASSERT_EQ(s.lisp.loadFile("helper", &result), RTNORM);
    EXPECT_EQ(Describe(result), "RTSTR \"yes\"");
    acutRelRb(result);
}

TEST_F(LispLoad, GbkTextIsKept) {
    // "中文" in GBK, and a character whose second byte is a backslash, inside a string.
    dir.Touch("support/gbk.lsp", "(setq msg \"\xD6\xD0\xCE\xC4\" odd \"\x81\x5C\")\n(princ msg)\n");
    EXPECT_EQ(s.Run("(load \"gbk\")"), "\xD6\xD0\xCE\xC4\"\xD6\xD0\xCE\xC4\"");
    EXPECT_EQ(s.Run("(list (strlen msg) (strlen odd))"), "(4 2)");
}

TEST_F(LispLoad, ErrorsAndMissingFiles) {
    dir.Touch("support/broken.lsp", "(setq a 1)\n(car 5)\n(setq b 2)\n");
    EXPECT_EQ(s.Run("(load \"broken\")"), "; error: bad argument type: consp 5");
    EXPECT_EQ(s.Run("(list a b)"), "(1 nil)");
    dir.Touch("support/open.lsp", "(defun f (x)\n  (+ x 1)\n");
    EXPECT_EQ(s.Run("(load \"open\")"), "; error: malformed list on input");
    EXPECT_EQ(s.Run("(load \"missing\")"), "; error: LOAD failed: \"missing\"");
    EXPECT_EQ(s.Run("(load \"missing\" \"fallback\")"), "\"fallback\"");
    EXPECT_EQ(s.Run("(load \"missing\" '(lambda () 7))"), "7");
    EXPECT_EQ(s.Run("(load 1)"), "; error: bad argument type: stringp 1");
    s.host.out.clear();
    EXPECT_EQ(s.lisp.loadFile("missing"), RTERROR);
    EXPECT_EQ(s.host.out, "; error: LOAD failed: \"missing\"");
    // A file that loads itself stops at the nesting limit.
    dir.Touch("support/self.lsp", "(load \"self\")");
    EXPECT_EQ(s.Run("(load \"self\")"), "; error: internal stack limit reached (simulated)");
}

}  // namespace
