// Layer records of the current drawing, looked up by name at every call.
#include "ZQCAD/LayerInfo.h"

#include <cstdlib>
#include <strings.h>

#include "ZQCAD/CurrentDrawing.h"

namespace {

// Names the host refuses for a symbol: empty, too long, or holding one of <>/\":;?*|,=`.
bool ValidName(const char* name) {
    if (!name || !*name) return false;
    std::size_t n = 0;
    for (const char* p = name; *p; ++p, ++n) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c >= 0x80 && p[1]) {  // a double-byte character: its trail byte is no separator
            ++p, ++n;
            continue;
        }
        if (c < 0x20 || std::string_view("<>/\\\":;?*|,=`").find(static_cast<char>(c)) != std::string_view::npos)
            return false;
    }
    return n <= 255;
}

bool SameName(const char* a, const char* b) { return ::strcasecmp(a, b) == 0; }

// Whether any entity of any block (model space, paper space, block definitions) is on the layer.
bool LayerInUse(AcDbDatabase* db, AcDbObjectId layer) {
    AcDbBlockTable* blocks = nullptr;
    if (db->getBlockTable(blocks, AcDb::kForRead) != Acad::eOk) return true;  // cannot tell: keep it
    bool used = false;
    for (AcDbObjectId btrId : blocks->recordIds()) {
        AcDbBlockTableRecord* btr = nullptr;
        if (acdbOpenObject(btr, btrId, AcDb::kForRead) != Acad::eOk) continue;
        AcDbBlockTableRecordIterator* it = nullptr;
        if (btr->newIterator(it) == Acad::eOk) {
            for (; !used && !it->done(); it->step()) {
                AcDbEntity* ent = nullptr;
                if (it->getEntity(ent, AcDb::kForRead) != Acad::eOk) continue;
                used = ent->layerId() == layer;
                ent->close();
            }
            delete it;
        }
        btr->close();
        if (used) break;
    }
    blocks->close();
    return used;
}

}  // namespace

layerInfo::layerInfo(const char* name, bool create) : m_strName(name ? name : "") {
    if (!create || m_strName.IsEmpty()) return;
    AcDbDatabase* db = ZQ::GetCurDWGPtr();
    if (!db) {
        m_es = Acad::eNoDatabase;
        return;
    }
    if (!ValidName(m_strName)) {
        m_es = Acad::eInvalidInput;
        return;
    }
    AcDbLayerTable* table = nullptr;
    if ((m_es = db->getLayerTable(table, AcDb::kForRead)) != Acad::eOk) return;
    if (!table->has(m_strName) && (m_es = table->upgradeOpen()) == Acad::eOk) {
        auto* rec = new AcDbLayerTableRecord;
        rec->setName(m_strName);
        rec->setColorIndex(7);
        rec->setLinetypeObjectId(db->continuousLinetype());
        if ((m_es = table->add(rec)) == Acad::eOk)
            rec->close();
        else
            delete rec;
    }
    table->close();
}

layerInfo::layerInfo(const layerInfo& other) : m_strName(other.m_strName), m_es(other.m_es) {}

layerInfo& layerInfo::operator=(const layerInfo& other) {
    m_strName = other.m_strName;
    m_es = other.m_es;
    return *this;
}

layerInfo::~layerInfo() = default;

AcDbLayerTableRecord* layerInfo::GetLayerTableRecordPtr(const char* name, AcDb::OpenMode mode, Acad::ErrorStatus& status) {
    AcDbDatabase* db = ZQ::GetCurDWGPtr();
    if (!db) {
        status = Acad::eNoDatabase;
        return nullptr;
    }
    if (!name || !*name) {
        status = Acad::eInvalidInput;
        return nullptr;
    }
    AcDbLayerTable* table = nullptr;
    if ((status = db->getLayerTable(table, AcDb::kForRead)) != Acad::eOk) return nullptr;
    AcDbLayerTableRecord* rec = nullptr;
    status = table->getAt(name, rec, mode);
    table->close();
    return status == Acad::eOk ? rec : nullptr;
}

bool layerInfo::ReadyOK() {
    if (m_strName.IsEmpty()) {
        m_es = Acad::eInvalidInput;
        return false;
    }
    AcDbLayerTableRecord* rec = GetLayerTableRecordPtr(m_strName, AcDb::kForRead, m_es);
    if (!rec) return false;
    rec->close();
    return true;
}

template <class F>
bool layerInfo::Change(F change) {
    AcDbLayerTableRecord* rec = GetLayerTableRecordPtr(m_strName, AcDb::kForWrite, m_es);
    if (!rec) return false;
    m_es = change(rec);
    rec->close();
    return m_es == Acad::eOk;
}

AcDbLayerTableRecord* layerInfo::GetRecordPtr(AcDb::OpenMode mode) { return GetLayerTableRecordPtr(m_strName, mode, m_es); }

Acad::ErrorStatus layerInfo::GetErrorStatus() { return m_es; }

CString layerInfo::Name() { return m_strName; }

