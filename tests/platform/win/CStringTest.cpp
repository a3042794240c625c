#include <gtest/gtest.h>

#include <string>

#include "win/CString.h"

namespace {

// "中文" in GBK: D6 D0 CE C4. "\xB0\x61" is a double-byte character whose trail byte is 'a'.
const char kZhongWen[] = "\xD6\xD0\xCE\xC4";
const char kTrailA[] = "\xB0\x61";

TEST(CString, SlicingClampsLikeTheFramework) {
    CString s("abcdef");
    EXPECT_EQ(s.Left(2), "ab");
    EXPECT_EQ(s.Left(99), "abcdef");
    EXPECT_EQ(s.Left(-1), "");
    EXPECT_EQ(s.Mid(4), "ef");
    EXPECT_EQ(s.Mid(-3, 2), "ab");
    EXPECT_EQ(s.Mid(10), "");
    EXPECT_EQ(s.Mid(2, 99), "cdef");
    EXPECT_EQ(s.Right(2), "ef");
    EXPECT_EQ(s.Right(99), "abcdef");
}

TEST(CString, SearchesNeverMatchATrailByte) {
    CString s = CString(kTrailA) + "a";
    EXPECT_EQ(s.Find('a'), 2);
    EXPECT_EQ(s.Find("a"), 2);
    EXPECT_EQ(s.ReverseFind('a'), 2);
    EXPECT_EQ(CString(kTrailA).Find('a'), -1);
    EXPECT_EQ(CString("abcabc").Find("bc", 2), 4);
    EXPECT_EQ(CString("abc").Find("", 1), 1);
    EXPECT_EQ(CString("a.b.c").ReverseFind('.'), 3);
    EXPECT_EQ(CString("abc").FindOneOf("xc"), 2);
}

TEST(CString, CaseChangesAndTrimmingLeaveDoubleByteCharactersAlone) {
    CString s = CString(kTrailA) + "ab";
    s.MakeUpper();
    EXPECT_EQ(s, CString(kTrailA) + "AB");
    CString u = CString("\xB0\x41") + "AB";
    u.MakeLower();
    EXPECT_EQ(u, CString("\xB0\x41") + "ab");

    CString t = CString("  ") + kZhongWen + " \t\r\n";
    t.Trim();
    EXPECT_EQ(t, kZhongWen);
    // A trail byte equal to the target is not trimmed.
    CString x = CString("x") + kTrailA;
    x.TrimRight('a');
    EXPECT_EQ(x, CString("x") + kTrailA);
    CString y("xxhixx");
    y.Trim('x');
    EXPECT_EQ(y, "hi");
    CString z("-=hi=-");
    z.TrimLeft("-=");
    EXPECT_EQ(z, "hi=-");
}

// Characters are reversed, a double-byte character staying in its byte order; a lead byte with
// no trail after it (a text cut in the middle of a character) is one character of its own.
TEST(CString, MakeReverseKeepsDoubleByteCharactersWhole) {
    const struct {
        std::string in, out;
    } rows[] = {
        {"", ""},
        {"abc", "cba"},
        {"\xD6\xD0\xCE\xC4", "\xCE\xC4\xD6\xD0"},
        {"\xB0\x61" "b", "b\xB0\x61"},          // the trail byte 'a' is not a character
        {"ab\xB7", "\xB7" "ba"},                 // ends in a lone lead byte
        {"\xB7", "\xB7"},
        {"\xD6\xD0" "a\xB7", "\xB7" "a\xD6\xD0"},
        {"\xD6\xD0\xB7", "\xB7\xD6\xD0"},
    };
    for (const auto& r : rows) {
        CString s(r.in.c_str());
        EXPECT_EQ(s.MakeReverse().str(), r.out) << r.in.size() << " bytes";
        EXPECT_EQ(s.GetLength(), static_cast<int>(r.in.size()));
    }
}

TEST(CString, EditingOperationsReportCountsAndLengths) {
    CString s("a,b,,c");
    EXPECT_EQ(s.Replace(",", ";"), 3);
    EXPECT_EQ(s, "a;b;;c");
    EXPECT_EQ(s.Replace(';', ','), 3);
    EXPECT_EQ(s.Remove(','), 3);
    EXPECT_EQ(s, "abc");
    EXPECT_EQ(s.Insert(1, "XY"), 5);
    EXPECT_EQ(s, "aXYbc");
    EXPECT_EQ(s.Insert(99, '!'), 6);
    EXPECT_EQ(s.Delete(1, 2), 4);
    EXPECT_EQ(s, "abc!");
    EXPECT_EQ(s.Delete(2, 99), 2);
    EXPECT_EQ(s, "ab");
    CString t = CString(kTrailA) + "a";
    EXPECT_EQ(t.Remove('a'), 1);
    EXPECT_EQ(t, kTrailA);
}

TEST(CString, FormatAndCompare) {
    CString s;
    s.Format("%d-%.2f-%s", 7, 1.5, "x");
    EXPECT_EQ(s, "7-1.50-x");
    s.AppendFormat("[%05d]", 42);
    EXPECT_EQ(s, "7-1.50-x[00042]");
    EXPECT_EQ(CString("abc").Compare("abd"), -1);
    EXPECT_EQ(CString("abc").Compare("abc"), 0);
    EXPECT_EQ(CString("ABC").CompareNoCase("abc"), 0);
    EXPECT_NE(CString("\xB0\x41").CompareNoCase("\xB0\x61"), 0);
    EXPECT_TRUE(CString("a") < CString("b"));
}

TEST(CString, TokenizeWalksFields) {
    CString s(",a,,bc,");
    int pos = 0;
    EXPECT_EQ(s.Tokenize(",", pos), "a");
    EXPECT_EQ(s.Tokenize(",", pos), "bc");
    EXPECT_EQ(s.Tokenize(",", pos), "");
    EXPECT_EQ(pos, -1);
}

TEST(CString, ConvertsToAndFromUtf8AndUtf16) {
    CString s = CString::FromUtf8("中文");
    EXPECT_EQ(s, kZhongWen);
    EXPECT_EQ(s.ToUtf8(), "中文");
    EXPECT_EQ(s.ToUtf16(), u"中文");
    EXPECT_EQ(CString::FromUtf16(u"中文a"), CString(kZhongWen) + "a");
    EXPECT_EQ(NUV_GBK("中文"), kZhongWen);
}

TEST(CString, InvalidInputIsReplacedNotFatal) {
    // A lone lead byte at the end and an invalid UTF-8 byte.
    EXPECT_EQ(CString("a\xD6").ToUtf8(), "a\xEF\xBF\xBD");
    EXPECT_EQ(CString::FromUtf8("a\xFF" "b"), "a?b");
    // A character GBK cannot hold.
    EXPECT_EQ(CString::FromUtf8("\xF0\x9F\x98\x80x"), "?x");
    EXPECT_EQ(CString::FromUtf16(std::u16string(1, char16_t(0xD800)) + u"z"), "?z");
}

TEST(CArray, GrowsInsertsAndRemoves) {
    CStringArray a;
    a.Add("x");
    a.Add("z");
    a.InsertAt(1, "y");
    ASSERT_EQ(a.GetSize(), 3);
    EXPECT_EQ(a[1], "y");
    a.RemoveAt(0);
    EXPECT_EQ(a.GetAt(0), "y");
    a.SetAtGrow(4, "w");
    EXPECT_EQ(a.GetSize(), 5);
    EXPECT_EQ(a.GetUpperBound(), 4);
    EXPECT_TRUE(a[2].IsEmpty());
}

}  // namespace
