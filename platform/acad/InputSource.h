// Where the editor's answers come from. Commands and prompts never read the terminal or a file
// themselves: they ask ReadInput for the next answer, which takes it from the top of a stack of
// input sources. The session's source lies at the bottom (the terminal in nuvcad, a script, a
// scripted queue in tests); acedCommand, sendStringToExecute and scripts push theirs on top, and
// a source that has nothing left hands over to the one below (so a command given too few answers
// goes on with the user's, as the host's "pause" does).
//
// An answer is a token: a text (GBK) as typed, Enter, cancel, or a value given directly (a point,
// a number, an entity or a selection set, as acedCommand and tests pass them). Turning text into
// points, distances and keywords is the prompts' business, not the sources'.
#pragma once

#include <deque>
#include <memory>
#include <string>

#include "acad/AdsName.h"
#include "acad/AdsTypes.h"

namespace NUVAcad {

struct Input {
    enum class Kind {
        Text,          // `text`, never empty (an empty answer is Enter)
        Enter,         // an empty answer: Enter or a space
        Cancel,        // Escape
        Point,         // `point`, in user coordinates
        Real,          // `real`
        Integer,       // `integer`
        Entity,        // `name`, picked at `point`
        SelectionSet,  // `name`
        End,           // no source has anything left
        Cursor,        // the cursor moved to `point` (user coordinates); only jigs ask for these
    };
    Kind kind = Kind::Enter;
    std::string text;
    ads_point point = {0, 0, 0};
    double real = 0;
    int integer = 0;
    ads_name name = {0, 0};
    // The source has shown this answer on the command line itself (a person's terminal, or an
    // echo after the prompt), so nothing else prints it again.
    bool shown = false;

    static Input ofText(std::string gbk);
    static Input enter() { return Input{}; }
    static Input cancel();
    static Input end();
    static Input ofPoint(double x, double y, double z = 0);
    static Input ofReal(double v);
    static Input ofInteger(int v);
    static Input ofEntity(const ads_name e, const ads_point pick);
    static Input ofSelectionSet(const ads_name ss);
    static Input ofCursor(double x, double y, double z = 0);
    bool is(Kind k) const { return kind == k; }
    // How the answer reads on the command line (echoes, messages).
    std::string display() const;
};

struct InputRequest {
    enum class Level {
        Command,  // the command prompt: a command name, an AutoLISP expression, Enter
        Prompt,   // a command's or function's prompt
    };
    std::string prompt;  // GBK, as the caller wrote it (usually beginning with a line feed)
    Level level = Level::Prompt;
    bool spacesAllowed = false;  // the answer ends at a line end only (text with spaces)
    bool cursorMoves = false;    // a jig: cursor moves are answers too (else they are noted and skipped)
};

class InputSource {
public:
    virtual ~InputSource() = default;
    // The next answer. Called only while exhausted() is false.
    virtual Input read(const InputRequest& request) = 0;
    virtual bool exhausted() const = 0;
    // A person answers: the prompt is shown by the source itself, nothing is echoed.
    virtual bool interactive() const { return false; }
    // Answers of a non-interactive source are echoed after their prompt when this is true.
    virtual bool echoes() const { return false; }
};

// A queue of answers (tests). `wait` entries move the clock (see MessageLoop::Wait) when the
// reader reaches them, so that timers fire between two answers exactly as planned.
class ScriptedInput : public InputSource {
public:
    ScriptedInput& text(std::string gbk);
    ScriptedInput& enter();
    ScriptedInput& cancel();
    ScriptedInput& point(double x, double y, double z = 0);
    ScriptedInput& real(double v);
    ScriptedInput& integer(int v);
    ScriptedInput& entity(const ads_name e, const ads_point pick);
    ScriptedInput& selectionSet(const ads_name ss);
    ScriptedInput& wait(unsigned ms);
    // The cursor moves to a point (user coordinates), as a mouse would between picks.
    ScriptedInput& cursor(double x, double y, double z = 0);
    ScriptedInput& push(Input in);
    void setEcho(bool on) { echo_ = on; }
    void clear() { items_.clear(); }
    std::size_t pending() const;

    Input read(const InputRequest& request) override;
    bool exhausted() const override;
    bool echoes() const override { return echo_; }

private:
    struct Item {
        Input input;
        unsigned waitMs = 0;
        bool isWait = false;
    };
    std::deque<Item> items_;
    bool echo_ = false;
};

// Text typed or read as the host reads command input: a space or a line end ends an answer
// (Enter), so "LINE 0,0 5,5" is three answers and two spaces in a row give an empty one; a
// prompt that allows spaces takes the rest of the line; an answer that begins with "(" runs to
// the end of the AutoLISP expression, over spaces and lines. At the command prompt a line whose
// first character is ";" is a comment.
class TextInput : public InputSource {
public:
    Input read(const InputRequest& request) override;
    bool exhausted() const override;

    // Where the AutoLISP expression opening at `from` ends (one past its closing parenthesis),
    // by the reader's rules for strings, escapes, comments and double-byte characters; npos
    // while it is incomplete.
    static std::size_t expressionEnd(const std::string& gbk, std::size_t from);

protected:
    enum class LineStatus { Line, End, Cancel };
    // The next line (GBK, without its line end); a person sees `prompt` before typing it. End at
    // the end of the input; Cancel when the person cancelled (the answer is then a cancel).
    virtual LineStatus readLine(const std::string& prompt, std::string& line) = 0;
    // Whether more lines may come (a terminal: until end of file).
    virtual bool moreLines() const = 0;

private:
    LineStatus fetch(const std::string& prompt);

    std::string line_;
    std::size_t pos_ = 0;
    bool haveLine_ = false;  // line_ holds a line whose end has not been consumed
    bool ended_ = false;
};

// A whole text read the TextInput way: a script file, sendStringToExecute, NUV_ExcuteStr.
class ScriptInput : public TextInput {
public:
    explicit ScriptInput(std::string gbk, bool echo = true);
    bool echoes() const override { return echo_; }

protected:
    LineStatus readLine(const std::string& prompt, std::string& line) override;
    bool moreLines() const override { return next_ < text_.size(); }

private:
    std::string text_;
    std::size_t next_ = 0;
    bool echo_;
};

// The session's source, at the bottom of the stack. The host does not own it.
void SetBaseInput(InputSource* source);
InputSource* BaseInput();

// Queues a source the host owns (sendStringToExecute, a script): it answers after the sources of
// running InputScopes and before the session's, in the order queued, and is dropped once it has
// nothing left.
void QueueInput(std::unique_ptr<InputSource> source);
void ClearQueuedInput();

// Puts a source on top of the stack for its lifetime.
class InputScope {
public:
    explicit InputScope(InputSource& source);
    ~InputScope();
    InputScope(const InputScope&) = delete;
    InputScope& operator=(const InputScope&) = delete;

private:
    InputSource* source_;
};

// The next answer from the topmost source that has one, echoed when that source echoes. When
// none has, the command prompt gets End and a command's prompt gets Cancel. Every Cancel handed out is counted (CancelCount), so a command's caller can
// tell that it was cancelled.
Input ReadInput(const InputRequest& request);
unsigned long CancelCount();
// Where the last cursor move put the cursor (user coordinates); false when none came yet.
bool LastCursor(ads_point where);
void ForgetCursor();
// The answer from the sources below `above` in the stack (a pause among acedCommand's answers).
Input ReadInputBelow(const InputSource* above, const InputRequest& request);
// True when the answer would come from a person (so prompts are worth showing).
bool InputIsInteractive();

}  // namespace NUVAcad
