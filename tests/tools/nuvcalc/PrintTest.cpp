// nuvcalc --xlsx as a user prints it: the workbook converted to PDF by LibreOffice, then measured
// with poppler's pdfinfo and pdftotext (page count, page shape, what each page shows).
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "RunNuvcalc.h"

namespace {

struct Printed {
    int pages = 0;
    double width = 0, height = 0;  // of the first page, in points
    std::string text;               // every page, laid out; pages end with a form feed
};

// Prints `book` to PDF beside it, with a LibreOffice profile of the test's own.
Printed Print(const TempDir& dir, const std::string& book) {
    Printed p;
    const Result lo = Exec(dir, "/usr/bin/soffice",
                           {"--headless", "--norestore", "-env:UserInstallation=file://" + dir.File("profile"),
                            "--convert-to", "pdf", "--outdir", dir.path(), book});
    EXPECT_EQ(lo.status, 0) << lo.out << lo.err;
    const std::string pdf = book.substr(0, book.rfind('.')) + ".pdf";
    const Result info = Exec(dir, "/usr/bin/pdfinfo", {pdf});
    EXPECT_EQ(info.status, 0) << info.err;
    std::smatch m;
    if (std::regex_search(info.out, m, std::regex(R"(Pages:\s+(\d+))"))) p.pages = std::stoi(m[1]);
    if (std::regex_search(info.out, m, std::regex(R"(Page size:\s+([\d.]+) x ([\d.]+))"))) {
        p.width = std::stod(m[1]);
        p.height = std::stod(m[2]);
    }
    const Result text = Exec(dir, "/usr/bin/pdftotext", {"-layout", pdf, "-"});
    EXPECT_EQ(text.status, 0) << text.err;
    p.text = text.out;
    return p;
}

// Page n (from 0) of pdftotext's output, whose pages end with a form feed.
std::string Page(const std::string& text, int n) {
    std::size_t from = 0;
    for (int i = 0; i < n; ++i) {
        from = text.find('\f', from);
        if (from == std::string::npos) return "";
        ++from;
    }
    return text.substr(from, text.find('\f', from) - from);
}

TEST(NuvcalcPrint, TheExampleRunPrintsOnOneLandscapePage) {
    TempDir dir;
    const std::string book = dir.File("ducts.xlsx");
    const Result r = Exec(dir, NuvcalcProgram(), {"--csv-in", Source("examples/ducts.csv"), "--xlsx", book});
    ASSERT_EQ(r.status, 0) << r.err;
    const Printed p = Print(dir, book);
    EXPECT_EQ(p.pages, 1) << p.text;
    EXPECT_GT(p.width, p.height) << "landscape";
    // The title whole, the last column and the last segment on the page.
    EXPECT_NE(p.text.find("Duct segments from " + Source("examples/ducts.csv")), std::string::npos) << p.text;
    EXPECT_NE(p.text.find("Δp (Pa)"), std::string::npos) << p.text;
    EXPECT_NE(p.text.find("Terminal-2"), std::string::npos) << p.text;
    // Conditions and totals print formatted: air at 20 °C, 50 %, 101325 Pa weighs 1.20 kg/m³
    // (1.1989 unrounded), and the lengths of the example add up to 49 m.
    EXPECT_TRUE(std::regex_search(p.text, std::regex(R"(air density.*\s1\.20 kg/m³)"))) << p.text;
    EXPECT_EQ(p.text.find("1.1988"), std::string::npos) << p.text;
    EXPECT_TRUE(std::regex_search(p.text, std::regex(R"(Total\s.*\s49\.00\s)"))) << p.text;
}

TEST(NuvcalcPrint, ALongRunGrowsDownwardsNeverSideways) {
    TempDir dir;
    std::string csv = "id,width,height,flow,length,zeta\n";
    for (int i = 1; i <= 150; ++i) csv += "S" + std::to_string(i) + ",500,300,2000,5,0.2\n";
    const std::string book = dir.File("long.xlsx");
    const Result r = Exec(dir, NuvcalcProgram(), {"duct", "--csv-in", dir.Touch("long.csv", csv), "--xlsx", book});
    ASSERT_EQ(r.status, 0) << r.err;
    const Printed p = Print(dir, book);
    ASSERT_GE(p.pages, 2) << p.text;
    EXPECT_GT(p.width, p.height) << "landscape";
    // Every page carries whole rows, the last column included: none holds only columns cut off
    // the right of another page.
    for (int n = 0; n < p.pages; ++n) {
        const std::string page = Page(p.text, n);
        SCOPED_TRACE("page " + std::to_string(n + 1));
        EXPECT_TRUE(std::regex_search(page, std::regex(R"(\nS\d+\s+500\.00\s+300\.00\s.*\s0\.200\s)"))) << page;
    }
    EXPECT_NE(Page(p.text, 0).find("Δp (Pa)"), std::string::npos);
    EXPECT_NE(p.text.find("S150 "), std::string::npos);
}

}  // namespace
