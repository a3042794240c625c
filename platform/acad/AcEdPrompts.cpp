// The prompts: one loop per call that reads an answer, tries it as the value asked for, then as
// a keyword, then (bit 128) as arbitrary text, and otherwise prints the host's message and asks
// again. Typed values are parsed by TypedInput; this file adds the editor's state (last point,
// angle conventions, UCS) and the acedInitGet rules.
#include "acad/AcEdPrompts.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

#include "acad/AcEdOutput.h"
#include "acad/EditorState.h"
#include "acad/InputSource.h"
#include "acad/TypedInput.h"

namespace NUVAcad {

namespace {

InitGetSettings pendingInitGet;
std::optional<std::string> lastKeyword;

enum class Want { Point, Corner, Dist, Angle, Orient, Int, Real, String, Kword };

const char* InvalidMessage(Want w, bool keywords) {
    switch (w) {
    case Want::Point:
    case Want::Corner: return keywords ? "Point or option keyword required." : "Invalid point.";
    case Want::Dist:
        return keywords ? "Requires numeric distance, second point, or option keyword."
                        : "Requires numeric distance or second point.";
    case Want::Angle:
    case Want::Orient:
        return keywords ? "Requires valid numeric angle, second point, or option keyword."
                        : "Requires valid numeric angle or second point.";
    case Want::Int: return keywords ? "Requires an integer value or option keyword." : "Requires an integer value.";
    case Want::Real: return keywords ? "Requires numeric value or option keyword." : "Requires numeric value.";
    case Want::String:
    case Want::Kword: return "Invalid option keyword.";
    }
    return "Invalid input.";
}

// Bits 2 and 4 on a number: the message when it is refused, else null.
const char* RefusedNumber(double v, int bits) {
    const bool noZero = bits & RSG_NOZERO, noNeg = bits & RSG_NONEG;
    if ((noZero && v == 0) || (noNeg && v < 0)) {
        if (noZero && noNeg) return "Value must be positive and nonzero.";
        return noZero ? "Value must be nonzero." : "Value must be positive.";
    }
    return nullptr;
}

double Normalized(double a) {
    a = std::fmod(a, 2 * M_PI);
    if (a < 0) a += 2 * M_PI;
    if (a >= 2 * M_PI) a = 0;  // fmod of a tiny negative can round up to a whole turn
    return a;
}

// What a prompt produced.
struct Answer {
    AcGePoint3d point;  // user system
    double real = 0;
    int integer = 0;
    std::string text;
};

class Prompter {
public:
    Prompter(Want want, const ads_real* base, const char* prompt, bool spaces = false)
        : want_(want), spaces_(spaces), prompt_(prompt ? prompt : "") {
        InitGetSettings ig = TakeInitGet();
        bits_ = ig.bits;
        keywords_ = KeywordList(ig.keywords);
        if (base) {
            hasBase_ = true;
            base_.set(base[0], base[1], base[2]);
        }
        lastKeyword.reset();
    }

    int run(Answer& out) {
        if (want_ == Want::Corner && !hasBase_) return RTERROR;
        for (bool again = false;; again = true) {
            // A message printed for the last answer ends its line before the prompt comes back.
            if (again && !OutputAtLineStart() && (prompt_.empty() || prompt_[0] != '\n')) WriteOutput("\n");
            Input in = ReadInput(InputRequest{prompt_, InputRequest::Level::Prompt, spaces_});
            int status = take(in, out);
            if (status != kAgain) return status;
        }
    }

private:
    static constexpr int kAgain = 0;

    bool pointWanted() const { return want_ == Want::Point || want_ == Want::Corner; }
    bool angleWanted() const { return want_ == Want::Angle || want_ == Want::Orient; }

    int refuse(const char* message) {
        PromptMessage(message);
        return kAgain;
    }
    int invalid() { return refuse(InvalidMessage(want_, !keywords_.empty())); }

