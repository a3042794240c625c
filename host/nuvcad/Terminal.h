// nuvcad's terminal: the session's input (GNU readline with history when stdin is a terminal,
// plain lines from a pipe otherwise) and the command line's output drawn around readline's
// prompt. While readline waits, due timers are delivered, so the prompt stays usable while they
// run. Text crosses here: GBK inside, the terminal's encoding outside; a typed line GBK cannot
// hold is refused and asked for again.
#pragma once

#include <string>

#include "acad/AcEdOutput.h"
#include "acad/InputSource.h"

namespace NUVCad {

class TerminalInput : public NUVAcad::TextInput {
public:
    explicit TerminalInput(bool interactive);
    ~TerminalInput() override;
    bool interactive() const override { return interactive_; }
    // Lines from a pipe are shown after their prompt, as a script's are.
    bool echoes() const override { return !interactive_; }

protected:
    LineStatus readLine(const std::string& prompt, std::string& line) override;
    bool moreLines() const override { return !eof_; }

private:
    LineStatus readInteractive(const std::string& prompt, std::string& line);
    bool interactive_;
    bool eof_ = false;
};

class TerminalOutput : public NUVAcad::OutputSink {
public:
    void write(std::string_view gbk) override;
    void alert(std::string_view gbk) override;
    // Ends the last line when something is left on it.
    void finish();
};

// The history file ($XDG_STATE_HOME/nuv/nuvcad_history or ~/.local/state/nuv/...).
void LoadHistory();
void SaveHistory();

}  // namespace NUVCad
