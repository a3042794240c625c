// readline in its callback form, so the wait for a key can also wait for the next timer.
#include "Terminal.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sys/select.h>
#include <unistd.h>

#include <readline/history.h>
#include <readline/readline.h>

#include "acad/HostLisp.h"
#include "acad/HostText.h"
#include "acad/MessageLoop.h"
#include "win/Encoding.h"
#include "win/FileSystem.h"

namespace NUVCad {
namespace {

volatile std::sig_atomic_t interrupted = 0;
bool readlineActive = false;
bool atLineStart = true;
std::string typed;
bool gotLine = false;
bool gotEof = false;

void OnInterrupt(int) {
    interrupted = 1;
    NUVAcad::InterruptEvaluation();
}

void OnLine(char* line) {
    if (!line) {
        gotEof = true;
    } else {
        typed = line;
        gotLine = true;
        std::free(line);
    }
    rl_callback_handler_remove();
    readlineActive = false;
}

void RawWrite(const std::string& text) {
    if (text.empty()) return;
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    atLineStart = text.back() == '\n';
}

std::string HistoryPath() {
    const char* state = std::getenv("XDG_STATE_HOME");
    std::string base;
    if (state && *state) base = state;
    else if (const char* home = std::getenv("HOME"); home && *home) base = std::string(home) + "/.local/state";
    else return std::string();
    return base + "/nuv/nuvcad_history";
}

constexpr int kHistoryKept = 1000;

}  // namespace

// ---- Output ----

void TerminalOutput::write(std::string_view gbk) {
    std::string text = NUVWin::GbkToTerminal(gbk);
    // Prompts and messages begin with a line feed to start on a line of their own; one that
    // arrives at the start of a line would only leave a blank line.
    if (atLineStart && !text.empty() && text[0] == '\n') text.erase(0, 1);
    if (text.empty()) return;
    if (!readlineActive) {
        RawWrite(text);
        return;
    }
    // Something printed while readline waits (a timer's output): take the prompt and the typed
    // text off the screen, print, and put them back below.
    int point = rl_point;
    char* line = rl_copy_text(0, rl_end);
    rl_save_prompt();
    rl_replace_line("", 0);
    rl_redisplay();
    std::fputs("\r", stdout);
    if (text.back() != '\n') text += '\n';
    RawWrite(text);
    rl_restore_prompt();
    rl_replace_line(line, 0);
    rl_point = point;
    std::free(line);
    rl_forced_update_display();
}

void TerminalOutput::alert(std::string_view gbk) {
    std::string box = "\n** ";
    box.append(gbk);
    box += " **\n";
    write(box);
}

void TerminalOutput::finish() {
    if (!atLineStart) RawWrite("\n");
}

// ---- Input ----

TerminalInput::TerminalInput(bool interactive) : interactive_(interactive) {
    if (!interactive_) return;
    rl_catch_signals = 0;
    rl_catch_sigwinch = 1;
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no restart: select returns at once
    sigaction(SIGINT, &sa, nullptr);
}

TerminalInput::~TerminalInput() {
    if (readlineActive) rl_callback_handler_remove();
    readlineActive = false;
}

TerminalInput::LineStatus TerminalInput::readLine(const std::string& prompt, std::string& line) {
    // The prompt's lines before its last are output; readline shows the last one.
    std::size_t nl = prompt.find_last_of('\n');
    std::string head = nl == std::string::npos ? std::string() : prompt.substr(0, nl + 1);
    std::string tail = nl == std::string::npos ? prompt : prompt.substr(nl + 1);
    if (!head.empty()) NUVAcad::WriteOutput(head);
    if (interactive_) return readInteractive(tail, line);
    for (;;) {
        std::string raw;
        if (!std::getline(std::cin, raw)) {
            eof_ = true;
            return LineStatus::End;
        }
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        std::string error;
        if (NUVAcad::TerminalLineToGbk(raw, line, error)) return LineStatus::Line;
        std::fprintf(stderr, "nuvcad: standard input: %s; line skipped\n", error.c_str());
    }
}

TerminalInput::LineStatus TerminalInput::readInteractive(const std::string& gbkPrompt, std::string& line) {
    const std::string prompt = NUVWin::GbkToTerminal(gbkPrompt);
    interrupted = 0;
    for (;;) {
        gotLine = gotEof = false;
        rl_callback_handler_install(prompt.c_str(), OnLine);
        readlineActive = true;
        atLineStart = false;
        while (!gotLine && !gotEof) {
            if (interrupted) {
                interrupted = 0;
                rl_free_line_state();
                rl_callback_sigcleanup();
                rl_callback_handler_remove();
                readlineActive = false;
                RawWrite("*Cancel*\n");
                return LineStatus::Cancel;
            }
            long wait = NUVAcad::MillisecondsToNextTimer();
            fd_set fds;
            FD_ZERO(&fds);
            FD_SET(STDIN_FILENO, &fds);
            timeval tv{wait / 1000, (wait % 1000) * 1000};
            int r = ::select(STDIN_FILENO + 1, &fds, nullptr, nullptr, wait < 0 ? nullptr : &tv);
            if (r < 0) {
                if (errno == EINTR) continue;
                gotEof = true;
                break;
            }
            if (r == 0) {
                NUVAcad::DispatchTimers();
                continue;
            }
            rl_callback_read_char();
        }
        atLineStart = true;
        if (gotEof) {
            if (readlineActive) rl_callback_handler_remove();
            readlineActive = false;
            RawWrite("\n");
            eof_ = true;
            return LineStatus::End;
        }
        std::string error;
        if (!NUVAcad::TerminalLineToGbk(typed, line, error)) {
            RawWrite("** " + error + " **\n");
            continue;
        }
        if (!typed.empty()) {
            HIST_ENTRY* last = history_length > 0 ? history_get(history_base + history_length - 1) : nullptr;
            if (!last || typed != last->line) add_history(typed.c_str());
        }
        return LineStatus::Line;
    }
}

// ---- History ----

void LoadHistory() {
    std::string path = HistoryPath();
    std::string bytes;
    if (path.empty() || !NUVWin::ReadNativeFile(path, bytes)) return;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t nl = bytes.find('\n', start);
        std::string entry = bytes.substr(start, (nl == std::string::npos ? bytes.size() : nl) - start);
        if (!entry.empty()) add_history(entry.c_str());
        start = nl == std::string::npos ? bytes.size() : nl + 1;
    }
}

void SaveHistory() {
    std::string path = HistoryPath();
    if (path.empty() || history_length == 0) return;
    std::string text;
    int first = std::max(0, history_length - kHistoryKept);
    for (int i = first; i < history_length; ++i)
        if (HIST_ENTRY* e = history_get(history_base + i)) {
            text += e->line;
            text += '\n';
        }
    std::string folder = path.substr(0, path.find_last_of('/'));
    if (!NUVWin::MakeNativeFolders(folder) || !NUVWin::WriteNativeFileAtomic(path, text))
        std::fprintf(stderr, "nuvcad: cannot keep the command history in %s\n", path.c_str());
}

}  // namespace NUVCad
