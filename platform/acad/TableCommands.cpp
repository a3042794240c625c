// The command-line forms of the layer and line-type commands. -LAYER asks for options until
// Enter: ? (list), Make, Set, New, ON, OFF, Color, Ltype, Freeze, Thaw, LOck, Unlock; name lists
// are separated by commas and may hold wildcards. -LINETYPE: ? (list), Load (from a .lin file
// found along the support path) and Set (the current line type for new objects). Names are
// GBK; a changed table is one undo step with the command.
#include <cstdlib>
#include <string>
#include <vector>

#include "acad/AcDbDatabase.h"
#include "acad/AcDbEntity.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/AcEdPrompts.h"
#include "acad/AcutWcMatch.h"
#include "acad/AdsName.h"
#include "acad/BuiltinCommands.h"
#include "acad/CommandSupport.h"
#include "acad/EditorCommands.h"
#include "acad/EntityPicking.h"
#include "acad/FindFile.h"
#include "acad/LinetypeLoader.h"

namespace NUVAcad {

namespace {

std::string Upper(const std::string& s) {
    std::string u;
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x81 && c <= 0xFE && i + 1 < s.size()) {  // a double-byte character stays whole
            u += s[i];
            u += s[++i];
        } else {
            u += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        }
    }
    return u;
}

// A name a symbol table takes: not empty, at most 255 bytes, none of <>/\":;?*|,=` (looked
// for outside double-byte characters, whose second byte may be one of them).
std::vector<std::string> SplitList(const std::string& list) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t comma = list.find(',', start);
        std::string p = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!p.empty()) parts.push_back(p);
        if (comma == std::string::npos) return parts;
        start = comma + 1;
    }
}

// ---- -LAYER ----

std::string CurrentLayerName() { return RecordName(CommandDb()->clayer()); }

// The layers whose names match one of the patterns of the list.
std::vector<AcDbObjectId> MatchingLayers(const std::string& list) {
    std::vector<AcDbObjectId> ids;
    AcDbLayerTable* t = nullptr;
    if (CommandDb()->getLayerTable(t, AcDb::kForRead) != Acad::eOk) return ids;
    std::vector<std::string> patterns = SplitList(list);
    for (AcDbObjectId id : t->recordIds()) {
        std::string up = Upper(RecordName(id));
        for (const std::string& p : patterns)
            if (acutWcMatch(up.c_str(), Upper(p).c_str()) == RTNORM) {
                ids.push_back(id);
                break;
            }
    }
    t->close();
    return ids;
}

// A layer by exact name (case ignored), made when `create` and missing. Null when it is not
// there or the name is refused.
AcDbObjectId LayerNamed(const std::string& name, bool create) {
    AcDbLayerTable* t = nullptr;
    AcDbObjectId id;
    if (!ValidSymbolName(name)) {
        PromptMessage(("Invalid layer name \"" + name + "\".").c_str());
        return id;
    }
    if (CommandDb()->getLayerTable(t, create ? AcDb::kForWrite : AcDb::kForRead) != Acad::eOk) return id;
    if (t->getAt(name.c_str(), id) != Acad::eOk && create) {
        auto* rec = new AcDbLayerTableRecord;
        rec->setName(name.c_str());
        if (t->add(id, rec) == Acad::eOk) rec->close();
        else delete rec, id = AcDbObjectId();
    }
    t->close();
    return id;
}

// Asks for a name list (Enter: the current layer).
int AskLayerList(const std::string& what, std::string& list) {
    std::string cur = CurrentLayerName();
    int st = GetStringPrompt(false, ("\nEnter name list of layer(s) " + what + " <" + cur + ">: ").c_str(), list);
    if (st != RTNORM) return st;
    if (list.empty()) list = cur;
    return RTNORM;
}

// Applies `change` to each layer of a name list; says which names matched nothing.
template <typename Change>
int ChangeLayers(const std::string& what, Change change) {
    std::string list;
    int st = AskLayerList(what, list);
    if (st != RTNORM) return st;
    std::vector<AcDbObjectId> ids = MatchingLayers(list);
    if (ids.empty()) {
        PromptMessage(("No matching layer(s) found for \"" + list + "\".").c_str());
        return RTNORM;
    }
    for (AcDbObjectId id : ids) {
        AcDbLayerTableRecord* rec = nullptr;
        if (acdbOpenObject(rec, id, AcDb::kForWrite) != Acad::eOk) continue;
        st = change(rec, id);
        rec->close();
        if (st == RTCAN) return st;
    }
    return RTNORM;
}

