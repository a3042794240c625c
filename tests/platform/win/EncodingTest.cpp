// The one codec: well-formedness exactly as Unicode defines it, lossless or refused with a
// position, and replacement only where asked for. Expected bytes are typed from the Unicode
// standard's tables and the GBK code chart, never produced by the code under test.
#include "win/Encoding.h"

#include <gtest/gtest.h>


namespace {

using namespace NUVWin;
constexpr std::size_t kNone = std::string_view::npos;

// The boundaries of the well-formed byte sequences, row by row: the first and last of each range
// and the first ill-formed neighbour.
TEST(Codec, Utf8WellFormednessFollowsTheUnicodeTable) {
    struct Case {
        std::string bytes;
        std::size_t bad;     // first ill-formed byte, kNone when well-formed
        std::u16string text;  // when well-formed
    } const cases[] = {
        {"", kNone, u""},
        {"a\x7F", kNone, u"a\x7F"},
        {"\xC2\x80", kNone, u"\u0080"},
        {"\xC1\xBF", 0, u""},  // overlong U+007F
        {"\xC0\x80", 0, u""},
        {"\xDF\xBF", kNone, u"\u07FF"},
        {"\xE0\xA0\x80", kNone, u"\u0800"},
        {"\xE0\x9F\xBF", 0, u""},  // overlong U+07FF
        {"\xED\x9F\xBF", kNone, u"\uD7FF"},
        {"\xED\xA0\x80", 0, u""},  // U+D800, a surrogate
        {"\xED\xBF\xBF", 0, u""},
        {"\xEE\x80\x80", kNone, u"\uE000"},
        {"\xEF\xBF\xBF", kNone, u"\uFFFF"},
        {"\xF0\x90\x80\x80", kNone, u"\U00010000"},
        {"\xF0\x8F\xBF\xBF", 0, u""},  // overlong U+FFFF
        {"\xF4\x8F\xBF\xBF", kNone, u"\U0010FFFF"},
        {"\xF4\x90\x80\x80", 0, u""},  // above U+10FFFF
        {"\xF5\x80\x80\x80", 0, u""},
        {"\xE4\xB8\xAD\xE6\x96\x87", kNone, u"中文"},
        {"ab\xE4\xB8", 2, u""},  // cut short at the end
        {"\x80", 0, u""},
        {"x\xFE", 1, u""},
        {"ok\xF0\x9F\x98\x80\xC3", 6, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        EXPECT_EQ(FindInvalidUtf8(c.bytes), c.bad);
        std::u16string out;
        std::size_t bad = 12345;
        EXPECT_EQ(TryUtf8ToUtf16(c.bytes, out, &bad), c.bad == kNone);
        if (c.bad == kNone) {
            EXPECT_EQ(out, c.text);
            std::string back;
            ASSERT_TRUE(TryUtf16ToUtf8(out, back));
            EXPECT_EQ(back, c.bytes);
        } else {
            EXPECT_EQ(bad, c.bad);
        }
    }
}

// The standard's own example of replacing by maximal subparts: one U+FFFD for each.
TEST(Codec, IllFormedUtf8IsReplacedByMaximalSubparts) {
    EXPECT_EQ(Utf8ToUtf16("\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64"),
              u"a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd");
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80z"), u"\uFFFD\uFFFD\uFFFDz");  // a surrogate's bytes are no prefix
}

TEST(Codec, Utf16SurrogatesPairOrAreRefused) {
    struct Case {
        std::u16string text;
        std::size_t bad;
        std::string utf8;  // strict result, or the replacing one when bad
    } const cases[] = {
        {u"\U0001F600", kNone, "\xF0\x9F\x98\x80"},
        {u"a\U0010FFFF", kNone, "a\xF4\x8F\xBF\xBF"},
        {std::u16string(u"a") + char16_t(0xD83D), 1, "a\xEF\xBF\xBD"},
        {std::u16string(1, char16_t(0xDE00)) + u"b", 0, "\xEF\xBF\xBD" "b"},
        {std::u16string{char16_t(0xD83D), char16_t(0xD83D), char16_t(0xDE00)}, 0, "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.utf8));
        EXPECT_EQ(FindInvalidUtf16(c.text), c.bad);
        std::string out;
        std::size_t bad = 12345;
        EXPECT_EQ(TryUtf16ToUtf8(c.text, out, &bad), c.bad == kNone);
        if (c.bad != kNone) {
            EXPECT_EQ(bad, c.bad);
        }
        EXPECT_EQ(Utf16ToUtf8(c.text), c.utf8);
        std::string appended = "x";
        AppendUtf16AsUtf8(appended, c.text);
        EXPECT_EQ(appended, "x" + c.utf8);
    }
}

// Characters with their GBK bytes from the code chart: a trail byte that is an ASCII letter or a
// backslash, the euro sign's single byte, pinyin and a symbol.
TEST(Codec, GbkRoundTripsAndRefusesWhatItCannotHold) {
    struct Case {
        std::string utf8, gbk;
    } const cases[] = {
        {"\xE4\xB8\xAD\xE6\x96\x87", "\xD6\xD0\xCE\xC4"},  // 中文
        {"\xE4\xB8\x84", "\x81\x41"},                       // 丄
        {"\xE4\xB9\x97", "\x81\x5C"},                       // 乗
        {"\xE2\x82\xAC", "\x80"},                           // €
        {"\xC4\x81", "\xA8\xA1"},                           // ā
        {"\xE3\x80\x87", "\xA9\x96"},                       // 〇
        {"plain", "plain"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        std::string gbk, utf8;
        ASSERT_TRUE(TryUtf8ToGbk(c.utf8, gbk));
        EXPECT_EQ(gbk, c.gbk);
        ASSERT_TRUE(TryGbkToUtf8(c.gbk, utf8));
        EXPECT_EQ(utf8, c.utf8);
        std::u16string wide;
        ASSERT_TRUE(TryGbkToUtf16(c.gbk, wide));
        EXPECT_EQ(wide, Utf8ToUtf16(c.utf8));
        ASSERT_TRUE(TryUtf16ToGbk(wide, gbk));
        EXPECT_EQ(gbk, c.gbk);
    }

    struct Refusal {
        std::string utf8;
        std::size_t bad;
        std::string replaced;
    } const refusals[] = {
        {"a\xF0\x9F\x98\x80" "b", 1, "a?b"},  // 😀
        {"x\xED\x95\x9C", 1, "x?"},           // 한
        {"\xC3\x84!", 0, "?!"},               // Ä
        {"ok\xFF", 2, "ok?"},                 // not UTF-8 at all
        {"\xED\xA0\x80", 0, "???"},           // a surrogate's bytes
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.utf8);
        std::string gbk;
        std::size_t bad = 12345;
        EXPECT_FALSE(TryUtf8ToGbk(r.utf8, gbk, &bad));
        EXPECT_EQ(bad, r.bad);
        EXPECT_EQ(Utf8ToGbk(r.utf8), r.replaced);
        std::u16string wide;
        if (TryUtf8ToUtf16(r.utf8, wide)) {
            bad = 12345;
            EXPECT_FALSE(TryUtf16ToGbk(wide, gbk, &bad));
            EXPECT_EQ(bad, Utf8ToUtf16(r.utf8.substr(0, r.bad)).size());
            EXPECT_EQ(Utf16ToGbk(wide), r.replaced) << "one '?' per character";
        }
    }

    // GBK bytes that are not a character: a user-defined code, a lead byte cut short, 0xFF.
    for (auto [gbk, at] : {std::pair<std::string, std::size_t>{"\xA1\x40", 0}, {"a\xD6", 1}, {"ab\xFF", 2}}) {
        std::string utf8;
        std::size_t bad = 12345;
        EXPECT_FALSE(TryGbkToUtf8(gbk, utf8, &bad)) << testing::PrintToString(gbk);
        EXPECT_EQ(bad, at);
        std::u16string wide;
        EXPECT_FALSE(TryGbkToUtf16(gbk, wide, &bad));
        EXPECT_EQ(bad, at);
        EXPECT_NE(GbkToUtf8(gbk).find("\xEF\xBF\xBD"), std::string::npos);
    }
}

// Every double-byte code the code page defines comes back byte for byte, and the 6763 characters
// of the GB2312 hanzi rows (B0A1-F7FE) are all there.
TEST(Codec, EveryGbkCharacterRoundTrips) {
    int hanzi = 0, defined = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            const std::string gbk{static_cast<char>(lead), static_cast<char>(trail)};
            std::u16string wide;
            if (!TryGbkToUtf16(gbk, wide)) continue;
            ++defined;
            if (lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1) ++hanzi;
            std::string back, utf8;
            ASSERT_TRUE(TryUtf16ToGbk(wide, back));
            ASSERT_EQ(back, gbk);
            ASSERT_TRUE(TryGbkToUtf8(gbk, utf8));
            ASSERT_TRUE(TryUtf8ToGbk(utf8, back));
            ASSERT_EQ(back, gbk);
        }
    EXPECT_EQ(hanzi, 6763);
    EXPECT_GT(defined, 21000);
}

TEST(Codec, PositionsNameLineAndCharacterColumn) {
    const std::string text = "ab\ncd\xE4\xB8\xADx\xFFy";
    EXPECT_EQ(DescribePosition(text, 0), "line 1, column 1");
    EXPECT_EQ(DescribePosition(text, 3), "line 2, column 1");
    EXPECT_EQ(DescribePosition(text, 8), "line 2, column 4");   // the x after 中
    EXPECT_EQ(DescribePosition(text, 10), "line 2, column 6");  // after the bad byte
}

}  // namespace
