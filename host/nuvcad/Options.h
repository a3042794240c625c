// nuvcad's command line: drawings to open, modules to load, a script, AutoLISP expressions.
#pragma once

#include <string>
#include <vector>

namespace NUVCad {

struct Options {
    std::vector<std::string> drawings;  // in the terminal's encoding, as given
    std::vector<std::string> modules;
    std::vector<std::string> lisp;
    std::string script;
    std::string png;        // a picture of the current view at the end
    std::string pngFrames;  // a folder for one picture per change of the screen
    bool help = false;
};

// False with the reason in `error` for a command line that cannot be used.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);
const char* Usage();

}  // namespace NUVCad
