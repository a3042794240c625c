// AutoLISP functions defined by modules, and the calls a module makes while one of them runs.
//
// acedDefun(name, code) defines a function in the current document's AutoLISP, owned by the
// calling module. When AutoLISP calls it, the host sends that module kInvkSubrMsg with the
// document current: the module reads acedGetFunCode() and acedGetArgs() (the arguments as a
// resbuf chain: RTSHORT for integers in 16-bit range, RTLONG beyond, RTREAL, RTSTR, RTENAME,
// RTPICKS, RTPOINT / RT3DPOINT, lists between RTLB and RTLE, RTDOTE, RTNIL, RTT) and sets the
// value with one of the acedRet functions (nil when it sets none). An entry point that answers
// the message with kRetError (RSERR) raises an AutoLISP error.
#pragma once

#include "acad/AdsName.h"
#include "acad/AdsTypes.h"
#include "acad/ResBuf.h"

// Results of a module's function dispatcher.
#ifndef RSRSLT
#define RSRSLT 1
#define RSERR 3
#endif

// RTNORM, or RTERROR (no document, no calling module, an empty name).
int acedDefun(const char* name, int funcNumber);
// RTNORM when the name was defined with that code by the caller, else RTERROR.
int acedUndef(const char* name, int funcNumber);
// The code of the function being called (inside kInvkSubrMsg), or -1.
int acedGetFunCode();
// The arguments of the call (the host's; valid until the call returns). Null without arguments.
resbuf* acedGetArgs();

int acedRetVoid();
int acedRetNil();
int acedRetT();
int acedRetInt(int value);
int acedRetReal(ads_real value);
int acedRetStr(const char* value);
int acedRetPoint(const ads_point value);
// type: RTENAME or RTPICKS.
int acedRetName(const ads_name value, int type);
// A list (the chain is copied).
int acedRetList(const resbuf* list);
// One value (copied).
int acedRetVal(const resbuf* value);

// Calls `handler` directly for the function code instead of sending kInvkSubrMsg; it returns
// RTNORM for success. RTNORM, or RTERROR without a calling module.
int acedRegFunc(int (*handler)(), int funcNumber);

// Calls an AutoLISP function (or a module's) of the current document: the first buffer names it
// (RTSTR), the rest are the arguments. RTNORM with *result (release with acutRelRb), or RTERROR.
int acedInvoke(const resbuf* args, resbuf** result);
// Sets / reads an AutoLISP symbol of the current document (a list as RTLB..RTLE).
int acedPutSym(const char* name, resbuf* value);
int acedGetSym(const char* name, resbuf** value);
// Queues an expression that the current document evaluates once it is idle, in the order
// queued. RTNORM, or RTERROR without a document.
int ads_queueexpr(const char* expression);

namespace NUVAcad {

struct Module;

// Calls function `code` of the module as AutoLISP does (kInvkSubrMsg, or the acedRegFunc
// handler) with `args`. RSRSLT with *result (a value, RTVOID, or null for nil; the caller
// releases it), or RSERR.
int CallModuleFunction(Module* m, int code, const resbuf* args, resbuf** result);

}  // namespace NUVAcad
