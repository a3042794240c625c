// The shared parser and formatter of nuvcalc.
#include "Cli.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

using nuvcalc::Args;
using nuvcalc::Option;
using nuvcalc::Options;
using nuvcalc::UsageError;

const Option kOpts[] = {{"width", "MM", ""}, {"temp", "C", ""}, {"flag", "", ""}};

Options Parse(std::vector<std::string> words) { return Options(Args("t", std::move(words)), kOpts); }

TEST(NuvcalcParser, Numbers) {
    struct Case {
        const char* text;
        double value;
    } ok[] = {{"12", 12}, {"1e3", 1000}, {"+5", 5}, {" 2.5 ", 2.5}, {"-0.25", -0.25}, {".5", 0.5}};
    for (const auto& c : ok) EXPECT_EQ(nuvcalc::ParseNumber(c.text, "--x"), c.value) << c.text;
    for (const char* bad : {"", "abc", "1.5x", "1,5", "inf", "nan", "-inf", "1e999", "--", "0x10"}) {
        try {
            nuvcalc::ParseNumber(bad, "--width");
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find("--width"), std::string::npos) << e.what();
        }
    }
}

TEST(NuvcalcParser, OptionForms) {
    const Options a = Parse({"--width", "500", "--temp=-5", "--flag", "pos"});
    EXPECT_EQ(a.Number("width"), 500);
    EXPECT_EQ(a.Number("temp"), -5);
    EXPECT_TRUE(a.Has("flag"));
    EXPECT_EQ(a.Positionals(), std::vector<std::string>{"pos"});
    EXPECT_EQ(a.Number("missing", 7), 7);
    // A value that looks like an option is still the value of the option before it.
    EXPECT_EQ(Parse({"--temp", "-40"}).Number("temp"), -40);
    EXPECT_EQ(Parse({"--json"}).OutputFormat(), nuvcalc::Format::Json);
    EXPECT_EQ(Parse({}).OutputFormat(), nuvcalc::Format::Table);

    struct Bad {
        std::vector<std::string> words;
        const char* message;
    } bad[] = {
        {{"--height", "1"}, "unknown option --height"},
        {{"--width"}, "--width needs a value"},
        {{"--width", "1", "--width", "2"}, "--width is given more than once"},
        {{"--flag=1"}, "--flag takes no value"},
        {{"--json", "--csv"}, "--json and --csv cannot be combined"},
        {{"--digits", "2"}, "--digits applies to the workbook: give --xlsx FILE too"},
        {{"--force"}, "--force applies to the workbook: give --xlsx FILE too"},
    };
    for (const Bad& b : bad) {
        try {
            Parse(b.words);
            ADD_FAILURE() << b.message;
        } catch (const UsageError& e) {
            EXPECT_EQ(std::string(e.what()), b.message);
        }
    }
    EXPECT_THROW(Parse({"--width", "0"}).Positive("width"), UsageError);
    EXPECT_THROW(Parse({}).Positive("width"), UsageError);
    EXPECT_THROW(Parse({"--temp", "101"}).Within("temp", 0, 0, 100), UsageError);
    // Whole numbers: 2.0 is 2, 2.5 is refused, and the ends of the range are inside it.
    EXPECT_EQ(Parse({"--width", "2.0"}).Whole("width", 0, 0, 10), 2);
    EXPECT_EQ(Parse({"--width", "10"}).Whole("width", 0, 0, 10), 10);
    EXPECT_EQ(Parse({"--width", "0"}).Whole("width", 5, 0, 10), 0);
    EXPECT_EQ(Parse({}).Whole("width", 5, 0, 10), 5);
    for (const char* bad : {"2.5", "-1", "11", "1e9"}) EXPECT_THROW(Parse({"--width", bad}).Whole("width", 0, 0, 10), UsageError) << bad;
}

TEST(NuvcalcFormatter, ResultsThatAreNoNumberAreRefusedByName) {
    nuvcalc::Report r;
    auto& q = r.AddQuantities("results");
    nuvcalc::Put(q, "velocity", "velocity", "m/s", 1e308 * 10);
    try {
        nuvcalc::CheckFinite(r);
        ADD_FAILURE() << "inf accepted";
    } catch (const UsageError& e) {
        EXPECT_EQ(std::string(e.what()), "the result velocity is inf, not a finite number: the inputs lie outside what the formulas can compute");
    }
    nuvcalc::Report t;
    auto& rows = t.AddTable("rows", "Segments", {{"id", "id", ""}, {"dp", "Δp", "Pa"}});
    rows.rows.push_back({std::string("A"), 1.0});
    rows.rows.push_back({std::string("B"), std::nan("")});
    EXPECT_THROW(nuvcalc::CheckFinite(t), UsageError);
    try {
        nuvcalc::CheckRow(rows, rows.rows[1], "f.csv line 3 (B)");
        ADD_FAILURE() << "a row holding nan passed";
    } catch (const UsageError& e) {
        EXPECT_EQ(std::string(e.what()), "f.csv line 3 (B): the result Δp (Pa) is nan, not a finite number: the inputs lie outside what the formulas can compute");
    }
    rows.rows.pop_back();
    EXPECT_NO_THROW(nuvcalc::CheckFinite(t));
}

