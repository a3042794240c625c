// LispInterpreter: one document's AutoLISP interpreter, as the host program drives it. Symbols,
// functions and variables live in the instance; nothing is shared between instances, and there is
// no global mutable state, so each document owns one interpreter and the host's single thread
// calls it (re-entrant calls from module functions, acedInvoke and acedPutSym, are fine).
//
// Every entry point reports errors the AutoLISP way: a failed evaluation prints "; error: " and
// the message on the command line (or calls the user's *error* function with the message),
// unwinds every binding, and returns RTERROR. Nothing fed to the interpreter crashes the host:
// recursion stops at kMaxDepth nested calls or before the stack runs short, and an optional
// step limit bounds the work.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>

#include "acad/LispHost.h"

namespace NUVAcad {

class LispMachine;

class LispInterpreter {
public:
    // Nested evaluations (function calls, nested forms) allowed before "internal stack limit
    // reached (simulated)". The thread's C stack is watched too: an evaluation also stops when
    // less than 1 MB of it would remain, so a small stack or the sanitizers' larger frames end
    // deep recursion early instead of crashing.
    static constexpr int kMaxDepth = 20000;

    explicit LispInterpreter(LispHost& host);
    ~LispInterpreter();
    LispInterpreter(const LispInterpreter&) = delete;
    LispInterpreter& operator=(const LispInterpreter&) = delete;

    // Reads and evaluates every expression of the text in order. RTNORM with the last value in
    // *result (when result is not null; nil comes back as RTNIL, a void result as RTVOID, a
    // function, which has no resbuf form, as null), or RTERROR after the error was reported.
    int evaluate(const CString& text, resbuf** result = nullptr);

    // The text as typed at the command line: an expression (or several; the last one's value
    // counts), or "!" and an expression. The value is echoed prin1-style (nothing for a void
    // result or the silent symbol that (princ) returns). RTNORM or RTERROR.
    int evaluateCommandLine(const CString& text);

    // False while the text ends inside a list, a string or a block comment, so the command line
    // knows to read another line before evaluating.
    static bool isInputComplete(const CString& text);

    // (load name): the file is found as given or along the host's search order (".lsp" is
    // appended to a name without an extension); its expressions are evaluated in order and the
    // last value is returned. RTNORM, or RTERROR ("LOAD failed: ..." when the file is missing).
    int loadFile(const CString& name, resbuf** result = nullptr);

    // acedDefun / acedUndef. The symbol `name` (case-insensitive) becomes an external function
    // that calls LispHost::callExternal with this name, code and owner. RTNORM, or RTERROR for an
    // empty name. Undefining removes the definition only when the symbol still holds that code
    // (RTNORM), else RTERROR.
    int defineExternal(const char* name, int code, void* owner);
    int undefineExternal(const char* name, int code);
    // Removes every external function of one module (it is being unloaded).
    void undefineExternalsOf(void* owner);
    // True when the symbol's value can be called (a built-in, a defun, an external function, a
    // lambda list): the host's "C:NAME" command lookup.
    bool isFunction(const char* name) const;

    // acedPutSym / acedGetSym: a symbol's value as one resbuf value (a list as RTLB..RTLE, nil
    // as RTNIL). RTNORM, or RTERROR for an empty name or a value that has no resbuf form.
    int putSymbol(const char* name, const resbuf* value);
    int getSymbol(const char* name, resbuf** value);

    // acedInvoke: the first item names the function (RTSTR), the rest are its arguments.
    // RTNORM with the value, or RTERROR after the error was reported.
    int invoke(const resbuf* args, resbuf** result);

    // ads_queueexpr: expressions the host evaluates, in the order queued, once the document is
    // idle (runQueuedExpressions does so, as if typed at the command line).
    void queueExpression(const CString& text);
    bool hasQueuedExpressions() const;
    void runQueuedExpressions();

    // True while an evaluation runs (documents must not be switched then).
    bool isEvaluating() const;

    // Bounds each top-level evaluation to `steps` evaluation steps (0: no bound); beyond it the
    // evaluation fails with "evaluation step limit reached". Allocation counts as steps too, so
    // the limit bounds memory as well.
    void setStepLimit(std::uint64_t steps);
    // Lowers the nesting limit (1 .. kMaxDepth) for later evaluations.
    void setDepthLimit(int depth);
    // Asks the running evaluation to stop at its next step with "Function cancelled" (the
    // user's Escape or Ctrl-C); harmless when nothing runs. Async-signal-safe, so a signal
    // handler on the evaluating thread may call it.
    void requestCancel();

    // The engine, for the conversions and built-ins that work on interpreter values.
    LispMachine& machine() { return *machine_; }

private:
    int finish(bool ok, const void* value, resbuf** result);

    std::unique_ptr<LispMachine> machine_;
    std::deque<CString> queue_;
};

}  // namespace NUVAcad
