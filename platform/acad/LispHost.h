// LispHost: everything the AutoLISP interpreter needs from the program around it (the command
// line, module functions, commands, system variables, files, the editor's prompts and selection
// sets). One host object serves one document's interpreter and is called on the host's thread
// only. Keep the signatures stable: the host program implements them; additions go at the end.
//
// Ownership: chains passed in (`args`, `value`, `filter`, `pt1`) belong to the interpreter and
// are valid for the call only. Chains handed back through a `resbuf**` are allocated by the host
// (acutNewRb/acutBuildList) and released by the interpreter with acutRelRb.
//
// Status codes are the host's (RTNORM, RTNONE, RTCAN, RTERROR, RTREJ, RTKWORD; RSRSLT/RSERR for
// module functions). The defaults below stand for "no editor attached": a prompt answers RTCAN,
// which the interpreter reports as "Function cancelled".
#pragma once

#include "acad/AdsName.h"
#include "acad/AdsTypes.h"
#include "acad/ResBuf.h"
#include "win/CString.h"

class AcDbDatabase;

// Results of a module's function dispatcher.
#ifndef RSRSLT
#define RSRSLT 1  // the function set a result (or none: a void result)
#define RSERR 3   // the function failed; the interpreter raises an AutoLISP error
#endif

namespace NUVAcad {

// A function a module defined with acedDefun: the name as the module wrote it, its code
// (acedGetFunCode during the call) and the host's tag for the module (never dereferenced here).
struct LispExternalFunction {
    CString name;
    int code = 0;
    void* owner = nullptr;
};

class LispHost {
public:
    virtual ~LispHost() = default;

    // --- Output -----------------------------------------------------------------------------
    // Writes GBK text to the command line exactly as given (no line feed added).
    virtual void print(const CString& text) = 0;
    // Shows a message box (alert); the default prints it on the command line.
    virtual void alert(const CString& text) { print(text); }

    // --- Module functions --------------------------------------------------------------------
    // Calls a function defined with acedDefun. `args` is the argument chain (RTSHORT/RTLONG,
    // RTREAL, RTSTR, RTENAME, RTPICKS, RTPOINT/RT3DPOINT, RTLB..RTLE, RTDOTE, RTNIL, RTT; null
    // for no argument). On RSRSLT, *result holds one value (a list as RTLB..RTLE), RTVOID for a
    // void result, or null, read as nil. On RSERR the interpreter raises an AutoLISP error with
    // `error` (or "ADS request error" when `error` stays empty). Any other status is read as RSERR.
    virtual int callExternal(const LispExternalFunction& fn, const resbuf* args, resbuf** result,
                             CString& error) = 0;

    // --- Commands, variables, files ----------------------------------------------------------
    // Runs command input (command / vl-cmdf): strings, numbers, points, names, as the host's
    // acedCommand codes; an empty string is Enter; a null chain cancels the pending command.
    // RTNORM, RTCAN (the interpreter raises "Function cancelled") or RTERROR/RTREJ (vl-cmdf
    // answers nil; command answers nil as well).
    virtual int command(const resbuf* args) { (void)args; return RTERROR; }
    // getvar: RTNORM with *value set (one item), or RTERROR for an unknown variable (nil).
    virtual int getVar(const char* name, resbuf** value) { (void)name; *value = nullptr; return RTERROR; }
    // setvar: RTNORM, or a refusal with the reason in `error` (read-only, unknown, bad value),
    // which the interpreter raises as an AutoLISP error.
    virtual int setVar(const char* name, const resbuf* value, CString& error) {
        (void)name; (void)value; error = CString("variable setting rejected: \"") + name + "\"";
        return RTERROR;
    }
    // findfile / load: true and the real path when the name is found: a path with a folder as
    // given, a bare name along the host's search order (the drawing's folder, the support path,
    // the current folder). Every file the interpreter reads is found here.
    virtual bool findFile(const CString& name, CString& found) = 0;

