// nuvcalc eval, run as a user runs it.
#include <gtest/gtest.h>

#include "RunNuvcalc.h"

namespace {

const TempDir& Temp() {
    static const TempDir dir;
    return dir;
}

Result Nuvcalc(const std::vector<std::string>& args) { return Exec(Temp(), NuvcalcProgram(), args); }

TEST(NuvcalcEval, PrintsValueOrExplainsError) {
    const std::string tooLong = std::string(100, '1') + "+" + std::string(100, '1');
    const struct {
        std::vector<std::string> args;
        int status;
        const char* out;  // the whole of stdout
        const char* err;  // a piece of stderr
    } cases[] = {
        {{"eval", "2*(3+4)"}, 0, "14\n", ""},
        {{"eval", "-2*3"}, 0, "-6\n", ""},
        {{"eval", "0.1+0.2"}, 0, "0.3\n", ""},
        {{"eval", "sqrt(2)*x", "--x", "2"}, 0, "2.82842712474619\n", ""},
        {{"eval", "--x=-1.5", "x*2"}, 0, "-3\n", ""},
        {{"eval", "exp(709)"}, 0, "8.21840746155497e+307\n", ""},  // the largest power of e below the double limit
        {{"eval", "1/0"}, 2, "", "error 1: division by zero"},
        {{"eval", "sqrt(-1)"}, 2, "", "error 8: sqrt of a negative value"},
        {{"eval", "2x", "--x", "3"}, 2, "", "error -1: "},
        {{"eval", ""}, 2, "", "error -1: empty expression"},
        {{"eval", "Sin(1)"}, 2, "", "not a valid expression: Sin(1)"},
        {{"eval", tooLong}, 2, "", "longer than 200 characters"},
        {{"eval"}, 2, "", "exactly one expression"},
        {{"eval", "1", "2"}, 2, "", "exactly one expression"},
        {{"eval", "x", "--x", "abc"}, 2, "", "--x"},
        // Results no field could hold.
        {{"eval", "exp(710)"}, 2, "", "the result is inf, not a finite number"},
        {{"eval", "-exp(1000)"}, 2, "", "the result is -inf, not a finite number"},
        {{"eval", "exp(1000)-exp(1000)"}, 2, "", "the result is nan, not a finite number"},
    };
    for (const auto& c : cases) {
        const Result r = Nuvcalc(c.args);
        const std::string what = c.args.size() > 1 ? c.args[1] : "(none)";
        EXPECT_EQ(r.status, c.status) << what << "\n" << r.err;
        EXPECT_EQ(r.out, c.out) << what;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << what << "\n" << r.err;
    }
}

TEST(NuvcalcEval, MachineReadableOutput) {
    const Result json = Nuvcalc({"eval", "2*x", "--x", "4", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("\"value\": {\"value\": 8}"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"x\": {\"value\": 4}"), std::string::npos) << json.out;
}

TEST(NuvcalcEval, WorkbookHoldsTheExpressionAndItsValue) {
    const std::string book = Temp().File("eval.xlsx");
    const Result r = Nuvcalc({"eval", "2*(3+4)", "--xlsx", book});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "14\n");
    const Result py = Python(Temp(),
                             "import openpyxl,sys\nws=openpyxl.load_workbook(sys.argv[1]).active\n"
                             "print([c.value for row in ws.iter_rows() for c in row if c.value is not None])\n",
                             {book});
    EXPECT_EQ(py.out, "['Expression', 'result', 'expression', '2*(3+4)', 'value', 14]\n") << py.err;
}

}  // namespace
