// The table of system variables and the host's own variables.
#include "acad/SysVars.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <strings.h>
#include <unistd.h>

#include "acad/AcApDocument.h"
#include "acad/AcDbDatabase.h"
#include "acad/AcDbEntity.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/CommandProcessor.h"
#include "acad/Display.h"
#include "acad/HostInternal.h"
#include "win/Encoding.h"
#include "win/FileSystem.h"

namespace NUVAcad {
namespace {

struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const { return ::strcasecmp(a.c_str(), b.c_str()) < 0; }
};

struct Session {
    int cmdecho = 1;
    int osmode = 4133;
    int pickbox = 3;
    int filedia = 1;
    int expert = 0;
    int highlight = 1;
    int errnoValue = 0;
    std::string cecolor = "BYLAYER";
} session;

std::map<std::string, SysVar, NoCase>& Table();

AcApDocument* Doc() { return acDocManager->curDocument(); }
AcDbDatabase* Db() {
    AcApDocument* d = Doc();
    return d ? d->database() : acdbHostApplicationServices()->workingDatabase();
}

bool PutShort(resbuf& out, int v) {
    out.restype = RTSHORT;
    out.resval.rint = static_cast<short>(v);
    return true;
}
bool PutReal(resbuf& out, double v) {
    out.restype = RTREAL;
    out.resval.rreal = v;
    return true;
}
bool PutString(resbuf& out, const std::string& s) {
    out.restype = RTSTR;
    out.resval.rstring = acutNewString(s.c_str());
    return true;
}
bool PutPoint(resbuf& out, const AcGePoint3d& p) {
    out.restype = RT3DPOINT;
    out.resval.rpoint[0] = p.x;
    out.resval.rpoint[1] = p.y;
    out.resval.rpoint[2] = p.z;
    return true;
}

// An integer variable kept in `slot`, accepted within [lo, hi].
SysVar IntVar(const char* name, std::function<int*()> slot, int lo, int hi) {
    SysVar v;
    v.name = name;
    v.type = RTSHORT;
    v.get = [slot](resbuf& out) {
        int* p = slot();
        return p && PutShort(out, *p);
    };
    v.set = [slot, lo, hi](const resbuf& value) -> std::string {
        int* p = slot();
        if (!p) return "no drawing is open";
        if (value.resval.rint < lo || value.resval.rint > hi)
            return "out of range " + std::to_string(lo) + " to " + std::to_string(hi);
        *p = value.resval.rint;
        return std::string();
    };
    return v;
}

SysVar ReadOnly(const char* name, int type, std::function<bool(resbuf&)> get) {
    SysVar v;
    v.name = name;
    v.type = type;
    v.get = std::move(get);
    return v;
}

std::string RecordName(AcDbObjectId id) {
    AcDbSymbolTableRecord* rec = nullptr;
    if (acdbOpenObject(rec, id, AcDb::kForRead) != Acad::eOk) return std::string();
    std::string name = rec->name();
    rec->close();
    return name;
}

// A current setting named by a record of one of the database's tables.
SysVar RecordVar(const char* name, AcDbObjectId (AcDbDatabase::*tableId)() const,
                 AcDbObjectId (AcDbDatabase::*current)() const,
                 Acad::ErrorStatus (AcDbDatabase::*setCurrent)(AcDbObjectId), const char* what) {
    SysVar v;
    v.name = name;
    v.type = RTSTR;
    v.get = [=](resbuf& out) {
        AcDbDatabase* db = Db();
        return db && PutString(out, RecordName((db->*current)()));
    };
    v.set = [=](const resbuf& value) -> std::string {
        AcDbDatabase* db = Db();
        if (!db) return "no drawing is open";
        AcDbSymbolTable* table = nullptr;
        if (acdbOpenObject(table, (db->*tableId)(), AcDb::kForRead) != Acad::eOk) return "the table cannot be read";
        AcDbObjectId id;
        Acad::ErrorStatus es = table->getAt(value.resval.rstring, id);
        table->close();
        if (es != Acad::eOk) return std::string("no ") + what + " of that name";
        if ((db->*setCurrent)(id) != Acad::eOk) return std::string("the ") + what + " cannot be made current";
        return std::string();
    };
    return v;
}

SysVar PositiveRealVar(const char* name, double (AcDbDatabase::*get)() const,
                       Acad::ErrorStatus (AcDbDatabase::*set)(double)) {
    SysVar v;
    v.name = name;
    v.type = RTREAL;
    v.get = [=](resbuf& out) {
        AcDbDatabase* db = Db();
        return db && PutReal(out, (db->*get)());
    };
    v.set = [=](const resbuf& value) -> std::string {
        AcDbDatabase* db = Db();
        if (!db) return "no drawing is open";
        if (!(value.resval.rreal > 0)) return "must be greater than 0";
        return (db->*set)(value.resval.rreal) == Acad::eOk ? std::string() : "refused by the drawing";
    };
    return v;
}

// The model space's extents; invalid for an empty drawing.
AcDbExtents ModelExtents(AcDbDatabase* db) {
    AcDbExtents ext;
    AcDbBlockTableRecord* ms = nullptr;
    if (acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return ext;
    std::vector<AcDbObjectId> ids = ms->entityIds();
    ms->close();
    for (AcDbObjectId id : ids) {
        AcDbEntity* e = nullptr;
        if (acdbOpenObject(e, id, AcDb::kForRead) != Acad::eOk) continue;
        AcDbExtents one;
        if (e->getGeomExtents(one) == Acad::eOk && one.isValid()) ext.addExt(one);
        e->close();
    }
    return ext;
}

std::string FolderOf(const std::string& gbkPath) {
    std::size_t slash = gbkPath.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : gbkPath.substr(0, slash + 1);
}

std::string CurrentFolder() {
    char buf[4096];
    if (!::getcwd(buf, sizeof buf)) return std::string();
    return NUVWin::AppendSeparator(CString(NUVWin::Utf8ToGbk(buf))).str();
}

void DefineHostVariables() {
    auto sessionInt = [](const char* name, int Session::*field, int lo, int hi) {
        DefineSysVar(IntVar(name, [field] { return &(session.*field); }, lo, hi));
    };
    sessionInt("CMDECHO", &Session::cmdecho, 0, 1);
    sessionInt("OSMODE", &Session::osmode, 0, 16383);
    sessionInt("PICKBOX", &Session::pickbox, 0, 50);
    sessionInt("FILEDIA", &Session::filedia, 0, 1);
    sessionInt("EXPERT", &Session::expert, 0, 5);
    sessionInt("HIGHLIGHT", &Session::highlight, 0, 1);
    sessionInt("ERRNO", &Session::errnoValue, -32768, 32767);

    SysVar cecolor;
    cecolor.name = "CECOLOR";
    cecolor.type = RTSTR;
    cecolor.get = [](resbuf& out) { return PutString(out, session.cecolor); };
    cecolor.set = [](const resbuf& value) -> std::string {
        std::string s = value.resval.rstring;
        for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        char* end = nullptr;
        long n = std::strtol(s.c_str(), &end, 10);
        bool number = !s.empty() && end && *end == '\0';
        if (s != "BYLAYER" && s != "BYBLOCK" && !(number && n >= 1 && n <= 255))
            return "a colour is BYLAYER, BYBLOCK or a number from 1 to 255";
        session.cecolor = number ? std::to_string(n) : s;
        return std::string();
    };
    DefineSysVar(cecolor);

    auto docInt = [](const char* name, std::function<int*(DocumentState&)> field, int lo, int hi) {
        DefineSysVar(IntVar(name, [field]() -> int* {
            AcApDocument* d = Doc();
            return d ? field(d->state()) : nullptr;
        }, lo, hi));
    };
    docInt("LWDISPLAY", [](DocumentState& s) { return &s.lwdisplay; }, 0, 1);
    for (int i = 0; i < 5; ++i) {
        std::string n = std::to_string(i + 1);
        docInt(("USERI" + n).c_str(), [i](DocumentState& s) { return &s.useri[i]; }, -32768, 32767);
        SysVar r;
        r.name = "USERR" + n;
        r.type = RTREAL;
        r.get = [i](resbuf& out) { return Doc() && PutReal(out, Doc()->state().userr[i]); };
        r.set = [i](const resbuf& value) -> std::string {
            if (!Doc()) return "no drawing is open";
            Doc()->state().userr[i] = value.resval.rreal;
            return std::string();
        };
        DefineSysVar(r);
        SysVar s;
        s.name = "USERS" + n;
        s.type = RTSTR;
        s.get = [i](resbuf& out) { return Doc() && PutString(out, Doc()->state().users[i]); };
        s.set = [i](const resbuf& value) -> std::string {
            if (!Doc()) return "no drawing is open";
            Doc()->state().users[i] = value.resval.rstring;
            return std::string();
        };
        DefineSysVar(s);
    }

    DefineSysVar(RecordVar("CLAYER", &AcDbDatabase::layerTableId, &AcDbDatabase::clayer, &AcDbDatabase::setClayer, "layer"));
    DefineSysVar(RecordVar("TEXTSTYLE", &AcDbDatabase::textStyleTableId, &AcDbDatabase::textstyle,
                           &AcDbDatabase::setTextstyle, "text style"));
    DefineSysVar(RecordVar("CELTYPE", &AcDbDatabase::linetypeTableId, &AcDbDatabase::celtype, &AcDbDatabase::setCeltype,
                           "linetype"));
    DefineSysVar(PositiveRealVar("TEXTSIZE", &AcDbDatabase::textsize, &AcDbDatabase::setTextsize));
    DefineSysVar(PositiveRealVar("LTSCALE", &AcDbDatabase::ltscale, &AcDbDatabase::setLtscale));
    SysVar insunits;
    insunits.name = "INSUNITS";
    insunits.type = RTSHORT;
    insunits.get = [](resbuf& out) { return Db() && PutShort(out, Db()->insunits()); };
    insunits.set = [](const resbuf& value) -> std::string {
        if (!Db()) return "no drawing is open";
        return Db()->setInsunits(value.resval.rint) == Acad::eOk ? std::string() : "out of range 0 to 20";
    };
    DefineSysVar(insunits);

    DefineSysVar(ReadOnly("DWGNAME", RTSTR, [](resbuf& out) { return Doc() && PutString(out, Doc()->docTitle()); }));
    DefineSysVar(ReadOnly("DWGPREFIX", RTSTR, [](resbuf& out) {
        AcApDocument* d = Doc();
        if (!d) return false;
        return PutString(out, d->isUntitled() ? CurrentFolder() : FolderOf(d->fileName()));
    }));
    DefineSysVar(ReadOnly("DWGTITLED", RTSHORT, [](resbuf& out) { return Doc() && PutShort(out, Doc()->isUntitled() ? 0 : 1); }));
    DefineSysVar(ReadOnly("DBMOD", RTSHORT, [](resbuf& out) { return Db() && PutShort(out, Db()->isModifiedSinceSave() ? 1 : 0); }));
    DefineSysVar(ReadOnly("ACADVER", RTSTR, [](resbuf& out) { return PutString(out, "16.2"); }));
    DefineSysVar(ReadOnly("CMDACTIVE", RTSHORT, [](resbuf& out) {
        int bits = (CommandDepth() > 0 ? 1 : 0) | (TransparentCommandActive() ? 2 : 0);
        return PutShort(out, bits);
    }));
    DefineSysVar(ReadOnly("CMDNAMES", RTSTR, [](resbuf& out) { return PutString(out, ActiveCommandNames()); }));
    // An empty drawing's extents are "inside out", as the host reports them.
    DefineSysVar(ReadOnly("EXTMIN", RT3DPOINT, [](resbuf& out) {
        if (!Db()) return false;
        AcDbExtents e = ModelExtents(Db());
        return PutPoint(out, e.isValid() ? e.minPoint() : AcGePoint3d(1e20, 1e20, 1e20));
    }));
    DefineSysVar(ReadOnly("EXTMAX", RT3DPOINT, [](resbuf& out) {
        if (!Db()) return false;
        AcDbExtents e = ModelExtents(Db());
        return PutPoint(out, e.isValid() ? e.maxPoint() : AcGePoint3d(-1e20, -1e20, -1e20));
    }));
    // The current view of the drawing's display.
    DefineSysVar(ReadOnly("VIEWCTR", RT3DPOINT, [](resbuf& out) {
        return Db() && PutPoint(out, displayOf(Db()).viewCtr());
    }));
    DefineSysVar(ReadOnly("VIEWSIZE", RTREAL, [](resbuf& out) {
        return Db() && PutReal(out, displayOf(Db()).viewSize());
    }));
    DefineSysVar(ReadOnly("SCREENSIZE", RTPOINT, [](resbuf& out) {
        if (!Db()) return false;
        AcGePoint2d size = displayOf(Db()).screenSize();
        out.restype = RTPOINT;
        out.resval.rpoint[0] = size.x;
        out.resval.rpoint[1] = size.y;
        out.resval.rpoint[2] = 0;
        return true;
    }));
    DefineSysVar(ReadOnly("CDATE", RTREAL, [](resbuf& out) {
        std::time_t t = std::time(nullptr);
        std::tm tm{};
        ::localtime_r(&t, &tm);
        double date = (tm.tm_year + 1900) * 10000.0 + (tm.tm_mon + 1) * 100.0 + tm.tm_mday;
        double time = tm.tm_hour * 1e-2 + tm.tm_min * 1e-4 + tm.tm_sec * 1e-6;
        return PutReal(out, date + time);
    }));
    DefineSysVar(ReadOnly("DATE", RTREAL, [](resbuf& out) {
        // Julian day number and the fraction of the day.
        return PutReal(out, static_cast<double>(std::time(nullptr)) / 86400.0 + 2440587.5);
    }));
    DefineSysVar(ReadOnly("LOGINNAME", RTSTR, [](resbuf& out) {
        const char* user = std::getenv("USER");
        return PutString(out, NUVWin::Utf8ToGbk(user ? user : ""));
    }));
}

std::map<std::string, SysVar, NoCase>& Table() {
    static std::map<std::string, SysVar, NoCase> table;
    static bool defined = false;
    if (!defined) {
        defined = true;
        DefineHostVariables();
    }
    return table;
}

// The value converted to the variable's type, or false.
bool Convert(int type, const resbuf& in, resbuf& out) {
    out = resbuf{};
    out.restype = static_cast<short>(type);
    switch (type) {
    case RTSHORT:
        if (in.restype == RTSHORT) out.resval.rint = in.resval.rint;
        else if (in.restype == RTLONG && in.resval.rlong >= -32768 && in.resval.rlong <= 32767)
            out.resval.rint = static_cast<short>(in.resval.rlong);
        else return false;
        return true;
    case RTLONG:
        if (in.restype == RTSHORT) out.resval.rlong = in.resval.rint;
        else if (in.restype == RTLONG) out.resval.rlong = in.resval.rlong;
        else return false;
        return true;
    case RTREAL:
        if (in.restype == RTREAL || in.restype == RTANG) out.resval.rreal = in.resval.rreal;
        else if (in.restype == RTSHORT) out.resval.rreal = in.resval.rint;
        else if (in.restype == RTLONG) out.resval.rreal = static_cast<double>(in.resval.rlong);
        else return false;
        return std::isfinite(out.resval.rreal);
    case RTSTR:
        if (in.restype != RTSTR || !in.resval.rstring) return false;
        out.resval.rstring = in.resval.rstring;
        return true;
    case RTPOINT:
    case RT3DPOINT:
        if (in.restype != RTPOINT && in.restype != RT3DPOINT) return false;
        for (int i = 0; i < 3; ++i) out.resval.rpoint[i] = in.resval.rpoint[i];
        if (in.restype == RTPOINT) out.resval.rpoint[2] = 0;
        return true;
    default: return false;
    }
}

std::string Shown(const resbuf* v) {
    if (!v) return "nil";
    char buf[128];
    switch (v->restype) {
    case RTSTR: return std::string("\"") + (v->resval.rstring ? v->resval.rstring : "") + "\"";
    case RTSHORT: return std::to_string(v->resval.rint);
    case RTLONG: return std::to_string(v->resval.rlong);
    case RTREAL:
    case RTANG: std::snprintf(buf, sizeof buf, "%g", v->resval.rreal); return buf;
    case RTPOINT:
    case RT3DPOINT:
        std::snprintf(buf, sizeof buf, "(%g %g %g)", v->resval.rpoint[0], v->resval.rpoint[1], v->resval.rpoint[2]);
        return buf;
    case RTNIL: return "nil";
    case RTT: return "T";
    default: return "<value>";
    }
}

}  // namespace

void DefineSysVar(SysVar var) {
    for (char& c : var.name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string key = var.name;
    Table()[key] = std::move(var);
}

const SysVar* FindSysVar(const char* name) {
    if (!name) return nullptr;
    auto it = Table().find(name);
    return it == Table().end() ? nullptr : &it->second;
}

std::vector<std::string> SysVarNames() {
    std::vector<std::string> out;
    for (const auto& [name, var] : Table()) out.push_back(name);
    return out;
}

int GetSysVar(const char* name, resbuf** value) {
    *value = nullptr;
    const SysVar* v = FindSysVar(name);
    if (!v || !v->get) return RTERROR;
    resbuf tmp{};
    if (!v->get(tmp)) return RTERROR;
    resbuf* rb = acutNewRb(tmp.restype);
    rb->resval = tmp.resval;
    *value = rb;
    return RTNORM;
}

int SetSysVar(const char* name, const resbuf* value, std::string& error) {
    const SysVar* v = FindSysVar(name);
    std::string shown = std::string("variable setting rejected: \"") + (name ? name : "") + "\" " + Shown(value);
    if (!v) {
        error = shown + " (no such variable)";
        return RTERROR;
    }
    if (!v->set) {
        error = shown + " (read-only)";
        return RTERROR;
    }
    resbuf converted;
    if (!value || !Convert(v->type, *value, converted)) {
        error = shown + " (wrong type of value)";
        return RTERROR;
    }
    std::string why = v->set(converted);
    if (!why.empty()) {
        error = shown + " (" + why + ")";
        return RTERROR;
    }
    return RTNORM;
}

void ResetSessionVariables() { session = Session{}; }

bool CommandEcho() { return session.cmdecho != 0; }

}  // namespace NUVAcad

int acedGetVar(const char* name, resbuf* result) {
    if (!result) return RTERROR;
    resbuf* value = nullptr;
    if (NUVAcad::GetSysVar(name, &value) != RTNORM) return RTERROR;
    result->restype = value->restype;
    result->resval = value->resval;
    value->restype = RTNONE;  // the string, if any, now belongs to the caller
    acutRelRb(value);
    return RTNORM;
}

int acedSetVar(const char* name, const resbuf* value) {
    std::string error;
    return NUVAcad::SetSysVar(name, value, error);
}