    int take(const Input& in, Answer& out) {
        switch (in.kind) {
        case Input::Kind::Cancel:
        case Input::Kind::End: return RTCAN;
        case Input::Kind::Cursor: return kAgain;  // only jigs ask for cursor moves
        case Input::Kind::Enter:
            if (want_ == Want::String) {
                out.text.clear();
                return RTNORM;
            }
            if (bits_ & RSG_NONULL) return invalid();
            return RTNONE;
        case Input::Kind::Text: return takeText(in.text, out);
        case Input::Kind::Point:
        case Input::Kind::Entity:
            if (want_ == Want::String) return takeString(in.display(), out);
            return takePoint(AcGePoint3d(in.point[0], in.point[1], in.point[2]), out);
        case Input::Kind::Real:
        case Input::Kind::Integer: {
            if (want_ == Want::String) return takeString(in.display(), out);
            if (want_ == Want::Int) {
                if (in.kind != Input::Kind::Integer) return invalid();
                return takeInteger(in.integer, out);
            }
            if (want_ == Want::Kword) return invalid();
            double v = in.kind == Input::Kind::Real ? in.real : in.integer;
            if (angleWanted()) return takeAngle(v * M_PI / 180.0, out);
            return takeNumber(v, out);
        }
        case Input::Kind::SelectionSet: return want_ == Want::String ? takeString(in.display(), out) : invalid();
        }
        return invalid();
    }

    int takeString(const std::string& text, Answer& out) {
        out.text = text;
        return RTNORM;
    }

    int takeText(const std::string& text, Answer& out) {
        switch (want_) {
        case Want::String: return takeString(text, out);
        case Want::Kword: {
            int k = keywords_.match(text);
            if (k >= 0) {
                out.text = keywords_.result(k);
                return RTNORM;
            }
            if (bits_ & RSG_OTHER) {
                out.text = text;
                return RTNORM;
            }
            return invalid();
        }
        case Want::Int: {
            long long v = 0;
            if (ParseTypedInteger(text, v)) {
                if (v < -32768 || v > 32767) return refuse("Requires an integer between -32768 and 32767.");
                return takeInteger(static_cast<int>(v), out);
            }
            break;
        }
        case Want::Real: {
            double v = 0;
            if (ParseTypedReal(text, v)) return takeNumber(v, out);
            break;
        }
        case Want::Dist: {
            double v = 0;
            if (ParseTypedReal(text, v)) return takeNumber(v, out);
            AcGePoint3d p;
            if (typedPoint(text, p)) return takePoint(p, out);
            break;
        }
        case Want::Angle:
        case Want::Orient: {
            double a = 0;
            if (ParseTypedAngle(text, a)) return takeAngle(a, out);
            AcGePoint3d p;
            if (typedPoint(text, p)) return takePoint(p, out);
            break;
        }
        case Want::Point:
        case Want::Corner: {
            AcGePoint3d p;
            if (typedPoint(text, p)) return takePoint(p, out);
            double a = 0;
            if (ParseAngleOverride(text, a)) {
                override_ = a;
                PromptMessage(("Angle Override: " + text.substr(1)).c_str());
                return kAgain;
            }
            double d = 0;
            if (hasBase_ && ParseTypedReal(text, d) && directDistance(d, p)) return takePoint(p, out);
            break;
        }
        }
        int k = keywords_.match(text);
        if (k >= 0) return keyword(keywords_.result(k));
        if (bits_ & RSG_OTHER) return keyword(text);
        return invalid();
    }

    int keyword(const std::string& k) {
        lastKeyword = k;
        return RTKWORD;
    }

    // A typed point in the user system: "@" refers to the base point, else the last point.
    bool typedPoint(const std::string& text, AcGePoint3d& p) {
        TypedPoint tp;
        if (!ParseTypedPoint(text, tp)) return false;
        EditorState& ed = CurrentEditor();
        AcGePoint3d ref = hasBase_ ? base_ : WorldToUcs(ed.lastPoint);
        double r[3] = {ref.x, ref.y, ref.z}, q[3];
        ResolveTypedPoint(tp, r, ed.elevation, ed.angles(), q);
        p.set(q[0], q[1], q[2]);
        if (tp.world) p = WorldToUcs(p);
        return true;
    }

