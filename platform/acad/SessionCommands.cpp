// The session's built-in commands: QUIT, OPEN, NEW, CLOSE, ARX and DELAY. They read plain
// answers with ReadInput (the editor's typed prompts come later and do not change them).
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <unistd.h>

#include "acad/AcApDocument.h"
#include "acad/AcEdCommandStack.h"
#include "acad/AcEdOutput.h"
#include "acad/BuiltinCommands.h"
#include "acad/CommandProcessor.h"
#include "acad/HostInternal.h"
#include "acad/MessageLoop.h"
#include "acad/ResBuf.h"
#include "win/Encoding.h"
#include "win/FileSystem.h"

namespace NUVAcad {
namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// A text answer; Enter gives `fallback`; false for cancel or the end of input.
bool AskText(const std::string& prompt, std::string& answer, const std::string& fallback, bool spaces = false) {
    for (;;) {
        Input in = ReadInput(InputRequest{prompt, InputRequest::Level::Prompt, spaces});
        switch (in.kind) {
        case Input::Kind::Text: answer = in.text; return true;
        case Input::Kind::Enter: answer = fallback; return true;
        case Input::Kind::Integer: answer = std::to_string(in.integer); return true;
        case Input::Kind::Real: answer = in.display(); return true;
        case Input::Kind::Cancel:
        case Input::Kind::End: return false;
        default: acutPrintf("\nA text is expected here."); break;
        }
    }
}

// One of the keywords (by any leading part, letter case ignored); false on cancel.
bool AskKeyword(const std::string& prompt, const std::vector<std::string>& keywords, const std::string& fallback,
                std::string& chosen) {
    for (;;) {
        std::string answer;
        if (!AskText(prompt, answer, fallback)) return false;
        std::string up = Upper(answer);
        std::vector<std::string> hits;
        for (const std::string& k : keywords)
            if (!up.empty() && Upper(k).compare(0, up.size(), up) == 0) hits.push_back(k);
        if (hits.size() == 1) {
            chosen = hits[0];
            return true;
        }
        acutPrintf("\nInvalid option keyword.");
    }
}

bool RequireApplicationContext(const char* command) {
    if (IsApplicationContext()) return true;
    acutPrintf("\n%s cannot be used inside another command or an AutoLISP evaluation.", command);
    return false;
}

std::string DefaultSaveName(AcApDocument* doc) {
    std::string title = doc->docTitle();
    std::size_t dot = title.find_last_of('.');
    if (dot != std::string::npos) title.resize(dot);
    return title + ".dxf";
}

// Offers to save a changed document. False when the user cancels (the caller stops).
bool OfferSave(AcApDocument* doc) {
    AcDbDatabase* db = doc->database();
    if (!db->isModifiedSinceSave()) return true;
    std::string choice;
    if (!AskKeyword(std::string("\nSave changes to ") + doc->docTitle() + "? [Yes/No/Cancel] <Yes>: ",
                    {"Yes", "No", "Cancel"}, "Yes", choice) ||
        choice == "Cancel")
        return false;
    if (choice == "No") return true;
    std::string target = doc->isUntitled() ? std::string() : std::string(doc->fileName());
    if (doc->isUntitled() || doc->isReadOnly()) {
        std::string fallback = DefaultSaveName(doc);
        if (!AskText("\nSave drawing as <" + fallback + ">: ", target, fallback, true)) return false;
    }
    if (db->saveAs(target.c_str()) != Acad::eOk) {
        acutPrintf("\nCannot save \"%s\": %s", target.c_str(), db->lastErrorMessage());
        return false;
    }
    acutPrintf("\nSaved %s.", target.c_str());
    return true;
}

int Quit() {
    for (AcApDocument* doc : std::vector<AcApDocument*>(DocumentRegistry::all()))
        if (!OfferSave(doc)) return RTCAN;
    RequestQuit(0);
    return RTNORM;
}

int Open() {
    if (!RequireApplicationContext("OPEN")) return RTERROR;
    std::string name;
    if (!AskText("\nEnter name of drawing to open: ", name, "", true)) return RTCAN;
    if (name.empty()) return RTCAN;
    AcApDocument* doc = nullptr;
    std::string error;
    if (OpenDrawing(name, false, doc, error) != Acad::eOk) {
        acutPrintf("\nCannot open %s.", error.c_str());
        return RTERROR;
    }
    DocumentRegistry::activate(doc);
    return RTNORM;
}

int New() {
    if (!RequireApplicationContext("NEW")) return RTERROR;
    std::string templ;
    if (!AskText("\nEnter template file name or [. (for none)] <.>: ", templ, ".", true)) return RTCAN;
    AcApDocument* doc = nullptr;
    std::string error;
    if (NewDrawing(templ == "." ? nullptr : templ.c_str(), doc, error) != Acad::eOk) {
        acutPrintf("\nCannot create a drawing: %s.", error.c_str());
        return RTERROR;
    }
    DocumentRegistry::activate(doc);
    return RTNORM;
}

int Close() {
    if (!RequireApplicationContext("CLOSE")) return RTERROR;
    AcApDocument* doc = DocumentRegistry::active();
    if (!doc) {
        acutPrintf("\nNo drawing is open.");
        return RTERROR;
    }
    if (!OfferSave(doc)) return RTCAN;
    DocumentRegistry::destroy(doc);
    return RTNORM;
}

int Arx() {
    std::string option;
    if (!AskKeyword("\nEnter an option [?/Load/Unload]: ", {"?", "Load", "Unload"}, "", option)) return RTCAN;
    if (option == "?") {
        resbuf* names = acedArxLoaded();
        if (!names) acutPrintf("\nNo module is loaded.");
        for (resbuf* rb = names; rb; rb = rb->rbnext) acutPrintf("\n%s", rb->resval.rstring);
        acutRelRb(names);
        return RTNORM;
    }
    std::string name;
    if (!AskText(option == "Load" ? "\nModule to load: " : "\nModule to unload: ", name, "", true) || name.empty())
        return RTCAN;
    int status = option == "Load" ? acedArxLoad(name.c_str()) : acedArxUnload(name.c_str());
    if (status == RTNORM) acutPrintf("\n%s %s.", name.c_str(), option == "Load" ? "loaded" : "unloaded");
    return status;
}

int Delay() {
    for (;;) {
        Input in = ReadInput(InputRequest{"\nEnter delay time (in milliseconds): ", InputRequest::Level::Prompt, false});
        long ms = -1;
        if (in.is(Input::Kind::Integer)) ms = in.integer;
        else if (in.is(Input::Kind::Text)) {
            char* end = nullptr;
            ms = std::strtol(in.text.c_str(), &end, 10);
            if (!end || *end) ms = -1;
        } else if (in.is(Input::Kind::Cancel) || in.is(Input::Kind::End) || in.is(Input::Kind::Enter)) {
            return RTCAN;
        }
        if (ms >= 0 && ms <= 32767) {
            Wait(static_cast<unsigned>(ms));
            return RTNORM;
        }
        acutPrintf("\nRequires an integer between 0 and 32767.");
    }
}

}  // namespace

void RegisterSessionCommands() {
    RegisterBuiltinCommand({"QUIT", 0, Quit, "ends the session, offering to save changed drawings", true});
    RegisterBuiltinCommand({"OPEN", 0, Open, "opens a drawing file (DXF) and makes it the active drawing", true});
    RegisterBuiltinCommand({"NEW", 0, New, "creates a drawing, from a template drawing or empty", true});
    RegisterBuiltinCommand({"CLOSE", 0, Close, "closes the active drawing, offering to save changes", true});
    RegisterBuiltinCommand({"ARX", 0, Arx, "lists, loads and unloads modules"});
    RegisterBuiltinCommand({"DELAY", ACRX_CMD_TRANSPARENT, Delay, "waits, letting timers run (scripts)"});
}

}  // namespace NUVAcad
