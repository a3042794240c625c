// Shared by the tests that ask an outside program about what the project wrote (a peer reader,
// the sqlite3 shell, a tool under test): runs a shell command line and keeps what it printed.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace NUVTest {

struct CommandOutput {
    int status = -1;  // the exit code; -1 when the command could not start or was killed
    std::string out;  // standard output, byte for byte (redirect 2>&1 in the command for errors)
};

// One word for the shell whatever it holds: single-quoted, an inner quote written as '\''.
inline std::string ShellWord(std::string_view text) {
    std::string word = "'";
    for (char c : text) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

// Runs `command` through /bin/sh and waits for it.
inline CommandOutput RunCommand(const std::string& command) {
    CommandOutput r;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    const int rc = pclose(p);
    r.status = rc != -1 && WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return r;
}

}  // namespace NUVTest
