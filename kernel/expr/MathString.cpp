#include "expr/MathString.h"

#include <cmath>
#include <cstring>

namespace {

struct Function {
    const char* name;
    int code;
    int arity;
};

// Where one name begins another the longer one comes first, so "cosh(" is never read as "cos".
constexpr Function kFunctions[] = {
    {"abs", 1, 1},   {"acos", 2, 1},  {"asin", 3, 1},  {"atan", 4, 1}, {"acot", 5, 1},
    {"cosh", 7, 1},  {"cos", 6, 1},   {"cot", 8, 1},   {"exp", 9, 1},  {"floor", 10, 1},
    {"mod", 11, 2},  {"ln", 12, 1},   {"log", 13, 1},  {"pow", 14, 2}, {"sinh", 16, 1},
    {"sin", 15, 1},  {"sqrt", 17, 1}, {"tanh", 19, 1}, {"tan", 18, 1},
};
constexpr int kFunctionCount = sizeof kFunctions / sizeof kFunctions[0];

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isArithmetic(char c) { return c == '+' || c == '-' || c == '*' || c == '/'; }
bool isOpening(char c) { return c == '(' || c == '[' || c == '{'; }

char openingOf(char closing) {
    switch (closing) {
    case ')': return '(';
    case ']': return '[';
    default: return '{';
    }
}

// Code of the function whose name stands at `position` (moved past the name), or 0.
int matchFunction(const char* text, int& position) {
    const char first = text[position];
    for (int k = 0; k < kFunctionCount; ++k) {
        if (kFunctions[k].name[0] == first && CMathString::seekStr(text, position, kFunctions[k].name))
            return kFunctions[k].code;
    }
    return 0;
}

int arityOf(int code) {
    for (const Function& f : kFunctions) {
        if (f.code == code) return f.arity;
    }
    return 0;
}

CMathString::Token operatorToken(char op) {
    CMathString::Token t{};
    t.kind = CMathString::OPERATOR;
    t.op = op;
    return t;
}

// One-argument functions: 0 with the result in `a`, or the function's error code.
int applyUnary(int code, double& a) {
    switch (code) {
    case 1: a = std::fabs(a); return 0;
    case 2:
        if (a < -1.0 || a > 1.0) return 2;
        a = std::acos(a);
        return 0;
    case 3:
        if (a < -1.0 || a > 1.0) return 3;
        a = std::asin(a);
        return 0;
    case 4: a = std::atan(a); return 0;
    case 5: a = 1.5707963267948966 - std::atan(a); return 0;
    case 6: a = std::cos(a); return 0;
    case 7: a = std::cosh(a); return 0;
    case 8: {
        const double t = std::tan(a);
        if (t == 0.0) return 4;
        a = 1.0 / t;
        return 0;
    }
    case 9: a = std::exp(a); return 0;
    case 10: a = std::floor(a); return 0;
    case 12:
        if (a <= 0.0) return 6;
        a = std::log(a);
        return 0;
    case 13:
        if (a <= 0.0) return 7;
        a = std::log10(a);
        return 0;
    case 15: a = std::sin(a); return 0;
    case 16: a = std::sinh(a); return 0;
    case 17:
        if (a < 0.0) return 8;
        a = std::sqrt(a);
        return 0;
    case 18: a = std::tan(a); return 0;
    case 19: a = std::tanh(a); return 0;
    default: return -1;
    }
}

}  // namespace

CMathString::CMathString() : text{}, X(0.0), value(0.0), hasX(0), postfix{} {
    postfix[0] = operatorToken('#');
}

CMathString::CMathString(const char* expression) : CMathString() { copyText(expression); }

CMathString::CMathString(const char* expression, double x) : CMathString() {
    copyText(expression);
    X = x;
    hasX = 1;
}

CMathString::~CMathString() = default;

void CMathString::Initial(const char* expression) { copyText(expression); }

void CMathString::Initial(const char* expression, double x) {
    copyText(expression);
    X = x;
}

// At most MAX_TEXT + 1 characters are kept: enough for checkString to see that a longer text is
// too long, and never past the buffer. The text is taken as given: a "#" in it, even at the end,
// is no character of an expression and fails validation. (Copies of a validated evaluator keep
// their end marker through the copy constructor and assignment, which copy the whole object.)
void CMathString::copyText(const char* expression) {
    if (expression == nullptr) expression = "";
    int n = 0;
    while (n <= MAX_TEXT && expression[n] != '\0') {
        text[n] = expression[n];
        ++n;
    }
    text[n] = '\0';
}

int CMathString::checkString() {
    hasX = 0;
    char brackets[TEXT_SIZE];
    int depth = 0;
    int points = 0;  // decimal points seen in the current number
    int i = 0;
    while (text[i] != '\0') {
        const char c = text[i];
        if (isDigit(c)) {
            ++i;
            continue;
        }
        if (c == '.') {
            // "1.2.3" has no sensible value, so a number with a second point is refused here
            // rather than read as something the user did not mean.
            if (++points > 1) return 0;
            ++i;
            continue;
        }
        points = 0;
        if (isOpening(c)) {
            brackets[depth++] = c;
            ++i;
        } else if (c == ')' || c == ']' || c == '}') {
            if (depth == 0 || brackets[depth - 1] != openingOf(c)) return 0;
            --depth;
            ++i;
        } else if (isArithmetic(c)) {
            if (isArithmetic(text[i + 1])) return 0;
            ++i;
        } else if (c == ',') {
            ++i;
        } else if (c == 'x') {
            hasX = 1;
            ++i;
        } else {
            if (matchFunction(text, i) == 0) return 0;
            if (!isOpening(text[i])) return 0;
            brackets[depth++] = text[i];
            ++i;
        }
    }
    if (depth != 0 || i > MAX_TEXT) return 0;

    text[i] = '#';
    text[i + 1] = '\0';
    for (int k = 0; k < i; ++k) {
        if (text[k] == '[' || text[k] == '{') text[k] = '(';
        else if (text[k] == ']' || text[k] == '}') text[k] = ')';
    }
    return 1;
}

