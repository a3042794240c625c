// The host's side of the suite's modules: which modules are loaded, and command text queued for
// the current document.
#pragma once

namespace ZQ {

// True when a module of that file name is loaded. The name may carry a folder (ignored) and may
// leave out the extension; names compare ignoring case.
bool IsLoadedArx(const char* name);

// Queues the text as typed input for the current document, run once the host is idle (a command
// and its answers; a blank or a line end ends each). `activate`: make that document the active
// one first. False when there is no current document or the text is null.
bool SendStringToExecute(const char* text, bool activate = true);

}  // namespace ZQ
