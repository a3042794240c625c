// Object values as text, extended data, and the drawing's own records.
#include "ZQCAD/OxData.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ZQCAD/CurrentDrawing.h"

namespace {

// Closes an opened object when the scope ends.
template <class T>
struct Opened {
    T* p = nullptr;
    ~Opened() {
        if (p) p->close();
    }
    T* operator->() const { return p; }
};

struct Chain {
    resbuf* head = nullptr;
    ~Chain() { acutRelRb(head); }
};

CString Format(const char* fmt, auto... args) {
    CString s;
    s.Format(fmt, args...);
    return s;
}

// The value of a buffer as text; false for kinds that have no text form here.
bool AsText(const resbuf* rb, CString& out) {
    switch (acutResValKind(rb->restype)) {
    case ResValKind::String: out = rb->resval.rstring ? rb->resval.rstring : ""; return true;
    case ResValKind::Short: out = Format("%d", static_cast<int>(rb->resval.rint)); return true;
    case ResValKind::Long: out = Format("%ld", rb->resval.rlong); return true;
    case ResValKind::Int64: out = Format("%lld", static_cast<long long>(rb->resval.mnInt64)); return true;
    case ResValKind::Real: out = Format("%f", rb->resval.rreal); return true;
    case ResValKind::Point:
        out = Format("%f,%f,%f", rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]);
        return true;
    default: return false;
    }
}

// The index-th buffer of the chain with restype `code`, starting after `from`.
const resbuf* Nth(const resbuf* from, int code, int index) {
    for (const resbuf* rb = from; rb; rb = rb->rbnext)
        if (rb->restype == code && index-- == 0) return rb;
    return nullptr;
}

bool ParseLong(const char* text, long& v) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    v = std::strtol(text, &end, 10);
    return errno == 0 && *end == '\0';
}

bool ParseDouble(const char* text, double& v) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    v = std::strtod(text, &end);
    return errno == 0 && *end == '\0';
}

Acad::ErrorStatus RegisterApp(AcDbDatabase* db, const char* app) {
    AcDbRegAppTable* table = nullptr;
    if (Acad::ErrorStatus es = db->getRegAppTable(table, AcDb::kForRead); es != Acad::eOk) return es;
    Opened<AcDbRegAppTable> t{table};
    if (t->has(app)) return Acad::eOk;
    if (Acad::ErrorStatus es = t->upgradeOpen(); es != Acad::eOk) return es;
    auto* rec = new AcDbRegAppTableRecord;
    if (Acad::ErrorStatus es = rec->setName(app); es != Acad::eOk) {
        delete rec;
        return es;
    }
    if (Acad::ErrorStatus es = t->add(rec); es != Acad::eOk) {
        delete rec;
        return es;
    }
    rec->close();
    return Acad::eOk;
}

// ---- Drawing records ----

enum class Kind { Integer, Real };

bool KindOfCode(int code, Kind& kind) {
    if (code == 1070 || code == 1071) kind = Kind::Integer;
    else if (code == 1040) kind = Kind::Real;
    else return false;
    return true;
}

bool IsKind(int restype, Kind kind) { return kind == Kind::Integer ? (restype == 70 || restype == 90) : restype == 40; }

