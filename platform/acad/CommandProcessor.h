// Running commands: the command prompt's dispatcher, the command loop, and acedCommand /
// acedCmd, through which modules and AutoLISP drive commands with the host's argument codes.
//
// A typed command name may carry the host's prefixes: "_" (the global name), "." (the host's
// built-in command even where a module's has the same name), "'" (transparent: inside another
// command) and "-" (the command-line form; part of the name, and dropped when only the plain
// name exists). acedCommand feeds its arguments as answers; a command that wants more than it
// was given goes on with the input below it (the user's, a script's).
#pragma once

#include <string>

#include "acad/InputSource.h"
#include "acad/ResBuf.h"

// Arguments in (code, value) pairs ended by 0: RTSTR (const char*, "" is Enter, "\\" a pause for
// the user's answer), RTPOINT / RT3DPOINT (ads_point), RTREAL / RTANG (double; an angle in
// radians), RTSHORT (int), RTLONG (long), RTENAME / RTPICKS (ads_name), RTNONE (Enter).
// RTNORM; RTCAN when a command was cancelled; RTERROR for an unknown command or argument code
// (nothing is run for a bad code).
int acedCommand(int rtype, ...);
// The same from a chain.
int acedCmd(const resbuf* rbp);

namespace NUVAcad {

// Runs a command by the name as typed, reading its answers with ReadInput. transparentRequest:
// typed with "'" at another command's prompt (refused for commands that are not transparent).
// RTNORM, RTCAN when it was cancelled, RTERROR when there is no such command (printed).
int RunCommand(const std::string& typed);
// Handles one answer given at the command prompt: a command, an AutoLISP expression ("(" or
// "!"), Enter (repeats the last command) or cancel.
int ExecuteCommandInput(const Input& in);
// Reads and runs commands until QUIT or until no source has input left. Returns the status QUIT
// asked for (0 at the end of the input).
int RunCommandLoop();

void RequestQuit(int status = 0);
bool QuitRequested();
// Forgets a quit request (a new session).
void ClearQuit();

// Commands running now (innermost last), for CMDACTIVE and CMDNAMES.
int CommandDepth();
std::string ActiveCommandNames();
bool TransparentCommandActive();

}  // namespace NUVAcad
