// The host's own commands, next to the modules' command stack: the session's (QUIT, OPEN, NEW,
// CLOSE, ARX, DELAY) and the editor's (LINE, ERASE, ZOOM, ...), which register here as they are
// written. A built-in command reads its answers with ReadInput or the editor's prompts and
// returns RTNORM, RTCAN when the user cancelled, or RTERROR.
//
// Lookup order when a command is typed: the modules' commands (top group first), then these,
// then AutoLISP functions named C:NAME. A "." prefix skips the modules' commands.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace NUVAcad {

struct BuiltinCommand {
    std::string name;  // as typed, upper case ASCII; a leading "-" is part of the name (-LAYER)
    int flags = 0;     // ACRX_CMD_TRANSPARENT for commands that may run inside another
    std::function<int()> run;
    std::string help;  // one line for the command list
    // Runs in the application context when typed at the command prompt (it opens, creates or
    // closes documents), not in the document's.
    bool session = false;
};

// Adds a command, replacing one of the same name.
void RegisterBuiltinCommand(BuiltinCommand command);
bool UnregisterBuiltinCommand(const char* name);
// Case-insensitive; null when there is none.
const BuiltinCommand* FindBuiltinCommand(const char* name);
// Sorted by name.
std::vector<const BuiltinCommand*> BuiltinCommands();

}  // namespace NUVAcad
