// What the editor's built-in commands share: the working drawing, points and angles from the
// user's coordinate system to world and entity coordinates, appending to model space with the
// current settings, the "Select objects:" prompt, and the status a command ends with. Entities
// are appended closed; a caller never keeps one open across a prompt.
#pragma once

#include <string>
#include <vector>

#include "acad/AcDbCore.h"
#include "acad/AcDbObjectId.h"
#include "acad/AcGePoint3d.h"
#include "acad/AcGeVector3d.h"
#include "acad/AdsTypes.h"

class AcDbDatabase;
class AcDbEntity;

namespace NUVAcad {

AcDbDatabase* CommandDb();

// A typed point (user coordinates) in world coordinates.
AcGePoint3d UcsPointToWorld(const ads_point p);
// The Z axis of the current UCS in world coordinates.
AcGeVector3d UcsNormal();
// An angle in the UCS's XY plane (from its X axis, counter-clockwise) as the angle in the
// entity coordinate system of `normal` that entities keep (arcs, texts, block references).
double UcsAngleToEcs(double ucsAngle, const AcGeVector3d& normal);
// A world point in the entity coordinate system of `normal`.
AcGePoint3d WorldToEcs(const AcGePoint3d& p, const AcGeVector3d& normal);

// Appends to model space with the current line type (CELTYPE); takes the entity. The new id,
// or null (the entity is deleted).
AcDbObjectId AppendToModelSpace(AcDbEntity* ent);
void EraseObject(AcDbObjectId id);
// "Select objects:": the chosen objects. RTNORM with at least one, RTNONE when nothing was
// chosen, RTCAN.
int SelectObjects(std::vector<AcDbObjectId>& ids);
// A command's status from the prompt that ended it: Enter ends normally.
int EndedStatus(int st);

// A length as the host shows it in prompts (four decimals).
std::string FormatLength(double v);
// An angle (radians) as the host shows it in prompts: degrees, up to four decimals.
std::string FormatAngle(double radians);

// The drawing's current layer, line type, text style and text size, changed so that U puts
// them back and REDO makes the change again (the drawing's own setters record nothing).
Acad::ErrorStatus SetCurrentLayer(AcDbObjectId layer);
Acad::ErrorStatus SetCurrentLinetype(AcDbObjectId linetype);
Acad::ErrorStatus SetCurrentTextStyle(AcDbObjectId style);
Acad::ErrorStatus SetCurrentTextSize(double height);

// A name a user may give a layer, line type or block: 1 to 255 bytes of GBK, no control
// characters and none of <>/\":;?*|,=`.
bool ValidSymbolName(const std::string& name);
// The name of a symbol-table record (layer, line type, style); "" when it cannot be opened.
std::string RecordName(AcDbObjectId id);
// Yes/No question with a default; true for Yes. RTCAN leaves `yes` alone.
int AskYesNo(const std::string& question, bool defaultYes, bool& yes);

}  // namespace NUVAcad
