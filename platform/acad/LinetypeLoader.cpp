// The file is read through the platform's file layer (either separator, case-insensitive
// folders). Loading is two passes: every matching definition is resolved against the drawing
// first (styles, existing names), then the table is changed, so a refused definition leaves
// nothing half made. The changes go through the open discipline and are undone like any other.
#include "acad/LinetypeLoader.h"

#include <cstring>

#include "acad/AcDbDatabase.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/AcutWcMatch.h"
#include "acad/DbInternal.h"
#include "acad/LinFile.h"
#include "win/CString.h"
#include "win/FileSystem.h"

namespace NUVAcad {

namespace {

struct Plan {
    const LinDefinition* def;
    AcDbObjectId existing;
    std::vector<AcDbObjectId> styles;  // per element: the text style or shape-file style
    std::vector<std::string> newShapeFiles;
};

AcDbObjectId findTextStyle(AcDbDatabase* db, const std::string& name) {
    auto* t = DbAccess::peekAs<AcDbSymbolTable>(db->textStyleTableId());
    AcDbObjectId id;
    if (t) t->getAt(name.c_str(), id);
    return id;
}

AcDbObjectId findShapeFileStyle(AcDbDatabase* db, const std::string& file) {
    auto* t = DbAccess::peekAs<AcDbSymbolTable>(db->textStyleTableId());
    if (!t) return {};
    for (AcDbObjectId id : t->recordIds()) {
        auto* rec = DbAccess::peekAs<AcDbTextStyleTableRecord>(id);
        const char* f = nullptr;
        if (rec && !rec->isErased() && rec->isShapeFile() && rec->fileName(f) == Acad::eOk && namesEqual(f, file))
            return id;
    }
    return {};
}

bool hasWildcards(const std::string& s) { return s.find_first_of("*?#@.[~`,") != std::string::npos; }

}  // namespace

Acad::ErrorStatus LoadLinetypes(AcDbDatabase* db, const char* pattern, const char* file, bool reload,
                                LinetypeLoadReport& report) {
    report = LinetypeLoadReport();
    if (!db || !pattern || !*pattern || !file || !*file) return Acad::eInvalidInput;
    std::string bytes;
    if (!NUVWin::ReadFileBytes(CString(file), bytes)) {
        report.errors.push_back(std::string(file) + ": cannot be read");
        return Acad::eFileNotFound;
    }
    LinFile lin = ParseLinFile(bytes, file);
    report.errors = lin.errors;
    std::string up = upperName(pattern);
    auto* table = DbAccess::peekAs<AcDbSymbolTable>(db->linetypeTableId());
    if (!table) return Acad::eNoDatabase;

    // Pass 1: what would be done, and what cannot be.
    std::vector<Plan> plans;
    int matched = 0;
    for (const LinDefinition& d : lin.types) {
        if (acutWcMatch(upperName(d.name).c_str(), up.c_str()) != RTNORM) continue;
        ++matched;
        Plan p{&d, {}, {}, {}};
        table->getAt(d.name.c_str(), p.existing);
        if (!p.existing.isNull() && !reload) {
            report.alreadyLoaded.push_back(d.name);
            continue;
        }
        bool ok = true;
        for (const LinElement& e : d.elements) {
            AcDbObjectId style;
            if (e.kind == LinElement::Text) {
                style = findTextStyle(db, e.style);
                if (style.isNull()) {
                    report.errors.push_back(std::string(file) + ":" + std::to_string(d.line) + ": line type " + d.name +
                                            " uses the text style " + e.style + ", which the drawing does not have");
                    ok = false;
                }
            } else if (e.kind == LinElement::Shape) {
                style = findShapeFileStyle(db, e.style);
                if (style.isNull()) p.newShapeFiles.push_back(e.style);
            }
            p.styles.push_back(style);
        }
        if (ok) plans.push_back(std::move(p));
    }
    if (matched == 0) return Acad::eKeyNotFound;
    if (plans.empty()) {
        if (!report.alreadyLoaded.empty())
            return hasWildcards(pattern) ? Acad::eOk : Acad::eDuplicateRecordName;
        return Acad::eInvalidInput;
    }

    // Pass 2: the drawing changes.
    for (Plan& p : plans) {
        for (size_t k = 0; k < p.def->elements.size(); ++k) {
            const LinElement& e = p.def->elements[k];
            if (e.kind != LinElement::Shape || !p.styles[k].isNull()) continue;
            AcDbObjectId id = findShapeFileStyle(db, e.style);  // made for an earlier element
            if (id.isNull()) {
                AcDbTextStyleTable* styles = nullptr;
                if (db->getTextStyleTable(styles, AcDb::kForWrite) != Acad::eOk) return Acad::eInvalidOpenState;
                auto* rec = new AcDbTextStyleTableRecord;
                rec->setName(e.style.c_str());
                rec->setFileName(e.style.c_str());
                rec->setIsShapeFile(true);
                Acad::ErrorStatus es = styles->add(id, rec);
                if (es == Acad::eOk) rec->close();
                else delete rec;
                styles->close();
                if (es != Acad::eOk) {
                    id = findTextStyle(db, e.style);  // a text style already has the file's name
                    if (id.isNull()) return es;
                }
            }
            p.styles[k] = id;
        }
        AcDbLinetypeTableRecord* rec = nullptr;
        AcDbLinetypeTable* lts = nullptr;
        bool fresh = p.existing.isNull();
        if (fresh) {
            rec = new AcDbLinetypeTableRecord;
            rec->setName(p.def->name.c_str());
        } else if (acdbOpenObject(rec, p.existing, AcDb::kForWrite) != Acad::eOk) {
            report.errors.push_back(p.def->name + ": the line type is open and cannot be reloaded");
            continue;
        }
        rec->setComments(p.def->description.c_str());
        rec->setPatternLength(p.def->patternLength());
        rec->setNumDashes(0);
        rec->setNumDashes(static_cast<int>(p.def->elements.size()));
        for (size_t k = 0; k < p.def->elements.size(); ++k) {
            const LinElement& e = p.def->elements[k];
            int i = static_cast<int>(k);
            rec->setDashLengthAt(i, e.length);
            if (e.kind == LinElement::Plain) continue;
            rec->setShapeStyleAt(i, p.styles[k]);
            if (e.kind == LinElement::Text) rec->setTextAt(i, e.text.c_str());
            else rec->setShapeNumberAt(i, 0);
            rec->setShapeIsUcsOrientedAt(i, e.absoluteRotation);
            rec->setShapeScaleAt(i, e.scale);
            rec->setShapeRotationAt(i, e.rotation);
            rec->setShapeOffsetAt(i, AcGeVector2d(e.x, e.y));
        }
        if (fresh) {
            if (db->getLinetypeTable(lts, AcDb::kForWrite) != Acad::eOk) {
                delete rec;
                return Acad::eInvalidOpenState;
            }
            Acad::ErrorStatus es = lts->add(rec);
            lts->close();
            if (es != Acad::eOk) {
                delete rec;
                report.errors.push_back(p.def->name + ": cannot be added to the line-type table");
                continue;
            }
            report.loaded.push_back(p.def->name);
        } else {
            report.reloaded.push_back(p.def->name);
        }
        rec->close();
    }
    return Acad::eOk;
}

}  // namespace NUVAcad

Acad::ErrorStatus AcDbDatabase::loadLineTypeFile(const char* ltName, const char* fileName) {
    NUVAcad::LinetypeLoadReport report;
    return NUVAcad::LoadLinetypes(this, ltName, fileName, false, report);
}
