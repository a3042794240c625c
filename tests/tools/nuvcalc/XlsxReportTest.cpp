// nuvcalc --xlsx: the segment table written as a formatted workbook, read back by openpyxl, and
// the rules for the file it writes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "../../platform/excel/XlsxPeer.h"
#include "RunNuvcalc.h"

namespace {

namespace fs = std::filesystem;

class NuvcalcXlsx : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(OpenpyxlAvailable()) << "scripts/install-deps installs python3-openpyxl"; }
    Result Nuvcalc(const std::vector<std::string>& args) { return Exec(dir_, NuvcalcProgram(), args); }
    TempDir dir_;
};

TEST_F(NuvcalcXlsx, SegmentTableAsAFormattedWorkbook) {
    const std::string out = dir_.File("ducts.xlsx");
    const Result r = Nuvcalc({"--csv-in", Source("examples/ducts.csv"), "--xlsx", out, "--digits", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    XlsxFacts x = ReadWithOpenpyxl(out);
    ASSERT_TRUE(x.ok) << x.output;
    const std::string s = "Segments!";
    EXPECT_EQ(x["sheets"], "Segments");
    EXPECT_EQ(x["Segments.merges"], "A11:M11 A1:M1 A27:C27 A3:C3");  // title, table and block headings
    EXPECT_EQ(x[s + "A12.value"], "id");
    EXPECT_EQ(x[s + "E12.value"], "l (m)");
    EXPECT_EQ(x[s + "D12.value"], "flow (m³/h)");  // units keep their superscripts
    EXPECT_EQ(x[s + "A12.align.wrap"], "1");
    EXPECT_EQ(x[s + "A13.value"], "AHU-outlet");
    // Every quantity carries a format: units take the decimals asked for, plain numbers their own.
    const struct {
        const char* cell;
        const char* format;
    } formats[] = {
        {"E13", "0.0"},        // l (m)
        {"B13", "0.0"},        // a (mm), whole numbers too: the user asked for one decimal
        {"G13", "0"},          // Re
        {"H13", "0.0000"},     // lambda, about 0.02: three significant digits
        {"K13", "0.000"},      // the sum of zeta: three significant digits of the smallest, 0.1
        {"E25", "0.0"},        // the totals row follows its column
        {"B4", "0.0"},         // Conditions: air temperature, degrees C
        {"B7", "0.00E+00"},    // kinematic viscosity 1.506e-5 m2/s would show as 0.0
        {"B8", "0.0"},         // air density
        {"B28", "0"},          // Totals: the count of segments
        {"B30", "0.0"},        // Totals: friction loss in Pa
    };
    for (const auto& f : formats) EXPECT_EQ(x[s + f.cell + ".numfmt"], f.format) << f.cell;
    EXPECT_EQ(x[s + "A7.value"], "kinematic viscosity ν");
    EXPECT_EQ(x[s + "C7.value"], "m²/s");
    // The totals row: the lengths of examples/ducts.csv add up to 49 m.
    EXPECT_EQ(x[s + "A25.value"], "Total");
    EXPECT_EQ(x[s + "E25.value"], "49");
    EXPECT_EQ(x[s + "H25.value"], "");
    const double total = std::atof(x[s + "M25.value"].c_str());
    EXPECT_NEAR(total, std::atof(x[s + "J25.value"].c_str()) + std::atof(x[s + "L25.value"].c_str()), 1e-9);
    EXPECT_EQ(x[s + "M25.border.bottom"], "thin -");
    EXPECT_EQ(x[s + "F18.border.right"], "thin -");  // inside lines
    EXPECT_NE(x["Segments.col.A"], "<missing>");
    // Printed: landscape, as many pages tall as needed but one page wide.
    EXPECT_EQ(x["Segments.orientation"], "landscape");
    EXPECT_EQ(x["Segments.fitToPage"], "True");
    EXPECT_EQ(x["Segments.fitToWidth"], "1");
    EXPECT_EQ(x["Segments.fitToHeight"], "0");
}

TEST_F(NuvcalcXlsx, IdsAreTextAndNotesAreKept) {
    // Ids a spreadsheet would otherwise take for a number, a boolean, a percentage or a date.
    const std::string csv = dir_.Touch("ids.csv",
                                       "id,width,height,flow,length\n007,500,300,2000,5\nTRUE,500,300,2000,5\n"
                                       "50%,500,300,2000,5\n1e5,500,300,2000,5\n2024-01-02,500,300,2000,5\n"
                                       "\xED\x95\x9C\xC3\x84,500,300,2000,5\n");
    const std::string out = dir_.File("ids.xlsx");
    const Result r = Nuvcalc({"duct", "--csv-in", csv, "--xlsx", out, "--temp", "70", "--digits", "0"});
    ASSERT_EQ(r.status, 0) << r.err;
    XlsxFacts x = ReadWithOpenpyxl(out);
    ASSERT_TRUE(x.ok) << x.output;
    const std::string s = "Segments!";
    const char* ids[] = {"007", "TRUE", "50%", "1e5", "2024-01-02", "\xED\x95\x9C\xC3\x84"};
    for (int i = 0; i < 6; ++i) {
        const std::string cell = s + "A" + std::to_string(13 + i);
        EXPECT_EQ(x[cell + ".value"], ids[i]) << cell;
        EXPECT_EQ(x[cell + ".type"], "str") << cell;
    }
    // Outside -40..60 C the density note appears beside the value, in a fourth column.
    EXPECT_EQ(x[s + "D8.value"], "352/T: temperature outside -40..60 °C");
    EXPECT_EQ(x[s + "E13.numfmt"], "0");  // --digits 0
}

TEST_F(NuvcalcXlsx, TheFileRules) {
    const std::string csv = dir_.Touch("run.csv", "id,width,height,flow,length\nA,500,300,2000,5\n");
    const std::string book = dir_.Touch("book.xlsx", "not yet a workbook");
    // An existing file is replaced only with --force, and then whole.
    Result r = Nuvcalc({"duct", "--csv-in", csv, "--xlsx", book});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("book.xlsx already exists (--force replaces it)"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadAll(book), "not yet a workbook");
    r = Nuvcalc({"duct", "--csv-in", csv, "--xlsx", book, "--force", "--digits", "10"});
    ASSERT_EQ(r.status, 0) << r.err;
    XlsxFacts x = ReadWithOpenpyxl(book);
    ASSERT_TRUE(x.ok) << x.output;
    EXPECT_EQ(x["Segments!E13.numfmt"], "0.0000000000");  // --digits 10, the most there is
    // The file the command reads is never written, by any name that reaches it.
    ASSERT_EQ(symlink(csv.c_str(), dir_.File("link.xlsx").c_str()), 0);
    for (const std::string& target : {csv, dir_.File("link.xlsx"), dir_.File("RUN.CSV")}) {
        r = Nuvcalc({"duct", "--csv-in", csv, "--xlsx", target, "--force"});
        EXPECT_EQ(r.status, 2) << target;
        EXPECT_NE(r.err.find("is the file this command reads"), std::string::npos) << r.err;
    }
    EXPECT_EQ(ReadAll(csv), "id,width,height,flow,length\nA,500,300,2000,5\n");
    EXPECT_FALSE(fs::exists(dir_.File("RUN.CSV")));
    // A folder that does not exist: nothing printed, nothing left behind.
    r = Nuvcalc({"duct", "--csv-in", csv, "--xlsx", dir_.File("no/such/folder/x.xlsx")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
}

}  // namespace
