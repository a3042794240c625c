// Input as the host reads it: how a script or a typed line splits into answers, the stack of
// sources (what answers when), and text from outside decoded to GBK or refused.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "acad/AcEdOutput.h"
#include "acad/CommandProcessor.h"
#include "acad/HostText.h"
#include "acad/InputSource.h"

namespace {

using NUVAcad::Input;
using NUVAcad::InputRequest;
using NUVAcad::ScriptInput;

const InputRequest kCommand{"\nCommand: ", InputRequest::Level::Command, false};
const InputRequest kPrompt{"\nPoint: ", InputRequest::Level::Prompt, false};
const InputRequest kLine{"\nText: ", InputRequest::Level::Prompt, true};

// Every answer of the script, each read as a prompt answer; "<>" stands for Enter.
std::vector<std::string> Answers(const std::string& script, const InputRequest& request = kPrompt) {
    ScriptInput s(script, false);
    std::vector<std::string> out;
    while (!s.exhausted()) {
        Input in = s.read(request);
        if (in.is(Input::Kind::End)) break;
        out.push_back(in.is(Input::Kind::Enter) ? "<>" : in.text);
    }
    return out;
}

using V = std::vector<std::string>;

TEST(ScriptReading, SpacesAndLineEndsEachEndAnAnswer) {
    struct Case {
        const char* script;
        V answers;
    } cases[] = {
        {"LINE 0,0 10,10", V{"LINE", "0,0", "10,10"}},
        {"LINE 0,0 10,10\n", V{"LINE", "0,0", "10,10"}},
        {"LINE 0,0 10,10 \n", V{"LINE", "0,0", "10,10", "<>"}},  // the trailing space is an Enter
        {"LINE  0,0", V{"LINE", "<>", "0,0"}},                    // two spaces: an empty answer
        {"A\n\nB", V{"A", "<>", "B"}},                            // a blank line is an Enter
        {"A\r\nB\r\n", V{"A", "B"}},                              // CR LF line ends
        {"", V{}},
        {"\n", V{"<>"}},
        {" ", V{"<>", "<>"}},
        {"\xD6\xD0\xCE\xC4 X", V{"\xD6\xD0\xCE\xC4", "X"}},  // GBK text passes untouched
    };
    for (const Case& c : cases) EXPECT_EQ(c.answers, Answers(c.script)) << "script: [" << c.script << "]";
}

TEST(ScriptReading, PromptThatAllowsSpacesTakesTheRestOfTheLine) {
    ScriptInput s("TEXT hello big world\nNEXT", false);
    EXPECT_EQ("TEXT", s.read(kPrompt).text);
    EXPECT_EQ("hello big world", s.read(kLine).text);
    EXPECT_EQ("NEXT", s.read(kPrompt).text);
    EXPECT_TRUE(s.exhausted());
}

TEST(ScriptReading, AutoLispExpressionRunsToItsClosingParenthesis) {
    struct Case {
        const char* script;
        V answers;
    } cases[] = {
        {"(setq a (+ 1 2)) LINE", V{"(setq a (+ 1 2))", "LINE"}},
        {"(setq a\n  (+ 1\n 2))\nLINE", V{"(setq a\n  (+ 1\n 2))", "LINE"}},
        {"(princ \"a ) b\") X", V{"(princ \"a ) b\")", "X"}},          // a parenthesis inside a string
        {"(princ \"\\\"\") X", V{"(princ \"\\\"\")", "X"}},             // an escaped quote
        {"(+ 1 ; a comment )\n 2) X", V{"(+ 1 ; a comment )\n 2)", "X"}},
        {"(+ 1 ;| block ) |; 2) X", V{"(+ 1 ;| block ) |; 2)", "X"}},
        {"!(car x) Y", V{"!(car x)", "Y"}},
        {"(+ 1 2)(+ 3 4)", V{"(+ 1 2)", "(+ 3 4)"}},
        {"(princ \"\xB5\x29\") Z", V{"(princ \"\xB5\x29\")", "Z"}},  // a GBK trail byte that looks like ")"
        {"(unfinished 1 2", V{"(unfinished 1 2"}},                    // handed on as it is at the end
    };
    for (const Case& c : cases) EXPECT_EQ(c.answers, Answers(c.script)) << "script: [" << c.script << "]";
}

TEST(ScriptReading, CommentLinesAreSkippedAtTheCommandPromptOnly) {
    EXPECT_EQ((V{"A", "B"}), Answers("; a comment\nA\n;another\nB", kCommand));
    EXPECT_EQ((V{";", "not", "a", "comment"}), Answers("; not a comment", kPrompt));
}

TEST(ExpressionEnd, FindsTheClosingParenthesisOrReportsIncomplete) {
    struct Case {
        const char* text;
        std::size_t end;
    } cases[] = {
        {"(a)", 3},
        {"(a (b) c) tail", 9},
        {"(a \"(\" b)", 9},
        {"(a", std::string::npos},
        {"(a \"unclosed)", std::string::npos},
        {"(a ;| open", std::string::npos},
        {"(a ; ) \n)", 9},
    };
    for (const Case& c : cases) EXPECT_EQ(c.end, NUVAcad::TextInput::expressionEnd(c.text, 0)) << c.text;
}

// ---- The stack ----

class InputStack : public ::testing::Test {
protected:
    void SetUp() override { NUVAcad::SetBaseInput(&base); }
    void TearDown() override {
        NUVAcad::SetBaseInput(nullptr);
        NUVAcad::ClearQueuedInput();
    }
    NUVAcad::ScriptedInput base;
};

TEST_F(InputStack, TopSourceAnswersFirstAndHandsOverWhenEmpty) {
    base.text("user");
    NUVAcad::ScriptedInput top;
    top.text("given");
    NUVAcad::InputScope scope(top);
    EXPECT_EQ("given", NUVAcad::ReadInput(kPrompt).text);
    EXPECT_EQ("user", NUVAcad::ReadInput(kPrompt).text);
    // Nothing left: a command's prompt is cancelled, the command prompt sees the end.
    EXPECT_TRUE(NUVAcad::ReadInput(kPrompt).is(Input::Kind::Cancel));
    EXPECT_TRUE(NUVAcad::ReadInput(kCommand).is(Input::Kind::End));
}

TEST_F(InputStack, QueuedSourcesAnswerAfterScopesAndBeforeTheSession) {
    base.text("session");
    NUVAcad::QueueInput(std::make_unique<ScriptInput>("queued1", false));
    NUVAcad::QueueInput(std::make_unique<ScriptInput>("queued2", false));
    NUVAcad::ScriptedInput top;
    top.text("scope");
    NUVAcad::InputScope scope(top);
    V got;
    for (int i = 0; i < 4; ++i) got.push_back(NUVAcad::ReadInput(kPrompt).text);
    EXPECT_EQ((V{"scope", "queued1", "queued2", "session"}), got);
}

TEST_F(InputStack, AnswersFromAnEchoingSourceAreShownAfterTheirPrompt) {
    NUVAcad::OutputCapture out;
    NUVAcad::ScriptedInput echoing;
    echoing.setEcho(true);
    echoing.text("LINE").point(1, 2.5, 0).enter().cancel();
    NUVAcad::InputScope scope(echoing);
    unsigned long cancels = NUVAcad::CancelCount();
    NUVAcad::ReadInput(kCommand);
    NUVAcad::ReadInput(kPrompt);
    NUVAcad::ReadInput(kPrompt);
    NUVAcad::ReadInput(kPrompt);
    EXPECT_EQ("\nCommand: LINE\n\nPoint: 1,2.5,0\n\nPoint: \n\nPoint: *Cancel*\n", out.text());
    EXPECT_EQ(cancels + 1, NUVAcad::CancelCount());
}

TEST_F(InputStack, ACancelAtTheCommandPromptIsShownOnce) {
    NUVAcad::OutputCapture out;
    NUVAcad::ScriptedInput echoing;
    echoing.setEcho(true);
    echoing.cancel();
    {
        NUVAcad::InputScope scope(echoing);
        EXPECT_EQ(RTCAN, NUVAcad::ExecuteCommandInput(NUVAcad::ReadInput(kCommand)));
    }
    EXPECT_EQ("\nCommand: *Cancel*\n", out.take()) << "the echo shows it; the command loop adds nothing";
    NUVAcad::ScriptedInput silent;
    silent.cancel();
    NUVAcad::InputScope scope(silent);
    EXPECT_EQ(RTCAN, NUVAcad::ExecuteCommandInput(NUVAcad::ReadInput(kCommand)));
    EXPECT_EQ("*Cancel*", out.text()) << "a source that shows nothing: the command loop says it";
}

TEST_F(InputStack, PauseAnswersFromTheSourcesBelow) {
    base.text("from-user");
    NUVAcad::ScriptedInput middle;
    middle.text("from-middle");
    NUVAcad::InputScope m(middle);
    NUVAcad::ScriptedInput top;
    NUVAcad::InputScope t(top);
    EXPECT_EQ("from-middle", NUVAcad::ReadInputBelow(&top, kPrompt).text);
    EXPECT_EQ("from-user", NUVAcad::ReadInputBelow(&top, kPrompt).text);
}

// ---- Text from outside ----

TEST(OutsideText, FilesDecodeFromUtf8OrGbkOrAreRefusedWithTheLine) {
    struct Case {
        std::string bytes;
        bool ok;
        std::string gbk;    // when ok
        std::string error;  // start of the message otherwise
    } cases[] = {
        {"LINE 0,0\n", true, "LINE 0,0\n", ""},
        {"\xE4\xB8\xAD\xE6\x96\x87", true, "\xD6\xD0\xCE\xC4", ""},              // UTF-8 "中文"
        {"\xEF\xBB\xBF\xE4\xB8\xAD", true, "\xD6\xD0", ""},                       // with a byte-order mark
        {"\xD6\xD0\xCE\xC4", true, "\xD6\xD0\xCE\xC4", ""},                       // GBK "中文"
        {"ok\n\xF0\x9F\x98\x80\n", false, "", "line 2:"},                         // an emoji: no GBK form
        {"a\nb\n\xFF\xFF\n", false, "", "line 3:"},                               // neither encoding
        {"\xEF\xBB\xBF\xD6\xD0", false, "", "line 1:"},                           // a BOM, then GBK bytes
    };
    for (const Case& c : cases) {
        std::string gbk, error;
        EXPECT_EQ(c.ok, NUVAcad::DecodeTextFile(c.bytes, gbk, error)) << c.bytes;
        if (c.ok) EXPECT_EQ(c.gbk, gbk);
        else EXPECT_EQ(0u, error.find(c.error)) << error;
    }
}

}  // namespace
