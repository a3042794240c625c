// The editor's prompts: acedGetPoint ... acedGetKword, acedInitGet and acedGetInput. Each reads
// answers with ReadInput until one fits, printing the host's message and asking again for one
// that does not. Results: RTNORM with the value; RTNONE for Enter (unless acedInitGet bit 1
// forbids it; acedGetString answers Enter with RTNORM and ""); RTKWORD when a keyword of the
// acedInitGet list (or, with bit 128, any text) was given, read it with acedGetInput; RTCAN on
// cancel or when no input is left; RTERROR for a missing result pointer, or a corner or a
// second point asked without its base point.
//
// acedInitGet settings apply to the next prompt only. Points are in the current UCS; typed ones
// may be x,y[,z], *x,y (world), @dx,dy[,dz], dist<angle, @dist<angle, @ (the last point, or
// the base point when there is one), or a distance along an "<angle" override. Angles are typed
// in degrees (or with d/r/g, or as 45d30'15"), counted from ANGBASE in the ANGDIR direction.
#pragma once

#include <string>

#include "acad/AdsTypes.h"

// acedInitGet bits.
#define RSG_NONULL 0x0001
#define RSG_NOZERO 0x0002
#define RSG_NONEG 0x0004
#define RSG_NOLIM 0x0008
#define RSG_GETZ 0x0010
#define RSG_DASH 0x0020
#define RSG_2D 0x0040
#define RSG_OTHER 0x0080
#define RSG_DDISTFIRST 0x0100

int acedInitGet(int val, const char* kwl);
int acedGetPoint(const ads_point pt, const char* prompt, ads_point result);
int acedGetCorner(const ads_point pt, const char* prompt, ads_point result);
int acedGetDist(const ads_point pt, const char* prompt, ads_real* result);
// Radians counter-clockwise, counted from ANGBASE.
int acedGetAngle(const ads_point pt, const char* prompt, ads_real* result);
// Radians counter-clockwise from the X axis of the UCS, whatever ANGBASE is.
int acedGetOrient(const ads_point pt, const char* prompt, ads_real* result);
// -32768 to 32767.
int acedGetInt(const char* prompt, int* result);
int acedGetReal(const char* prompt, ads_real* result);
// cronly nonzero: the answer may hold spaces and ends at Enter. The result buffer holds 133
// bytes (132 and the terminating zero), or `bufsize`; a longer answer is cut at a character
// boundary and RTINPUTTRUNCATED returned.
int acedGetString(int cronly, const char* prompt, char* result);
int acedGetString(int cronly, const char* prompt, char* result, size_t bufsize);
// The keyword (its global name when the list has them) into result (133 bytes, or bufsize).
int acedGetKword(const char* prompt, char* result);
int acedGetKword(const char* prompt, char* result, size_t bufsize);
// The keyword or arbitrary text of the last prompt that returned RTKWORD. RTNORM; RTERROR when
// the last prompt gave no keyword.
int acedGetInput(char* str);
int acedGetInput(char* str, size_t bufsize);

namespace NUVAcad {

// The same prompts with unbounded text results (AutoLISP, jigs, commands).
int GetStringPrompt(bool allowSpaces, const char* prompt, std::string& result);
int GetKwordPrompt(const char* prompt, std::string& result);
int GetLastKeyword(std::string& result);
// Records a keyword answer (acedGetInput then returns it).
void SetLastKeyword(const std::string& keyword);

// The host's messages for answers a prompt cannot take, printed on a line of their own.
void PromptMessage(const char* text);

// A pending acedInitGet, taken by the prompt that uses it.
struct InitGetSettings {
    int bits = 0;
    std::string keywords;
};
InitGetSettings TakeInitGet();
// Forgets a pending acedInitGet and the last keyword (a new session).
void ResetPrompts();

}  // namespace NUVAcad
