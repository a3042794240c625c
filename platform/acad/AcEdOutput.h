// The command line's output side: acutPrintf, acedPrompt and acedAlert. Text is GBK inside; the
// sink at the edge decides where it goes (the terminal, converted to its encoding, by default;
// the exact bytes in a capture for tests; readline's screen in nuvcad).
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// printf-style text to the command line. Returns the number of bytes written.
int acutPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The text as it is. RTNORM.
int acedPrompt(const char* text);
// A message the user must acknowledge: a message box on the host, shown through the sink
// (printed on the command line by default). RTNORM.
int acedAlert(const char* text);

namespace NUVAcad {

class OutputSink {
public:
    virtual ~OutputSink() = default;
    virtual void write(std::string_view gbk) = 0;
    virtual void alert(std::string_view gbk);
};

// Installs a sink (null: the terminal again) and returns the one it replaces. The host does not
// own sinks.
OutputSink* SetOutputSink(OutputSink* sink);
// Writes through the current sink (what acedPrompt does, without a format).
void WriteOutput(std::string_view gbk);
// True when nothing was written yet or the last byte written was a line feed.
bool OutputAtLineStart();

// The terminal sink: GBK converted to the terminal's encoding on stdout; an alert is printed as
// "** text **" on a line of its own.
class TerminalOutput : public OutputSink {
public:
    void write(std::string_view gbk) override;
    void alert(std::string_view gbk) override;
};

// Captures everything written while it lives (tests): the exact GBK bytes and each alert.
class OutputCapture : public OutputSink {
public:
    OutputCapture();
    ~OutputCapture() override;
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    void write(std::string_view gbk) override { text_.append(gbk); }
    void alert(std::string_view gbk) override { alerts_.emplace_back(gbk); }
    const std::string& text() const { return text_; }
    const std::vector<std::string>& alerts() const { return alerts_; }
    // The text so far, emptied.
    std::string take() { return std::exchange(text_, std::string()); }

private:
    std::string text_;
    std::vector<std::string> alerts_;
    OutputSink* previous_;
};

}  // namespace NUVAcad
