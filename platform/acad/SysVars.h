// System variables: acedGetVar / acedSetVar (and AutoLISP's getvar / setvar) over a table of
// named variables, each with its type (RTSHORT, RTLONG, RTREAL, RTSTR, RTPOINT, RT3DPOINT), a
// reader and, unless it is read-only, a writer that checks the value. Names compare
// case-insensitively. Values live where the host keeps them: the drawing database (CLAYER,
// TEXTSTYLE, ...), the document (LWDISPLAY, USERI1, ...) or the session (CMDECHO, OSMODE, ...).
// Other parts of the host define theirs with DefineSysVar (the display model its view).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "acad/ResBuf.h"

// The value into *result (a string is allocated and belongs to the caller: acutDelString or
// free). RTNORM, or RTERROR for an unknown name.
int acedGetVar(const char* name, resbuf* result);
// RTNORM, or RTERROR for an unknown or read-only variable or a value of the wrong type or out
// of range.
int acedSetVar(const char* name, const resbuf* value);

namespace NUVAcad {

struct SysVar {
    std::string name;  // upper case
    int type = RTSHORT;
    // Fills `out` (a string with acutNewString). False when there is no value now.
    std::function<bool(resbuf& out)> get;
    // Empty for a read-only variable. Takes a value already converted to `type`; returns an empty
    // string on success, else why the value is refused.
    std::function<std::string(const resbuf& value)> set;
};

// Adds or replaces a variable.
void DefineSysVar(SysVar var);
const SysVar* FindSysVar(const char* name);
std::vector<std::string> SysVarNames();

// getvar: a new buffer (release with acutRelRb). RTNORM, or RTERROR for an unknown name.
int GetSysVar(const char* name, resbuf** value);
// setvar: RTNORM, or RTERROR with the reason in `error`.
int SetSysVar(const char* name, const resbuf* value, std::string& error);

// The session's values back to their defaults (a new session).
void ResetSessionVariables();
// CMDECHO: whether acedCommand's answers are echoed.
bool CommandEcho();

}  // namespace NUVAcad
