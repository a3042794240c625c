#include "ZQSoft/Numbers.h"

#include <gtest/gtest.h>

namespace {

TEST(IsNum, PlainDecimalNumbersOnly) {
    struct Row {
        const char* text;
        bool plain;
    } rows[] = {
        {"5", true},       {"-5", true},       {"+0.5", true},    {"14.00", true},   {".5", true},
        {"5.", true},      {"0", true},        {"-0", true},      {"007", true},     {"123456789012345678901234567890", true},
        {"", false},       {"-", false},       {"+", false},      {".", false},      {"-.", false},
        {" 5", false},     {"5 ", false},      {"1e3", false},    {"1E3", false},    {"1.2.3", false},
        {"--5", false},    {"+-5", false},     {"5-", false},     {"1,000", false},  {"inf", false},
        {"nan", false},    {"0x1A", false},    {"2*(3+4)", false}, {"3+4", false},   {"\xA3\xB5", false},  // full-width 5
    };
    for (const Row& r : rows) EXPECT_EQ(ZQ::IsNum(r.text), r.plain) << "\"" << r.text << "\"";
    EXPECT_FALSE(ZQ::IsNum(nullptr));
}

}  // namespace