    // A distance typed where a point is asked: along the angle override, else towards the
    // cursor, from the base point.
    bool directDistance(double d, AcGePoint3d& p) {
        EditorState& ed = CurrentEditor();
        double dir;
        if (override_) {
            dir = ed.angles().direction(*override_);
        } else if (ads_point c; LastCursor(c)) {
            if (std::hypot(c[0] - base_.x, c[1] - base_.y) == 0) return false;
            dir = std::atan2(c[1] - base_.y, c[0] - base_.x);
        } else {
            return false;
        }
        p.set(base_.x + d * std::cos(dir), base_.y + d * std::sin(dir), base_.z);
        return true;
    }

    int takeInteger(int v, Answer& out) {
        if (const char* m = RefusedNumber(v, bits_)) return refuse(m);
        out.integer = v;
        return RTNORM;
    }

    int takeNumber(double v, Answer& out) {
        if (pointWanted()) {
            AcGePoint3d p;
            if (hasBase_ && directDistance(v, p)) return takePoint(p, out);
            return invalid();
        }
        if (const char* m = RefusedNumber(v, bits_)) return refuse(m);
        out.real = v;
        return RTNORM;
    }

    int takeAngle(double typed, Answer& out) {
        const AngleConvention conv = CurrentEditor().angles();
        double relative = Normalized(conv.clockwise ? -typed : typed);
        double v = want_ == Want::Orient ? Normalized(conv.base + relative) : relative;
        if ((bits_ & RSG_NOZERO) && typed == 0) return refuse("Value must be nonzero.");
        out.real = v;
        return RTNORM;
    }

    void remember(const AcGePoint3d& ucs) { CurrentEditor().lastPoint = UcsToWorld(ucs); }

    // A point given: the answer itself, or the second point of a distance or an angle.
    int takePoint(const AcGePoint3d& p, Answer& out) {
        if (pointWanted()) {
            remember(p);
            out.point = p;
            return RTNORM;
        }
        if (want_ == Want::Int || want_ == Want::Real || want_ == Want::Kword) return invalid();
        AcGePoint3d from = base_, to = p;
        if (!hasBase_) {
            // The first of two points: ask for the second, rubber-banded from it.
            remember(p);
            ads_point first = {p.x, p.y, p.z};
            Answer second;
            Prompter next(Want::Point, first, "\nSpecify second point: ");
            next.bits_ = RSG_NONULL;
            int st = next.run(second);
            if (st != RTNORM) return st;
            from = p;
            to = second.point;
        } else {
            remember(p);
        }
        if (want_ == Want::Dist) {
            double dz = (bits_ & RSG_2D) ? 0 : to.z - from.z;
            double d = std::sqrt((to.x - from.x) * (to.x - from.x) + (to.y - from.y) * (to.y - from.y) + dz * dz);
            if (const char* m = RefusedNumber(d, bits_)) return refuse(m);
            out.real = d;
            return RTNORM;
        }
        const AngleConvention conv = CurrentEditor().angles();
        double direction = Normalized(std::atan2(to.y - from.y, to.x - from.x));
        out.real = want_ == Want::Orient ? direction : Normalized(direction - conv.base);
        if ((bits_ & RSG_NOZERO) && out.real == 0) return refuse("Value must be nonzero.");
        return RTNORM;
    }

    Want want_;
    bool spaces_;
    std::string prompt_;
    int bits_ = 0;
    KeywordList keywords_;
    bool hasBase_ = false;
    AcGePoint3d base_;
    std::optional<double> override_;
};

void ToPoint(const AcGePoint3d& p, ads_point out) {
    out[0] = p.x;
    out[1] = p.y;
    out[2] = p.z;
}

// Copies text into a C buffer of `size` bytes, cut at a GBK character boundary.
int CopyOut(const std::string& text, char* buf, size_t size) {
    if (size == 0) return RTERROR;
    size_t n = text.size();
    if (n + 1 > size) {
        n = 0;
        while (n < text.size()) {
            size_t len = static_cast<unsigned char>(text[n]) >= 0x80 && n + 1 < text.size() ? 2 : 1;
            if (n + len + 1 > size) break;
            n += len;
        }
        std::memcpy(buf, text.data(), n);
        buf[n] = '\0';
        return RTINPUTTRUNCATED;
    }
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
    return RTNORM;
}

constexpr size_t kClassicBuffer = 133;

}  // namespace

void PromptMessage(const char* text) {
    if (!OutputAtLineStart()) WriteOutput("\n");
    WriteOutput(text);
}

InitGetSettings TakeInitGet() { return std::exchange(pendingInitGet, InitGetSettings{}); }

void ResetPrompts() {
    pendingInitGet = InitGetSettings{};
    lastKeyword.reset();
}

int GetStringPrompt(bool allowSpaces, const char* prompt, std::string& result) {
    Answer a;
    int st = Prompter(Want::String, nullptr, prompt, allowSpaces).run(a);
    if (st == RTNORM) result = a.text;
    return st;
}

int GetKwordPrompt(const char* prompt, std::string& result) {
    Answer a;
    int st = Prompter(Want::Kword, nullptr, prompt).run(a);
    if (st == RTNORM) result = a.text;
    return st;
}

int GetLastKeyword(std::string& result) {
    if (!lastKeyword) return RTERROR;
    result = *lastKeyword;
    return RTNORM;
}

void SetLastKeyword(const std::string& keyword) { lastKeyword = keyword; }

}  // namespace NUVAcad

