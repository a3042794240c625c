// The suite's settings: string values of the user's registry key (ZQ::GetSoftRegItem() under
// HKEY_CURRENT_USER), and seven named settings. Four of them (scale, both text heights, decimal
// digits) live at two levels: a drawing's own record in its "NUVSetting" dictionary wins; a
// drawing without one takes the user's value, which every setter writes too, so the last value
// set anywhere is the default for drawings that have none of their own.
//
// Numbers are stored as text: integers "%d", reals "%f" (3.5 is "3.500000"); reading takes the
// leading number of the text (0 when there is none, or for "inf" and "nan").
#pragma once

#include "win/CString.h"

namespace NUV {

// ---- User key values ----
// 1 with the value; 0 with the output unchanged when the value is absent (or not a string).
int GetNUVKey(const char* name, CString& value);
int GetNUVKey(const char* name, double& value);
int GetNUVKey(const char* name, int& value);
// Copies the value and its terminating zero only when its length is smaller than `size`: 1;
// 0 with the buffer untouched when the value is absent or too long (or the buffer is null).
int GetNUVKey(const char* name, char* buffer, unsigned size);
// 1 when stored.
int SetNUVKey(const char* name, const char* value);
int SetNUVKey(const char* name, const double& value);
int SetNUVKey(const char* name, const int& value);

// The project name: user value "PrjName" (no default here; see GetNUVPrjPath).
int GetNUVPrjName(CString& name);

// ---- Named settings ----
// Getters return the value; setters return the user-key write's result (the drawing record is
// written first, and its result is not returned). A rejected value stores nothing and gives 0.
//
//   setting                  drawing record       user value    getter default          setter
//   drawing scale (1:n)      NUVScale (1070)      "scale"       absent or < 1: 100      < 1 rejected
//   Chinese text height      NUVZwTextHigh (1040) "texthigh"    absent or <= 0: 3.5     <= 0 rejected
//   Western text height      NUVXwTextHigh (1040) "xwtexthigh"  absent or <= 0: 2.5     <= 0 rejected
//   decimal digits           NUVDecDig (1070)     "NUVDecDig"   absent or < 0: 0        < 0 stores 0
//   duct branch outlet       -                    "fgflc"       absent: 1.0; < 0: 0.0   < 0 rejected
//   air-conditioning Lg      -                    "ktlgzj"      absent or < 0: 1.0      < 0 stores 1.0
//   air-conditioning Sg      -                    "ktsgzj"      absent or < 0: 1.5      < 0 stores 1.5
//
// A real setter also rejects infinity and NaN (the factors store their default instead).
int GetNUVScale();
int SetNUVScale(int scale);
double GetNUVZwTextHigh();
int SetNUVZwTextHigh(double height);
double GetNUVXwTextHigh();
int SetNUVXwTextHigh(double height);
int GetNUVDecDig();
int SetNUVDecDig(int digits);
double GetWindPipeFLOutLength();
int SetWindPipeFLOutLength(double length);
double GetNUVKTLgZj();
int SetNUVKTLgZj(double factor);
double GetNUVKTSgZj();
int SetNUVKTSgZj(double factor);

}  // namespace NUV
