// The host's session from start to end, for nuvcad and for tests: the session's own commands,
// the start-up list of modules, and an orderly end (documents closed with their modules told,
// modules unloaded last first, timers and queued work dropped) after which a new session can
// start as if the process were new.
#pragma once

#include <string>
#include <vector>

namespace NUVAcad {

// Registers the session's commands (QUIT, OPEN, NEW, CLOSE, ARX, DELAY). Safe to call again.
void StartSession();
// Closes every document without saving, unloads every module, kills every timer, forgets queued
// input, expressions and application-context calls, the quit request, document numbering and
// session variables.
void EndSession();

// The start-up list: startup.txt in the installation folder, one module per line (relative to
// the installation folder unless absolute; blank lines and lines starting with "#" or ";" are
// skipped).
std::string StartupListPath();
// Loads the modules of the start-up list in order. False when the list names a module that
// cannot be loaded (each failure is appended to `failures` as "line N: name: reason"). A missing
// list is no failure.
bool LoadStartupModules(std::vector<std::string>& failures);

}  // namespace NUVAcad
