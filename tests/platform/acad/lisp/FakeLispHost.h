// A host for the interpreter's tests: captures the command line, answers prompts from a script,
// keeps system variables and selection sets in memory, and records what reached it.
#pragma once

#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "acad/LispInterpreter.h"
#include "acad/LispHost.h"
#include "win/FileSystem.h"

// A chain as text, one item per entry: "RTSHORT 1", "RTSTR \"a\"", "RT3DPOINT 1 2 3", "RTLB".
inline std::string Describe(const resbuf* rb) {
    std::string s;
    char buf[128];
    for (; rb; rb = rb->rbnext) {
        if (!s.empty()) s += ", ";
        switch (rb->restype) {
        case RTSHORT: s += "RTSHORT " + std::to_string(rb->resval.rint); break;
        case RTLONG: s += "RTLONG " + std::to_string(rb->resval.rlong); break;
        case RTREAL: std::snprintf(buf, sizeof buf, "RTREAL %g", rb->resval.rreal); s += buf; break;
        case RTSTR: s += std::string("RTSTR \"") + (rb->resval.rstring ? rb->resval.rstring : "(null)") + "\""; break;
        case RTPOINT: std::snprintf(buf, sizeof buf, "RTPOINT %g %g", rb->resval.rpoint[0], rb->resval.rpoint[1]); s += buf; break;
        case RT3DPOINT:
            std::snprintf(buf, sizeof buf, "RT3DPOINT %g %g %g", rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]);
            s += buf;
            break;
        case RTENAME: s += "RTENAME " + std::to_string(rb->resval.rlname[1]); break;
        case RTPICKS: s += "RTPICKS " + std::to_string(rb->resval.rlname[1]); break;
        case RTLB: s += "RTLB"; break;
        case RTLE: s += "RTLE"; break;
        case RTDOTE: s += "RTDOTE"; break;
        case RTNIL: s += "RTNIL"; break;
        case RTT: s += "RTT"; break;
        case RTVOID: s += "RTVOID"; break;
        default:
            // Drawing-file groups: the code and the value.
            s += "code " + std::to_string(rb->restype);
            switch (acutResValKind(rb->restype)) {
            case ResValKind::String: s += std::string(" \"") + (rb->resval.rstring ? rb->resval.rstring : "") + "\""; break;
            case ResValKind::Short: s += " " + std::to_string(rb->resval.rint); break;
            case ResValKind::Long: s += " " + std::to_string(rb->resval.rlong); break;
            case ResValKind::Real: std::snprintf(buf, sizeof buf, " %g", rb->resval.rreal); s += buf; break;
            case ResValKind::Point:
                std::snprintf(buf, sizeof buf, " %g %g %g", rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]);
                s += buf;
                break;
            default: break;
            }
            break;
        }
    }
    return s;
}

struct FakeLispHost : NUVAcad::LispHost {
    // --- output ---
    std::string out;
    std::vector<std::string> alerts;
    void print(const CString& text) override { out += text.str(); }
    void alert(const CString& text) override { alerts.push_back(text.str()); }

    // --- module functions: the handler decides; the arguments are recorded ---
    std::function<int(const NUVAcad::LispExternalFunction&, const resbuf*, resbuf**, CString&)> external;
    std::vector<std::string> externalCalls;  // "name code: args"
    int callExternal(const NUVAcad::LispExternalFunction& fn, const resbuf* args, resbuf** result,
                     CString& error) override {
        externalCalls.push_back(fn.name.str() + " " + std::to_string(fn.code) + ": " + Describe(args));
        *result = nullptr;
        return external ? external(fn, args, result, error) : RSERR;
    }

    // --- commands ---
    std::vector<std::string> commands;
    int commandStatus = RTNORM;
    int command(const resbuf* args) override {
        commands.push_back(Describe(args));
        return commandStatus;
    }

