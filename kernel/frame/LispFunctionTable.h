// The kernel's AutoLISP functions: a fixed table whose row number (1 to 19) is the function code
// given to the host. The rows are defined in every document as it loads and undefined when it
// closes; the host's calls come back through the entry point and are dispatched here by code.
// The order of the rows is part of the interface: never reorder them.
#pragma once

namespace NUV {

struct LispFunctionRow {
    const char* name;   // exactly as registered, case included
    int (*handler)();   // reads acedGetArgs, sets its result or prints its help; RTNORM
    int registerFunc;   // also register the handler with acedRegFunc (no row does)
    int reserved;
};

inline constexpr int kLispFunctionCount = 19;

// Row `code` (1 to kLispFunctionCount), or null outside the table.
const LispFunctionRow* LispFunction(int code);

// Defines every row in the current document, in code order. RTNORM; RTERROR at the first
// definition the host refuses, the later rows left undefined.
int DefineLispFunctions();
// Undefines every row in the current document.
void UndefineLispFunctions();
// Handles an AutoLISP call: a void result first, then the row of acedGetFunCode(). RSRSLT when the
// handler returned RTNORM, RSERR otherwise (also for a code outside the table).
int DispatchLispFunction();

}  // namespace NUV
