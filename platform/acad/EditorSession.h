// The editor's part of a host session: its variables and built-in commands are defined when a
// session starts, and what it remembers across drawings is forgotten when the session ends.
#pragma once

namespace NUVAcad {

void StartEditorSession();
void EndEditorSession();

}  // namespace NUVAcad
