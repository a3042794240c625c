// Block definitions: getting or making a block table record, appending an entity to one, and
// bringing a drawing file in as a block. A record handed back is open for write and the caller
// closes it; an entity handed in stays the caller's (close it after success, delete it after
// failure).
#pragma once

#include "acad/AcDb.h"

namespace NUV {

// The record named `name` in `db` (the working database when null) with existed = 1, or a new
// one with existed = 0: named `name`, or anonymous ("*U" numbered by the table) when name is
// null. Null when there is no database, the block table cannot be opened for write, or the
// record cannot be opened or added (an invalid name).
AcDbBlockTableRecord* CreateBlockTableRecord(const char* name, int& existed, AcDbDatabase* db = nullptr);

// Appends `ent` to the block record `record` (opened and closed here); `newId` receives its id.
// 20 (eNullObjectPointer) for a null entity, the open status when the record cannot be opened
// for write, otherwise the append status.
Acad::ErrorStatus InsertEntToBlockRecord(AcDbEntity* ent, const AcDbObjectId& record, AcDbObjectId& newId);

// Brings the drawing file `path` into the current drawing as the block `blockName` (the file's
// title when null); `recordId` receives the block's record. When a block of that name exists it
// is used as it is and the file is not read. 0 on success; 76 (eFileNotFound) when the file does
// not exist, 82 when the block table cannot be opened, otherwise the first failing status of
// reading, copying and inserting the drawing (the current drawing is then unchanged).
Acad::ErrorStatus InsertBlockRecord(const char* path, const char* blockName, AcDbObjectId& recordId);

}  // namespace NUV
