#pragma once
// The host's plain C types for reals and points handed through the entity-name and AutoLISP
// layers, and the status codes its C functions return. A point is three doubles (x, y, z);
// functions take it as a pointer.

typedef double ads_real;
typedef ads_real ads_point[3];
typedef ads_real* ads_pointp;

// Indices into an ads_point.
enum { X = 0, Y = 1, Z = 2 };

// Result codes of the host's C functions (user input, entity names, wildcard matching).
#define RTNORM 5100            // success
#define RTNONE 5000            // no result / empty input
#define RTREJ (-5003)          // request rejected
#define RTFAIL (-5004)         // link or call failure
#define RTERROR (-5001)        // error (also "no match" for wildcard matching)
#define RTCAN (-5002)          // cancelled by the user
#define RTKWORD (-5005)        // a keyword was entered
#define RTINPUTTRUNCATED (-5008)
