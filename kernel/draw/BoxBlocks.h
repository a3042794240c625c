// Anonymous blocks drawn as boxes of face meshes: a box with any of its six faces, a reference
// to such a box added to another block, and a duct section (a box open at both Y ends with its
// two long bottom edges as lines of the box's height). Results are status numbers, 0 success.
#pragma once

#include "acad/AcDb.h"
#include "acad/AcGe.h"

namespace NUV {

// Face bits: 1 top (z = dz), 2 bottom (z = 0), 4 side x = dx, 8 side x = 0, 16 side y = 0,
// 32 side y = dy; one single-face mesh per set bit, in that order, each with colour index
// `color` and, when `layer` is given, that layer. The box has a corner at `base` (block
// coordinates; the block's origin stays 0,0,0) and edges dx, dy, dz along the world axes.
// `recordId` receives the new anonymous record of the working database. 20 when the record
// cannot be made; when a face cannot be appended the record is erased and that status returned.
Acad::ErrorStatus CreateBoxBlockRecord(AcDbObjectId& recordId, AcGePoint3d base, double dx, double dy, double dz,
                                       int color, const char* layer, unsigned long faces);

// A box block as above, referenced at the origin on `layer` from the block record `target`;
// `refId` receives the reference's id. 16 for a null target.
Acad::ErrorStatus AddBoxToBlockRecord(const AcDbObjectId& target, AcDbObjectId& refId, AcGePoint3d base, double dx,
                                      double dy, double dz, int color, const char* layer, unsigned long faces);
Acad::ErrorStatus AddBoxToBlockRecord(const AcDbObjectId& target, AcGePoint3d base, double dx, double dy, double dz,
                                      int color, const char* layer, unsigned long faces);

// A duct section along Y: the box with faces 15 (top, bottom, both X sides) plus the lines
// base -> base + (dx, 0, 0) and base + (0, dy, 0) -> base + (dx, dy, 0), each of thickness dz.
Acad::ErrorStatus Create3DWindPipeBlockRecord(AcDbObjectId& recordId, AcGePoint3d base, double dx, double dy, double dz,
                                              int color, const char* layer);

}  // namespace NUV
