// The tools' one CSV reader: records and refusals, each with the line and column a user would
// look for in an editor. Every case is read twice: from the whole text, and one byte at a time
// (a UTF-8 character or a CR LF split between two reads must not change the result).
#include "Csv.h"

#include <gtest/gtest.h>

#include <random>

#include "RunCommand.h"
#include "TempDir.h"

namespace {

using namespace std::string_literals;
using nuvtools::CsvError;
using nuvtools::CsvReader;
using Records = std::vector<std::vector<std::string>>;

CsvReader OneByteAtATime(const std::string& text) {
    return CsvReader([text, at = std::size_t{0}](char* buf, std::size_t) mutable -> std::size_t {
        if (at == text.size()) return 0;
        buf[0] = text[at++];
        return 1;
    });
}

Records ReadAllRecords(CsvReader& r) {
    Records out;
    while (r.Next()) out.push_back(r.Fields());
    return out;
}

TEST(Csv, Records) {
    const struct {
        const char* what;
        std::string text;
        Records want;
    } cases[] = {
        {"CR LF and LF", "a,b\r\n1,2\n", {{"a", "b"}, {"1", "2"}}},
        {"CR alone ends a line", "a\rb\r", {{"a"}, {"b"}}},
        {"last line without a line end", "a\nb", {{"a"}, {"b"}}},
        {"byte-order mark", "\xEF\xBB\xBFid\n7\n", {{"id"}, {"7"}}},
        {"comma and doubled quote inside quotes", "\"Re, \"\"turn\"\"\",x\n", {{"Re, \"turn\"", "x"}}},
        {"line break inside quotes", "id,note\n1,\"two\nlines\"\n2,x\n", {{"id", "note"}, {"1", "two\nlines"}, {"2", "x"}}},
        {"CR LF inside quotes is kept", "\"a\r\nb\"\n", {{"a\r\nb"}}},
        {"empty lines are no records", "\n\na\n\r\n\nb\n\n", {{"a"}, {"b"}}},
        {"trailing comma: an empty last field", "a,\n", {{"a", ""}}},
        {"blanks are data", "  \n x , y\n", {{"  "}, {" x ", " y"}}},
        {"an empty quoted field", "\"\"\n", {{""}}},
        {"text outside the basic plane, Korean, umlaut", "\xF0\x9F\x98\x80,\xED\x95\x9C,\xC3\x84\n",
         {{"\xF0\x9F\x98\x80", "\xED\x95\x9C", "\xC3\x84"}}},
        {"a quoted field at the very end", "a,\"b\"", {{"a", "b"}}},
        {"a hash is data unless comments are on", "#x,1\n", {{"#x", "1"}}},
        {"control characters other than NUL are data", "a\tb\x01\n", {{"a\tb\x01"}}},
    };
    for (const auto& c : cases) {
        CsvReader whole(c.text);
        EXPECT_EQ(ReadAllRecords(whole), c.want) << c.what;
        CsvReader bytes = OneByteAtATime(c.text);
        EXPECT_EQ(ReadAllRecords(bytes), c.want) << c.what << " (one byte at a time)";
    }
}

TEST(Csv, RefusalsNameLineAndColumn) {
    const struct {
        const char* what;
        std::string text;
        long line, column;
        const char* reason;
    } cases[] = {
        {"a lead byte followed by a line end", "a,b\n1,\xC3\n", 2, 3, "not UTF-8"},
        {"a byte that starts nothing", "ab\xFF", 1, 3, "not UTF-8"},
        {"a continuation byte alone", "\x80", 1, 1, "not UTF-8"},
        {"an overlong slash", "\xC0\xAF", 1, 1, "not UTF-8"},
        {"an overlong three-byte form", "x\xE0\x80\xAF", 1, 2, "not UTF-8"},
        {"a surrogate", "\xED\xA0\x80", 1, 1, "not UTF-8"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", 1, 1, "not UTF-8"},
        {"the file ends inside a character", "x,\xE2\x82", 1, 3, "ends inside a character"},
        {"GBK text", "\xB7\xE7\xB9\xDC\n", 1, 1, "not UTF-8"},
        {"a NUL byte", "ab\0c"s, 1, 3, "NUL"},
        {"a quote inside an unquoted field", "ab\"c\n", 1, 3, "a quote inside a field that does not start with one"},
        {"a blank before the opening quote", "a, \"b\"\n", 1, 4, "a blank before the opening quote"},
        {"text after the closing quote", "\"ab\"c\n", 1, 5, "text after the closing quote"},
        {"columns count characters, not bytes", "\xC3\xA9,\"x\"y", 1, 6, "text after the closing quote"},
        {"lines after a quoted line break", "\"a\nb\"\n1,\"x\"\"y\"z\n", 3, 9, "text after the closing quote"},
        {"a quote never closed, at its opening", "x\n\"abc\n\n", 2, 1, "not closed"},
        {"CR LF counts one line", "a\r\nb\r\n\"c\r\n", 3, 1, "not closed"},
        {"UTF-16", "\xFF\xFEi\0d\0"s, 1, 1, "UTF-16"},
    };
    for (const auto& c : cases) {
        for (bool oneByte : {false, true}) {
            CsvReader r = oneByte ? OneByteAtATime(c.text) : CsvReader(c.text);
            try {
                ReadAllRecords(r);
                ADD_FAILURE() << c.what << ": accepted";
            } catch (const CsvError& e) {
                EXPECT_EQ(e.where.line, c.line) << c.what << ": " << e.what();
                EXPECT_EQ(e.where.column, c.column) << c.what << ": " << e.what();
                EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << c.what << ": " << e.what();
                const std::string head = "line " + std::to_string(c.line) + ", column " + std::to_string(c.column) + ": ";
                EXPECT_EQ(std::string(e.what()).rfind(head, 0), 0u) << e.what();
            }
        }
    }
}

TEST(Csv, RecordAndFieldPositions) {
    CsvReader r("# note, \"quoted\" \xC3\xA4\nid,\"na\nme\"\n\n \xC3\xA4,x\n");
    r.SetComments(true);
    ASSERT_TRUE(r.Next());
    EXPECT_EQ(r.Line(), 2);
    EXPECT_EQ(r.FieldStart(1).line, 2);
    EXPECT_EQ(r.FieldStart(1).column, 4);
    r.SetComments(false);
    ASSERT_TRUE(r.Next());
    EXPECT_EQ(r.Line(), 5);  // the quoted line break and the empty line are counted
    EXPECT_EQ(r.FieldStart(1).column, 4);  // the blank and ä are one column each
    EXPECT_FALSE(r.Next());
    EXPECT_FALSE(r.Next());  // and stays at the end
}

TEST(Csv, CommentLinesAreCheckedToo) {
    CsvReader r("# caf\xE9\nx\n");
    r.SetComments(true);
    EXPECT_THROW(r.Next(), CsvError);
}

TEST(Csv, HeaderNamesMustBeUniqueAndPresent) {
    const struct {
        std::string text;
        long column;
        const char* reason;
    } cases[] = {
        {"Name,DN,name\n", 9, "the column 'name' appears twice (fields 1 and 3)"},
        {"a,,b\n", 3, "an empty column name"},
        {"\xC3\x84,x,\xC3\x84\n", 5, "appears twice"},
    };
    for (const auto& c : cases) {
        CsvReader r(c.text);
        ASSERT_TRUE(r.Next());
        try {
            nuvtools::CheckCsvHeader(r.Fields(), r);
            ADD_FAILURE() << c.text;
        } catch (const CsvError& e) {
            EXPECT_EQ(e.where.column, c.column) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
    }
    CsvReader fine("Name,DN,Nam\n");
    ASSERT_TRUE(fine.Next());
    EXPECT_NO_THROW(nuvtools::CheckCsvHeader(fine.Fields(), fine));
}

// What the writer puts out, the reader gives back: random fields of the characters that matter.
TEST(Csv, WriterAndReaderAgree) {
    const std::vector<std::string> pieces = {"a", ",", "\"", "\n", "\r\n", "\r", " ", "#", "\xC3\xA4", "\xF0\x9F\x98\x80", "\xEF\xBB\xBF", ""};
    std::mt19937 rng(7);
    for (int round = 0; round < 500; ++round) {
        Records want(1 + rng() % 4);
        std::string text;
        for (auto& record : want) {
            record.resize(1 + rng() % 4);
            for (auto& field : record)
                for (unsigned k = rng() % 5; k > 0; --k) field += pieces[rng() % pieces.size()];
            text += nuvtools::CsvRecord(record) + "\n";
        }
        CsvReader r(text);
        ASSERT_EQ(ReadAllRecords(r), want) << text;
    }
    EXPECT_EQ(nuvtools::CsvRecord({""}), "\"\"");  // else an empty line, which is no record
    EXPECT_EQ(nuvtools::CsvRecord({"", ""}), ",");
    EXPECT_EQ(nuvtools::CsvField("a\"b"), "\"a\"\"b\"");
    // A field that begins with U+FEFF, first in a file, must not be read as a byte-order mark.
    CsvReader marked(nuvtools::CsvRecord({"\xEF\xBB\xBFx", "y"}) + "\n");
    EXPECT_EQ(ReadAllRecords(marked), (Records{{"\xEF\xBB\xBFx", "y"}}));
}

// Python's csv module as the outside reader and writer.
TEST(Csv, PythonReadsWhatWeWriteAndWeReadWhatItWrites) {
    TempDir dir;
    const Records records = {{"id", "note"}, {"1", "a,b \"c\"\nd"}, {"\xED\x95\x9C", ""}, {"", "x\r\ny"}};
    std::string text;
    for (const auto& r : records) text += nuvtools::CsvRecord(r) + "\r\n";
    const std::string ours = dir.Touch("ours.csv", text);
    const std::string theirs = dir.File("theirs.csv");
    // Python reads our file and writes it again with its own quoting rules (every field quoted).
    const std::string cmd = "/usr/bin/python3 -c 'import csv,sys\n"
                            "rows=list(csv.reader(open(sys.argv[1],newline=\"\",encoding=\"utf-8\")))\n"
                            "print(len(rows),rows[1][1]==\"a,b \\\"c\\\"\\nd\",rows[3][1]==\"x\\r\\ny\")\n"
                            "csv.writer(open(sys.argv[2],\"w\",newline=\"\",encoding=\"utf-8\"),quoting=csv.QUOTE_ALL).writerows(rows)' '" +
                            ours + "' '" + theirs + "'";
    const NUVTest::CommandOutput peer = NUVTest::RunCommand(cmd);
    const std::string& out = peer.out;
    ASSERT_EQ(peer.status, 0) << out;
    EXPECT_EQ(out, "4 True True\n");
    const std::string written = ReadAll(theirs);
    ASSERT_NE(written.find("\"id\",\"note\""), std::string::npos) << written;
    CsvReader back(written);
    EXPECT_EQ(ReadAllRecords(back), records);
}

}  // namespace
