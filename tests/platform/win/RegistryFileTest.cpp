#include "win/RegistryFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "win/Tick.h"

namespace {

using namespace NUVWin::RegFile;

const std::string kHead = "Windows Registry Editor Version 5.00\n\n";

// Lines that cannot be read are reported with their line numbers; everything else is kept.
TEST(RegistryFile, ReportsUnreadableLinesByNumber) {
    struct Case {
        std::string text;
        std::vector<int> problemLines;
        int valuesInK;  // values read under HKEY_CURRENT_USER\K
    } cases[] = {
        {kHead + "[HKEY_CURRENT_USER\\K]\n\"a\"=\"1\"\n", {}, 1},
        {"REGEDIT4\n[HKCU\\K]\n\"a\"=\"1\"\n", {}, 1},
        {"[HKEY_CURRENT_USER\\K]\n\"a\"=\"1\"\n", {1}, 1},                   // no header
        {kHead + "[HKEY_CURRENT_USER\\K\n\"a\"=\"1\"\n", {3}, 0},           // unterminated section
        {kHead + "[HKEY_LOCAL_MACHINE\\K]\n\"a\"=\"1\"\n", {3}, 0},         // wrong hive, values skipped quietly
        {kHead + "\"a\"=\"1\"\n[HKEY_CURRENT_USER\\K]\n", {3}, 0},          // value before any key
        {kHead + "[HKCU\\K]\n\"a=\"1\"\n\"b\"=\"2\"\n", {4}, 1},           // unterminated name
        {kHead + "[HKCU\\K]\n\"a\" \"1\"\n", {4}, 0},                       // no '='
        {kHead + "[HKCU\\K]\n\"a\"=\"1\" x\n", {4}, 0},                     // text after the string
        {kHead + "[HKCU\\K]\n\"a\"=dword:123456789\n", {4}, 0},             // nine digits
        {kHead + "[HKCU\\K]\n\"a\"=dword:xyz\n", {4}, 0},
        {kHead + "[HKCU\\K]\n\"a\"=hex:1,02\n", {4}, 0},                    // one-digit byte
        {kHead + "[HKCU\\K]\n\"a\"=hex(zz):01\n", {4}, 0},
        {kHead + "[HKCU\\K]\n\"a\"=hex:01,\\\n", {4}, 0},                   // continuation at the end
        {kHead + "[HKCU\\K]\n\"a\"=qword:1\n", {4}, 0},
        {kHead + "[HKCU\\K]\ngarbage\n\"b\"=\"2\"\n", {4}, 1},
        {kHead + "[HKCU\\K]\n\"a\"=\"1\"\n\"a\"=-\n", {}, 0},               // deletion line
        {kHead + "[HKCU\\K]\n\"a\"=\"1\"\n[-HKCU\\K]\n[HKCU\\K]\n", {}, 0},  // deleted key
    };
    for (const Case& c : cases) {
        ParseResult r = Parse(c.text, "HKEY_CURRENT_USER");
        std::vector<int> lines;
        for (const Problem& p : r.problems) lines.push_back(p.line);
        EXPECT_EQ(lines, c.problemLines) << c.text;
        const Key* k = r.document.Find("K");
        EXPECT_EQ(k ? static_cast<int>(k->values.size()) : 0, c.valuesInK) << c.text;
    }
}

TEST(RegistryFile, ValueFormsAndTheirData) {
    struct Case {
        std::string line;
        std::uint32_t type;
        std::string data;
    } cases[] = {
        {"\"v\"=\"a\\\\b\\\"c\\\"\"", 1, "a\\b\"c\""},
        {"\"v\"=\"C:\\Temp\"", 1, "C:\\Temp"},  // an unescaped backslash is taken as written
        {"\"v\"=dword:0000000a", 4, std::string("\x0a\0\0\0", 4)},
        {"\"v\"=hex:de, AD ,be,ef", 3, "\xde\xad\xbe\xef"},
        {"\"v\"=hex(b):01,00,00,00,00,00,00,00", 11, std::string("\x01\0\0\0\0\0\0\0", 8)},
        {"\"v\"=hex(1):61,0a,62", 1, "a\nb"},
    };
    for (const Case& c : cases) {
        ParseResult r = Parse(kHead + "[HKEY_CURRENT_USER\\K]\n" + c.line + "\n", "HKEY_CURRENT_USER");
        ASSERT_TRUE(r.problems.empty()) << c.line << ": " << r.problems[0].message;
        const Key* k = r.document.Find("k");
        ASSERT_NE(k, nullptr);
        const Value* v = Document::FindValue(*k, "V");
        ASSERT_NE(v, nullptr) << c.line;
        EXPECT_EQ(v->type, c.type) << c.line;
        EXPECT_EQ(v->data, c.data) << c.line;
    }
}

// Whatever is stored comes back unchanged after writing and reading the file again.
TEST(RegistryFile, SerializedDocumentReadsBackTheSame) {
    Document doc("HKEY_LOCAL_MACHINE");
    Key& root = doc.Create("");
    Document::SetValue(root, {"", 1, "root default"});
    Key& k = doc.Create("Software\\\xE4\xB8\xAD\\Sub");
    Document::SetValue(k, {"quote\"and\\slash", 1, "line\nbreak\r\n"});
    Document::SetValue(k, {"nul", 1, std::string("a\0b", 3)});
    Document::SetValue(k, {"short dword", 4, "\x01\x02"});
    Document::SetValue(k, {"long", 3, std::string(60, '\x7f')});
    Document::SetValue(k, {"none", 0, ""});
    Document::SetValue(k, {"trailing\\", 1, "ends with \\"});
    doc.Create("Software\\Empty");
    doc.Create("Software\\]odd[ name ");

    std::string text = Serialize(doc);
    ParseResult back = Parse(text, "HKLM");
    EXPECT_TRUE(back.problems.empty()) << back.problems[0].line << ": " << back.problems[0].message;
    EXPECT_TRUE(back.document == doc) << text;
    EXPECT_EQ(Serialize(back.document), text);
    // Long byte lists are wrapped onto continuation lines.
    EXPECT_NE(text.find(",\\\n  7f"), std::string::npos) << text;
}

TEST(TickCount, MonotonicMillisecondsWrappingAt32Bits) {
    ULONGLONG before64 = GetTickCount64();
    DWORD before = GetTickCount();
    DWORD previous = before;
    // Never goes back, even over many quick readings.
    for (int i = 0; i < 100000; ++i) {
        DWORD now = GetTickCount();
        ASSERT_LE(static_cast<DWORD>(previous - before), static_cast<DWORD>(now - before));
        previous = now;
    }
    ::usleep(30000);
    DWORD after = GetTickCount();
    ULONGLONG after64 = GetTickCount64();
    EXPECT_GE(static_cast<DWORD>(after - before), 30u);  // unsigned difference survives a wrap
    EXPECT_LT(static_cast<DWORD>(after - before), 5000u);
    EXPECT_GE(after64 - before64, 30u);
    // The 32-bit count is the low half of the 64-bit one.
    EXPECT_LE(static_cast<DWORD>(static_cast<DWORD>(after64) - after), 1u);
}

}  // namespace