// A colour by number (1 to 255) or standard name; 0 when the answer is neither.
int ParseColor(const std::string& text) {
    static const char* const names[] = {"RED", "YELLOW", "GREEN", "CYAN", "BLUE", "MAGENTA", "WHITE"};
    std::string up = Upper(text);
    for (int i = 0; i < 7; ++i)
        if (up == names[i]) return i + 1;
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || v < 1 || v > 255) return 0;
    return static_cast<int>(v);
}

void ListLayers() {
    std::string list;
    if (GetStringPrompt(false, "\nEnter layer name(s) to list <*>: ", list) != RTNORM) return;
    if (list.empty()) list = "*";
    std::string out = "Layer name                       State       Color  Linetype";
    for (AcDbObjectId id : MatchingLayers(list)) {
        AcDbLayerTableRecord* rec = nullptr;
        if (acdbOpenObject(rec, id, AcDb::kForRead) != Acad::eOk) continue;
        std::string name = rec->name();
        std::string state = std::string(rec->isOff() ? "Off" : "On") + (rec->isFrozen() ? " F" : "") +
                            (rec->isLocked() ? " L" : "");
        std::string line = "\n" + name;
        line.resize(std::max<size_t>(line.size() + 1, 34), ' ');
        line += state;
        line.resize(std::max<size_t>(line.size() + 1, 46), ' ');
        line += std::to_string(rec->colorIndex());
        line.resize(std::max<size_t>(line.size() + 1, 53), ' ');
        line += RecordName(rec->linetypeObjectId());
        rec->close();
        out += line;
    }
    PromptMessage(out.c_str());
}

int LayerOption(const std::string& opt) {
    AcDbDatabase* db = CommandDb();
    std::string name;
    int st;
    if (opt == "Make" || opt == "New") {
        bool make = opt == "Make";
        std::string prompt = make ? "\nEnter name for new layer (becomes the current layer) <" + CurrentLayerName() + ">: "
                                  : std::string("\nEnter name list for new layer(s): ");
        if ((st = GetStringPrompt(false, prompt.c_str(), name)) != RTNORM) return st;
        if (name.empty()) return RTNORM;
        if (make) {
            AcDbObjectId id = LayerNamed(name, true);
            if (!id.isNull() && SetCurrentLayer(id) != Acad::eOk)
                PromptMessage(("Cannot make layer \"" + name + "\" current: it is frozen.").c_str());
            return RTNORM;
        }
        for (const std::string& n : SplitList(name)) LayerNamed(n, true);
        return RTNORM;
    }
    if (opt == "Set") {
        st = GetStringPrompt(false, "\nEnter layer name to make current or <select object>: ", name);
        if (st != RTNORM) return st;
        AcDbObjectId id;
        if (name.empty()) {
            ads_name e;
            ads_point p;
            if ((st = acedEntSel("\nSelect object whose layer will become current: ", e, p)) != RTNORM) return st;
            AcDbObjectId eid;
            AcDbEntity* ent = nullptr;
            if (acdbGetObjectId(eid, e) != Acad::eOk || acdbOpenObject(ent, eid, AcDb::kForRead) != Acad::eOk) return RTERROR;
            id = ent->layerId();
            ent->close();
        } else {
            id = LayerNamed(name, false);
            if (id.isNull()) {
                PromptMessage(("Cannot find layer \"" + name + "\".").c_str());
                return RTNORM;
            }
        }
        if (SetCurrentLayer(id) != Acad::eOk)
            PromptMessage(("Cannot make layer \"" + RecordName(id) + "\" current: it is frozen.").c_str());
        return RTNORM;
    }
    if (opt == "ON" || opt == "Thaw" || opt == "Unlock") {
        const char* what = opt == "ON" ? "to turn On" : opt == "Thaw" ? "to thaw" : "to unlock";
        return ChangeLayers(what, [&](AcDbLayerTableRecord* rec, AcDbObjectId) {
            if (opt == "ON") rec->setIsOff(false);
            else if (opt == "Thaw") rec->setIsFrozen(false);
            else rec->setIsLocked(false);
            return RTNORM;
        });
    }
    if (opt == "OFF") {
        return ChangeLayers("to turn Off", [&](AcDbLayerTableRecord* rec, AcDbObjectId id) {
            if (id == db->clayer()) {
                bool yes = false;
                int s = AskYesNo("\nReally want layer \"" + rec->name() + "\" (the CURRENT layer) off?", false, yes);
                if (s != RTNORM) return s;
                if (!yes) return RTNORM;
            }
            rec->setIsOff(true);
            return RTNORM;
        });
    }
    if (opt == "Freeze") {
        return ChangeLayers("to freeze", [&](AcDbLayerTableRecord* rec, AcDbObjectId id) {
            if (id == db->clayer()) PromptMessage(("Cannot freeze layer \"" + rec->name() + "\": it is the CURRENT layer.").c_str());
            else rec->setIsFrozen(true);
            return RTNORM;
        });
    }
    if (opt == "LOck") {
        return ChangeLayers("to lock", [](AcDbLayerTableRecord* rec, AcDbObjectId) {
            rec->setIsLocked(true);
            return RTNORM;
        });
    }
    if (opt == "Color") {
        int color = 0;
        while (!color) {
            if ((st = GetStringPrompt(false, "\nEnter color name or number (1-255): ", name)) != RTNORM) return st;
            if (name.empty()) return RTNORM;
            color = ParseColor(name);
            if (!color) PromptMessage("Requires a color number from 1 to 255 or a standard color name.");
        }
        return ChangeLayers("for color " + std::to_string(color), [color](AcDbLayerTableRecord* rec, AcDbObjectId) {
            rec->setColorIndex(color);
            return RTNORM;
        });
    }
    // Ltype: a line type the drawing has, then the layers.
    AcDbObjectId lt;
    for (;;) {
        if ((st = GetStringPrompt(false, "\nEnter a loaded linetype name <Continuous>: ", name)) != RTNORM) return st;
        if (name.empty()) name = "Continuous";
        AcDbLinetypeTable* t = nullptr;
        if (db->getLinetypeTable(t, AcDb::kForRead) != Acad::eOk) return RTERROR;
        Acad::ErrorStatus es = t->getAt(name.c_str(), lt);
        t->close();
        std::string up = Upper(name);
        if (es == Acad::eOk && up != "BYLAYER" && up != "BYBLOCK") break;
        PromptMessage(("Linetype \"" + name + "\" not found. Use -LINETYPE Load to load it.").c_str());
    }
    name = RecordName(lt);
    return ChangeLayers("for linetype \"" + name + "\"", [lt](AcDbLayerTableRecord* rec, AcDbObjectId) {
        rec->setLinetypeObjectId(lt);
        return RTNORM;
    });
}

