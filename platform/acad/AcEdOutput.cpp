// Output to the command line through the current sink.
#include "acad/AcEdOutput.h"

#include <cstdarg>
#include <cstdio>
#include <utility>

#include "acad/AdsTypes.h"
#include "win/Encoding.h"

namespace NUVAcad {
namespace {
TerminalOutput terminal;
OutputSink* current = nullptr;
bool atLineStart = true;

OutputSink& Sink() { return current ? *current : terminal; }
}  // namespace

void OutputSink::alert(std::string_view gbk) {
    write("\n");
    write(gbk);
    write("\n");
}

OutputSink* SetOutputSink(OutputSink* sink) { return std::exchange(current, sink); }

void WriteOutput(std::string_view gbk) {
    if (gbk.empty()) return;
    atLineStart = gbk.back() == '\n';
    Sink().write(gbk);
}

bool OutputAtLineStart() { return atLineStart; }

void TerminalOutput::write(std::string_view gbk) {
    std::string out = NUVWin::GbkToTerminal(gbk);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

void TerminalOutput::alert(std::string_view gbk) {
    std::string line = "\n** ";
    line.append(gbk);
    line += " **\n";
    write(line);
}

OutputCapture::OutputCapture() : previous_(SetOutputSink(this)) {}

OutputCapture::~OutputCapture() { SetOutputSink(previous_); }

}  // namespace NUVAcad

int acutPrintf(const char* format, ...) {
    if (!format) return 0;
    va_list ap;
    va_start(ap, format);
    va_list copy;
    va_copy(copy, ap);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n <= 0) {
        va_end(ap);
        return n < 0 ? 0 : n;
    }
    std::string text(static_cast<std::size_t>(n), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, ap);
    va_end(ap);
    NUVAcad::WriteOutput(text);
    return n;
}

int acedPrompt(const char* text) {
    if (text) NUVAcad::WriteOutput(text);
    return RTNORM;
}

int acedAlert(const char* text) {
    NUVAcad::Sink().alert(text ? text : "");
    NUVAcad::atLineStart = true;
    return RTNORM;
}
