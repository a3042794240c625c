// Groups of the drawing: find, make, fill and remove them by name, and find or clear the groups
// that hold an object. A group is linked to its members as a persistent reactor, which is how
// the groups of an object are found. A group handed back is open for write; the caller closes it.
#pragma once

#include "acad/AcDb.h"

namespace NUV {

// 1 and `groupId` set when `db` (the current drawing when null) has a group of that name; 0 for
// no such group, a null name or no drawing.
int HasGroup(const char* name, AcDbObjectId& groupId, AcDbDatabase* db = nullptr);
// 1 when no group of that name is left: erased here, or there was none; 0 when it could not be
// erased.
int RemoveGroup(const char* name, AcDbDatabase* db = nullptr);
// The group named `name` (existed = 1), or a new selectable one with an empty description
// (existed = 0), anonymous when name is null. Null when there is no drawing or the group cannot
// be opened or added.
AcDbGroup* CreateGroup(const char* name, int& existed, AcDbDatabase* db = nullptr);
// Gets or makes the group in the current drawing, sets its selectable flag and appends `ids` in
// order (ids already in it are refused by the group, the rest still go in); an existing group
// keeps its old members. False when the group cannot be had.
bool CreateGroup(const AcDbObjectIdArray& ids, const char* name, bool selectable, AcDbObjectId& groupId);

// The object's own reactor list (not a copy, not to be freed; read it at once), or null when the
// object cannot be opened.
const AcDbVoidPtrArray* GetReactorsofObj(const AcDbObjectId& id);
// The first group, in the object's reactor order, that holds it and whose name contains
// `namePart` ignoring case (null or empty: any group); the null id when none.
AcDbObjectId GetGroupIdOfObj(const AcDbObjectId& id, const char* namePart);
// Erases every group that holds the object and whose name contains `namePart`.
void ClearGroup(const AcDbObjectId& id, const char* namePart);

}  // namespace NUV