// Asks for an option with the host's keyword rules; "?" comes back as an option of its own.
int AskOption(const char* keywords, const char* prompt, std::string& opt) {
    acedInitGet(RSG_OTHER, keywords);
    char kw[133];
    int st = acedGetKword(prompt, kw);
    if (st == RTNORM) {
        opt = kw;
        return RTNORM;
    }
    if (st != RTKWORD) return st;
    acedGetInput(kw);
    opt = kw;
    return RTNORM;
}

int Layer() {
    for (;;) {
        PromptMessage(("Current layer:  \"" + CurrentLayerName() + "\"").c_str());
        std::string opt;
        int st = AskOption("Make Set New ON OFF Color Ltype Freeze Thaw LOck Unlock",
                           "\nEnter an option [?/Make/Set/New/ON/OFF/Color/Ltype/Freeze/Thaw/LOck/Unlock]: ", opt);
        if (st == RTNONE) return RTNORM;
        if (st != RTNORM) return st;
        if (opt == "?") {
            ListLayers();
            continue;
        }
        if (opt.empty() || opt.find_first_of("?*") != std::string::npos ||
            std::string(" Make Set New ON OFF Color Ltype Freeze Thaw LOck Unlock ").find(" " + opt + " ") == std::string::npos) {
            PromptMessage("Invalid option keyword.");
            continue;
        }
        if ((st = LayerOption(opt)) == RTCAN) return st;
    }
}

// ---- -LINETYPE ----

std::string lastLinFile;

void ListLinetypes() {
    AcDbLinetypeTable* t = nullptr;
    if (CommandDb()->getLinetypeTable(t, AcDb::kForRead) != Acad::eOk) return;
    std::string out = "Loaded linetypes:";
    for (AcDbObjectId id : t->recordIds()) {
        AcDbLinetypeTableRecord* rec = nullptr;
        if (acdbOpenObject(rec, id, AcDb::kForRead) != Acad::eOk) continue;
        const char* comments = "";
        rec->comments(comments);
        std::string line = "\n  " + rec->name();
        line.resize(std::max<size_t>(line.size() + 1, 24), ' ');
        out += line + comments;
        rec->close();
    }
    t->close();
    PromptMessage(out.c_str());
}