    // --- Drawing database --------------------------------------------------------------------
    // The document's database: entget, entmake, entnext ... run with it as the working database.
    virtual AcDbDatabase* database() = 0;

    // --- Editor prompts (prompts are GBK; null means no prompt text) --------------------------
    // initget: bits (1 no null, 2 no zero, 4 no negative, ...) and keywords for the next prompt.
    virtual int initGet(int bits, const char* keywords) { (void)bits; (void)keywords; return RTNORM; }
    // getpoint / getcorner (base may be null for getpoint) into result, in user coordinates.
    virtual int getPoint(const ads_real* base, const char* prompt, ads_point result) {
        (void)base; (void)prompt; (void)result; return RTCAN;
    }
    virtual int getCorner(const ads_real* base, const char* prompt, ads_point result) {
        (void)base; (void)prompt; (void)result; return RTCAN;
    }
    virtual int getDist(const ads_real* base, const char* prompt, ads_real* result) {
        (void)base; (void)prompt; (void)result; return RTCAN;
    }
    virtual int getAngle(const ads_real* base, const char* prompt, ads_real* result) {
        (void)base; (void)prompt; (void)result; return RTCAN;
    }
    virtual int getReal(const char* prompt, ads_real* result) { (void)prompt; (void)result; return RTCAN; }
    virtual int getInt(const char* prompt, int* result) { (void)prompt; (void)result; return RTCAN; }
    // allowSpaces nonzero: the text ends at Enter only (getstring with its flag).
    virtual int getString(int allowSpaces, const char* prompt, CString& result) {
        (void)allowSpaces; (void)prompt; (void)result; return RTCAN;
    }
    virtual int getKword(const char* prompt, CString& result) { (void)prompt; (void)result; return RTCAN; }
    // The keyword (or arbitrary text with initget bit 128) after a prompt answered RTKWORD.
    virtual int getInput(CString& result) { (void)result; return RTERROR; }
    // redraw: the whole view (entity null), or one entity in an acedRedraw mode (1 to 4).
    virtual int redraw(const ads_name entity, int mode) { (void)entity; (void)mode; return RTERROR; }
    // entsel: the picked entity and the pick point.
    virtual int entSel(const char* prompt, ads_name entity, ads_point picked) {
        (void)prompt; (void)entity; (void)picked; return RTCAN;
    }

    // --- Selection sets (the host's acedSSGet and friends) -----------------------------------
    // ssget: mode null for the interactive default; pt1/pt2 are ads_real[3] points, or for the
    // point-list modes ("F", "WP", "CP") pt1 is a chain of RT3DPOINT buffers; filter may be null.
    virtual int ssGet(const char* mode, const void* pt1, const void* pt2, const resbuf* filter,
                      ads_name ss) {
        (void)mode; (void)pt1; (void)pt2; (void)filter; (void)ss; return RTCAN;
    }
    // ssadd: entity and set may each be null (a new empty set, a new set of one entity).
    virtual int ssAdd(const ads_name entity, const ads_name ss, ads_name result) {
        (void)entity; (void)ss; (void)result; return RTERROR;
    }
    virtual int ssDel(const ads_name entity, const ads_name ss) { (void)entity; (void)ss; return RTERROR; }
    virtual int ssLength(const ads_name ss, long* length) { (void)ss; *length = 0; return RTERROR; }
    virtual int ssName(const ads_name ss, long index, ads_name entity) {
        (void)ss; (void)index; (void)entity; return RTERROR;
    }
    virtual int ssMemb(const ads_name entity, const ads_name ss) { (void)entity; (void)ss; return RTERROR; }
    // Called once when no AutoLISP value refers to a set any more (the set belongs to the
    // interpreter from the moment it reaches AutoLISP).
    virtual int ssFree(const ads_name ss) { (void)ss; return RTNORM; }
};

}  // namespace NUVAcad
