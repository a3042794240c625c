// nuvcalc eval: evaluates an arithmetic expression exactly as the suite's numeric input fields do,
// so a user can see what a text typed into a dialog will turn into, or why it is refused.
#include <cmath>
#include <cstdio>

#include "Commands.h"
#include "NUVKernel/NUVKernel.h"

namespace nuvcalc {

namespace {

const Option kEvalOptions[] = {
    {"x", "VALUE", "value of the variable x (default 0)"},
};

const char* Explain(int code) {
    switch (code) {
    case 1: return "division by zero";
    case 2: return "acos of a value outside [-1, 1]";
    case 3: return "asin of a value outside [-1, 1]";
    case 4: return "cot of an angle whose tangent is 0";
    case 5: return "mod with a divisor of 0";
    case 6: return "ln of a value <= 0";
    case 7: return "log of a value <= 0";
    case 8: return "sqrt of a negative value";
    case -1: return "empty expression, or an operand missing or left over (write 2*x, not 2x)";
    default: return "unknown error";
    }
}

}  // namespace

int RunEval(const Args& args, std::ostream& out, std::ostream& err) {
    const Options o(args, kEvalOptions);
    if (o.Help()) {
        PrintHelp(out, "nuvcalc eval EXPR [--x VALUE]",
                  "Evaluates an arithmetic expression as the suite's numeric fields do: numbers (no\n"
                  "exponents), + - * /, brackets ( ) [ ] { }, the variable x and the functions abs\n"
                  "acos asin atan acot cos cosh cot exp floor mod ln log pow sin sinh sqrt tan tanh\n"
                  "(radians; mod(a,b), pow(a,b)). 2(3+4) multiplies; -2*3 negates the product. No\n"
                  "blanks, at most 200 characters. A refused or failing expression exits with status 2.",
                  kEvalOptions);
        return 0;
    }
    if (o.Positionals().size() != 1) throw UsageError("needs exactly one expression (quote it for the shell)");
    const std::string& text = o.Positionals().front();
    const double x = o.Number("x", 0.0);

    CMathString m(text.c_str(), x);
    if (m.checkString() != 1) {
        err << "nuvcalc eval: not a valid expression"
            << (text.size() > CMathString::MAX_TEXT ? " (longer than 200 characters)" : "") << ": " << text
            << "\n";
        return 2;
    }
    m.stringToBolan();
    const int code = m.compvalue();
    if (code != 0) {
        err << "nuvcalc eval: error " << code << ": " << Explain(code) << "\n";
        return 2;
    }

    const double value = m.getvalue();
    // The evaluator keeps IEEE results (exp(1000) is inf); a field that received one would hold
    // no usable number, so the tool refuses it.
    if (!std::isfinite(value)) {
        err << "nuvcalc eval: the result is " << HumanNumber(value) << ", not a finite number\n";
        return 2;
    }
    Report r;
    r.title = "Expression";
    Block& b = r.AddQuantities("result");
    Put(b, "expression", "expression", "", text);
    if (m.hasX) Put(b, "x", "x", "", x);
    Put(b, "value", "value", "", value);
    if (o.OutputFormat() != Format::Table) {
        Emit(r, o, out);
        return 0;
    }
    // The value alone, as the field would show it; a workbook still gets the whole report.
    WriteFile(r, o);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    out << buf << "\n";
    return 0;
}

}  // namespace nuvcalc
