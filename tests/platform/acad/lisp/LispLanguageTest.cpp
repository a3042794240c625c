// The language on tables of inputs and what the command line shows for them: the echoed value
// (prin1 style), anything printed before it, or the "; error: " line. Expected texts are typed
// from the language's documented behaviour, not produced by the interpreter.
#include <gtest/gtest.h>

#include "FakeLispHost.h"

namespace {

struct Case {
    const char* input;
    const char* shown;
};

void RunTable(const std::vector<Case>& table, const char* setup = nullptr) {
    for (const Case& c : table) {
        LispSession s;
        if (setup) s.Run(setup);
        EXPECT_EQ(s.Run(c.input), c.shown) << "input: " << c.input;
    }
}

TEST(LispReader, AtomsListsAndComments) {
    RunTable({
        {"42", "42"},
        {"-17", "-17"},
        {"+5", "5"},
        {"2147483647", "2147483647"},
        {"-2147483648", "-2147483648"},
        // Too large for 32 bits: read as a real.
        {"2147483648", "2.14748e+09"},
        {"-2147483649", "-2.14748e+09"},
        {"1.5", "1.5"},
        {".5", "0.5"},
        {"-.25", "-0.25"},
        {"1.", "1.0"},
        {"1e3", "1000.0"},
        {"1.5E-3", "0.0015"},
        {"2.5e+10", "2.5e+10"},
        {"1e400", "1.#INF"},
        {"'abc", "ABC"},
        {"'MixedCase", "MIXEDCASE"},
        {"'1+", "1+"},
        {"'1e", "1E"},
        {"'(1 2 3)", "(1 2 3)"},
        {"'(1 . 2)", "(1 . 2)"},
        {"'(1 2 . 3)", "(1 2 . 3)"},
        {"'(a . (b c))", "(A B C)"},
        {"'()", "nil"},
        {"'nil", "nil"},
        {"'NIL", "nil"},
        {"t", "T"},
        {"''a", "(QUOTE A)"},
        {"'(quote x)", "(QUOTE X)"},
        {"'(\"a\" 1.0 (b))", "(\"a\" 1.0 (B))"},
        {"(+ 1 ; a comment to the line end\n 2)", "3"},
        {"(+ 1 ;| a block\n comment |; 2)", "3"},
        {";| only a comment |;", "nil"},
        {"(setq a 1) (setq b 2) (+ a b)", "3"},
        {"'a.b", "A.B"},
    });
}

TEST(LispReader, Strings) {
    RunTable({
        {R"("plain")", R"("plain")"},
        {R"("tab\there")", R"("tab\there")"},
        {R"("new\nline")", R"("new\nline")"},
        {R"("q\"uote")", R"("q\"uote")"},
        {R"("back\\slash")", R"("back\\slash")"},
        {R"("\e\r")", R"("\e\r")"},
        {R"("\101\102")", R"("AB")"},
        {R"("\001")", R"("\001")"},
        {R"("unknown \q escape")", R"("unknown q escape")"},
        {R"((strlen "a\nb"))", "3"},
        {"\"line\nbreak\"", R"("line\nbreak")"},
        {R"((princ "a\tb"))", "a\tb\"a\\tb\""},
    });
}

TEST(LispReader, GbkTextKeepsItsSecondBytes) {
    // 0x81 0x5C is one double-byte character whose second byte is a backslash; 0xB1 0x61 one
    // whose second byte is the letter a. Neither is an escape or a letter to fold.
    LispSession s;
    EXPECT_EQ(s.Run("(strlen \"\x81\x5C\")"), "2");
    EXPECT_EQ(s.Run("(prin1 \"\x81\x5C\")"), "\"\x81\x5C\"\"\x81\x5C\"");
    EXPECT_EQ(s.Run("(strcase \"\xB1\x61xy\")"), "\"\xB1\x61XY\"");
    EXPECT_EQ(s.Run("(strcase \"\xB1\x41XY\" t)"), "\"\xB1\x41xy\"");
    EXPECT_EQ(s.Run("'\xD6\xD0\x61"), "\xD6\xD0\x41");
    EXPECT_EQ(s.Run("(setq \xB1\x61 5) (+ \xB1\x61 1)"), "6");
    EXPECT_EQ(s.Run("(ascii \"\xD6\xD0\")"), std::to_string(0xD6D0));
    EXPECT_EQ(s.Run("(chr 54992)"), "\"\xD6\xD0\"");
}

TEST(LispReader, MalformedInput) {
    RunTable({
        {"(+ 1 2", "; error: malformed list on input"},
        {"(+ 1 2))", "; error: extra right paren on input"},
        {")", "; error: extra right paren on input"},
        {"\"open string", "; error: malformed string on input"},
        {"'(1 . )", "; error: invalid dotted pair"},
        {"'( . 1)", "; error: invalid dotted pair"},
        {"'(1 . 2 3)", "; error: invalid dotted pair"},
        {"'(1 . 2 . 3)", "; error: invalid dotted pair"},
        {"(read \"(1 2\")", "; error: malformed list on input"},
        {"(read \"\")", "nil"},
        {"(read \"a b\")", "A"},
        {"(read \"(1 . 2)\")", "(1 . 2)"},
    });
}

TEST(LispReader, InputCompleteness) {
    using NUVAcad::LispInterpreter;
    EXPECT_TRUE(LispInterpreter::isInputComplete("(+ 1 2)"));
    EXPECT_FALSE(LispInterpreter::isInputComplete("(+ 1"));
    EXPECT_FALSE(LispInterpreter::isInputComplete("(princ \"a)"));
    EXPECT_TRUE(LispInterpreter::isInputComplete("(princ \"a)\")"));
    EXPECT_FALSE(LispInterpreter::isInputComplete("(+ 1 ;| ) |"));
    EXPECT_TRUE(LispInterpreter::isInputComplete("(+ 1 ; )\n 2)"));
    EXPECT_TRUE(LispInterpreter::isInputComplete("(princ \"\\\")\")"));
    EXPECT_TRUE(LispInterpreter::isInputComplete("(princ \"\x81\\\")"));
}

TEST(LispPrinter, RealsWithSixSignificantDigits) {
    RunTable({
        {"3.0", "3.0"},
        {"3.5", "3.5"},
        {"(/ 1.0 3)", "0.333333"},
        {"(/ 2.0 3)", "0.666667"},
        {"1e10", "1.0e+10"},
        {"1.5e10", "1.5e+10"},
        {"123456.0", "123456.0"},
        {"1234567.0", "1.23457e+06"},
        {"0.0001", "0.0001"},
        {"0.00001", "1.0e-05"},
        {"-0.5", "-0.5"},
        {"pi", "3.14159"},
        {"(* 1e300 1e300)", "1.#INF"},
        {"(- (* 1e300 1e300))", "-1.#INF"},
    });
}

TEST(LispPrinter, OutputFunctions) {
    RunTable({
        {"(princ \"abc\")", "abc\"abc\""},
        {"(prin1 \"abc\")", "\"abc\"\"abc\""},
        {"(print \"abc\")", "\n\"abc\" \"abc\""},
        {"(princ '(\"a\" b 1.5))", "(a B 1.5)(\"a\" B 1.5)"},
        {"(princ)", ""},
        {"(prin1)", ""},
        {"(prompt \"hello\")", "hellonil"},
        {"(terpri)", "\nnil"},
        {"(princ 1 nil)", "11"},
        {"(princ 1 2)", "; error: bad argument type: filep 2"},
        {"(vl-princ-to-string '(\"a\" 1))", "\"(a 1)\""},
        {"(vl-prin1-to-string \"a\")", "\"\\\"a\\\"\""},
        {"(progn (princ \"x\") (princ))", "x"},
    });
    LispSession s;
    EXPECT_EQ(s.Run("(alert \"note\")"), "nil");
    ASSERT_EQ(s.host.alerts.size(), 1u);
    EXPECT_EQ(s.host.alerts[0], "note");
}

TEST(LispArithmetic, IntegersWrapAt32Bits) {
    RunTable({
        {"(+ 2147483647 1)", "-2147483648"},
        {"(- -2147483648 1)", "2147483647"},
        {"(* 65536 65536)", "0"},
        {"(* 65536 32768)", "-2147483648"},
        {"(1+ 2147483647)", "-2147483648"},
        {"(1- -2147483648)", "2147483647"},
        {"(abs -2147483648)", "-2147483648"},
        {"(- -2147483648)", "-2147483648"},
        {"(/ -2147483648 -1)", "-2147483648"},
        {"(rem -2147483648 -1)", "0"},
        {"(expt 2 31)", "-2147483648"},
        {"(expt 2 32)", "0"},
        {"(expt 3 4)", "81"},
        {"(~ 0)", "-1"},
        {"(lsh 1 31)", "-2147483648"},
        {"(lsh 1 32)", "0"},
        {"(lsh -8 -1)", "2147483644"},
    });
}

TEST(LispArithmetic, MixedAndDivision) {
    RunTable({
        {"(+)", "0"},
        {"(+ 1 2 3)", "6"},
        {"(+ 1 2.0)", "3.0"},
        {"(- 10)", "-10"},
        {"(- 10 3 2)", "5"},
        {"(*)", "0"},
        {"(* 2 3.5)", "7.0"},
        {"(/ 7 2)", "3"},
        {"(/ -7 2)", "-3"},
        {"(/ 7 2.0)", "3.5"},
        {"(/ 7 2 2.0)", "1.5"},
        {"(/ 7)", "7"},
        {"(rem 7 3)", "1"},
        {"(rem -7 3)", "-1"},
        {"(rem 7.5 2)", "1.5"},
        {"(max 1 5 3)", "5"},
        {"(max 1 2.0)", "2.0"},
        {"(min 4 -2 3)", "-2"},
        {"(gcd 12 18)", "6"},
        {"(fix 3.7)", "3"},
        {"(fix -3.7)", "-3"},
        {"(fix 1e10)", "1.0e+10"},
        {"(float 3)", "3.0"},
        {"(sqrt 16)", "4.0"},
        {"(expt 2.0 0.5)", "1.41421"},
        {"(expt 2 -1)", "0"},
        {"(exp 1)", "2.71828"},
        {"(log 1)", "0.0"},
        {"(sin 0)", "0.0"},
        {"(cos 0)", "1.0"},
        {"(atan 1)", "0.785398"},
        {"(atan 1 -1)", "2.35619"},
        {"(logand 12 10)", "8"},
        {"(logior 12 10)", "14"},
        {"(/ 1 0)", "; error: divide by zero"},
        {"(/ 1.0 0)", "; error: divide by zero"},
        {"(rem 1 0)", "; error: divide by zero"},
        {"(sqrt -1)", "; error: function undefined for argument: -1"},
        {"(log 0)", "; error: function undefined for argument: 0"},
        {"(+ 1 \"a\")", "; error: bad argument type: numberp: \"a\""},
        {"(+ 'x 1)", "; error: bad argument type: numberp: X"},
        {"(1+ nil)", "; error: bad argument type: numberp: nil"},
        {"(gcd 1.5 2)", "; error: bad argument type: fixnump: 1.5"},
        {"(sqrt)", "; error: too few arguments"},
        {"(sqrt 1 2)", "; error: too many arguments"},
    });
}

TEST(LispArithmetic, Comparisons) {
    RunTable({
        {"(= 1 1.0)", "T"},
        {"(= 1 1 2)", "nil"},
        {"(= \"a\" \"a\")", "T"},
        {"(/= 1 2)", "T"},
        {"(/= 1 1)", "nil"},
        {"(/= 10 20 10 20 20)", "nil"},
        {"(< 1 2 3)", "T"},
        {"(< 1 3 2)", "nil"},
        {"(> 3 2 1)", "T"},
        {"(<= 1 1 2)", "T"},
        {"(>= 2 2 3)", "nil"},
        {"(< \"abc\" \"abd\")", "T"},
        {"(> \"b\" \"abc\")", "T"},
        {"(< 1 \"a\")", "; error: bad argument type: numberp: \"a\""},
        {"(minusp -0.5)", "T"},
        {"(zerop 0.0)", "T"},
        {"(zerop 1)", "nil"},
        {"(numberp 'a)", "nil"},
        {"(numberp 1.5)", "T"},
        {"(minusp \"a\")", "; error: bad argument type: numberp: \"a\""},
    });
}

TEST(LispLists, Functions) {
    RunTable({
        {"(list 1 \"a\" 'b)", "(1 \"a\" B)"},
        {"(list)", "nil"},
        {"(cons 1 2)", "(1 . 2)"},
        {"(cons 1 '(2 3))", "(1 2 3)"},
        {"(cons 1 nil)", "(1)"},
        {"(car '(1 2))", "1"},
        {"(cdr '(1 2))", "(2)"},
        {"(car nil)", "nil"},
        {"(cdr '(1 . 2))", "2"},
        {"(cadr '(1 2 3))", "2"},
        {"(caddr '(1 2 3))", "3"},
        {"(cddr '(1 2 3))", "(3)"},
        {"(caar '((1 2) 3))", "1"},
        {"(cdar '((1 2) 3))", "(2)"},
        {"(cadddr '(1 2 3 4))", "4"},
        {"(car 1)", "; error: bad argument type: consp 1"},
        {"(cadr '(1 . 2))", "; error: bad argument type: consp 2"},
        {"(nth 1 '(a b c))", "B"},
        {"(nth 5 '(a b c))", "nil"},
        {"(nth -1 '(a b c))", "nil"},
        {"(length '(1 2 3))", "3"},
        {"(length nil)", "0"},
        {"(length '(1 . 2))", "; error: bad argument type: listp (1 . 2)"},
        {"(append '(1 2) '(3) nil '(4))", "(1 2 3 4)"},
        {"(append)", "nil"},
        {"(append '(1) 2)", "; error: bad argument type: listp 2"},
        {"(reverse '(1 2 3))", "(3 2 1)"},
        {"(last '(1 2 3))", "3"},
        {"(last nil)", "nil"},
        {"(member 2 '(1 2 3))", "(2 3)"},
        {"(member \"b\" '(\"a\" \"b\"))", "(\"b\")"},
        {"(member 4 '(1 2 3))", "nil"},
        {"(assoc 2 '((1 . \"a\") (2 . \"b\")))", "(2 . \"b\")"},
        {"(assoc \"k\" '((\"k\" 1)))", "(\"k\" 1)"},
        {"(assoc 3 '((1 . 2)))", "nil"},
        {"(subst 'qq 'b '(a b (c d) b))", "(A QQ (C D) QQ)"},
        {"(subst '(qq rr) '(c d) '(a b (c d) b))", "(A B (QQ RR) B)"},
        {"(vl-position 'c '(a b c))", "2"},
        {"(vl-position 'z '(a b c))", "nil"},
        {"(vl-remove 1 '(1 2 1 3))", "(2 3)"},
        {"(mapcar '1+ '(1 2 3))", "(2 3 4)"},
        {"(mapcar '+ '(1 2 3) '(10 20))", "(11 22)"},
        {"(mapcar '(lambda (x) (* x x)) '(1 2 3))", "(1 4 9)"},
        {"(mapcar (function (lambda (x) (* 2 x))) '(1 2))", "(2 4)"},
        {"(apply '+ '(1 2 3))", "6"},
        {"(apply 'max '(4 9 2))", "9"},
        {"(apply '(lambda (a b) (- a b)) '(5 3))", "2"},
        {"(apply 'car '(1))", "; error: bad argument type: consp 1"},
        {"(mapcar 'nosuch '(1))", "; error: no function definition: NOSUCH"},
        {"(vl-remove-if 'minusp '(1 -2 3 -4))", "(1 3)"},
        {"(vl-remove-if-not 'minusp '(1 -2 3 -4))", "(-2 -4)"},
        {"(vl-member-if '(lambda (x) (> x 2)) '(1 2 3 4))", "(3 4)"},
        {"(vl-member-if 'minusp '(1 2))", "nil"},
        {"(vl-some '= '(1 2 3) '(3 2 1))", "T"},
        {"(vl-some 'minusp '(1 2))", "nil"},
        {"(vl-every '< '(1 2) '(2 3 0))", "T"},
        {"(vl-every 'minusp '(-1 2))", "nil"},
        {"(vl-every 'minusp nil)", "T"},
        {"(vl-sort '(3 1 2 1) '<)", "(1 1 2 3)"},
        {"(vl-sort '(\"b\" \"C\" \"a\") '>)", "(\"b\" \"a\" \"C\")"},
        // Stable: pairs equal by the key keep their order.
        {"(vl-sort '((1 . a) (0 . b) (1 . c) (0 . d)) '(lambda (x y) (< (car x) (car y))))",
         "((0 . B) (0 . D) (1 . A) (1 . C))"},
        {"(vl-sort nil '<)", "nil"},
    });
}

TEST(LispTypes, PredicatesAndIdentity) {
    RunTable({
        {"(type 1)", "INT"},
        {"(type 1.0)", "REAL"},
        {"(type \"a\")", "STR"},
        {"(type 'a)", "SYM"},
        {"(type '(1))", "LIST"},
        {"(type car)", "SUBR"},
        {"(type if)", "SUBR"},
        {"(type nil)", "nil"},
        {"(progn (defun f () 1) (type f))", "USUBR"},
        {"(type (lambda (x) x))", "USUBR"},
        {"(null nil)", "T"},
        {"(not 1)", "nil"},
        {"(atom 'a)", "T"},
        {"(atom '(1))", "nil"},
        {"(atom nil)", "T"},
        {"(listp nil)", "T"},
        {"(listp 1)", "nil"},
        {"(vl-consp nil)", "nil"},
        {"(boundp 'undefinedthing)", "nil"},
        {"(progn (setq x 1) (boundp 'x))", "T"},
        {"(eq 'a 'a)", "T"},
        {"(eq 1 1)", "T"},
        {"(eq '(1) '(1))", "nil"},
        {"(progn (setq l '(1)) (eq l l))", "T"},
        {"(eq \"a\" \"a\")", "nil"},
        {"(equal '(1 (2 \"x\")) '(1 (2 \"x\")))", "T"},
        {"(equal 1 1.0)", "T"},
        {"(equal 1.0 1.05 0.1)", "T"},
        {"(equal 1.0 1.2 0.1)", "nil"},
        {"(equal '(1.0 2.0) '(1.001 2.0) 0.01)", "T"},
        {"(equal \"a\" \"A\")", "nil"},
    });
}

TEST(LispForms, Special) {
    RunTable({
        {"(setq a 1 b (+ a 1))", "2"},
        {"(setq a)", "; error: too few arguments"},
        {"(setq 1 2)", "; error: bad argument type: symbolp 1"},
        {"(if t 1 2)", "1"},
        {"(if nil 1 2)", "2"},
        {"(if nil 1)", "nil"},
        {"(if t)", "; error: too few arguments"},
        {"(if t 1 2 3)", "; error: too many arguments"},
        {"(cond ((= 1 2) 'a) ((= 1 1) 'b) (t 'c))", "B"},
        {"(cond ((+ 1 2)))", "3"},
        {"(cond (nil 1))", "nil"},
        {"(progn 1 2 3)", "3"},
        {"(progn)", "nil"},
        {"(and 1 2)", "T"},
        {"(and 1 nil)", "nil"},
        {"(and)", "T"},
        {"(or nil 5)", "T"},
        {"(or)", "nil"},
        {"(progn (setq i 0 s 0) (while (< i 5) (setq s (+ s i) i (1+ i))) s)", "10"},
        {"(while nil 1)", "nil"},
        {"(progn (setq n 0) (repeat 4 (setq n (+ n 2))))", "8"},
        {"(repeat 0 1)", "nil"},
        {"(repeat 1.5 1)", "; error: bad argument type: fixnump: 1.5"},
        {"(progn (setq s 0) (foreach x '(1 2 3) (setq s (+ s x))))", "6"},
        {"(foreach x nil 1)", "nil"},
        {"(foreach x 5 1)", "; error: bad argument type: listp 5"},
        {"(quote (a b))", "(A B)"},
        {"(quote)", "; error: too few arguments"},
        {"(function car)", "CAR"},
        {"(eval '(+ 1 2))", "3"},
        {"(progn (setq q 'r r 5) (eval q))", "5"},
        {"(set 'z 9)", "9"},
        {"(progn (set (read \"w\") 4) w)", "4"},
    });
}

TEST(LispForms, DefunAndDynamicScope) {
    RunTable({
        {"(defun sq (x) (* x x))", "SQ"},
        {"(progn (defun sq (x) (* x x)) (sq 7))", "49"},
        {"(progn (defun f () 1) (f 2))", "; error: too many arguments"},
        {"(progn (defun f (a b) 1) (f 2))", "; error: too few arguments"},
        {"(progn (defun f (x) x) (f))", "; error: too few arguments"},
        // Locals start as nil and the outer values come back after the call.
        {"(progn (setq a 10) (defun f (/ a) (setq a 5) a) (list (f) a))", "(5 10)"},
        {"(progn (setq x 1) (defun g (x) x) (g 2) x)", "1"},
        // Dynamic scope: a called function sees the caller's bindings.
        {"(progn (defun inner () y) (defun outer (y) (inner)) (outer 42))", "42"},
        {"(progn (defun fact (n) (if (< n 2) 1 (* n (fact (1- n))))) (fact 10))", "3628800"},
        {"((lambda (a b) (+ a b)) 1 2)", "3"},
        {"(progn (setq f (lambda (x) (* 3 x))) (f 2))", "6"},
        {"(defun 1 ())", "; error: bad argument type: symbolp 1"},
        {"(defun f (1) 1)", "; error: bad argument type: symbolp 1"},
        {"(nosuch 1)", "; error: no function definition: NOSUCH"},
        {"(1 2)", "; error: bad function: 1"},
        {"(\"s\")", "; error: bad function: \"s\""},
        // A function redefined while it runs finishes its old body.
        {"(progn (defun f () (defun f () 2) 1) (list (f) (f)))", "(1 2)"},
    });
}

TEST(LispStrings, Functions) {
    RunTable({
        {"(strcat \"a\" \"bc\" \"\")", "\"abc\""},
        {"(strcat)", "\"\""},
        {"(strcat \"a\" 1)", "; error: bad argument type: stringp 1"},
        {"(strlen \"hello\")", "5"},
        {"(strlen \"ab\" \"cd\")", "4"},
        {"(strlen)", "0"},
        {"(substr \"hello\" 2 3)", "\"ell\""},
        {"(substr \"hello\" 2)", "\"ello\""},
        {"(substr \"hello\" 9)", "\"\""},
        {"(substr \"hello\" 1 0)", "\"\""},
        {"(substr \"hello\" 0)", "; error: bad argument value: positive 0"},
        {"(strcase \"aBc\")", "\"ABC\""},
        {"(strcase \"aBc\" t)", "\"abc\""},
        {"(itoa -42)", "\"-42\""},
        {"(itoa 1.5)", "; error: bad argument type: fixnump: 1.5"},
        {"(atoi \"12abc\")", "12"},
        {"(atoi \" -7\")", "-7"},
        {"(atoi \"abc\")", "0"},
        {"(atoi \"99999999999\")", "2147483647"},
        {"(atof \"1.5x\")", "1.5"},
        {"(atof \"2e3\")", "2000.0"},
        {"(atof \"x\")", "0.0"},
        {"(chr 65)", "\"A\""},
        {"(ascii \"A\")", "65"},
        {"(ascii \"\")", "0"},
        {"(vl-string-search \"lo\" \"hello\")", "3"},
        {"(vl-string-search \"x\" \"hello\")", "nil"},
        {"(vl-string-search \"l\" \"hello\" 3)", "3"},
        {"(wcmatch \"Name\" \"N*\")", "T"},
        {"(wcmatch \"Name\" \"n*\")", "nil"},
        {"(wcmatch \"ABC\" \"?B?,X*\")", "T"},
        {"(wcmatch \"A1\" \"@#\")", "T"},
        {"(wcmatch 1 \"*\")", "; error: bad argument type: stringp 1"},
        {"(vl-string-trim \" \t\" \"  a b \t\")", "\"a b\""},
        {"(vl-string-left-trim \"0\" \"00100\")", "\"100\""},
        {"(vl-string-right-trim \"0\" \"00100\")", "\"001\""},
        {"(vl-string-trim \"x\" \"xxx\")", "\"\""},
        // A double-byte character is trimmed whole or not at all: 0xB1 0x61 is not "a".
        {"(vl-string-trim \"a\" \"a\xB1\x61\")", "\"\xB1\x61\""},
        {"(vl-string-subst \"Z\" \"ab\" \"xabyab\")", "\"xZyab\""},
        {"(vl-string-subst \"Z\" \"ab\" \"xabyab\" 2)", "\"xabyZ\""},
        {"(vl-string-subst \"Z\" \"q\" \"abc\")", "\"abc\""},
        {"(vl-string->list \"AB\")", "(65 66)"},
        {"(vl-list->string '(72 105))", "\"Hi\""},
        {"(vl-list->string '(1.5))", "; error: bad argument type: fixnump: 1.5"},
        {"(vl-filename-directory \"c:\\\\acad\\\\file.dwg\")", "\"c:\\\\acad\""},
        {"(vl-filename-base \"c:\\\\acad\\\\file.dwg\")", "\"file\""},
        {"(vl-filename-extension \"/a/b/file.tar.gz\")", "\".gz\""},
        {"(vl-filename-extension \"/a/b/file\")", "nil"},
        {"(acad_strlsort '(\"b\" \"A\" \"c\" \"a\"))", "(\"A\" \"a\" \"b\" \"c\")"},
        {"(acad_strlsort '(\"b\" 1))", "nil"},
        {"(vl-load-com)", "nil"},
    });
}

}  // namespace
