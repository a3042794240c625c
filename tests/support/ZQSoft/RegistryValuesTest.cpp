#include "ZQSoft/RegistryValues.h"

#include "ZQFixture.h"

namespace {

const std::string kNuanTongGbk = "\xC5\xAF\xCD\xA8";          // 暖通
const std::string kNuanTongUtf8 = "\xE6\x9A\x96\xE9\x80\x9A";  // 暖通

using RegistryValues = ZQTest;

TEST_F(RegistryValues, WrittenValuesLandInTheUserHiveFileAsText) {
    EXPECT_EQ(ZQ::GetSoftRegItem(), "Software\\NUV");
    ASSERT_TRUE(ZQ::SetRegStr(HKEY_CURRENT_USER, ZQ::GetSoftRegItem(), "scale", "100"));
    ASSERT_TRUE(ZQ::SetRegStr(HKEY_CURRENT_USER, ZQ::GetSoftRegItem(), "PrjName", (kNuanTongGbk + ".pra").c_str()));
    std::string file = UserHive();
    EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\NUV]\n\"scale\"=\"100\"\n\"PrjName\"=\"" + kNuanTongUtf8 +
                        ".pra\"\n"),
              std::string::npos)
        << file;
    CString back;
    ASSERT_TRUE(ZQ::GetRegStr(HKEY_CURRENT_USER, "software\\nuv", "PRJNAME", back));
    EXPECT_EQ(back, kNuanTongGbk + ".pra");
    EXPECT_TRUE(MachineHive().empty());  // the other hive is untouched
}

TEST_F(RegistryValues, WhatCannotBeReadLeavesTheOutputAlone) {
    WriteMachineHive("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\NUV]\n"
                     "\"Release\"=\"3.8.1\"\n\"Group\"=dword:00000007\n\"Empty\"=\"\"\n@=\"default\"\n");
    struct Row {
        const char* key;
        const char* name;
        bool found;
        const char* text;
    } rows[] = {
        {"Software\\NUV", "Release", true, "3.8.1"},
        {"Software\\NUV", "Empty", true, ""},
        {"Software\\NUV", nullptr, true, "default"},
        {"Software\\NUV", "Group", false, nullptr},    // a number, not a string
        {"Software\\NUV", "Missing", false, nullptr},  // no such value
        {"Software\\Other", "Release", false, nullptr},  // no such key
    };
    for (const Row& r : rows) {
        CString out("unchanged");
        EXPECT_EQ(ZQ::GetRegStr(HKEY_LOCAL_MACHINE, r.key, r.name, out), r.found) << (r.name ? r.name : "(default)");
        EXPECT_EQ(out, r.found ? r.text : "unchanged") << (r.name ? r.name : "(default)");
    }
    EXPECT_FALSE(ZQ::SetRegStr(HKEY_CURRENT_USER, "Software\\NUV", "x", nullptr));
}

TEST_F(RegistryValues, ExpandableStringsTakeTheirVariablesFromTheEnvironment) {
    ::setenv("ZQTEST_HOME", "/home/\xE7\x94\xA8", 1);  // 用 in UTF-8; GBK D3 C3
    ::unsetenv("ZQTEST_UNSET");
    // "%ZQTEST_HOME%/P" and "%ZQTEST_UNSET%/%x" as UTF-16 LE.
    auto utf16 = [](const std::string& ascii) {
        std::string hex;
        for (char c : ascii) {
            char b[8];
            std::snprintf(b, sizeof b, "%02x,00,", static_cast<unsigned char>(c));
            hex += b;
        }
        return hex + "00,00";
    };
    WriteMachineHive("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\NUV]\n"
                     "\"Set\"=hex(2):" + utf16("%ZQTEST_HOME%/P") + "\n"
                     "\"Unset\"=hex(2):" + utf16("%ZQTEST_UNSET%/%x") + "\n"
                     "\"Twice\"=hex(2):" + utf16("%ZQTEST_HOME%%ZQTEST_HOME%") + "\n"
                     "\"Plain\"=\"%ZQTEST_HOME%\"\n");
    struct Row {
        const char* name;
        std::string expected;
    } rows[] = {
        {"Set", "/home/\xD3\xC3/P"},
        {"Unset", "%ZQTEST_UNSET%/%x"},
        {"Twice", "/home/\xD3\xC3/home/\xD3\xC3"},
        {"Plain", "%ZQTEST_HOME%"},  // an ordinary string is taken as written
    };
    for (const Row& r : rows) {
        CString out;
        EXPECT_TRUE(ZQ::GetRegStr(HKEY_LOCAL_MACHINE, "Software\\NUV", r.name, out)) << r.name;
        EXPECT_EQ(out, r.expected) << r.name;
    }
    ::unsetenv("ZQTEST_HOME");
}

}  // namespace