    // --- system variables: integers, reals or strings; some read-only ---
    std::map<std::string, resbuf*> vars;
    std::set<std::string> readOnly;
    ~FakeLispHost() override {
        for (auto& v : vars) acutRelRb(v.second);
    }
    static std::string upper(std::string s) {
        for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    }
    void setInt(const char* name, int v) {
        resbuf* rb = acutNewRb(RTSHORT);
        rb->resval.rint = static_cast<short>(v);
        acutRelRb(vars[upper(name)]);
        vars[upper(name)] = rb;
    }
    int getVar(const char* name, resbuf** value) override {
        auto it = vars.find(upper(name));
        *value = it == vars.end() ? nullptr : acutCopyRb(it->second);
        return *value ? RTNORM : RTERROR;
    }
    int setVar(const char* name, const resbuf* value, CString& error) override {
        const std::string key = upper(name);
        if (!vars.count(key) || readOnly.count(key)) {
            error = CString("variable setting rejected: \"" + key + "\"");
            return RTERROR;
        }
        acutRelRb(vars[key]);
        vars[key] = acutCopyRb(value);
        if (vars[key]) {
            acutRelRb(vars[key]->rbnext);
            vars[key]->rbnext = nullptr;
        }
        return RTNORM;
    }

    // --- files: a path as given, a bare name in one folder ---
    std::string searchFolder;
    bool findFile(const CString& name, CString& found) override {
        if (name.Find('/') >= 0 || name.Find('\\') >= 0) {
            if (!NUVWin::IsFile(name)) return false;
            found = name;
            return true;
        }
        if (searchFolder.empty()) return false;
        CString path = CString(searchFolder) + "/" + name;
        if (!NUVWin::IsFile(path)) return false;
        found = path;
        return true;
    }

    AcDbDatabase* db = nullptr;
    AcDbDatabase* database() override { return db; }

    // --- prompts: answered from a script, each call recorded ---
    struct Answer {
        int status = RTNORM;
        double point[3] = {0, 0, 0};
        double real = 0;
        int integer = 0;
        std::string text;
        ads_name entity = {0, 0};
    };
    std::deque<Answer> answers;
    std::vector<std::string> prompts;  // "getpoint base=1,2,0 prompt=..."
    std::string keyword;               // what getInput returns after RTKWORD
    std::string initGetCall;

