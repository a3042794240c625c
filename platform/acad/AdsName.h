// Entity names: the two-long name of an entity (or selection set) in the entity-name layer, and
// the functions that convert them to object ids and read or make entities as data lists.
#pragma once

#include "acad/AcDbCore.h"
#include "acad/AcDbObjectId.h"

typedef long ads_name[2];
typedef long* ads_namep;

struct resbuf;

Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& id, const ads_name name);
Acad::ErrorStatus acdbGetAdsName(ads_name name, AcDbObjectId id);

inline void ads_name_set(const ads_name from, ads_name to) { to[0] = from[0]; to[1] = from[1]; }
inline void ads_name_clear(ads_name n) { n[0] = n[1] = 0; }
inline bool ads_name_nil(const ads_name n) { return n[0] == 0 && n[1] == 0; }
inline bool ads_name_equal(const ads_name a, const ads_name b) { return a[0] == b[0] && a[1] == b[1]; }

// The entity's data list: (-1 . name) (0 . type) (330 . owner) (5 . handle) then its group
// codes, with its extended data for the applications listed in `apps` (a chain of strings;
// "*" for all) appended after a (-3) marker. Null when the name does not resolve. Release with
// acutRelRb.
resbuf* acdbEntGet(const ads_name name);
resbuf* acdbEntGetX(const ads_name name, const resbuf* apps);
// Makes an entity from a data list in model space of the working database. A POLYLINE with
// (66 . 1) starts a sequence that VERTEX lists extend and a SEQEND list completes. RTNORM, or
// RTREJ for a list that cannot be made (the pending sequence is dropped).
int acdbEntMake(const resbuf* list);
// Changes an existing entity from a data list that starts with its (-1 . name).
int acdbEntMod(const resbuf* list);
// Erases (or, when erased, restores) the named entity.
int acdbEntDel(const ads_name name);
// The last entity of the working database's model space; the entity after `name` (the first
// one when `name` is nil).
int acdbEntLast(ads_name result);
int acdbEntNext(const ads_name name, ads_name result);
// The entity name for a handle text.
int acdbHandEnt(const char* handle, ads_name result);