using NUVAcad::Answer;
using NUVAcad::Prompter;
using NUVAcad::Want;

int acedInitGet(int val, const char* kwl) {
    NUVAcad::pendingInitGet = NUVAcad::InitGetSettings{val, kwl ? kwl : ""};
    return RTNORM;
}

int acedGetPoint(const ads_point pt, const char* prompt, ads_point result) {
    if (!result) return RTERROR;
    Answer a;
    int st = Prompter(Want::Point, pt, prompt).run(a);
    if (st == RTNORM) NUVAcad::ToPoint(a.point, result);
    return st;
}

int acedGetCorner(const ads_point pt, const char* prompt, ads_point result) {
    if (!result) return RTERROR;
    Answer a;
    int st = Prompter(Want::Corner, pt, prompt).run(a);
    if (st == RTNORM) NUVAcad::ToPoint(a.point, result);
    return st;
}

namespace {
int RealPrompt(Want w, const ads_real* pt, const char* prompt, ads_real* result) {
    if (!result) return RTERROR;
    Answer a;
    int st = Prompter(w, pt, prompt).run(a);
    if (st == RTNORM) *result = a.real;
    return st;
}
}  // namespace

int acedGetDist(const ads_point pt, const char* prompt, ads_real* result) { return RealPrompt(Want::Dist, pt, prompt, result); }
int acedGetAngle(const ads_point pt, const char* prompt, ads_real* result) { return RealPrompt(Want::Angle, pt, prompt, result); }
int acedGetOrient(const ads_point pt, const char* prompt, ads_real* result) { return RealPrompt(Want::Orient, pt, prompt, result); }
int acedGetReal(const char* prompt, ads_real* result) { return RealPrompt(Want::Real, nullptr, prompt, result); }

int acedGetInt(const char* prompt, int* result) {
    if (!result) return RTERROR;
    Answer a;
    int st = Prompter(Want::Int, nullptr, prompt).run(a);
    if (st == RTNORM) *result = a.integer;
    return st;
}

int acedGetString(int cronly, const char* prompt, char* result, size_t bufsize) {
    if (!result) return RTERROR;
    std::string text;
    int st = NUVAcad::GetStringPrompt(cronly != 0, prompt, text);
    return st == RTNORM ? NUVAcad::CopyOut(text, result, bufsize) : st;
}
int acedGetString(int cronly, const char* prompt, char* result) {
    return acedGetString(cronly, prompt, result, NUVAcad::kClassicBuffer);
}

int acedGetKword(const char* prompt, char* result, size_t bufsize) {
    if (!result) return RTERROR;
    std::string text;
    int st = NUVAcad::GetKwordPrompt(prompt, text);
    return st == RTNORM ? NUVAcad::CopyOut(text, result, bufsize) : st;
}
int acedGetKword(const char* prompt, char* result) { return acedGetKword(prompt, result, NUVAcad::kClassicBuffer); }

int acedGetInput(char* str, size_t bufsize) {
    if (!str) return RTERROR;
    std::string k;
    if (NUVAcad::GetLastKeyword(k) != RTNORM) return RTERROR;
    return NUVAcad::CopyOut(k, str, bufsize);
}
int acedGetInput(char* str) { return acedGetInput(str, NUVAcad::kClassicBuffer); }
