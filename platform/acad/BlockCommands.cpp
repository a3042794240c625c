// Built-in block commands: BLOCK (a definition from selected objects about a base point; the
// objects leave the drawing, as on the host), INSERT and -INSERT (a block of the drawing, or a
// drawing file found along the search path, at a point with scales and a rotation) and WBLOCK
// (a block, the whole drawing, or selected objects written to a DXF file through the atomic
// writer; selected objects then leave the drawing). Block coordinates are world coordinates
// less the base point.
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "acad/AcDbBlockReference.h"
#include "acad/AcDbDatabase.h"
#include "acad/AcDbEntity.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/AcEdPrompts.h"
#include "acad/AcGeMatrix3d.h"
#include "acad/BuiltinCommands.h"
#include "acad/CommandSupport.h"
#include "acad/EditorCommands.h"
#include "acad/FindFile.h"
#include "win/FileSystem.h"

namespace NUVAcad {

namespace {

// Block names as the block table takes them: not empty, no "*" lead (anonymous and layout
// blocks are the host's), none of <>/\":;?*|,=` outside double-byte characters.
// A block name the user may give: a symbol name that does not start with '*' (anonymous blocks).
bool ValidBlockName(const std::string& name) { return !name.empty() && name[0] != '*' && ValidSymbolName(name); }

AcDbObjectId BlockNamed(const std::string& name) {
    AcDbBlockTable* t = nullptr;
    AcDbObjectId id;
    if (CommandDb()->getBlockTable(t, AcDb::kForRead) != Acad::eOk) return id;
    t->getAt(name.c_str(), id);
    t->close();
    return id;
}

void ListBlocks() {
    AcDbBlockTable* t = nullptr;
    if (CommandDb()->getBlockTable(t, AcDb::kForRead) != Acad::eOk) return;
    std::string out = "Defined blocks.";
    int n = 0;
    for (AcDbObjectId id : t->recordIds()) {
        AcDbBlockTableRecord* rec = nullptr;
        if (acdbOpenObject(rec, id, AcDb::kForRead) != Acad::eOk) continue;
        if (!rec->isLayout() && !rec->isAnonymous()) {
            out += "\n  \"" + rec->name() + "\"";
            ++n;
        }
        rec->close();
    }
    t->close();
    PromptMessage((out + "\n" + std::to_string(n) + " user block(s).").c_str());
}

// Copies of `ids` (entities of the working drawing) appended to `space`, a block of any drawing,
// moved by -base.
Acad::ErrorStatus CloneInto(const std::vector<AcDbObjectId>& ids, AcDbObjectId space, const AcGePoint3d& base) {
    AcDbObjectIdArray list;
    for (AcDbObjectId id : ids) list.append(id);
    AcDbIdMapping map;
    Acad::ErrorStatus es = CommandDb()->deepCloneObjects(list, space, map);
    AcGeMatrix3d m = AcGeMatrix3d::translation(AcGePoint3d() - base);
    for (const AcDbIdPair& pair : map.pairs()) {
        AcDbEntity* e = nullptr;
        if (acdbOpenObject(e, pair.value(), AcDb::kForWrite) != Acad::eOk) continue;
        e->transformBy(m);
        e->close();
    }
    return es;
}

// A block reference among `ids` that inserts `block`, directly or through nested blocks.
bool ReferencesBlock(const std::vector<AcDbObjectId>& ids, AcDbObjectId block, int depth = 0) {
    if (depth > 64) return true;  // a cycle already: refuse rather than loop
    for (AcDbObjectId id : ids) {
        AcDbBlockReference* ref = nullptr;
        if (acdbOpenObject(ref, id, AcDb::kForRead) != Acad::eOk) continue;
        AcDbObjectId inner = ref->blockTableRecord();
        ref->close();
        if (inner == block) return true;
        AcDbBlockTableRecord* rec = nullptr;
        if (acdbOpenObject(rec, inner, AcDb::kForRead) != Acad::eOk) continue;
        std::vector<AcDbObjectId> nested = rec->entityIds();
        rec->close();
        if (ReferencesBlock(nested, block, depth + 1)) return true;
    }
    return false;
}

// ---- BLOCK ----

int Block() {
    AcDbDatabase* db = CommandDb();
    std::string name;
    AcDbObjectId existing;
    for (;;) {
        int st = GetStringPrompt(false, "\nEnter block name or [?]: ", name);
        if (st != RTNORM || name.empty()) return EndedStatus(st == RTNORM ? RTNONE : st);
        if (name == "?") {
            ListBlocks();
            continue;
        }
        if (!ValidBlockName(name)) {
            PromptMessage(("Invalid block name \"" + name + "\".").c_str());
            continue;
        }
        existing = BlockNamed(name);
        if (!existing.isNull()) {
            bool redefine = false;
            if ((st = AskYesNo("\nBlock \"" + name + "\" already exists. Redefine it?", false, redefine)) != RTNORM) return st;
            if (!redefine) return RTNORM;
        }
        break;
    }
    ads_point base;
    acedInitGet(RSG_NONULL, nullptr);
    int st = acedGetPoint(nullptr, "\nSpecify insertion base point: ", base);
    if (st != RTNORM) return st;
    std::vector<AcDbObjectId> ids;
    if ((st = SelectObjects(ids)) != RTNORM) {
        if (st == RTNONE) PromptMessage("Nothing selected: no block defined.");
        return EndedStatus(st);
    }
    if (!existing.isNull() && ReferencesBlock(ids, existing)) {
        PromptMessage(("Block \"" + name + "\" references itself: it is not redefined.").c_str());
        return RTERROR;
    }
    AcDbObjectId block = existing;
    if (block.isNull()) {
        AcDbBlockTable* t = nullptr;
        if (db->getBlockTable(t, AcDb::kForWrite) != Acad::eOk) return RTERROR;
        auto* rec = new AcDbBlockTableRecord;
        rec->setName(name.c_str());
        Acad::ErrorStatus es = t->add(block, rec);
        t->close();
        if (es != Acad::eOk) {
            delete rec;
            return RTERROR;
        }
        rec->close();
    } else {
        AcDbBlockTableRecord* rec = nullptr;
        if (acdbOpenObject(rec, block, AcDb::kForRead) != Acad::eOk) return RTERROR;
        std::vector<AcDbObjectId> old = rec->entityIds();
        rec->close();
        for (AcDbObjectId id : old) EraseObject(id);
    }
    if (CloneInto(ids, block, UcsPointToWorld(base)) != Acad::eOk) {
        PromptMessage("Some objects could not be copied into the block.");
    }
    for (AcDbObjectId id : ids) EraseObject(id);
    return RTNORM;
}

// ---- INSERT ----

std::string lastInserted;

// A drawing file for a block name: as given, or with .dxf or .dwg added, along the host's
// search order.
std::string FindDrawingFile(const std::string& name) {
    std::string found;
    if (FindFile(name, found)) return found;
    for (const char* ext : {".dxf", ".dwg"})
        if (FindFile(name + ext, found)) return found;
    return std::string();
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

// The block to insert: by name from the drawing, or read from a drawing file ("name=file"
// names the block and the file apart). Null when there is none (said why).
AcDbObjectId BlockToInsert(const std::string& answer) {
    AcDbDatabase* db = CommandDb();
    std::string name = answer, file;
    size_t eq = answer.find('=');
    if (eq != std::string::npos) {
        name = answer.substr(0, eq);
        file = answer.substr(eq + 1);
        if (file.empty()) file = name;
    }
    if (file.empty()) {
        AcDbObjectId id = BlockNamed(name);
        if (!id.isNull()) return id;
        file = name;
        name = BaseName(name);
    }
    if (!ValidBlockName(name)) {
        PromptMessage(("Invalid block name \"" + name + "\".").c_str());
        return AcDbObjectId();
    }
    std::string path = FindDrawingFile(file);
    if (path.empty()) {
        PromptMessage(("Block \"" + name + "\" not found: no block of that name and no drawing file \"" + file + "\".").c_str());
        return AcDbObjectId();
    }
    AcDbObjectId existing = BlockNamed(name);
    if (!existing.isNull()) {
        // Redefining from a file is not offered: the drawing's own definition is used.
        PromptMessage(("Block \"" + name + "\" is already defined in the drawing; its definition is used.").c_str());
        return existing;
    }
    AcDbDatabase source(false, true);
    if (source.readDwgFile(path.c_str()) != Acad::eOk) {
        PromptMessage(("Cannot read \"" + path + "\": " + source.lastErrorMessage()).c_str());
        return AcDbObjectId();
    }
    AcDbObjectId id;
    if (db->insert(id, name.c_str(), &source) != Acad::eOk) {
        PromptMessage(("Cannot make block \"" + name + "\" from \"" + path + "\".").c_str());
        return AcDbObjectId();
    }
    return id;
}

int Insert() {
    std::string answer;
    AcDbObjectId block;
    while (block.isNull()) {
        std::string prompt = "\nEnter block name or [?]" + (lastInserted.empty() ? std::string() : " <" + lastInserted + ">") + ": ";
        int st = GetStringPrompt(false, prompt.c_str(), answer);
        if (st != RTNORM) return st;
        if (answer.empty()) answer = lastInserted;
        if (answer.empty()) return RTNORM;
        if (answer == "?") {
            ListBlocks();
            continue;
        }
        block = BlockToInsert(answer);
        if (block.isNull()) return RTERROR;
    }
    size_t eq = answer.find('=');
    lastInserted = eq == std::string::npos ? answer : answer.substr(0, eq);
    ads_point at;
    acedInitGet(RSG_NONULL, nullptr);
    int st = acedGetPoint(nullptr, "\nSpecify insertion point: ", at);
    if (st != RTNORM) return st;
    ads_real xs = 1, ys = 1, rotation = 0;
    acedInitGet(RSG_NOZERO, nullptr);
    st = acedGetReal("\nEnter X scale factor <1>: ", &xs);
    if (st == RTCAN) return st;
    if (st == RTNONE) xs = 1;
    acedInitGet(RSG_NOZERO, nullptr);
    st = acedGetReal("\nEnter Y scale factor <use X scale factor>: ", &ys);
    if (st == RTCAN) return st;
    if (st == RTNONE) ys = xs;
    st = acedGetAngle(at, "\nSpecify rotation angle <0>: ", &rotation);
    if (st == RTCAN) return st;
    if (st == RTNONE) rotation = 0;
    AcGeVector3d normal = UcsNormal();
    auto* ref = new AcDbBlockReference(UcsPointToWorld(at), block);
    ref->setNormal(normal);
    ref->setScaleFactors(AcGeScale3d(xs, ys, xs));
    ref->setRotation(UcsAngleToEcs(rotation, normal));
    return AppendToModelSpace(ref).isNull() ? RTERROR : RTNORM;
}

// ---- WBLOCK ----

int Wblock() {
    AcDbDatabase* db = CommandDb();
    std::string file;
    int st = GetStringPrompt(true, "\nEnter name of output file: ", file);
    if (st != RTNORM || file.empty()) return EndedStatus(st == RTNORM ? RTNONE : st);
    size_t slash = file.find_last_of("/\\"), dot = file.find_last_of('.');
    bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    if (!hasExtension) file += ".dxf";
    std::string ext = file.substr(file.find_last_of('.'));
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext != ".dxf") {
        PromptMessage(("Drawings are written as DXF: \"" + file + "\" needs the .dxf extension.").c_str());
        return RTERROR;
    }
    if (NUVWin::PathExists(CString(file))) {
        bool replace = false;
        if ((st = AskYesNo("\nA drawing with this name already exists. Replace it?", false, replace)) != RTNORM) return st;
        if (!replace) return RTNORM;
    }
    std::string what;
    st = GetStringPrompt(false, "\nEnter name of existing block or\n[= (block=output file)/* (whole drawing)] <define new drawing>: ", what);
    if (st != RTNORM) return st;

    std::unique_ptr<AcDbDatabase> out;
    std::vector<AcDbObjectId> selected;
    if (what == "*") {
        AcDbDatabase* copy = nullptr;
        if (db->wblock(copy) != Acad::eOk) return RTERROR;
        out.reset(copy);
    } else {
        std::vector<AcDbObjectId> ids;
        AcGePoint3d base;
        if (what.empty()) {
            ads_point p;
            acedInitGet(RSG_NONULL, nullptr);
            if ((st = acedGetPoint(nullptr, "\nSpecify insertion base point: ", p)) != RTNORM) return st;
            base = UcsPointToWorld(p);
            if ((st = SelectObjects(ids)) != RTNORM) {
                if (st == RTNONE) PromptMessage("Nothing selected: no file written.");
                return EndedStatus(st);
            }
            selected = ids;
        } else {
            std::string name = what == "=" ? BaseName(file) : what;
            AcDbBlockTableRecord* rec = nullptr;
            AcDbObjectId id = BlockNamed(name);
            if (id.isNull() || acdbOpenObject(rec, id, AcDb::kForRead) != Acad::eOk) {
                PromptMessage(("Block \"" + name + "\" not found.").c_str());
                return RTERROR;
            }
            ids = rec->entityIds();
            base = rec->origin();
            rec->close();
        }
        out = std::make_unique<AcDbDatabase>(true, true);
        std::vector<AcDbObjectId> live;
        for (AcDbObjectId id : ids)
            if (!id.isErased()) live.push_back(id);
        if (!live.empty() && CloneInto(live, out->modelSpaceId(), base) != Acad::eOk)
            PromptMessage("Some objects could not be copied to the new drawing.");
    }
    if (out->saveAs(file.c_str()) != Acad::eOk) {
        PromptMessage(("Cannot write \"" + file + "\": " + out->lastErrorMessage()).c_str());
        return RTERROR;
    }
    // As on the host, objects written out of a selection leave the drawing (U brings them back).
    for (AcDbObjectId id : selected) EraseObject(id);
    return RTNORM;
}

}  // namespace

void RegisterBlockCommands() {
    RegisterBuiltinCommand({"BLOCK", 0, [] { return CommandDb() ? Block() : RTERROR; },
                            "defines a block from selected objects and a base point"});
    RegisterBuiltinCommand({"INSERT", 0, [] { return CommandDb() ? Insert() : RTERROR; },
                            "inserts a block or a drawing file: point, scales, rotation"});
    RegisterBuiltinCommand({"-INSERT", 0, [] { return CommandDb() ? Insert() : RTERROR; },
                            "inserts a block or a drawing file from the command line"});
    RegisterBuiltinCommand({"WBLOCK", 0, [] { return CommandDb() ? Wblock() : RTERROR; },
                            "writes a block, the drawing or selected objects to a DXF file"});
}

}  // namespace NUVAcad
