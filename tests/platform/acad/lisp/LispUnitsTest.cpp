// rtos, distof and angtos on the language's documented examples and on the zero-suppression,
// rounding and default-variable cases around them.
#include <gtest/gtest.h>

#include "FakeLispHost.h"

namespace {

struct Case {
    const char* input;
    const char* shown;
};

void RunTable(const std::vector<Case>& table, std::initializer_list<std::pair<const char*, int>> vars = {}) {
    for (const Case& c : table) {
        LispSession s;
        for (auto& v : vars) s.host.setInt(v.first, v.second);
        EXPECT_EQ(s.Run(c.input), c.shown) << "input: " << c.input;
    }
}

TEST(LispUnits, RtosDocumentedModes) {
    RunTable({
        {"(rtos 17.5 1 4)", "\"1.7500E+01\""},
        {"(rtos 17.5 2 2)", "\"17.50\""},
        {"(rtos 17.5 3 2)", "\"1'-5.50\\\"\""},
        {"(rtos 17.5 4 2)", "\"1'-5 1/2\\\"\""},
        {"(rtos 17.5 5 2)", "\"17 1/2\""},
        {"(rtos 17 2 0)", "\"17\""},
        {"(rtos -17.5 2 1)", "\"-17.5\""},
        {"(rtos -17.5 5 1)", "\"-17 1/2\""},
        {"(rtos -17.5 4 1)", "\"-1'-5 1/2\\\"\""},
        {"(rtos 1.25 5 4)", "\"1 1/4\""},
        {"(rtos 0.5 5 2)", "\"1/2\""},
        {"(rtos 2.0 5 2)", "\"2\""},
        {"(rtos 1.3 5 2)", "\"1 1/4\""},
        {"(rtos 1 7)", "; error: bad argument value: 7"},
        {"(rtos \"1\")", "; error: bad argument type: numberp: \"1\""},
    });
}

TEST(LispUnits, RtosZerosAndDefaults) {
    // DIMZIN 0: zero feet and zero inches are left out.
    RunTable({
        {"(rtos 24 4 2)", "\"2'\""},
        {"(rtos 5.5 4 2)", "\"5 1/2\\\"\""},
        {"(rtos 0 4 2)", "\"0\\\"\""},
        {"(rtos 11.999 3 2)", "\"1'\""},
        {"(rtos 2.5)", "\"2.5000\""},
    });
    RunTable(
        {
            {"(rtos 24 4 2)", "\"2'-0\\\"\""},
            {"(rtos 5.5 4 2)", "\"0'-5 1/2\\\"\""},
            {"(rtos 11.999 3 2)", "\"1'-0.00\\\"\""},
        },
        {{"DIMZIN", 1}});
    RunTable(
        {
            {"(rtos 2.5 2 4)", "\"2.5\""},
            {"(rtos 3 2 4)", "\"3\""},
            {"(rtos 17.5 1 4)", "\"1.75E+01\""},
        },
        {{"DIMZIN", 8}});
    RunTable({{"(rtos 0.5 2 2)", "\".50\""}, {"(rtos -0.5 2 2)", "\"-.50\""}}, {{"DIMZIN", 4}});
    RunTable({{"(rtos 30.5)", "\"2'-6.5\\\"\""}, {"(rtos 2.5 2)", "\"2.5\""}}, {{"LUNITS", 3}, {"LUPREC", 1}, {"DIMZIN", 2}});
}

TEST(LispUnits, Distof) {
    RunTable({
        {"(distof \"17.50\" 2)", "17.5"},
        {"(distof \"1'-5.50\\\"\" 3)", "17.5"},
        {"(distof \"1'-5 1/2\\\"\" 4)", "17.5"},
        {"(distof \"17 1/2\" 5)", "17.5"},
        {"(distof \"1.7500E+01\" 1)", "17.5"},
        {"(distof \"1'-5 1/2\\\"\")", "17.5"},
        {"(distof \"1/2\")", "0.5"},
        {"(distof \"-2'\")", "-24.0"},
        {"(distof \"3\\\"\")", "3.0"},
        {"(distof \" 12 \")", "12.0"},
        {"(distof \"abc\")", "nil"},
        {"(distof \"\")", "nil"},
        {"(distof \"1'-5.50\\\"\" 2)", "nil"},
        {"(distof \"17 1/2\" 2)", "nil"},
        {"(distof \"12abc\")", "nil"},
        {"(distof \"1/0\")", "nil"},
        {"(distof \"1\" 9)", "; error: bad argument value: 9"},
    });
}

TEST(LispUnits, AngtosDocumentedModes) {
    RunTable({
        {"(angtos 0.785398 0 4)", "\"45.0000\""},
        {"(angtos 0.785398 1 4)", "\"45d0'0\\\"\""},
        {"(angtos 0.785398 2 4)", "\"50.0000g\""},
        {"(angtos 0.785398 3 4)", "\"0.7854r\""},
        {"(angtos 0.785398 4 4)", "\"N 45d0'0\\\" E\""},
        {"(angtos -0.785398 0 4)", "\"315.0000\""},
        {"(angtos 2.0 4 4)", "\"N 24d35'30\\\" W\""},
        {"(angtos 4.0 4 4)", "\"S 40d49'1\\\" W\""},
        {"(angtos 5.0 4 4)", "\"S 16d28'44\\\" E\""},
        {"(angtos pi 4 4)", "\"W\""},
        {"(angtos (* pi 1.5) 4 4)", "\"S\""},
        {"(angtos (/ pi 2) 4 4)", "\"N\""},
        {"(angtos 0 4 4)", "\"E\""},
        {"(angtos 0.5 1 0)", "\"29d\""},
        {"(angtos 0.5 1 2)", "\"28d39'\""},
        {"(angtos 0.5 1 6)", "\"28d38'52.40\\\"\""},
        {"(angtos 0 0 2)", "\"0.00\""},
        {"(angtos 1 5)", "; error: bad argument value: 5"},
    });
    RunTable({{"(angtos 1)", "\"1.00r\""}}, {{"AUNITS", 3}, {"AUPREC", 2}});
    RunTable({{"(angtos 1)", "\"57\""}});
}

}  // namespace
