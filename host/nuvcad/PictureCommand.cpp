// PNGOUT: the current view (or the slide VSLIDE shows) as a PNG picture, drawn by the same
// renderer a graphical view uses. nuvcad registers it at start-up.
#include "PictureCommand.h"

#include <string>

#include "acad/AcApDocument.h"
#include "acad/AcDbDatabase.h"
#include "acad/AcEdPrompts.h"
#include "acad/BuiltinCommands.h"
#include "render/ViewRenderer.h"

namespace {

int PngOut() {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    AcApDocument* doc = acDocManager->curDocument();
    if (!db || !doc) return RTERROR;
    std::string fallback = doc->docTitle();
    size_t dot = fallback.find_last_of('.');
    if (dot != std::string::npos) fallback.resize(dot);
    fallback += ".png";
    std::string name;
    int st = NUVAcad::GetStringPrompt(true, ("\nEnter name of picture file <" + fallback + ">: ").c_str(), name);
    if (st != RTNORM) return st;
    if (name.empty()) name = fallback;
    std::string error;
    if (!NUVRender::SaveViewPng(db, name.c_str(), error)) {
        NUVAcad::PromptMessage((name + ": " + error).c_str());
        return RTERROR;
    }
    return RTNORM;
}

}  // namespace

void RegisterPictureCommand() {
    NUVRender::InstallTextStroker();
    NUVAcad::RegisterBuiltinCommand({"PNGOUT", 0, PngOut, "writes the current view as a PNG picture"});
}
