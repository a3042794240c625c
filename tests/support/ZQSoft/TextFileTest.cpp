#include "ZQSoft/TextFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "ZQFixture.h"

namespace {

using Lines = std::vector<std::string>;

Lines ToVector(const CStringArray& a) {
    Lines out;
    for (int i = 0; i < a.GetSize(); ++i) out.push_back(a[i].str());
    return out;
}

const std::string kFengGuanGbk = "\xB7\xE7\xB9\xDC";  // 风管
const std::string kFengGuanUtf8 = "\xE9\xA3\x8E\xE7\xAE\xA1";

using TextFile = ZQTest;

TEST_F(TextFile, LineEndsAndLastLines) {
    struct Row {
        const char* name;
        std::string content;
        Lines lines;
    } rows[] = {
        {"lf", "a\nb\n", {"a", "b"}},
        {"crlf", "a\r\nb\r\n", {"a", "b"}},
        {"mixed", "a\r\nb\nc", {"a", "b", "c"}},
        {"no final line end", "a\nb", {"a", "b"}},
        {"empty file", "", {}},
        {"one empty line", "\n", {""}},
        {"blank lines kept", "a\n\n\r\nb\n", {"a", "", "", "b"}},
        {"lone cr stays", "a\rb\nc\r", {"a\rb", "c\r"}},
        {"cr cr lf", "a\r\r\n", {"a\r"}},
        {"gbk kept as bytes", kFengGuanGbk + "\r\n" + kFengGuanGbk, {kFengGuanGbk, kFengGuanGbk}},
        {"utf-8 mark kept by the first reader", "\xEF\xBB\xBFx\n", {"\xEF\xBB\xBFx"}},
    };
    for (const Row& r : rows) {
        std::string path = dir_.Touch("t.txt", r.content);
        CStringArray lines;
        lines.Add("old");
        EXPECT_EQ(ZQ::ReadTextFileToStringArray(path.c_str(), lines, true, nullptr, nullptr), ZQ::FO_OK) << r.name;
        EXPECT_EQ(ToVector(lines), r.lines) << r.name;
    }
}

TEST_F(TextFile, NoLineLimit) {
    std::string longLine(3 * 1024 * 1024, 'x');
    std::string content;
    for (int i = 0; i < 100000; ++i) content += "m" + std::to_string(i) + "\r\n";
    content += longLine;
    std::string path = dir_.Touch("big.txt", content);
    CStringArray lines;
    ASSERT_EQ(ZQ::ReadTextFileToStringArray(path.c_str(), lines), ZQ::FO_OK);
    ASSERT_EQ(lines.GetSize(), 100001);
    EXPECT_EQ(lines[99999], "m99999");
    EXPECT_EQ(lines[100000].GetLength(), static_cast<int>(longLine.size()));
}

TEST_F(TextFile, AppendingAndComments) {
    std::string path = dir_.Touch("nuv.rx", "; modules\r\nA.arx\r\n  ;off.arx\r\n\r\nb.lsp\r\n");
    CStringArray lines;
    lines.Add("kept");
    ASSERT_EQ(ZQ::ReadTextFileToStringArray(path.c_str(), lines, false, ";", nullptr), ZQ::FO_OK);
    EXPECT_EQ(ToVector(lines), (Lines{"kept", "A.arx", "", "b.lsp"}));
    ASSERT_EQ(ZQ::ReadTextFileToStringArray(path.c_str(), lines, true, "", nullptr), ZQ::FO_OK);
    EXPECT_EQ(lines.GetSize(), 5);  // an empty prefix marks nothing
}

TEST_F(TextFile, FailuresAreSystemErrorCodesAndChangeNothing) {
    dir_.Touch("sub/file.txt", "x\n");
    dir_.Touch("zero.txt", std::string("ab\ncd\0ef\n", 9));
    const std::string root = dir_.path();
    const std::string tooLong = root + "/" + std::string(300, 'n');
    struct Row {
        std::string path;
        ZQ::FO_ErrorStatus status;
        const char* said;
    } rows[] = {
        {root + "/sub/missing.txt", ZQ::FO_FILE_NOT_FOUND, "does not exist"},
        {root + "/nofolder/file.txt", ZQ::FO_PATH_NOT_FOUND, "folder"},
        {root + "/sub/file.txt/x", ZQ::FO_PATH_NOT_FOUND, "folder"},  // a file used as a folder
        {root + "/sub", ZQ::FO_ACCESS_DENIED, "folder"},
        {root + "/zero.txt", ZQ::FO_INVALID_DATA, "line 2"},
        {tooLong, ZQ::FO_FILENAME_EXCED_RANGE, "too long"},
        {"", ZQ::FO_INVALID_PARAMETER, "no file name"},
    };
    for (const Row& r : rows) {
        CStringArray lines;
        lines.Add("before");
        CString message;
        EXPECT_EQ(ZQ::ReadTextFileToStringArray(r.path.c_str(), lines, true, nullptr, &message), r.status) << r.path;
        EXPECT_EQ(ToVector(lines), Lines{"before"}) << r.path;
        EXPECT_NE(message.str().find(r.said), std::string::npos) << message.str();
        EXPECT_EQ(message.str().rfind(r.path + ": ", 0), 0u) << message.str();
    }
    CStringArray lines;
    EXPECT_EQ(ZQ::ReadTextFileToStringArray(nullptr, lines), ZQ::FO_INVALID_PARAMETER);
    EXPECT_EQ(ZQ::ReadTextFileToStringArray2(nullptr, lines), ZQ::FO_INVALID_PARAMETER);
}

TEST_F(TextFile, UnreadableFileIsAccessDenied) {
    std::string path = dir_.Touch("secret.txt", "x\n");
    ::chmod(path.c_str(), 0);
    if (::access(path.c_str(), R_OK) == 0) GTEST_SKIP() << "running with the right to read everything";
    CStringArray lines;
    EXPECT_EQ(ZQ::ReadTextFileToStringArray(path.c_str(), lines), ZQ::FO_ACCESS_DENIED);
}

TEST_F(TextFile, SecondReaderConvertsUnicodeFiles) {
    auto utf16le = [](const std::u16string& s) {
        std::string b = "\xFF\xFE";
        for (char16_t c : s) b += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        return b;
    };
    auto utf16be = [](const std::u16string& s) {
        std::string b = "\xFE\xFF";
        for (char16_t c : s) b += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
        return b;
    };
    struct Row {
        const char* name;
        std::string content;
        ZQ::FO_ErrorStatus status;
        Lines lines;
        const char* said;
    } rows[] = {
        {"utf-8 with mark", "\xEF\xBB\xBF" + kFengGuanUtf8 + "\r\nb\n", ZQ::FO_OK, {kFengGuanGbk, "b"}, ""},
        {"utf-16 le", utf16le(u"\u98CE\u7BA1\r\nx\n\u2103"), ZQ::FO_OK, {kFengGuanGbk, "x", "\xA1\xE6"}, ""},  // ℃
        {"utf-16 be", utf16be(u"a\n\u98CE\u7BA1"), ZQ::FO_OK, {"a", kFengGuanGbk}, ""},
        {"gbk without a mark", kFengGuanGbk + "\n", ZQ::FO_OK, {kFengGuanGbk}, ""},
        {"emoji in utf-8", "\xEF\xBB\xBF" "a\nb\xF0\x9F\x98\x80\n", ZQ::FO_NO_UNICODE_TRANSLATION, {"before"}, "line 2"},
        {"broken utf-8", "\xEF\xBB\xBF" "a\nb\nc\xE9\xA3\n", ZQ::FO_NO_UNICODE_TRANSLATION, {"before"}, "line 3"},
        {"lone surrogate", utf16le(u"ok\n\xD800x"), ZQ::FO_NO_UNICODE_TRANSLATION, {"before"}, "line 2"},
        {"odd utf-16", utf16le(u"ab") + "\x41", ZQ::FO_INVALID_DATA, {"before"}, "even"},
    };
    for (const Row& r : rows) {
        std::string path = dir_.Touch("u.txt", r.content);
        CStringArray lines;
        lines.Add("before");
        CString message;
        EXPECT_EQ(ZQ::ReadTextFileToStringArray2(path.c_str(), lines, true, nullptr, &message), r.status) << r.name;
        EXPECT_EQ(ToVector(lines), r.lines) << r.name;
        EXPECT_NE(message.str().find(r.said), std::string::npos) << r.name << ": " << message.str();
    }
}

}  // namespace