// The record dict/key of the current drawing, opened; null when absent (or, with `create`, when
// it cannot be made).
AcDbXrecord* OpenRecord(const char* dict, const char* key, AcDb::OpenMode mode, bool create) {
    if (!dict || !*dict || !key || !*key || *dict == '*' || *key == '*') return nullptr;
    AcDbDatabase* db = ZQ::GetCurDWGPtr();
    if (!db) return nullptr;
    AcDbDictionary* nod = nullptr;
    if (db->getNamedObjectsDictionary(nod, AcDb::kForRead) != Acad::eOk) return nullptr;
    Opened<AcDbDictionary> root{nod};
    AcDbObjectId dictId;
    if (root->getAt(dict, dictId) != Acad::eOk) {
        if (!create || root->upgradeOpen() != Acad::eOk) return nullptr;
        auto* made = new AcDbDictionary;
        if (root->setAt(dict, made, dictId) != Acad::eOk) {
            delete made;
            return nullptr;
        }
        made->close();
    }
    AcDbDictionary* settings = nullptr;
    if (acdbOpenObject(settings, dictId, create ? AcDb::kForWrite : AcDb::kForRead) != Acad::eOk) return nullptr;
    Opened<AcDbDictionary> d{settings};
    AcDbObjectId recId;
    if (d->getAt(key, recId) != Acad::eOk) {
        if (!create) return nullptr;
        auto* rec = new AcDbXrecord;
        if (d->setAt(key, rec, recId) != Acad::eOk) {
            delete rec;
            return nullptr;
        }
        if (mode == AcDb::kForWrite) return rec;
        rec->close();
    }
    AcDbXrecord* rec = nullptr;
    if (acdbOpenObject(rec, recId, mode) != Acad::eOk) return nullptr;
    return rec;
}

int GetRecordValue(const char* dict, const char* key, int code, int index, Kind wanted, resbuf& out) {
    Kind kind;
    if (!KindOfCode(code, kind) || index < 0) return Acad::eInvalidInput;
    AcDbXrecord* rec = OpenRecord(dict, key, AcDb::kForRead, false);
    if (!rec) return Acad::eKeyNotFound;
    Chain chain;
    Acad::ErrorStatus es = rec->rbChain(&chain.head);
    rec->close();
    if (es != Acad::eOk) return es;
    // An integer is also a real; a real is never cut down to an integer.
    for (const resbuf* rb = chain.head; rb; rb = rb->rbnext) {
        if (!IsKind(rb->restype, kind)) continue;
        if (index-- > 0) continue;
        if (wanted == Kind::Integer && kind != Kind::Integer) return Acad::eWrongObjectType;
        out = *rb;
        out.rbnext = nullptr;
        return 0;
    }
    return Acad::eKeyNotFound;
}

int SetRecordValue(const char* dict, const char* key, int index, resbuf* value) {
    Kind kind = value->restype == 40 ? Kind::Real : Kind::Integer;
    // Only a first value may make the record: a failed store leaves no empty record behind.
    AcDbXrecord* rec = OpenRecord(dict, key, AcDb::kForWrite, index == 0);
    if (!rec) {
        acutRelRb(value);
        return 0;
    }
    Opened<AcDbXrecord> r{rec};
    Chain chain;
    if (r->rbChain(&chain.head) != Acad::eOk) return 0;
    resbuf** link = &chain.head;
    int seen = 0;
    for (; *link; link = &(*link)->rbnext) {
        if (!IsKind((*link)->restype, kind)) continue;
        if (seen++ == index) {
            value->rbnext = (*link)->rbnext;
            (*link)->rbnext = nullptr;
            acutRelRb(*link);
            *link = value;
            break;
        }
    }
    if (!*link) {
        if (seen != index) {
            acutRelRb(value);
            return 0;
        }
        *link = value;
    }
    return r->setFromRbChain(*chain.head) == Acad::eOk ? 1 : 0;
}

}  // namespace

OxData::OxData(const ads_name name) {
    if (name && acdbGetObjectId(id_, name) != Acad::eOk) id_ = AcDbObjectId();
}

int OxData::GetxData(const char* app, int code, CString& value, int index) const {
    if (index < 0) return Acad::eInvalidInput;
    AcDbObject* obj = nullptr;
    if (Acad::ErrorStatus es = acdbOpenObject(obj, id_, AcDb::kForRead); es != Acad::eOk) return es;
    Opened<AcDbObject> o{obj};
    Chain chain;
    const resbuf* from = nullptr;
    if (app) {
        if (!*app) return Acad::eInvalidInput;
        chain.head = o->xData(app);
        from = chain.head ? chain.head->rbnext : nullptr;  // after (1001 . app)
    } else {
        ads_name name;
        if (acdbGetAdsName(name, id_) != Acad::eOk) return Acad::eInvalidAdsName;
        chain.head = acdbEntGet(name);
        from = chain.head;
    }
    const resbuf* rb = Nth(from, code, index);
    if (!rb) return Acad::eKeyNotFound;
    CString text;
    if (!AsText(rb, text)) return Acad::eWrongObjectType;
    value = text;
    return 0;
}

