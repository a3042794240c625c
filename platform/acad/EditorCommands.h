// The editor's built-in commands (LINE, CIRCLE, ERASE, MOVE, COPY, UCS, ZOOM, REDRAW, REGEN,
// MSLIDE, VSLIDE, U, UNDO), registered when a session starts.
#pragma once

namespace NUVAcad {

void RegisterEditorCommands();

}  // namespace NUVAcad
