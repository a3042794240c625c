// Picking entities: acedEntSel, acedNEntSel and acedNEntSelP, and the pick box they share with
// interactive selection. A pick is a point (typed x,y or given by the source, in the current
// UCS) whose pick box (PICKBOX pixels each way at the current view's scale) the entity's outline
// must cross; the newest such entity wins. A typed "#handle" names an entity directly, and a
// source may hand over an entity with its pick point.
#pragma once

#include <string>

#include "acad/AcDbObjectId.h"
#include "acad/AcGePoint3d.h"
#include "acad/AdsName.h"
#include "acad/AdsTypes.h"

struct resbuf;
class AcDbDatabase;

typedef ads_real ads_matrix[4][4];

// RTNORM with the entity and the pick point (UCS); RTERROR when the pick found nothing (ERRNO 7)
// or the answer was Enter (ERRNO 52); RTKWORD for a keyword of acedInitGet; RTCAN on cancel.
int acedEntSel(const char* str, ads_name entres, ads_point ptres);
// The innermost entity under the pick inside block references. With pickflag nonzero, ptres is
// the pick (no prompt). xformres: block coordinates of the entity to world, as a matrix whose
// last column is the translation; refstkres: the block references that contain it, innermost
// first (RTENAME buffers; null for a top-level entity; the caller releases the chain).
int acedNEntSelP(const char* str, ads_name entres, ads_point ptres, int pickflag, ads_matrix xformres,
                 resbuf** refstkres);
// The same with the matrix as four rows of points (the transpose: the last row translates).
int acedNEntSel(const char* str, ads_name entres, ads_point ptres, ads_point xformres[4], resbuf** refstkres);

namespace NUVAcad {

// Half the pick box in drawing units, from PICKBOX and the working drawing's view.
double PickAperture(AcDbDatabase* db);
// The newest visible entity of model space whose outline crosses the pick box around a world
// point; null when none.
AcDbObjectId EntityAtPoint(AcDbDatabase* db, const AcGePoint3d& world);
// "#1F": the live entity with that handle in the working drawing; null when none.
AcDbObjectId EntityByHandleText(AcDbDatabase* db, const std::string& text);

}  // namespace NUVAcad
