// The line-type chooser answered by the input source (see the header).
#include "acad/AcEdLinetypeDialog.h"

#include <strings.h>

#include <string>

#include "acad/AcDbDatabase.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/AcEdPrompts.h"
#include "acad/AdsTypes.h"
#include "acad/CommandSupport.h"
#include "acad/ResBuf.h"

bool acedLinetypeDialog(AcDbObjectId oldId, bool includeByBlockByLayer, char*& newName, AcDbObjectId& newId) {
    AcDbDatabase* db = NUVAcad::CommandDb();
    if (!db) return false;
    const std::string before = oldId.isNull() ? std::string() : NUVAcad::RecordName(oldId);
    const std::string prompt =
        "\nSelect linetype" + (before.empty() ? std::string() : " <" + before + ">") + ": ";
    for (;;) {
        std::string name;
        if (NUVAcad::GetStringPrompt(false, prompt.c_str(), name) != RTNORM) return false;
        AcDbObjectId id;
        if (name.empty()) {
            if (before.empty()) return false;
            name = before;
            id = oldId;
        } else {
            const bool byName = strcasecmp(name.c_str(), "ByBlock") == 0 || strcasecmp(name.c_str(), "ByLayer") == 0;
            AcDbLinetypeTable* table = nullptr;
            if (db->getLinetypeTable(table, AcDb::kForRead) != Acad::eOk) return false;
            const Acad::ErrorStatus es = table->getAt(name.c_str(), id);
            table->close();
            if (es != Acad::eOk || (byName && !includeByBlockByLayer)) {
                NUVAcad::PromptMessage(("Linetype \"" + name + "\" is not in the list.").c_str());
                continue;
            }
            name = NUVAcad::RecordName(id);  // as the drawing spells it
        }
        newName = acutNewString(name.c_str());
        newId = id;
        return true;
    }
}