int OxData::SetxData(const char* app, int code, const char* value) {
    if (!app || !*app || !value) return Acad::eInvalidInput;
    resbuf* data = nullptr;
    long n = 0;
    double d = 0;
    switch (code) {
    case 1000: data = acutBuildList(1001, app, 1000, value, 0); break;
    case 1070:
        if (!ParseLong(value, n) || n < SHRT_MIN || n > SHRT_MAX) return Acad::eInvalidInput;
        data = acutBuildList(1001, app, 1070, static_cast<int>(n), 0);
        break;
    case 1071:
        if (!ParseLong(value, n) || n < INT_MIN || n > INT_MAX) return Acad::eInvalidInput;
        data = acutBuildList(1001, app, 1071, n, 0);
        break;
    case 1040:
        if (!ParseDouble(value, d)) return Acad::eInvalidInput;
        data = acutBuildList(1001, app, 1040, d, 0);
        break;
    default: return Acad::eInvalidInput;
    }
    Chain chain{data};
    AcDbObject* obj = nullptr;
    if (Acad::ErrorStatus es = acdbOpenObject(obj, id_, AcDb::kForWrite); es != Acad::eOk) return es;
    Opened<AcDbObject> o{obj};
    if (Acad::ErrorStatus es = RegisterApp(o->database(), app); es != Acad::eOk) return es;
    return o->setXData(chain.head);
}

int OxData::RemovexData(const char* app) {
    if (!app || !*app) return Acad::eInvalidInput;
    AcDbObject* obj = nullptr;
    if (Acad::ErrorStatus es = acdbOpenObject(obj, id_, AcDb::kForWrite); es != Acad::eOk) return es;
    Opened<AcDbObject> o{obj};
    Chain existing{o->xData(app)};
    if (!existing.head) return 0;
    Chain name{acutBuildList(1001, app, 0)};
    return o->setXData(name.head);
}

int OxData::GetDWGxRecord(const char* dict, const char* key, int code, int& value, int index) {
    resbuf rb{};
    int rc = GetRecordValue(dict, key, code, index, Kind::Integer, rb);
    if (rc == 0) value = rb.restype == 70 ? rb.resval.rint : static_cast<int>(rb.resval.rlong);
    return rc;
}

int OxData::GetDWGxRecord(const char* dict, const char* key, int code, double& value, int index) {
    resbuf rb{};
    int rc = GetRecordValue(dict, key, code, index, Kind::Real, rb);
    if (rc == 0)
        value = rb.restype == 40 ? rb.resval.rreal : rb.restype == 70 ? rb.resval.rint : static_cast<double>(rb.resval.rlong);
    return rc;
}

int OxData::SetDWGxRecord(const char* dict, const char* key, int code, int value, int index) {
    if (index < 0) return 0;
    resbuf* rb = nullptr;
    if (code == 1040) {
        rb = acutBuildList(40, static_cast<double>(value), 0);
    } else if (code == 1070 || code == 1071) {
        rb = value >= SHRT_MIN && value <= SHRT_MAX ? acutBuildList(70, value, 0) : acutBuildList(90, static_cast<long>(value), 0);
    } else {
        return 0;
    }
    return SetRecordValue(dict, key, index, rb);
}

int OxData::SetDWGxRecord(const char* dict, const char* key, int code, double value, int index) {
    if (index < 0 || code != 1040) return 0;
    return SetRecordValue(dict, key, index, acutBuildList(40, value, 0));
}