nuvcalc::Report Sample() {
    nuvcalc::Report r;
    r.title = "T";
    auto& q = r.AddQuantities("values", "Values");
    nuvcalc::Put(q, "velocity", "velocity v", "m/s", 3.125);
    nuvcalc::Put(q, "name", "name, \"quoted\"", "", std::string("a,b \"c\"\n"), "note");
    nuvcalc::Put(q, "none", "nothing", "Pa", nuvcalc::Cell());
    auto& t = r.AddTable("rows", "Rows", {{"id", "id", ""}, {"loss_pa", "Δp", "Pa"}});
    t.rows.push_back({std::string("S1"), 12.5});
    t.rows.push_back({std::string("S22"), 0.1 + 0.2});
    return r;
}

TEST(NuvcalcFormatter, CsvQuotesAndKeepsEveryDigit) {
    std::ostringstream out;
    nuvcalc::WriteCsv(Sample(), out);
    EXPECT_EQ(out.str(),
              "quantity,value,unit,note\n"
              "velocity,3.125,m/s,\n"
              "name,\"a,b \"\"c\"\"\n\",,note\n"
              "none,,Pa,\n"
              "\n"
              "id,loss_pa\n"
              "S1,12.5\n"
              "S22,0.30000000000000004\n");
}

TEST(NuvcalcFormatter, JsonEscapesAndUsesNullForNothing) {
    std::ostringstream out;
    nuvcalc::WriteJson(Sample(), out);
    const std::string s = out.str();
    EXPECT_NE(s.find(R"("velocity": {"value": 3.125, "unit": "m/s"})"), std::string::npos) << s;
    EXPECT_NE(s.find(R"("value": "a,b \"c\"\n", "note": "note")"), std::string::npos) << s;
    EXPECT_NE(s.find(R"("none": {"value": null, "unit": "Pa"})"), std::string::npos) << s;
    EXPECT_NE(s.find(R"({"id": "S22", "loss_pa": 0.30000000000000004})"), std::string::npos) << s;
}

TEST(NuvcalcFormatter, TableAlignsColumnsByDisplayWidth) {
    nuvcalc::Report r;
    auto& t = r.AddTable("rows", "", {{"id", "id", ""}, {"dp", "Δp", "Pa"}, {"v", "ζ", ""}});
    t.rows.push_back({std::string("segment-1"), 1.5, 10.0});
    t.rows.push_back({std::string("2"), 1234.5, 0.25});
    std::ostringstream out;
    nuvcalc::WriteTable(r, out);
    // Numbers are right-aligned: every line ends its second column at the same display column.
    std::istringstream lines(out.str());
    std::string line;
    std::vector<std::string> rows;
    while (std::getline(lines, line))
        if (!line.empty()) rows.push_back(line);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], "  id          Δp Pa     ζ");
    EXPECT_EQ(rows[1], "  segment-1     1.5    10");
    EXPECT_EQ(rows[2], "  2          1234.5  0.25");
}

TEST(NuvcalcFormatter, HumanNumbers) {
    EXPECT_EQ(nuvcalc::HumanNumber(0), "0");
    EXPECT_EQ(nuvcalc::HumanNumber(0.0185138), "0.018514");
    EXPECT_EQ(nuvcalc::HumanNumber(123456.7), "123457");
    EXPECT_EQ(nuvcalc::HumanNumber(-2.5), "-2.5");
    EXPECT_EQ(nuvcalc::HumanNumber(500), "500");
    EXPECT_EQ(nuvcalc::HumanNumber(0.60000000001), "0.6");
    EXPECT_EQ(nuvcalc::HumanNumber(-0.000001), "-1.0000e-06");
    EXPECT_EQ(nuvcalc::HumanNumber(2.5e-6), "2.5000e-06");
    EXPECT_EQ(nuvcalc::HumanNumber(3e8), "3.0000e+08");
}

}  // namespace
