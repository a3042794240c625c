// Session hooks of the editor: variables, commands, and state forgotten between sessions.
#include "acad/EditorSession.h"

#include "acad/AcEdPrompts.h"
#include "acad/EditorState.h"

namespace NUVAcad {

void StartEditorSession() {
    DefineEditorVariables();
}

void EndEditorSession() {
    ResetPrompts();
    ResetEditorSession();
}

}  // namespace NUVAcad
