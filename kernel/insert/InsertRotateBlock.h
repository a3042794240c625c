// Placing blocks with the placement jig: the user drags the blocks to a position (or picks a
// reference point "P" and then a position relative to it), optionally turns them, and one block
// reference per block is added to model space. The last angle is remembered under the settings
// key "LastAngle". Run inside a command or an AutoLISP call of the current drawing.
#pragma once

#include "acad/AcArray.h"
#include "acad/AcDb.h"
#include "acad/AcGe.h"

namespace NUV {

// Places references to the block records `blocks`, keeping their layout; `prompt` (null: the
// default "\n输入插入点") is shown before the options. With `rotate` nonzero an angle is asked
// after the position. `pairs` gets one (block record -> new reference) pair per block, in order.
// 1 when placed; 0 when the user left or an append failed (then nothing is left behind).
int InsertRotateBlock(const AcDbObjectIdArray& blocks, const char* prompt, AcArray<AcDbIdPair>& pairs, int rotate,
                      double sx, double sy, double sz);
// The same, also giving the final rotation (radians) and the insertion point (world).
int InsertRotateBlock(const AcDbObjectIdArray& blocks, double& angle, AcGePoint3d& point, const char* prompt,
                      AcArray<AcDbIdPair>& pairs, int rotate, double sx, double sy, double sz);
// One block record; `newRef` gets the new reference.
int InsertRotateBlock(const AcDbObjectId& block, const char* prompt, AcDbObjectId& newRef, int rotate, double sx,
                      double sy, double sz);
int InsertRotateBlock(const AcDbObjectId& block, double& angle, AcGePoint3d& point, const char* prompt,
                      AcDbObjectId& newRef, int rotate, double sx, double sy, double sz);
// A drawing file, brought in as a block first (InsertBlockRecord); 0 when that fails.
int InsertRotateBlock(const char* path, const char* prompt, AcDbObjectId& newRef, int rotate, double sx, double sy,
                      double sz);
int InsertRotateBlock(const char* path, double& angle, AcGePoint3d& point, const char* prompt, AcDbObjectId& newRef,
                      int rotate, double sx, double sy, double sz);

}  // namespace NUV