// The .lin file along the host's search order, with ".lin" added when the name has no
// extension; empty when there is none.
std::string FindLinFile(const std::string& name) {
    std::string found;
    if (FindFile(name, found)) return found;
    size_t slash = name.find_last_of("/\\"), dot = name.find_last_of('.');
    if ((dot == std::string::npos || (slash != std::string::npos && dot < slash)) && FindFile(name + ".lin", found))
        return found;
    return std::string();
}

void PrintReport(const LinetypeLoadReport& r) {
    for (const std::string& e : r.errors) PromptMessage(e.c_str());
    for (const std::string& n : r.loaded) PromptMessage(("Linetype \"" + n + "\" loaded.").c_str());
    for (const std::string& n : r.reloaded) PromptMessage(("Linetype \"" + n + "\" reloaded.").c_str());
}

int LoadOption() {
    std::string names, file;
    int st = GetStringPrompt(false, "\nEnter linetype(s) to load: ", names);
    if (st != RTNORM || names.empty()) return st == RTNONE ? RTNORM : st;
    std::string prompt = "\nEnter name of linetype file to search" + (lastLinFile.empty() ? std::string() : " <" + lastLinFile + ">") + ": ";
    if ((st = GetStringPrompt(true, prompt.c_str(), file)) != RTNORM) return st;
    if (file.empty()) file = lastLinFile;
    if (file.empty()) return RTNORM;
    std::string path = FindLinFile(file);
    if (path.empty()) {
        PromptMessage(("Cannot find file \"" + file + "\".").c_str());
        return RTNORM;
    }
    lastLinFile = file;
    AcDbDatabase* db = CommandDb();
    LinetypeLoadReport report;
    Acad::ErrorStatus es = LoadLinetypes(db, names.c_str(), path.c_str(), false, report);
    if (es == Acad::eDuplicateRecordName) report.alreadyLoaded.push_back(names), report.errors.clear();
    if (es == Acad::eKeyNotFound) {
        PromptMessage(("No linetype matching \"" + names + "\" in " + file + ".").c_str());
        return RTNORM;
    }
    PrintReport(report);
    // Names already in the drawing are reloaded when the user says so, one by one.
    for (const std::string& n : report.alreadyLoaded) {
        bool yes = true;
        if ((st = AskYesNo("\nLinetype \"" + n + "\" is already loaded.  Reload it?", true, yes)) != RTNORM) return st;
        if (!yes) continue;
        LinetypeLoadReport again;
        LoadLinetypes(db, n.c_str(), path.c_str(), true, again);
        PrintReport(again);
    }
    return RTNORM;
}

int SetOption() {
    AcDbDatabase* db = CommandDb();
    for (;;) {
        std::string name;
        std::string prompt = "\nSpecify linetype name or [?] <" + RecordName(db->celtype()) + ">: ";
        int st = GetStringPrompt(false, prompt.c_str(), name);
        if (st != RTNORM || name.empty()) return st;
        if (name == "?") {
            ListLinetypes();
            continue;
        }
        AcDbLinetypeTable* t = nullptr;
        if (db->getLinetypeTable(t, AcDb::kForRead) != Acad::eOk) return RTERROR;
        AcDbObjectId id;
        Acad::ErrorStatus es = t->getAt(name.c_str(), id);
        t->close();
        if (es != Acad::eOk) {
            PromptMessage(("Linetype \"" + name + "\" is not loaded. Use the Load option to load it.").c_str());
            continue;
        }
        return SetCurrentLinetype(id) == Acad::eOk ? RTNORM : RTERROR;
    }
}

int Linetype() {
    for (;;) {
        PromptMessage(("Current line type:  \"" + RecordName(CommandDb()->celtype()) + "\"").c_str());
        std::string opt;
        int st = AskOption("Load Set", "\nEnter an option [?/Load/Set]: ", opt);
        if (st == RTNONE) return RTNORM;
        if (st != RTNORM) return st;
        if (opt == "?") ListLinetypes();
        else if (opt == "Load") st = LoadOption();
        else if (opt == "Set") st = SetOption();
        else PromptMessage("Invalid option keyword.");
        if (st == RTCAN) return st;
    }
}

}  // namespace

void RegisterTableCommands() {
    RegisterBuiltinCommand({"-LAYER", 0, [] { return CommandDb() ? Layer() : RTERROR; },
                            "layers: Make, Set, New, ON, OFF, Color, Ltype, Freeze, Thaw, LOck, Unlock, ?"});
    RegisterBuiltinCommand({"-LINETYPE", 0, [] { return CommandDb() ? Linetype() : RTERROR; },
                            "line types: Load from a .lin file, Set the current one, ?"});
}

}  // namespace NUVAcad
