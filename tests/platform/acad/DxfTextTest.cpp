// Text of drawing files into the kernel's GBK: the encoding by version and code page, the \U+
// and \M+ escapes, and characters GBK lacks kept as escapes. Expected bytes are typed from the
// code pages' own tables (GBK of 中 is D6 D0, and so on), not computed by the code under test.
#include <gtest/gtest.h>

#include <string>

#include "acad/AcDb.h"
#include "acad/DxfText.h"

namespace {

using NUVAcad::DxfTextDecoder;

struct Row {
    const char* what;
    const char* version;   // $ACADVER
    const char* codePage;  // $DWGCODEPAGE
    std::string in;
    std::string out;       // the kernel's text; empty with ok = false
    bool ok = true;
};

std::string hex(const std::string& s) {
    static const char* d = "0123456789ABCDEF";
    std::string r;
    for (unsigned char c : s) {
        r += d[c >> 4];
        r += d[c & 15];
        r += ' ';
    }
    return r;
}

TEST(DxfText, ValuesBecomeKernelText) {
    const Row rows[] = {
        // GBK drawings: bytes as read, escapes decoded.
        {"GBK bytes as read", "AC1015", "ANSI_936", "\xCB\xCD\xB7\xE7 DN100", "\xCB\xCD\xB7\xE7 DN100"},
        {"invalid GBK kept as read", "AC1015", "ANSI_936", "a\xFF\xFF", "a\xFF\xFF"},
        {"\\U+ of a GBK character", "AC1015", "ANSI_936", "\\U+4E2D", "\xD6\xD0"},
        {"lower-case escape", "AC1009", "ANSI_936", "\\u+4e2d", "\xD6\xD0"},
        {"escape then a hex digit", "AC1015", "ANSI_936", "\\U+4E2D1", "\xD6\xD0"
                                                                       "1"},
        {"trail byte 0x5C is no backslash", "AC1015", "ANSI_936", "\x81\\U+4E2D", "\x81\\U+4E2D"},
        {"Korean stays an escape", "AC1015", "ANSI_936", "\\U+D55C", "\\U+D55C"},
        {"surrogate pair stays", "AC1015", "ANSI_936", "\\U+D83D\\U+DE00", "\\U+D83D\\U+DE00"},
        {"eight-digit form", "AC1015", "ANSI_936", "\\U+0001f600!", "\\U+D83D\\U+DE00!"},
        {"highest character", "AC1015", "ANSI_936", "\\U+0010FFFF", "\\U+DBFF\\U+DFFF"},
        {"beyond Unicode is not eight digits", "AC1015", "ANSI_936", "\\U+00110000", "\\U+0011"
                                                                                     "0000"},
        {"lone surrogate kept", "AC1015", "ANSI_936", "\\U+D83Dx", "\\U+D83Dx"},
        {"escaped backslash stays escaped", "AC1015", "ANSI_936", "\\U+005CU+0041", "\\U+005CU+0041"},
        {"escaped line feed stays escaped", "AC1015", "ANSI_936", "a\\U+000Ab", "a\\U+000Ab"},
        {"too few digits", "AC1015", "ANSI_936", "\\U+4E2", "\\U+4E2"},
        {"not an escape", "AC1015", "ANSI_936", "C:\\Users\\x", "C:\\Users\\x"},
        // \M+n: a double-byte code of code page n.
        {"\\M+1 Japanese", "AC1015", "ANSI_936", "\\M+193FA", "\xC8\xD5"},
        {"\\M+2 traditional Chinese", "AC1015", "ANSI_936", "\\M+2B0EA", "\x87\xF8"},
        {"\\M+3 Korean", "AC1015", "ANSI_936", "\\M+3C7D1", "\\U+D55C"},
        {"\\M+4 Korean (Johab)", "AC1015", "ANSI_936", "\\M+4D065", "\\U+D55C"},
        {"\\M+5 simplified Chinese", "AC1015", "ANSI_936", "\\M+5B7E7", "\xB7\xE7"},
        {"\\M+ of an unknown page", "AC1015", "ANSI_936", "\\M+6B7E7", "\\M+6B7E7"},
        {"\\M+ of no character", "AC1015", "ANSI_936", "\\M+1FFFF", "\\M+1FFFF"},
        {"\\M+ in a Western file", "AC1015", "ANSI_1252", "x\\M+193FA", "x\xC8\xD5"},
        // R2007 and later: UTF-8, whatever the code page says.
        {"UTF-8 from AC1021", "AC1021", "ANSI_1252", "\xE9\x80\x81\xE9\xA3\x8E", "\xCB\xCD\xB7\xE7"},
        {"UTF-8 in AC1032", "AC1032", "ANSI_936", "\xED\x95\x9C \xF0\x9F\x98\x80", "\\U+D55C \\U+D83D\\U+DE00"},
        {"escape in UTF-8", "AC1032", "ANSI_1252", "\\U+4E2D", "\xD6\xD0"},
        {"invalid UTF-8", "AC1032", "ANSI_1252", "ab\xC3", "", false},
        {"overlong UTF-8", "AC1024", "ANSI_1252", "\xC0\xAF", "", false},
        {"UTF-8 surrogate", "AC1027", "ANSI_1252", "\xED\xA0\x80", "", false},
        // Before AC1021 the code page decides.
        {"AC1018 is not UTF-8", "AC1018", "ANSI_1252", "\xC3\xA4", "\\U+00C3\xA1\xE8"},
        {"Western European", "AC1015", "ANSI_1252", "\xC4 \xFC", "\\U+00C4 \xA8\xB9"},
        {"undefined Western byte", "AC1015", "ANSI_1252", "\x81", "\\U+0081"},
        {"Japanese page", "AC1015", "ANSI_932", "\x93\xFA", "\xC8\xD5"},
        {"invalid Japanese", "AC1015", "ANSI_932", "\x93", "", false},
        {"Big5 by name", "AC1009", "BIG5", "\xB0\xEA", "\x87\xF8"},
        {"unknown code page keeps bytes", "AC1015", "ANSI_99999", "\xC4\xFC", "\xC4\xFC"},
        {"no header keeps bytes", "", "", "\xCB\xCD", "\xCB\xCD"},
    };
    for (const Row& r : rows) {
        DxfTextDecoder d(r.version, r.codePage);
        std::string out, error;
        bool ok = d.decode(r.in, out, error);
        EXPECT_EQ(ok, r.ok) << r.what << ": " << error;
        if (r.ok) EXPECT_EQ(hex(out), hex(r.out)) << r.what;
        else EXPECT_NE(error, "") << r.what;
    }
}

// The same through a whole file: what the reader stores is what the table says, and a save
// writes it as GBK (characters GBK lacks as escapes) that reads back unchanged.
TEST(DxfText, FilesOfEachEncodingReadAndSaveLosslessly) {
    struct File {
        const char* what;
        const char* version;
        const char* codePage;
        std::string text;
        std::string stored;
    } files[] = {
        {"R12 GBK", "AC1009", "ANSI_936", "\xCB\xCD\xB7\xE7\\M+193FA", "\xCB\xCD\xB7\xE7\xC8\xD5"},
        {"R2000 Western", "AC1015", "ANSI_1252", "\\U+9001\\U+98CE \xC4", "\xCB\xCD\xB7\xE7 \\U+00C4"},
        {"R2018 UTF-8", "AC1032", "ANSI_1252", "\xE9\x80\x81 \xF0\x9F\x98\x80", "\xCB\xCD \\U+D83D\\U+DE00"},
    };
    for (const File& f : files) {
        std::string dxf = std::string("  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\n") + f.version +
                          "\n  9\n$DWGCODEPAGE\n  3\n" + f.codePage +
                          "\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n  0\nTEXT\n  5\n20\n  8\n0\n 10\n0\n 20\n0\n 30\n0\n 40\n1\n  1\n" +
                          f.text + "\n  0\nENDSEC\n  0\nEOF\n";
        AcDbDatabase db(false);
        ASSERT_EQ(db.readDxf(dxf), Acad::eOk) << f.what << ": " << db.lastErrorMessage();
        AcDbObjectId id;
        ASSERT_EQ(db.getAcDbObjectId(id, false, AcDbHandle(0x20)), Acad::eOk) << f.what;
        AcDbText* text = nullptr;
        ASSERT_EQ(acdbOpenObject(text, id, AcDb::kForRead), Acad::eOk) << f.what;
        EXPECT_EQ(hex(text->textStringConst()), hex(f.stored)) << f.what;
        text->close();

        std::string saved;
        db.writeDxf(saved);
        EXPECT_NE(saved.find("  1\n" + f.stored + "\n"), std::string::npos) << f.what;
        AcDbDatabase again(false);
        ASSERT_EQ(again.readDxf(saved), Acad::eOk) << f.what;
        std::string twice;
        again.writeDxf(twice);
        EXPECT_TRUE(twice == saved) << f.what;
    }
}

}  // namespace
