// The editor's built-in commands, registered when a session starts: LINE, CIRCLE, ERASE, MOVE,
// COPY, UCS, ZOOM, REDRAW, REGEN, MSLIDE, VSLIDE, U, UNDO, REDO and the saves (EditorCommands.cpp),
// ARC, PLINE, TEXT (DrawCommands.cpp), ROTATE, SCALE (ModifyCommands.cpp), BLOCK, INSERT,
// -INSERT, WBLOCK (BlockCommands.cpp), -LAYER, -LINETYPE (TableCommands.cpp).
#pragma once

namespace NUVAcad {

void RegisterEditorCommands();
void RegisterDrawCommands();
void RegisterModifyCommands();
void RegisterBlockCommands();
void RegisterTableCommands();

}  // namespace NUVAcad