int CMathString::stringToBolan() {
    Token stack[TEXT_SIZE];
    int top = 0;
    int out = 0;

    // The last postfix slot is kept for the end record. Neither array can fill up with a
    // validated text (each character yields at most one token); the bounds only guard misuse.
    auto emit = [&](const Token& t) {
        if (out < TEXT_SIZE - 1) postfix[out++] = t;
    };
    auto push = [&](const Token& t) {
        if (top < TEXT_SIZE) stack[top++] = t;
    };
    auto isOpen = [&](int k) { return stack[k].kind == OPERATOR && stack[k].op == '('; };
    // "*" and "/" take over from the functions and products before them; a unary minus below
    // stays, so it ends up negating the whole product.
    auto pushProduct = [&](char op) {
        while (top > 0 && (stack[top - 1].kind == FUNCTION ||
                           (stack[top - 1].kind == OPERATOR &&
                            (stack[top - 1].op == '*' || stack[top - 1].op == '/'))))
            emit(stack[--top]);
        push(operatorToken(op));
    };
    auto popToOpen = [&] {
        while (top > 0 && !isOpen(top - 1)) emit(stack[--top]);
    };

    int i = 0;
    while (i < TEXT_SIZE && text[i] != '#' && text[i] != '\0') {
        const char c = text[i];
        const bool afterDigit = i > 0 && isDigit(text[i - 1]);
        if (isDigit(c) || c == '.') {
            Token t{};
            t.kind = NUMBER;
            t.number = stringToDigital(text + i);
            emit(t);
            while (isDigit(text[i]) || text[i] == '.') ++i;
            continue;
        }
        switch (c) {
        case 'x': {
            Token t{};
            t.kind = NUMBER;
            t.number = X;
            emit(t);
            ++i;
            continue;
        }
        case '(':
            if (afterDigit) pushProduct('*');
            push(operatorToken('('));
            ++i;
            continue;
        case ')':
            popToOpen();
            if (top > 0) --top;
            ++i;
            continue;
        case ',':
            popToOpen();
            ++i;
            continue;
        case '*':
        case '/':
            pushProduct(c);
            ++i;
            continue;
        case '-':
            if (i == 0 || text[i - 1] == '(') {
                push(operatorToken('~'));
                ++i;
                continue;
            }
            [[fallthrough]];
        case '+':
            popToOpen();
            push(operatorToken(c));
            ++i;
            continue;
        default:
            break;
        }
        int end = i;
        const int code = matchFunction(text, end);
        if (code == 0) {
            ++i;
            continue;
        }
        if (afterDigit) pushProduct('*');
        Token t{};
        t.kind = FUNCTION;
        t.func = code;
        push(t);
        i = end;
    }
    while (top > 0) emit(stack[--top]);
    postfix[out] = operatorToken('#');
    return 1;
}

int CMathString::compvalue() {
    if (postfix[0].kind == OPERATOR && postfix[0].op == '#') return -1;

    double stack[VALUE_STACK];
    int n = 0;
    for (const Token& t : postfix) {
        if (t.kind == NUMBER) {
            if (n == VALUE_STACK) return -1;
            stack[n++] = t.number;
        } else if (t.kind == FUNCTION) {
            const int arity = arityOf(t.func);
            if (arity == 0 || n < arity) return -1;
            if (arity == 2) {
                const double b = stack[--n];
                double& a = stack[n - 1];
                if (t.func == 11) {
                    if (b == 0.0) return 5;
                    a = std::fmod(a, b);
                } else {
                    a = std::pow(a, b);
                }
            } else {
                const int code = applyUnary(t.func, stack[n - 1]);
                if (code != 0) return code;
            }
        } else if (t.kind == OPERATOR) {
            if (t.op == '#') {
                if (n != 1) return -1;
                value = stack[0];
                return 0;
            }
            if (t.op == '~') {
                if (n < 1) return -1;
                stack[n - 1] = -stack[n - 1];
                continue;
            }
            if (n < 2) return -1;
            const double b = stack[--n];
            double& a = stack[n - 1];
            switch (t.op) {
            case '+': a = a + b; break;
            case '-': a = a - b; break;
            case '*': a = a * b; break;
            case '/':
                if (b == 0.0) return 1;
                a = a / b;
                break;
            default: return -1;
            }
        } else {
            return -1;
        }
    }
    return -1;  // no end record
}

// Digits before the point build the whole part; each digit after it adds d times a place factor
// that starts at 0.1 and shrinks tenfold per digit. These sums, not the nearest double, are the
// field's arithmetic: "1.15" is 1.1500000000000001, so floor(1.15*100) is 115 where the nearest
// double would give 114, and "0.3" is 0 + 3*0.1. A second point ends the number; checkString
// refuses such texts.
double CMathString::stringToDigital(const char* digits) {
    double number = 0.0;
    int i = 0;
    for (; isDigit(digits[i]); ++i) number = number * 10.0 + (digits[i] - '0');
    if (digits[i] != '.') return number;
    double place = 0.1;
    for (++i; isDigit(digits[i]); ++i) {
        number += (digits[i] - '0') * place;
        place *= 0.1;
    }
    return number;
}

int CMathString::seekStr(const char* text, int& position, const char* name) {
    const std::size_t length = std::strlen(name);
    if (std::strncmp(text + position, name, length) != 0) return 0;
    position += static_cast<int>(length);
    return 1;
}
