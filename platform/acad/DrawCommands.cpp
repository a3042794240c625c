// Built-in drawing commands beyond LINE and CIRCLE: ARC (three points; start, centre, end or
// included angle; start, end, centre or radius), PLINE (lines and tangent arcs kept as bulges,
// widths, Length, Close, Undo) and TEXT (start or justified point, height, rotation, one or more lines, Justify, Style). Points are typed in
// the current UCS; the entities lie in its XY plane.
#include <cmath>
#include <string>
#include <vector>

#include "acad/AcDbCurve.h"
#include "acad/AcDbDatabase.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/AcDbText.h"
#include "acad/AcEdPrompts.h"
#include "acad/BuiltinCommands.h"
#include "acad/CommandSupport.h"
#include "acad/EditorCommands.h"
#include "acad/EditorState.h"

namespace NUVAcad {

namespace {

struct P2 {
    double x = 0, y = 0;
};
P2 Of(const ads_point p) { return {p[0], p[1]}; }
double AngleOf(P2 from, P2 to) { return std::atan2(to.y - from.y, to.x - from.x); }
double Dist(P2 a, P2 b) { return std::hypot(b.x - a.x, b.y - a.y); }

double Norm(double a) {
    a = std::fmod(a, 2 * M_PI);
    return a < 0 ? a + 2 * M_PI : a;
}

// ---- ARC ----

// An arc in the UCS plane at elevation z, counter-clockwise from `start` to `end` (UCS angles).
int MakeArc(P2 c, double z, double r, double start, double end) {
    if (!(r > 0) || !std::isfinite(r)) {
        PromptMessage("Invalid arc: the points give no radius.");
        return RTERROR;
    }
    ads_point uc = {c.x, c.y, z};
    AcGeVector3d normal = UcsNormal();
    AcDbArc* arc = new AcDbArc(UcsPointToWorld(uc), normal, r, UcsAngleToEcs(Norm(start), normal),
                               UcsAngleToEcs(Norm(end), normal));
    return AppendToModelSpace(arc).isNull() ? RTERROR : RTNORM;
}

// Through three points, in the order given.
int ArcThrough(const ads_point a, const ads_point b, const ads_point e) {
    P2 p1 = Of(a), p2 = Of(b), p3 = Of(e);
    double d = 2 * (p1.x * (p2.y - p3.y) + p2.x * (p3.y - p1.y) + p3.x * (p1.y - p2.y));
    double scale = std::max({Dist(p1, p2), Dist(p2, p3), Dist(p1, p3)});
    if (std::fabs(d) <= 1e-12 * scale * scale || scale == 0) {
        PromptMessage("Invalid arc: the three points lie on one line.");
        return RTERROR;
    }
    double s1 = p1.x * p1.x + p1.y * p1.y, s2 = p2.x * p2.x + p2.y * p2.y, s3 = p3.x * p3.x + p3.y * p3.y;
    P2 c{(s1 * (p2.y - p3.y) + s2 * (p3.y - p1.y) + s3 * (p1.y - p2.y)) / d,
         (s1 * (p3.x - p2.x) + s2 * (p1.x - p3.x) + s3 * (p2.x - p1.x)) / d};
    bool ccw = d > 0;  // the sign of the turn p1 -> p2 -> p3
    double from = AngleOf(c, ccw ? p1 : p3), to = AngleOf(c, ccw ? p3 : p1);
    return MakeArc(c, a[2], Dist(c, p1), from, to);
}

// Centre and start known: the end point's direction, or an included angle (counter-clockwise).
int ArcFromCenter(const ads_point center, const ads_point start) {
    P2 c = Of(center), s = Of(start);
    double r = Dist(c, s);
    double a0 = AngleOf(c, s);
    ads_point end;
    acedInitGet(RSG_NONULL, "Angle");
    int st = acedGetPoint(center, "\nSpecify end point of arc or [Angle]: ", end);
    if (st == RTKWORD) {
        ads_real included = 0;
        acedInitGet(RSG_NONULL | RSG_NOZERO, nullptr);
        st = acedGetAngle(center, "\nSpecify included angle: ", &included);
        if (st != RTNORM) return st;
        return MakeArc(c, center[2], r, a0, a0 + included);
    }
    if (st != RTNORM) return st;
    return MakeArc(c, center[2], r, a0, AngleOf(c, Of(end)));
}

// Start and end known: a centre, or a radius (negative: the major arc).
int ArcFromEnds(const ads_point start, const ads_point end) {
    P2 s = Of(start), e = Of(end);
    ads_point center;
    acedInitGet(RSG_NONULL, "Radius");
    int st = acedGetPoint(start, "\nSpecify center point of arc or [Radius]: ", center);
    if (st == RTNORM) {
        P2 c = Of(center);
        return MakeArc(c, start[2], Dist(c, s), AngleOf(c, s), AngleOf(c, e));
    }
    if (st != RTKWORD) return st;
    ads_real r = 0;
    acedInitGet(RSG_NONULL | RSG_NOZERO, nullptr);
    if ((st = acedGetDist(end, "\nSpecify radius of arc: ", &r)) != RTNORM) return st;
    double chord = Dist(s, e);
    if (chord == 0 || std::fabs(r) < chord / 2 - 1e-12 * chord) {
        PromptMessage("Invalid arc: the radius is less than half the distance between the end points.");
        return RTERROR;
    }
    double h = std::sqrt(std::max(0.0, r * r - chord * chord / 4));
    P2 m{(s.x + e.x) / 2, (s.y + e.y) / 2};
    P2 left{-(e.y - s.y) / chord, (e.x - s.x) / chord};  // the chord turned a quarter anticlockwise
    double side = r > 0 ? h : -h;
    P2 c{m.x + left.x * side, m.y + left.y * side};
    return MakeArc(c, start[2], std::fabs(r), AngleOf(c, s), AngleOf(c, e));
}

int Arc() {
    ads_point start, second, end, center;
    acedInitGet(0, "Center");
    int st = acedGetPoint(nullptr, "\nSpecify start point of arc or [Center]: ", start);
    if (st == RTKWORD) {
        if ((st = acedGetPoint(nullptr, "\nSpecify center point of arc: ", center)) != RTNORM) return EndedStatus(st);
        acedInitGet(RSG_NONULL, nullptr);
        if ((st = acedGetPoint(center, "\nSpecify start point of arc: ", start)) != RTNORM) return st;
        return ArcFromCenter(center, start);
    }
    if (st != RTNORM) return EndedStatus(st);
    acedInitGet(RSG_NONULL, "Center End");
    st = acedGetPoint(start, "\nSpecify second point of arc or [Center/End]: ", second);
    if (st == RTKWORD) {
        std::string kw;
        GetLastKeyword(kw);
        if (kw == "Center") {
            acedInitGet(RSG_NONULL, nullptr);
            if ((st = acedGetPoint(start, "\nSpecify center point of arc: ", center)) != RTNORM) return st;
            return ArcFromCenter(center, start);
        }
        acedInitGet(RSG_NONULL, nullptr);
        if ((st = acedGetPoint(start, "\nSpecify end point of arc: ", end)) != RTNORM) return st;
        return ArcFromEnds(start, end);
    }
    if (st != RTNORM) return st;
    acedInitGet(RSG_NONULL, nullptr);
    if ((st = acedGetPoint(second, "\nSpecify end point of arc: ", end)) != RTNORM) return st;
    return ArcThrough(start, second, end);
}

// ---- PLINE ----

struct PlineVertex {
    AcGePoint3d ucs;
    double startWidth = 0, endWidth = 0;  // of the segment that starts here
    double bulge = 0;                     // of the segment that starts here
    double arrival = 0;                   // direction (UCS angle) the path has on reaching here
};

// The bulge of an arc from `from` to `to` that leaves `from` in direction `tangent`; false when
// no such arc exists (the end point is the start point, or lies straight behind it).
bool TangentArcBulge(P2 from, P2 to, double tangent, double& bulge) {
    if (Dist(from, to) == 0) return false;
    double half = std::remainder(AngleOf(from, to) - tangent, 2 * M_PI);  // half the included angle
    if (std::fabs(std::fabs(half) - M_PI) < 1e-9) return false;
    bulge = std::tan(half / 2);
    return true;
}

// The polyline's vertices in its entity coordinate system, from the UCS points.
void FillPolyline(AcDbPolyline* pl, const std::vector<PlineVertex>& v, const AcGeVector3d& normal) {
    pl->reset(false, 0);
    double elevation = 0;
    for (unsigned i = 0; i < v.size(); ++i) {
        ads_point p = {v[i].ucs.x, v[i].ucs.y, v[i].ucs.z};
        AcGePoint3d e = WorldToEcs(UcsPointToWorld(p), normal);
        elevation = e.z;
        pl->addVertexAt(i, AcGePoint2d(e.x, e.y), v[i].bulge, v[i].startWidth, v[i].endWidth);
    }
    pl->setElevation(elevation);
}

// Starting and ending width (or half-width) for the next segment.
int AskWidths(bool half, double& startWidth, double& endWidth) {
    double f = half ? 0.5 : 1;
    ads_real s = startWidth * f;
    acedInitGet(RSG_NONEG, nullptr);
    std::string prompt = std::string(half ? "\nSpecify starting half-width <" : "\nSpecify starting width <") +
                         FormatLength(s) + ">: ";
    int st = acedGetDist(nullptr, prompt.c_str(), &s);
    if (st == RTCAN) return st;
    if (st == RTNONE) s = startWidth * f;
    ads_real e = s;
    acedInitGet(RSG_NONEG, nullptr);
    prompt = std::string(half ? "\nSpecify ending half-width <" : "\nSpecify ending width <") + FormatLength(s) + ">: ";
    st = acedGetDist(nullptr, prompt.c_str(), &e);
    if (st == RTCAN) return st;
    if (st == RTNONE) e = s;
    startWidth = s / f;
    endWidth = e / f;
    return RTNORM;
}

int Pline() {
    ads_point first;
    int st = acedGetPoint(nullptr, "\nSpecify start point: ", first);
    if (st != RTNORM) return EndedStatus(st);
    PromptMessage(("Current line-width is " + FormatLength(CurrentEditor().plineWidth)).c_str());
    const AcGeVector3d normal = UcsNormal();
    std::vector<PlineVertex> v{{AcGePoint3d(first[0], first[1], first[2]), CurrentEditor().plineWidth, CurrentEditor().plineWidth}};
    double startWidth = CurrentEditor().plineWidth, endWidth = CurrentEditor().plineWidth;
    AcDbObjectId id;
    bool closed = false;
    // The entity follows the vertices as they are given, so the user sees each segment.
    auto update = [&]() -> bool {
        if (v.size() < 2) {
            if (!id.isNull()) EraseObject(id), id = AcDbObjectId();
            return true;
        }
        if (id.isNull() || id.isErased()) {
            auto* pl = new AcDbPolyline;
            pl->setNormal(normal);
            FillPolyline(pl, v, normal);
            pl->setClosed(closed);
            id = AppendToModelSpace(pl);
            return !id.isNull();
        }
        AcDbPolyline* pl = nullptr;
        if (acdbOpenObject(pl, id, AcDb::kForWrite) != Acad::eOk) return false;
        FillPolyline(pl, v, normal);
        pl->setClosed(closed);
        pl->close();
        return true;
    };
    bool arcMode = false;
    for (;;) {
        // A closing line needs two segments; a closing arc one.
        const bool canClose = v.size() >= (arcMode ? 2u : 3u);
        std::string keys = arcMode ? (canClose ? "Close Halfwidth Line Undo Width" : "Halfwidth Line Undo Width")
                                   : (canClose ? "Arc Close Halfwidth Length Undo Width" : "Arc Halfwidth Length Undo Width");
        std::string prompt = std::string(arcMode ? "\nSpecify endpoint of arc or [" : "\nSpecify next point or [");
        for (char& c : keys) prompt += c == ' ' ? '/' : c;
        prompt += "]: ";
        acedInitGet(0, keys.c_str());
        ads_point from = {v.back().ucs.x, v.back().ucs.y, v.back().ucs.z}, to;
        st = acedGetPoint(from, prompt.c_str(), to);
        if (st == RTKWORD) {
            std::string kw;
            GetLastKeyword(kw);
            if (kw == "Width" || kw == "Halfwidth") {
                if ((st = AskWidths(kw == "Halfwidth", startWidth, endWidth)) != RTNORM) return st;
                v.back().startWidth = startWidth;
                v.back().endWidth = endWidth;
                CurrentEditor().plineWidth = endWidth;
                continue;
            }
            if (kw == "Arc" || kw == "Line") {
                arcMode = kw == "Arc";
                continue;
            }
            if (kw == "Undo") {
                if (v.size() < 2) {
                    PromptMessage("All segments already undone.");
                    continue;
                }
                v.pop_back();
                v.back().bulge = 0;
                startWidth = v.back().startWidth;
                endWidth = v.back().endWidth;
                if (!update()) return RTERROR;
                continue;
            }
            if (kw == "Length") {
                // Straight on: along the last line, or tangent to the last arc.
                ads_real length = 0;
                acedInitGet(RSG_NONULL | RSG_NOZERO | RSG_NONEG, nullptr);
                if ((st = acedGetDist(from, "\nSpecify length of line: ", &length)) != RTNORM) return st;
                double dir = v.back().arrival;
                to[0] = from[0] + length * std::cos(dir);
                to[1] = from[1] + length * std::sin(dir);
                to[2] = from[2];
                v.push_back({AcGePoint3d(to[0], to[1], to[2]), endWidth, endWidth, 0, dir});
                startWidth = endWidth;
                if (!update()) return RTERROR;
                continue;
            }
            // Close: the last vertex's segment runs back to the first, straight or as an arc.
            if (arcMode && !TangentArcBulge(Of(from), P2{v.front().ucs.x, v.front().ucs.y}, v.back().arrival, v.back().bulge)) {
                PromptMessage("Invalid arc: no arc tangent to the last segment closes the polyline.");
                continue;
            }
            closed = true;
            return update() ? RTNORM : RTERROR;
        }
        if (st != RTNORM) return EndedStatus(st);
        double arrival = v.back().arrival;
        if (arcMode) {
            double bulge = 0;
            if (!TangentArcBulge(Of(from), Of(to), v.back().arrival, bulge)) {
                PromptMessage("Invalid arc: no arc tangent to the last segment ends at that point.");
                continue;
            }
            v.back().bulge = bulge;
            arrival += 4 * std::atan(bulge);  // the direction turns by the included angle
        } else if (Dist(Of(from), Of(to)) > 0) {
            arrival = AngleOf(Of(from), Of(to));
        }
        // After a tapered segment the next one starts with the ending width.
        v.push_back({AcGePoint3d(to[0], to[1], to[2]), endWidth, endWidth, 0, arrival});
        startWidth = endWidth;
        if (!update()) return RTERROR;
    }
}

// ---- TEXT ----

std::string StyleName(AcDbObjectId id) {
    AcDbTextStyleTableRecord* rec = nullptr;
    if (acdbOpenObject(rec, id, AcDb::kForRead) != Acad::eOk) return "Standard";
    std::string name = rec->name();
    rec->close();
    return name;
}

// Style option: a style of the drawing becomes the current one.
int ChooseStyle() {
    AcDbDatabase* db = CommandDb();
    std::string current = StyleName(db->textstyle());
    for (;;) {
        std::string name;
        int st = GetStringPrompt(false, ("\nEnter style name or [?] <" + current + ">: ").c_str(), name);
        if (st != RTNORM) return st;
        if (name.empty()) return RTNORM;
        AcDbTextStyleTable* t = nullptr;
        if (db->getTextStyleTable(t, AcDb::kForRead) != Acad::eOk) return RTERROR;
        if (name == "?") {
            std::string list;
            for (AcDbObjectId rid : t->recordIds()) list += "\n  " + StyleName(rid);
            t->close();
            PromptMessage(("Text styles:" + list).c_str());
            continue;
        }
        AcDbObjectId id;
        Acad::ErrorStatus es = t->getAt(name.c_str(), id);
        t->close();
        if (es != Acad::eOk) {
            PromptMessage(("Cannot find text style \"" + name + "\".").c_str());
            continue;
        }
        return SetCurrentTextStyle(id) == Acad::eOk ? RTNORM : RTERROR;
    }
}

// Justify option: each way of placing a text, its DXF modes and the point it asks for.
struct Justification {
    const char* keyword;
    AcDb::TextHorzMode horz;
    AcDb::TextVertMode vert;
    const char* prompt;
};
constexpr Justification kJustifications[] = {
    {"Left", AcDb::kTextLeft, AcDb::kTextBase, "\nSpecify start point of text: "},
    {"Center", AcDb::kTextCenter, AcDb::kTextBase, "\nSpecify center point of text: "},
    {"Right", AcDb::kTextRight, AcDb::kTextBase, "\nSpecify right endpoint of text baseline: "},
    {"Middle", AcDb::kTextMid, AcDb::kTextBase, "\nSpecify middle point of text: "},
    {"TL", AcDb::kTextLeft, AcDb::kTextTop, "\nSpecify top-left point of text: "},
    {"TC", AcDb::kTextCenter, AcDb::kTextTop, "\nSpecify top-center point of text: "},
    {"TR", AcDb::kTextRight, AcDb::kTextTop, "\nSpecify top-right point of text: "},
    {"ML", AcDb::kTextLeft, AcDb::kTextVertMid, "\nSpecify middle-left point of text: "},
    {"MC", AcDb::kTextCenter, AcDb::kTextVertMid, "\nSpecify middle point of text: "},
    {"MR", AcDb::kTextRight, AcDb::kTextVertMid, "\nSpecify middle-right point of text: "},
    {"BL", AcDb::kTextLeft, AcDb::kTextBottom, "\nSpecify bottom-left point of text: "},
    {"BC", AcDb::kTextCenter, AcDb::kTextBottom, "\nSpecify bottom-center point of text: "},
    {"BR", AcDb::kTextRight, AcDb::kTextBottom, "\nSpecify bottom-right point of text: "},
};

// Justify: the way chosen, then its point.
int ChooseJustification(const Justification*& chosen, ads_point at) {
    acedInitGet(RSG_NONULL, "Left Center Right Middle TL TC TR ML MC MR BL BC BR");
    char kw[16] = "";
    int st = acedGetKword("\nEnter an option [Left/Center/Right/Middle/TL/TC/TR/ML/MC/MR/BL/BC/BR]: ", kw, sizeof kw);
    if (st != RTNORM) return st;
    for (const Justification& j : kJustifications)
        if (std::string(kw) == j.keyword) chosen = &j;
    return acedGetPoint(nullptr, chosen->prompt, at);
}

int Text() {
    AcDbDatabase* db = CommandDb();
    PromptMessage(("Current text style:  \"" + StyleName(db->textstyle()) + "\"  Text height:  " +
                   FormatLength(db->textsize()))
                      .c_str());
    ads_point start;
    const Justification* just = &kJustifications[0];
    int st;
    for (;;) {
        acedInitGet(0, "Justify Style");
        st = acedGetPoint(nullptr, "\nSpecify start point of text or [Justify/Style]: ", start);
        if (st != RTKWORD) break;
        std::string kw;
        GetLastKeyword(kw);
        if (kw == "Justify") {
            st = ChooseJustification(just, start);
            break;
        }
        if ((st = ChooseStyle()) != RTNORM) return st;
    }
    if (st != RTNORM) return EndedStatus(st);
    ads_real height = db->textsize();
    acedInitGet(RSG_NOZERO | RSG_NONEG, nullptr);
    st = acedGetDist(start, ("\nSpecify height <" + FormatLength(height) + ">: ").c_str(), &height);
    if (st == RTCAN) return st;
    if (st == RTNONE) height = db->textsize();
    else SetCurrentTextSize(height);
    ads_real rotation = CurrentEditor().textRotation;
    st = acedGetAngle(start, ("\nSpecify rotation angle of text <" + FormatAngle(CurrentEditor().textRotation) + ">: ").c_str(),
                      &rotation);
    if (st == RTCAN) return st;
    if (st == RTNONE) rotation = CurrentEditor().textRotation;
    CurrentEditor().textRotation = rotation;
    // One text per line typed; an empty line ends. Each next line starts below the last.
    const AcGeVector3d normal = UcsNormal();
    const double spacing = height * 5.0 / 3.0;
    for (int line = 0;; ++line) {
        std::string text;
        st = GetStringPrompt(true, "\nEnter text: ", text);
        if (st != RTNORM) return st;
        if (text.empty()) return RTNORM;
        ads_point at = {start[0] + std::sin(rotation) * spacing * line, start[1] - std::cos(rotation) * spacing * line,
                        start[2]};
        auto* t = new AcDbText(UcsPointToWorld(at), text.c_str(), db->textstyle(), height,
                               UcsAngleToEcs(rotation, normal));
        t->setNormal(normal);
        if (just->horz != AcDb::kTextLeft || just->vert != AcDb::kTextBase) {
            // The typed point is the alignment point; the start follows from the text's width.
            t->setHorizontalMode(just->horz);
            t->setVerticalMode(just->vert);
            t->setAlignmentPoint(UcsPointToWorld(at));
            t->adjustAlignment(db);
        }
        if (AppendToModelSpace(t).isNull()) return RTERROR;
    }
}

}  // namespace

void RegisterDrawCommands() {
    RegisterBuiltinCommand({"ARC", 0, [] { return CommandDb() ? Arc() : RTERROR; },
                            "draws an arc: 3 points, start/center/end or angle, start/end/center or radius"});
    RegisterBuiltinCommand({"PLINE", 0, [] { return CommandDb() ? Pline() : RTERROR; },
                            "draws a polyline of lines and tangent arcs (Arc, Line, Length, Width, Halfwidth, Close, Undo)"});
    RegisterBuiltinCommand({"TEXT", 0, [] { return CommandDb() ? Text() : RTERROR; },
                            "writes single-line texts: start or justified point (Justify), height, rotation, lines"});
}

}  // namespace NUVAcad
