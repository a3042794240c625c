#include <gtest/gtest.h>

#include "excel/NumberFormat.h"

namespace {

struct Case {
    double value;
    const char* format;
    const char* shown;
};

// What the spreadsheet shows for each value under each format.
const Case kCases[] = {
    // General: 11 characters at most, scientific beyond.
    {0, "General", "0"},
    {1.0 / 3, "General", "0.333333333"},
    {-1.5, "General", "-1.5"},
    {100, "General", "100"},
    {0.1 + 0.2, "General", "0.3"},
    {3.14159265358979, "General", "3.141592654"},
    {1234567.891, "General", "1234567.891"},
    {12345678901, "General", "12345678901"},
    {123456789012, "General", "1.23457E+11"},
    {1e20, "General", "1E+20"},
    {0.0001, "General", "0.0001"},
    {0.00001, "General", "1E-05"},
    {-0.000012345678, "General", "-1.23457E-05"},
    // Fixed decimals, halves away from zero after rounding to 15 digits.
    {2.675, "0.00", "2.68"},
    {-2.5, "0.00", "-2.50"},
    {0, "0.00", "0.00"},
    {1234.5, "0.00", "1234.50"},
    {2.5, "0", "3"},
    {-2.5, "0", "-3"},
    {0.4, "0", "0"},
    {12.3, "0.", "12."},
    {2.5, "0.", "3."},
    {0.25, "0.", "0."},
    {9.9999, "0.000", "10.000"},
    // Optional digits and padding.
    {0.5, "#.##", ".5"},
    {12, "#.##", "12."},
    {1.5, "0.0#", "1.5"},
    {1.25, "0.0#", "1.25"},
    {1, "0.0#", "1.0"},
    {42, "00000", "00042"},
    {1.5, "0.0??", "1.5  "},
    // Thousands separators and scaling.
    {1234567.891, "#,##0.00", "1,234,567.89"},
    {999.5, "#,##0", "1,000"},
    {0.5, "#,##0.00", "0.50"},
    {12345, "0.0,", "12.3"},
    // Percent and scientific.
    {0.125, "0%", "13%"},
    {0.125, "0.00%", "12.50%"},
    {12345, "0.00E+00", "1.23E+04"},
    {0.00012, "0.00E+00", "1.20E-04"},
    {0, "0.00E+00", "0.00E+00"},
    {99999, "0.0E+0", "1.0E+5"},
    // Sections, literals, colours.
    {-1234, "#,##0;(#,##0)", "(1,234)"},
    {1234, "#,##0;(#,##0)", "1,234"},
    {0, "0.00;-0.00;\"zero\"", "zero"},
    {3, "[Red]0.0", "3.0"},
    {1234.5, "\"$\"#,##0.00", "$1,234.50"},
    {5, "0\" m3/h\"", "5 m3/h"},
    {5, "0\\ \\k\\g", "5 kg"},
    {7, "0_)", "7 "},
    {12.5, "@", "12.5"},
    // Dates and times (serial days from 1899-12-30).
    {38838, "yyyy-mm-dd", "2006-05-01"},
    {38838.5729166667, "yyyy-mm-dd hh:mm:ss", "2006-05-01 13:45:00"},
    {38838.5729166667, "h:mm AM/PM", "1:45 PM"},
    {38838, "m/d/yyyy", "5/1/2006"},
    {38838, "d-mmm-yy", "1-May-06"},
    {38838, "dddd", "Monday"},
    {0.75, "mm:ss", "00:00"},
    {0.5 + 65.0 / 86400, "h:mm:ss", "12:01:05"},
};

TEST(NumberFormat, DisplayedTextOfNumbers) {
    for (const Case& c : kCases)
        EXPECT_EQ(NUVExcel::FormatNumber(c.value, c.format), c.shown) << c.value << " as " << c.format;
}

TEST(NumberFormat, TextsAndTheTextSection) {
    struct TextCase {
        const char* text;
        const char* format;
        const char* shown;
    } cases[] = {
        {"abc", "General", "abc"},
        {"abc", "0.00", "abc"},
        {"abc", "@", "abc"},
        {"abc", "0;-0;0;\"[\"@\"]\"", "[abc]"},
        {"abc", "\"Note: \"@", "Note: abc"},
    };
    for (const TextCase& c : cases) EXPECT_EQ(NUVExcel::FormatText(c.text, c.format), c.shown) << c.format;
}

TEST(NumberFormat, DateFormatsAreRecognised) {
    EXPECT_TRUE(NUVExcel::IsDateFormat("yyyy-mm-dd"));
    EXPECT_TRUE(NUVExcel::IsDateFormat("h:mm"));
    EXPECT_FALSE(NUVExcel::IsDateFormat("0.00"));
    EXPECT_FALSE(NUVExcel::IsDateFormat("General"));
    EXPECT_FALSE(NUVExcel::IsDateFormat("0.00E+00"));
    EXPECT_FALSE(NUVExcel::IsDateFormat("\"days\" 0"));
}

}  // namespace
