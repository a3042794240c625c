// CMathString: turns an arithmetic expression typed into a numeric field ("2*(3.5+1.2)",
// "sqrt(2)*x") into one double. Every buffer is a fixed array inside the object or on the stack of
// one call, so the class never touches the heap and can be copied as a plain value.
//
// Calling order: set the text (constructor or Initial), checkString, and only if it returned 1,
// stringToBolan, then compvalue, then getvalue if compvalue returned 0.
//
// Syntax: numbers of digits with at most one decimal point (".5" is allowed, no exponents);
// + - * / with the usual ranks; a minus at the start or right after "(" negates the whole product
// that follows it; brackets ( ) [ ] { } of matching kinds; the variable x; the functions abs acos
// asin atan acot cos cosh cot exp floor mod ln log pow sin sinh sqrt tan tanh, each followed by a
// bracket, with "mod(a,b)" and "pow(a,b)" taking two arguments. A digit directly before "(" or a
// function name multiplies ("2(3+4)" is 14); a digit before "x" does not ("2x" fails, write 2*x).
// No blanks, no capitals.
//
// compvalue result codes: 0 success; 1 division by zero; 2 acos argument outside [-1, 1];
// 3 asin argument outside [-1, 1]; 4 cot where the tangent is 0; 5 mod by 0; 6 ln of a value
// <= 0; 7 log of a value <= 0; 8 sqrt of a negative value; -1 empty expression or missing or
// extra operands. An error leaves the last good value in place.
#pragma once

class CMathString {
public:
    // Token kinds of the postfix sequence.
    enum { NUMBER = 0, OPERATOR = 1, FUNCTION = 2 };

    // Longest text accepted, and the buffer that holds it with the end marker and the zero.
    enum { MAX_TEXT = 200, TEXT_SIZE = 202, VALUE_STACK = 100 };

    struct Token {
        int kind;       // NUMBER, OPERATOR or FUNCTION
        double number;  // operand of a NUMBER token
        char op;        // + - * / or ~ (unary minus); "#" in the end record
        int func;       // function code of a FUNCTION token, 1 (abs) to 19 (tanh)
    };

    CMathString();
    explicit CMathString(const char* expression);
    CMathString(const char* expression, double x);
    CMathString(const CMathString&) = default;
    CMathString& operator=(const CMathString&) = default;
    virtual ~CMathString();

    // Replaces the text only; the second form also sets X (hasX is left as it is).
    void Initial(const char* expression);
    void Initial(const char* expression, double x);

    void setX(double x) { X = x; }
    double getX() const { return X; }

    // 1 if the text is a valid expression, which is then normalised for stringToBolan
    // ("#" appended, every bracket made round); 0 if not.
    int checkString();
    // Converts the normalised text to postfix order in `postfix`; returns 1.
    int stringToBolan();
    // Computes the postfix sequence: 0 with the result in `value`, else an error code.
    int compvalue();
    double getvalue() const { return value; }

    // Value of the run of digits and points that starts at `digits`.
    static double stringToDigital(const char* digits);
    // 1 if `name` stands in `text` at `position` (which then moves past it), else 0.
    static int seekStr(const char* text, int& position, const char* name);

    char text[TEXT_SIZE];
    double X;
    double value;
    int hasX;
    Token postfix[TEXT_SIZE];

private:
    void copyText(const char* expression);
};
