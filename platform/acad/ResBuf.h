// Result buffers: the host's linked lists of typed values, used for entity data lists, extended
// data, extended records and AutoLISP arguments. A buffer's type (restype) is either one of the
// RT codes below or a drawing-file group code, whose number decides the value's type.
#pragma once

#include <cstdint>

#include "acad/AdsName.h"
#include "acad/AdsTypes.h"

// Value-type codes of the entity-name and AutoLISP layers (RTNONE and the status codes come
// with AdsTypes.h).
enum {
    RTREAL = 5001, RTPOINT = 5002, RTSHORT = 5003, RTANG = 5004, RTSTR = 5005,
    RTENAME = 5006, RTPICKS = 5007, RTORINT = 5008, RT3DPOINT = 5009, RTLONG = 5010,
    RTVOID = 5014, RTLB = 5016, RTLE = 5017, RTDOTE = 5018, RTNIL = 5019, RTDXF0 = 5020,
    RTT = 5021, RTRESBUF = 5023,
};

struct ads_binary {
    short clen;
    char* buf;
};

union ads_u_val {
    ads_real rreal;
    ads_real rpoint[3];
    short rint;
    char* rstring;
    long rlname[2];
    long rlong;
    int64_t mnInt64;
    ads_binary rbinary;
    unsigned char ihandle[8];
};

struct resbuf {
    resbuf* rbnext;
    short restype;
    ads_u_val resval;
};

// The kind of value a buffer of the given restype holds.
enum class ResValKind { None, Real, Point, Short, Long, Int64, String, Name, Binary, Handle };
ResValKind acutResValKind(int restype);

// A new buffer of that type with a zeroed value (null string); release with acutRelRb.
resbuf* acutNewRb(int restype);
// Releases a whole chain, strings and binary chunks included. Always RTNORM.
int acutRelRb(resbuf* rb);
// Builds a chain from (type, value) pairs ended by 0: doubles for reals and angles, a pointer
// to three doubles for points, int for shorts, long for longs, const char* for strings, a
// long[2] for names; RTLB/RTLE/RTDOTE/RTNIL/RTT/RTNONE take no value. Null on an unknown type.
resbuf* acutBuildList(int restype, ...);
// A deep copy of a chain (null for null).
resbuf* acutCopyRb(const resbuf* rb);
// Frees a string the host handed over (entity layer and linetype names and the like).
void acutDelString(char*& s);
// A copy of the text allocated the way acutDelString frees it.
char* acutNewString(const char* s);