    Answer next(const std::string& call) {
        prompts.push_back(call);
        if (answers.empty()) {
            Answer cancel;
            cancel.status = RTCAN;
            return cancel;
        }
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    static std::string describe(const char* what, const ads_real* base, const char* prompt) {
        std::string s = what;
        if (base) {
            char buf[96];
            std::snprintf(buf, sizeof buf, " base=%g,%g,%g", base[0], base[1], base[2]);
            s += buf;
        }
        if (prompt) s += std::string(" prompt=") + prompt;
        return s;
    }
    int initGet(int bits, const char* keywords) override {
        initGetCall = std::to_string(bits) + (keywords ? std::string(" ") + keywords : std::string());
        return RTNORM;
    }
    int getPoint(const ads_real* base, const char* prompt, ads_point result) override {
        Answer a = next(describe("getpoint", base, prompt));
        std::memcpy(result, a.point, sizeof a.point);
        return a.status;
    }
    int getCorner(const ads_real* base, const char* prompt, ads_point result) override {
        Answer a = next(describe("getcorner", base, prompt));
        std::memcpy(result, a.point, sizeof a.point);
        return a.status;
    }
    int getDist(const ads_real* base, const char* prompt, ads_real* result) override {
        Answer a = next(describe("getdist", base, prompt));
        *result = a.real;
        return a.status;
    }
    int getAngle(const ads_real* base, const char* prompt, ads_real* result) override {
        Answer a = next(describe("getangle", base, prompt));
        *result = a.real;
        return a.status;
    }
    int getReal(const char* prompt, ads_real* result) override {
        Answer a = next(describe("getreal", nullptr, prompt));
        *result = a.real;
        return a.status;
    }
    int getInt(const char* prompt, int* result) override {
        Answer a = next(describe("getint", nullptr, prompt));
        *result = a.integer;
        return a.status;
    }
    int getString(int allowSpaces, const char* prompt, CString& result) override {
        Answer a = next(describe(allowSpaces ? "getstring spaces" : "getstring", nullptr, prompt));
        result = CString(a.text);
        return a.status;
    }
    int getKword(const char* prompt, CString& result) override {
        Answer a = next(describe("getkword", nullptr, prompt));
        result = CString(a.text);
        return a.status;
    }
    int getInput(CString& result) override {
        result = CString(keyword);
        return RTNORM;
    }
    int entSel(const char* prompt, ads_name entity, ads_point picked) override {
        Answer a = next(describe("entsel", nullptr, prompt));
        ads_name_set(a.entity, entity);
        std::memcpy(picked, a.point, sizeof a.point);
        return a.status;
    }

    // --- selection sets: numbered from 1; ssget hands out `selection` ---
    std::map<long, std::vector<std::pair<long, long>>> sets;
    long nextSet = 1;
    std::vector<std::pair<long, long>> selection;
    int ssGetStatus = RTNORM;
    std::string ssGetCall;
    std::vector<long> freed;

    int ssGet(const char* mode, const void* pt1, const void* pt2, const resbuf* filter, ads_name ss) override {
        ssGetCall = std::string("mode=") + (mode ? mode : "(none)");
        if (mode && pt1 && (std::strcmp(mode, "F") == 0 || std::strcmp(mode, "WP") == 0 || std::strcmp(mode, "CP") == 0))
            ssGetCall += " points=" + Describe(static_cast<const resbuf*>(pt1));
        else if (pt1) {
            const auto* p = static_cast<const ads_real*>(pt1);
            ssGetCall += " pt1=" + std::to_string(static_cast<int>(p[0])) + "," + std::to_string(static_cast<int>(p[1]));
        }
        if (pt2) {
            const auto* p = static_cast<const ads_real*>(pt2);
            ssGetCall += " pt2=" + std::to_string(static_cast<int>(p[0])) + "," + std::to_string(static_cast<int>(p[1]));
        }
        if (filter) ssGetCall += " filter=" + Describe(filter);
        if (ssGetStatus != RTNORM) return ssGetStatus;
        ss[0] = 77;
        ss[1] = nextSet;
        sets[nextSet++] = selection;
        return RTNORM;
    }
    std::vector<std::pair<long, long>>* setOf(const ads_name ss) {
        auto it = sets.find(ss[1]);
        return it == sets.end() || ss[0] != 77 ? nullptr : &it->second;
    }
    int ssAdd(const ads_name entity, const ads_name ss, ads_name result) override {
        std::vector<std::pair<long, long>>* set = nullptr;
        if (ss) {
            set = setOf(ss);
            if (!set) return RTERROR;
            ads_name_set(ss, result);
        } else {
            result[0] = 77;
            result[1] = nextSet;
            set = &sets[nextSet++];
        }
        if (entity) set->emplace_back(entity[0], entity[1]);
        return RTNORM;
    }
    int ssDel(const ads_name entity, const ads_name ss) override {
        auto* set = setOf(ss);
        if (!set) return RTERROR;
        for (auto it = set->begin(); it != set->end(); ++it)
            if (it->first == entity[0] && it->second == entity[1]) {
                set->erase(it);
                return RTNORM;
            }
        return RTERROR;
    }
    int ssLength(const ads_name ss, long* length) override {
        auto* set = setOf(ss);
        if (!set) return RTERROR;
        *length = static_cast<long>(set->size());
        return RTNORM;
    }
    int ssName(const ads_name ss, long index, ads_name entity) override {
        auto* set = setOf(ss);
        if (!set || index < 0 || index >= static_cast<long>(set->size())) return RTERROR;
        entity[0] = (*set)[static_cast<std::size_t>(index)].first;
        entity[1] = (*set)[static_cast<std::size_t>(index)].second;
        return RTNORM;
    }
    int ssMemb(const ads_name entity, const ads_name ss) override {
        auto* set = setOf(ss);
        if (!set) return RTERROR;
        for (auto& e : *set)
            if (e.first == entity[0] && e.second == entity[1]) return RTNORM;
        return RTERROR;
    }
    int ssFree(const ads_name ss) override {
        freed.push_back(ss[1]);
        sets.erase(ss[1]);
        return RTNORM;
    }
};

// One interpreter on a fake host; Run returns what the command line showed for one input.
struct LispSession {
    FakeLispHost host;
    NUVAcad::LispInterpreter lisp{host};

    std::string Run(const std::string& text) {
        host.out.clear();
        lisp.evaluateCommandLine(CString(text));
        return host.out;
    }
};
