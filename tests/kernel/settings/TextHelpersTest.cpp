#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <regex>
#include <string>

#include "TempDir.h"
#include "settings/TextHelpers.h"

namespace {

TEST(Ftoa, RoundsHalfAwayFromZeroThenCutsTheText) {
    struct Row {
        double value;
        int digits;
        const char* want;
    } rows[] = {
        {1.25, 1, "1.3"},        {1.24, 1, "1.2"},      {-1.25, 1, "-1.3"},     {2.5, 0, "3"},
        {2.4, 0, "2"},           {1.0, 2, "1.00"},      {7.0, -1, ""},          {-2.5, 0, "-3"},
        {-0.5, 0, "-1"},         {0.0, 0, "0"},         {0.0, 3, "0.000"},      {123456.5, 0, "123457"},
        {0.05, 1, "0.1"},        {1.005, 2, "1.01"},    {0.285, 2, "0.29"},     {9.995, 2, "10.00"},
        {-12.3456, 3, "-12.346"}, {1e6, 1, "1000000.0"},
        // A small negative value keeps its sign once the digits are cut away.
        {-0.04, 1, "-0.0"},
        // Above six decimals "%f" has the last word: six digits, rounded by printf.
        {1.123456789, 8, "1.123457"}, {2.5, 7, "2.500000"}, {3.0, 12, "3.000000"},
        // At six the added half unit and printf's own rounding both apply.
        {0.1234564, 6, "0.123457"},
    };
    for (const Row& r : rows) EXPECT_EQ(NUV::ftoa(r.value, r.digits), r.want) << r.value << " with " << r.digits;
}

TEST(Itoa, Decimal) {
    EXPECT_EQ(NUV::itoa(0), "0");
    EXPECT_EQ(NUV::itoa(-42), "-42");
    EXPECT_EQ(NUV::itoa(INT_MAX), "2147483647");
    EXPECT_EQ(NUV::itoa(INT_MIN), "-2147483648");
}

// GBK bytes: D6 D0 = 中, CE C4 = 文; B0 61 is a double-byte character whose trail byte is 'a'.
TEST(DoubleByte, IndexMovesOffLeadBytesByParity) {
    struct Row {
        const char* text;
        int index, want;
    } rows[] = {
        {"\xD6\xD0" "a", 0, 1}, {"\xD6\xD0" "a", 1, 1}, {"\xD6\xD0" "a", 2, 2},
        {"a\xD6\xD0\xCE\xC4", 0, 0}, {"a\xD6\xD0\xCE\xC4", 1, 2}, {"a\xD6\xD0\xCE\xC4", 2, 2},
        {"a\xD6\xD0\xCE\xC4", 3, 4}, {"a\xD6\xD0\xCE\xC4", 4, 4},
        {"\xD6", 0, 0},  // the last byte stays
        // A trail byte below 0x80 is not counted, so the parity after it is off by one.
        {"\xB0" "a\xD6\xD0", 2, 2},
    };
    for (const Row& r : rows) EXPECT_EQ(NUV::AdjustChineseIndex(r.text, r.index), r.want) << r.index;
    EXPECT_TRUE(NUV::IsChinese('\x80'));
    EXPECT_TRUE(NUV::IsChinese('\xFF'));
    EXPECT_FALSE(NUV::IsChinese('\x7F'));
    EXPECT_FALSE(NUV::IsChinese('a'));
}

TEST(DoubleByte, LengthCountsACharacterOnce) {
    struct Row {
        const char* text;
        int want;
    } rows[] = {
        {"\xD6\xD0\xCE\xC4" "ab", 4}, {"", 0}, {"abc", 3}, {"\xB0" "a", 1},
        // A lead byte without its trail at the end pairs with the terminator: length minus leads.
        {"a\xD6", 1}, {"\xD6\xD0\xD6", 1},
    };
    for (const Row& r : rows) EXPECT_EQ(NUV::GetChineseStringLength(r.text), r.want) << r.text;
    EXPECT_EQ(NUV::GetChineseStringLength(nullptr), 0);
}

TEST(GuidString, CallerFormatReceivesTheFieldsInOrder) {
    const char* braced = "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}";
    CString a = NUV::GetGUIDString(braced), b = NUV::GetGUIDString(braced);
    std::regex shape("\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}");
    EXPECT_TRUE(std::regex_match(a.str(), shape)) << a;
    EXPECT_TRUE(std::regex_match(b.str(), shape)) << b;
    EXPECT_NE(a, b);
    CString plain = NUV::GetGUIDString("%08lx%04x%04x%02x%02x%02x%02x%02x%02x%02x%02x");
    EXPECT_TRUE(std::regex_match(plain.str(), std::regex("[0-9a-f]{12}4[0-9a-f]{3}[89ab][0-9a-f]{15}"))) << plain;
    // Only some of the arguments used.
    EXPECT_EQ(NUV::GetGUIDString("GUID").str(), "GUID");
}

struct TmpDir {
    explicit TmpDir(const std::string& value) {
        if (const char* old = std::getenv("TMPDIR")) old_ = old, had_ = true;
        setenv("TMPDIR", value.c_str(), 1);
    }
    ~TmpDir() { had_ ? (void)setenv("TMPDIR", old_.c_str(), 1) : (void)unsetenv("TMPDIR"); }
    std::string old_;
    bool had_ = false;
};

TEST(UniqueTempName, CreatesOrOnlyNamesInTheTemporaryFolder) {
    TempDir temp;
    const std::string dir = temp.path();
    TmpDir env(dir);

    CString made;
    ASSERT_EQ(NUV::GetUniqueTempName(made, "dwgexport", 0), 1);
    std::string s = made.str();
    EXPECT_TRUE(std::regex_match(s, std::regex(dir + "/dwg[0-9A-F]{1,4}\\.TMP"))) << s;
    EXPECT_EQ(access(s.c_str(), F_OK), 0) << "unique 0 creates the file";

    CString named;
    ASSERT_EQ(NUV::GetUniqueTempName(named, "xl", 0x1F), 1);
    EXPECT_EQ(named, CString(dir + "/xl1F.TMP"));
    EXPECT_NE(access(named.str().c_str(), F_OK), 0);

    struct Fail {
        std::string folder;
        unsigned unique;
        const char* why;
    } fails[] = {
        {"/" + std::string(300, 'a'), 5, "folder longer than 260 characters"},
        {"/" + std::string(250, 'b'), 5, "no room left for the name"},
        {dir + "/gone", 0, "folder does not exist"},
    };
    for (const Fail& f : fails) {
        TmpDir e(f.folder);
        CString out = "unchanged";
        EXPECT_EQ(NUV::GetUniqueTempName(out, "x", f.unique), 0) << f.why;
        EXPECT_EQ(out, "unchanged") << f.why;
    }
}

}  // namespace
