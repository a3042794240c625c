// nuvcalc --xlsx: the segment table written as a formatted workbook, read back by openpyxl.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>
#include <string>

#include "../../platform/excel/XlsxPeer.h"
#include "TempDir.h"

namespace {

namespace fs = std::filesystem;

int RunNuvcalcXlsx(const std::string& args) {
    std::string cmd = std::string(std::getenv("NUV_BINARY_DIR")) + "/bin/nuvcalc " + args + " >/dev/null 2>&1";
    int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(NuvcalcXlsx, SegmentTableAsAFormattedWorkbook) {
    ASSERT_TRUE(OpenpyxlAvailable()) << "/usr/bin/python3 with openpyxl is missing: run scripts/install-deps";
    TempDir temp;
    const fs::path dir = temp.path();
    const std::string out = (dir / "ducts.xlsx").string();
    const std::string csv = std::string(std::getenv("NUV_SOURCE_DIR")) + "/examples/ducts.csv";
    ASSERT_EQ(RunNuvcalcXlsx("--csv-in '" + csv + "' --xlsx '" + out + "' --digits 1"), 0);
    XlsxFacts x = ReadWithOpenpyxl(out);
    ASSERT_TRUE(x.ok) << x.output;
    const std::string s = "Segments!";
    EXPECT_EQ(x["sheets"], "Segments");
    EXPECT_EQ(x["Segments.merges"], "A11:M11 A1:M1 A27:C27 A3:C3");  // title, table and block headings
    EXPECT_EQ(x[s + "A12.value"], "id");
    EXPECT_EQ(x[s + "E12.value"], "l (m)");
    EXPECT_EQ(x[s + "A12.align.wrap"], "1");
    EXPECT_EQ(x[s + "A13.value"], "AHU-outlet");
    EXPECT_EQ(x[s + "E13.numfmt"], "0.0");  // quantities with units take the decimals asked for
    EXPECT_EQ(x[s + "H13.numfmt"], "General");  // the friction factor keeps its own
    // The totals row: the lengths of examples/ducts.csv add up to 49 m.
    EXPECT_EQ(x[s + "A25.value"], "Total");
    EXPECT_EQ(x[s + "E25.value"], "49");
    EXPECT_EQ(x[s + "H25.value"], "");
    const double total = std::atof(x[s + "M25.value"].c_str());
    EXPECT_NEAR(total, std::atof(x[s + "J25.value"].c_str()) + std::atof(x[s + "L25.value"].c_str()), 1e-9);
    EXPECT_EQ(x[s + "M25.border.bottom"], "thin -");
    EXPECT_EQ(x[s + "F18.border.right"], "thin -");  // inside lines
    EXPECT_NE(x["Segments.col.A"], "<missing>");
    EXPECT_EQ(x["Segments.zoom"], "80");

    EXPECT_EQ(RunNuvcalcXlsx("--csv-in '" + csv + "' --xlsx '" + (dir / "no/such/folder/x.xlsx").string() + "'"), 2);
}

}  // namespace