bool layerInfo::IsExist() { return ReadyOK(); }

#define NUV_LAYER_QUERY(expr, fallback)                                                   \
    AcDbLayerTableRecord* rec = GetLayerTableRecordPtr(m_strName, AcDb::kForRead, m_es); \
    if (!rec) return fallback;                                                             \
    auto result = (expr);                                                                  \
    rec->close();                                                                          \
    return result;

bool layerInfo::IsFrozen() { NUV_LAYER_QUERY(rec->isFrozen(), false) }
bool layerInfo::IsLocked() { NUV_LAYER_QUERY(rec->isLocked(), false) }
bool layerInfo::IsOff() { NUV_LAYER_QUERY(rec->isOff(), false) }
bool layerInfo::IsColorByBlock() { NUV_LAYER_QUERY(rec->colorIndex() == 0, false) }
bool layerInfo::IsColorByLayer() { NUV_LAYER_QUERY(rec->colorIndex() == 256, false) }
int layerInfo::GetColorIndex() { NUV_LAYER_QUERY(rec->colorIndex(), -1) }

#undef NUV_LAYER_QUERY

CString layerInfo::GetLineTypeName() {
    AcDbLayerTableRecord* rec = GetLayerTableRecordPtr(m_strName, AcDb::kForRead, m_es);
    if (!rec) return CString();
    AcDbObjectId ltId = rec->linetypeObjectId();
    rec->close();
    AcDbLinetypeTableRecord* lt = nullptr;
    if ((m_es = acdbOpenObject(lt, ltId, AcDb::kForRead)) != Acad::eOk) return CString();
    CString name(lt->name());
    lt->close();
    return name;
}

bool layerInfo::SetIsLocked(bool locked) {
    return Change([&](AcDbLayerTableRecord* r) {
        r->setIsLocked(locked);
        return Acad::eOk;
    });
}

bool layerInfo::SetIsFrozen(bool frozen) {
    return Change([&](AcDbLayerTableRecord* r) {
        if (frozen && r->database()->clayer() == r->objectId()) return Acad::eInvalidInput;
        return r->setIsFrozen(frozen);
    });
}

bool layerInfo::SetIsOff(bool off) {
    return Change([&](AcDbLayerTableRecord* r) {
        r->setIsOff(off);
        return Acad::eOk;
    });
}

bool layerInfo::SetLineTypeName(const char* linetype) {
    if (!linetype || !*linetype) {
        m_es = Acad::eInvalidInput;
        return false;
    }
    return Change([&](AcDbLayerTableRecord* r) {
        AcDbLinetypeTable* table = nullptr;
        if (Acad::ErrorStatus es = r->database()->getLinetypeTable(table, AcDb::kForRead); es != Acad::eOk) return es;
        AcDbObjectId ltId;
        Acad::ErrorStatus es = table->getAt(linetype, ltId);
        table->close();
        return es == Acad::eOk ? r->setLinetypeObjectId(ltId) : es;
    });
}

bool layerInfo::SetColorIndex(int color) {
    return Change([&](AcDbLayerTableRecord* r) { return r->setColorIndex(color); });
}

bool layerInfo::SetColor(const char* color) {
    static const char* const names[] = {"red", "yellow", "green", "cyan", "blue", "magenta", "white"};
    int index = 0;
    if (color && *color) {
        for (int i = 0; i < 7; ++i)
            if (SameName(color, names[i])) index = i + 1;
        if (index == 0) {
            char* end = nullptr;
            long n = std::strtol(color, &end, 10);
            if (*end == '\0' && n >= 1 && n <= 255) index = static_cast<int>(n);
        }
    }
    if (index == 0) {
        m_es = Acad::eInvalidInput;
        return false;
    }
    return SetColorIndex(index);
}

bool layerInfo::Rename(const char* newName) {
    if (!ValidName(newName) || SameName(m_strName, "0")) {
        m_es = Acad::eInvalidInput;
        return false;
    }
    if (!Change([&](AcDbLayerTableRecord* r) { return r->setName(newName); })) return false;
    m_strName = newName;
    return true;
}

bool layerInfo::Erase() {
    if (SameName(m_strName, "0") || SameName(m_strName, "Defpoints")) {
        m_es = Acad::eCannotBeErasedByCaller;
        return false;
    }
    return Change([&](AcDbLayerTableRecord* r) {
        AcDbDatabase* db = r->database();
        if (db->clayer() == r->objectId() || LayerInUse(db, r->objectId())) return Acad::eCannotBeErasedByCaller;
        return r->erase();
    });
}

bool layerInfo::SetCurLayer() {
    AcDbLayerTableRecord* rec = GetLayerTableRecordPtr(m_strName, AcDb::kForRead, m_es);
    if (!rec) return false;
    AcDbObjectId id = rec->objectId();
    bool frozen = rec->isFrozen();
    AcDbDatabase* db = rec->database();
    rec->close();
    m_es = frozen ? Acad::eInvalidInput : db->setClayer(id);
    return m_es == Acad::eOk;
}
