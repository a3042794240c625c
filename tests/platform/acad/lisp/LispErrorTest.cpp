// Errors and limits: the "; error: " line, the user's *error* handler (called where the error
// happened, so a localized handler sees its function's locals), bindings unwound afterwards,
// exit/quit, the nesting limit, the step limit and cancelling, and inputs deep or long enough to
// break a recursive reader, printer or destructor.
#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>
#include <sys/time.h>

#include <string>

#include "FakeLispHost.h"

namespace {

using NUVAcad::LispInterpreter;

std::string Nested(const std::string& open, int depth, const std::string& core, const std::string& close) {
    std::string s;
    for (int i = 0; i < depth; ++i) s += open;
    s += core;
    for (int i = 0; i < depth; ++i) s += close;
    return s;
}

TEST(LispErrors, DefaultLineStartsOnItsOwnLine) {
    LispSession s;
    EXPECT_EQ(s.Run("(car 1)"), "; error: bad argument type: consp 1");
    EXPECT_EQ(s.Run("(progn (princ \"abc\") (car 1))"), "abc\n; error: bad argument type: consp 1");
    EXPECT_EQ(s.Run("(progn (princ \"abc\n\") (car 1))"), "abc\n; error: bad argument type: consp 1");
    EXPECT_EQ(s.lisp.evaluateCommandLine("(car 1)"), RTERROR);
    EXPECT_EQ(s.lisp.evaluateCommandLine("(car '(1))"), RTNORM);
}

TEST(LispErrors, UserHandlerGetsTheMessage) {
    LispSession s;
    s.Run("(defun *error* (msg) (princ (strcat \"caught: \" msg)) (princ))");
    EXPECT_EQ(s.Run("(+ 1 \"a\")"), "caught: bad argument type: numberp: \"a\"");
    EXPECT_EQ(s.Run("(exit)"), "caught: quit / exit abort");
    EXPECT_EQ(s.Run("(quit)"), "caught: quit / exit abort");
    EXPECT_EQ(s.Run("(nosuch)"), "caught: no function definition: NOSUCH");
    // The handler's value is echoed unless it is silent.
    s.Run("(defun *error* (msg) \"handled\")");
    EXPECT_EQ(s.Run("(car 1)"), "\"handled\"");
    // Without a handler the default line is back.
    s.Run("(setq *error* nil)");
    EXPECT_EQ(s.Run("(exit)"), "; error: quit / exit abort");
}

TEST(LispErrors, LocalizedHandlerSeesLocalsAndBindingsUnwind) {
    LispSession s;
    s.Run("(setq keep 1 saved 'outer)");
    s.Run("(defun c:work (keep / *error* saved)"
          "  (setq saved 5)"
          "  (defun *error* (msg) (princ (list 'saved saved 'keep keep msg)) (princ))"
          "  (car keep))");
    EXPECT_EQ(s.Run("(c:work 7)"), "(SAVED 5 KEEP 7 bad argument type: consp 7)");
    // After the error every binding is back and the global handler is still unset.
    EXPECT_EQ(s.Run("(list keep saved *error*)"), "(1 OUTER nil)");
    EXPECT_EQ(s.Run("(car 2)"), "; error: bad argument type: consp 2");
}

TEST(LispErrors, ErrorInsideTheHandlerEndsWithTheDefaultLine) {
    LispSession s;
    s.Run("(defun *error* (msg) (princ \"in handler\") (car 2))");
    EXPECT_EQ(s.Run("(car 1)"), "in handler\n; error: bad argument type: consp 2");
    EXPECT_EQ(s.Run("(+ 1 2)"), "3");
}

TEST(LispErrors, NestingLimitIsExact) {
    LispSession s;
    s.lisp.setDepthLimit(500);
    EXPECT_EQ(s.Run(Nested("(1+ ", 500, "0", ")")), "500");
    EXPECT_EQ(s.Run(Nested("(1+ ", 501, "0", ")")), "; error: internal stack limit reached (simulated)");
    EXPECT_EQ(s.Run("(+ 1 2)"), "3");
    s.lisp.setDepthLimit(1);
    EXPECT_EQ(s.Run("(+ 1 2)"), "3");
    EXPECT_EQ(s.Run("(+ 1 (+ 2 3))"), "; error: internal stack limit reached (simulated)");
}

// Runs fn on a thread with a small stack.
void OnSmallStack(std::size_t bytes, void (*fn)(std::string*), std::string* out) {
    struct Call {
        void (*fn)(std::string*);
        std::string* out;
    } call{fn, out};
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, bytes);
    pthread_t thread;
    ASSERT_EQ(pthread_create(
                  &thread, &attr,
                  [](void* p) -> void* {
                      auto* c = static_cast<Call*>(p);
                      c->fn(c->out);
                      return nullptr;
                  },
                  &call),
              0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}

TEST(LispErrors, SmallStackStopsRecursionEarly) {
    std::string out;
    OnSmallStack(
        512 * 1024,
        [](std::string* result) {
            LispSession s;
            s.Run("(defun down (n) (down (1+ n)))");
            *result = s.Run("(down 0)");
            s.Run("(defun *error* (msg) (setq seen msg) (princ))");
            *result += "|" + s.Run("(down 0)");
            *result += "|" + s.Run("seen");
        },
        &out);
    EXPECT_EQ(out, "; error: internal stack limit reached (simulated)||\"internal stack limit reached (simulated)\"");
}

TEST(LispErrors, UnboundedRecursionStops) {
    LispSession s;
    s.Run("(defun down (n) (down (1+ n)))");
    EXPECT_EQ(s.Run("(down 0)"), "; error: internal stack limit reached (simulated)");
    // Deep but bounded recursion works, and so does the next evaluation.
    s.Run("(defun depth (n) (if (= n 0) 0 (1+ (depth (1- n)))))");
    EXPECT_EQ(s.Run("(depth 1000)"), "1000");
    s.Run("(setq seen nil) (defun *error* (msg) (setq seen msg) (princ))");
    EXPECT_EQ(s.Run("(down 0)"), "");
    EXPECT_EQ(s.Run("seen"), "\"internal stack limit reached (simulated)\"");
}

TEST(LispErrors, StepLimitAndCancel) {
    LispSession s;
    s.lisp.setStepLimit(10000);
    EXPECT_EQ(s.Run("(while t 1)"), "; error: evaluation step limit reached");
    EXPECT_EQ(s.Run("(repeat 100 1)"), "1");  // the budget is per evaluation
    // Building data counts too: doubling a string or a list soon runs out of steps.
    EXPECT_EQ(s.Run("(progn (setq x \"ab\") (while t (setq x (strcat x x))))"), "; error: evaluation step limit reached");
    EXPECT_EQ(s.Run("(progn (setq l '(1)) (while t (setq l (append l l))))"), "; error: evaluation step limit reached");
    s.lisp.setStepLimit(0);

    // A cancel requested while a function runs stops the evaluation at its next step.
    s.host.external = [&](const NUVAcad::LispExternalFunction&, const resbuf*, resbuf**, CString&) {
        EXPECT_TRUE(s.lisp.isEvaluating());
        s.lisp.requestCancel();
        return RSRSLT;
    };
    s.lisp.defineExternal("stop", 1, nullptr);
    EXPECT_EQ(s.Run("(progn (stop) (while t 1))"), "; error: Function cancelled");
    EXPECT_FALSE(s.lisp.isEvaluating());
    // A cancel asked for while nothing runs does not hit the next evaluation.
    s.lisp.requestCancel();
    EXPECT_EQ(s.Run("(repeat 10 1)"), "1");
}

NUVAcad::LispInterpreter* interrupted = nullptr;

TEST(LispErrors, CancelFromASignalHandler) {
    // As a terminal's Ctrl-C does: the handler runs on the evaluating thread, mid-loop.
    LispSession s;
    interrupted = &s.lisp;
    struct sigaction sa {}, old {};
    sa.sa_handler = [](int) { interrupted->requestCancel(); };
    sigemptyset(&sa.sa_mask);
    ASSERT_EQ(sigaction(SIGALRM, &sa, &old), 0);
    itimerval timer{};
    timer.it_value.tv_usec = 50000;
    setitimer(ITIMER_REAL, &timer, nullptr);
    const std::string shown = s.Run("(while t (setq x (1+ 1)))");
    sigaction(SIGALRM, &old, nullptr);
    interrupted = nullptr;
    EXPECT_EQ(shown, "; error: Function cancelled");
}

TEST(LispErrors, DeepAndLongDataIsSafe) {
    LispSession s;
    // Nesting far beyond the evaluation limit: read, print, compare and free without recursion.
    const int deep = 200000;
    const std::string deepList = Nested("(", deep, "x", ")");
    EXPECT_EQ(s.Run("(setq d (read \"" + deepList + "\")) 1"), "1");
    EXPECT_EQ(s.Run("(equal d (read \"" + deepList + "\"))"), "T");
    EXPECT_EQ(s.Run("(strlen (vl-prin1-to-string d))"), std::to_string(2 * deep + 1));
    EXPECT_EQ(s.Run("(setq d nil)"), "nil");
    EXPECT_EQ(s.Run(Nested("'", 1000, "x", "")).size(), 999u * 8 + 1);  // (QUOTE ... X)
    // Evaluating such nesting stops at the limit instead of overflowing.
    EXPECT_EQ(s.Run(Nested("(", 50000, "", ")")), "; error: internal stack limit reached (simulated)");
    // A long list built in a loop, then dropped.
    EXPECT_EQ(s.Run("(progn (setq l nil i 0) (repeat 300000 (setq l (cons i l))) (length l))"), "300000");
    EXPECT_EQ(s.Run("(progn (repeat 100000 (setq l (list l))) (setq l nil))"), "nil");
}

}  // namespace
