// The host's side of AutoLISP: one interpreter per document, and what the rest of the host asks
// of it (typed expressions, C: commands, queued expressions, modules' functions coming and going).
#pragma once

#include <string>

class AcApDocument;

namespace NUVAcad {

class LispInterpreter;
struct Module;

// The document's interpreter (null when the document is not open).
LispInterpreter* DocumentLisp(AcApDocument* doc);
// Makes the interpreter of a new document and defines the host's own functions in it.
void LispDocumentCreated(AcApDocument* doc);
void LispDocumentClosing(AcApDocument* doc);
// Evaluates the document's queued expressions (ads_queueexpr). True when there were any.
bool LispRunQueued(AcApDocument* doc);
// The module is gone: its functions leave every document.
void LispModuleUnloaded(Module* m);
// Text typed at the command prompt that begins with "(" or "!", in the current document: the
// value is echoed. RTNORM or RTERROR.
int LispCommandLine(const std::string& gbk);
// A C:NAME function of the current document, run as a command. RTNORM, RTCAN, RTERROR; RTNONE
// when there is no such function.
int LispRunCommandFunction(const std::string& name);
// A new session: acad.lsp is loaded again into the next first document.
void ResetLispSession();
// Asks the evaluation running now (if any) to stop with "Function cancelled" at its next step.
// Safe to call from a signal handler (the user's Ctrl-C).
void InterruptEvaluation();

}  // namespace NUVAcad
