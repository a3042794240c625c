// Session hooks of the editor: variables, commands, and state forgotten between sessions.
#include "acad/EditorSession.h"

#include "acad/AcEdPrompts.h"
#include "acad/EditorCommands.h"
#include "acad/EditorState.h"
#include "acad/InputSource.h"
#include "acad/InteractiveSelection.h"

namespace NUVAcad {

void StartEditorSession() {
    DefineEditorVariables();
    InstallInteractiveSelection();
    RegisterEditorCommands();
}

void EndEditorSession() {
    ResetPrompts();
    ResetEditorSession();
    ForgetCursor();
}

}  // namespace NUVAcad
