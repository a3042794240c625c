#pragma once
// The host's wildcard matching of a string against a comma-separated list of patterns.
#include "acad/AdsTypes.h"

// RTNORM when str matches at least one pattern of the list, else RTERROR (also for a null
// argument). Pattern characters:
//   *  any run of characters, also none        ?  any one character
//   #  one digit                                @  one letter
//   .  one character that is neither letter nor digit
//   [abc] [a-z]  one of the characters          [~abc]  one character not among them
//   ~  at the start of a pattern: anything the rest does not match
//   `  takes the next character literally       ,  separates patterns
// Letter case counts; callers that want to ignore it upper-case both sides. A GBK double-byte
// character counts as one character (and as neither letter nor digit).
int acutWcMatch(const char* str, const char* pattern);
