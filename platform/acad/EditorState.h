// What the editor remembers of a drawing between prompts: the last point entered (LASTPOINT),
// the angle conventions (ANGBASE, ANGDIR), the elevation of typed 2-D points; and the current user coordinate system,
// kept on the drawing (acedGetCurrentUCS / acedSetCurrentUCS). Points kept here are world
// coordinates; prompts convert to and from the user system.
#pragma once

#include "acad/AcDbCore.h"
#include "acad/AcGeMatrix3d.h"
#include "acad/AcGePoint3d.h"
#include "acad/TypedInput.h"

// The current UCS of the working drawing as a matrix from user to world coordinates.
Acad::ErrorStatus acedGetCurrentUCS(AcGeMatrix3d& mat);
// Makes the coordinate system of the matrix (origin and X, Y axes; scale is ignored) current.
// eInvalidInput when its axes are parallel or zero; eNoDatabase without a drawing.
Acad::ErrorStatus acedSetCurrentUCS(const AcGeMatrix3d& mat);

namespace NUVAcad {

struct EditorState {
    AcGePoint3d lastPoint;   // world
    double angbase = 0;      // radians
    bool angdirClockwise = false;
    double elevation = 0;    // z of typed 2-D points, in the user system
    double plineWidth = 0;   // the width PLINE starts with (the last one given)
    double textRotation = 0; // the rotation TEXT offers (the last one given), radians

    AngleConvention angles() const { return {angbase, angdirClockwise}; }
};

// The current document's state (a session-wide one when no document is open).
EditorState& CurrentEditor();

// Conversions between the user system of the working drawing and world coordinates.
AcGePoint3d UcsToWorld(const AcGePoint3d& p);
AcGePoint3d WorldToUcs(const AcGePoint3d& p);

// Defines the editor's system variables (LASTPOINT, ANGBASE, ANGDIR, ELEVATION, UCSORG,
// UCSXDIR, UCSYDIR, WORLDUCS); called when a session starts.
void DefineEditorVariables();
// Forgets session-wide editor state (a new session).
void ResetEditorSession();

}  // namespace NUVAcad
