// Conversions between AutoLISP values and the host's resbuf chains, both ways.
//
// Values to buffers: an integer is RTSHORT within -32768..32767 and RTLONG beyond; a real
// RTREAL; a string RTSTR; an entity name RTENAME; a selection set RTPICKS; a proper list of two
// or three numbers a point (RTPOINT / RT3DPOINT); any other list RTLB, its items, RTLE, with
// RTDOTE before the tail of a dotted list; nil RTNIL; T RTT; the silent symbol RTVOID; any other
// symbol RTSTR with its name (buffers have no symbol type). Functions have no buffer form.
//
// Buffers to values: the reverse, plus drawing-file group codes: an item whose restype is a group
// code becomes the pair (code . value), a point group (code x y z), and a -3 marker gathers the
// extended data that follows into (-3 ("APP" (1000 . "text") ...) ...). Data lists (entget,
// entmake, ssget filters) go the other way through lispDataListToResbuf.
//
// Nested lists of any depth are converted iteratively.
#pragma once

#include "acad/LispMachine.h"

namespace NUVAcad {

// One value as a chain (a list as RTLB..RTLE). Null with *ok false for a value that has no
// buffer form (a function); a null chain with *ok true never happens (nil is RTNIL).
resbuf* lispToResbuf(const LispValue& v, bool* ok = nullptr);
// Every value of args as one item of the chain (the arguments of an external function, command
// input). Null for no values; *ok false when one has no buffer form.
resbuf* lispItemsToResbuf(LispArgs args, bool* ok = nullptr);

// The value the first item of a chain describes (RTLB..RTLE read as one list). Null is nil.
LispValue lispFromResbuf(LispMachine& m, const resbuf* rb);
// Every item of a chain as the elements of one list (an entity's data list, acedGetArgs-style
// chains, a module's list result given without RTLB).
LispValue lispItemsFromResbuf(LispMachine& m, const resbuf* rb);

// A data list ((0 . "LINE") (10 1.0 2.0 0.0) (-3 ("APP" (1000 . "x")))) as a group-code chain.
// Raises "bad DXF group: ..." for an element that is not a valid group.
resbuf* lispDataListToResbuf(LispMachine& m, const LispValue& list);

}  // namespace NUVAcad
