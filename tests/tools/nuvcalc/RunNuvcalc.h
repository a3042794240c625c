// Runs the built nuvcalc as a user does: arguments, optional standard input, and the captured
// standard output, standard error and exit status. Also runs Python peers the same way.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "TempDir.h"

struct Result {
    int status = -1;
    std::string out, err;
};

// stdout and stderr go to files in `dir`; stdin comes from `input` (a file path) or /dev/null.
inline Result Exec(const TempDir& dir, const std::string& program, const std::vector<std::string>& args,
                   const std::string& input = "/dev/null") {
    const std::string outPath = dir.File(".out"), errPath = dir.File(".err");
    const pid_t pid = fork();
    if (pid == 0) {
        const int i = open(input.c_str(), O_RDONLY);
        const int o = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(i, 0);
        dup2(o, 1);
        dup2(e, 2);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int st = 0;
    waitpid(pid, &st, 0);
    Result r;
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.out = ReadAll(outPath);
    r.err = ReadAll(errPath);
    return r;
}

inline std::string NuvcalcProgram() {
    const char* bin = std::getenv("NUV_BINARY_DIR");
    return std::string(bin ? bin : ".") + "/bin/nuvcalc";
}

inline std::string Source(const std::string& rel) {
    const char* src = std::getenv("NUV_SOURCE_DIR");
    return std::string(src ? src : ".") + "/" + rel;
}

// Runs a Python snippet (the real json, csv and openpyxl modules as peers); the arguments follow
// the snippet in sys.argv.
inline Result Python(const TempDir& dir, const std::string& code, const std::vector<std::string>& args) {
    std::vector<std::string> all{"-c", code};
    all.insert(all.end(), args.begin(), args.end());
    return Exec(dir, "/usr/bin/python3", all);
}
