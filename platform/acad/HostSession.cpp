// Session start and end, and the start-up list of modules.
#include "acad/HostSession.h"

#include "acad/BuiltinCommands.h"
#include "acad/CommandProcessor.h"
#include "acad/EditorSession.h"
#include "acad/FindFile.h"
#include "acad/HostInternal.h"
#include "acad/HostLisp.h"
#include "acad/HostText.h"
#include "acad/SysVars.h"
#include "win/Encoding.h"
#include "win/FileSystem.h"
#include "win/Timer.h"

namespace NUVAcad {

void RegisterSessionCommands();

void StartSession() {
    RegisterSessionCommands();
    StartEditorSession();
}

void EndSession() {
    CloseAllDocuments();
    UnloadAllModules();
    NUVWin::KillWindowTimers(nullptr);
    ForgetApplicationContextCalls();
    ClearQueuedInput();
    ClearQuit();
    ResetDocumentNumbering();
    ResetSessionVariables();
    ResetLispSession();
    EndEditorSession();
}

std::string StartupListPath() { return InstallationFolder() + "/startup.txt"; }

bool LoadStartupModules(std::vector<std::string>& failures) {
    std::string bytes;
    if (!NUVWin::ReadNativeFile(StartupListPath(), bytes)) return true;
    std::string text, error;
    if (!DecodeTextFile(bytes, text, error)) {
        failures.push_back(StartupListPath() + ": " + error);
        return false;
    }
    bool ok = true;
    std::size_t start = 0;
    int lineNo = 0;
    while (start < text.size()) {
        std::size_t nl = text.find('\n', start);
        std::string line = text.substr(start, (nl == std::string::npos ? text.size() : nl) - start);
        start = nl == std::string::npos ? text.size() : nl + 1;
        ++lineNo;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
        std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#' || line[first] == ';') continue;
        line = line.substr(first);
        std::string path = NUVWin::IsPathSeparator(line[0])
                               ? line
                               : NUVWin::AppendSeparator(CString(NUVWin::Utf8ToGbk(InstallationFolder()))).str() + line;
        std::string reason;
        if (!LoadModule(path, false, &reason)) {
            failures.push_back("line " + std::to_string(lineNo) + ": " + line + ": " + reason);
            ok = false;
        }
    }
    return ok;
}

}  // namespace NUVAcad
