// The user's side of acedSSGet: "Select objects:" repeated until Enter. A pick that finds an
// entity adds it; one that finds none starts a box whose opposite corner makes a window (drawn
// left to right) or a crossing (right to left). Options: Window, Crossing, WPolygon, CPolygon,
// Fence, ALL, Last, Previous, Remove, Add, Undo, and "#handle". The ":S" flag ends after the
// first operation that selects something. The caller's filter applies to everything.
#include "acad/InteractiveSelection.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "acad/AcDbDatabase.h"
#include "acad/AcEdPrompts.h"
#include "acad/AcDbEntity.h"
#include "acad/AcEdSelectionSet.h"
#include "acad/AdsName.h"
#include "acad/DbInternal.h"
#include "acad/Display.h"
#include "acad/EditorState.h"
#include "acad/EntityPicking.h"
#include "acad/InputSource.h"
#include "acad/SelectionFilter.h"
#include "acad/SelectionRegion.h"
#include "acad/TypedInput.h"

namespace NUVAcad {

namespace {

const char* const kOptions = "Window Last Crossing ALL Fence WPolygon CPolygon Add Remove Previous Undo";

class Selector {
public:
    Selector(AcDbDatabase* db, const SelectionRequest& req) : db_(db), filter_(req.filter), single_(req.flags.find(":S") != std::string::npos) {}

    int run(std::vector<AcDbObjectId>& picked) {
        if (!filter_.ok()) return RTERROR;
        for (;;) {
            Input in = ReadInput(InputRequest{removing_ ? "\nRemove objects: " : "\nSelect objects: ",
                                              InputRequest::Level::Prompt, false});
            std::vector<AcDbObjectId> found;
            bool operation = true;
            switch (in.kind) {
            case Input::Kind::Cancel:
            case Input::Kind::End: return RTCAN;
            case Input::Kind::Enter: operation = false; break;
            case Input::Kind::Entity: {
                AcDbObjectId id;
                if (acdbGetObjectId(id, in.name) == Acad::eOk && id.isValid() && !id.isErased()) found.push_back(id);
                break;
            }
            case Input::Kind::SelectionSet: {
                long n = 0;
                acedSSLength(in.name, &n);
                for (long i = 0; i < n; ++i) {
                    ads_name e;
                    AcDbObjectId id;
                    if (acedSSName(in.name, i, e) == RTNORM && acdbGetObjectId(id, e) == Acad::eOk) found.push_back(id);
                }
                break;
            }
            case Input::Kind::Point: {
                int st = pickOrBox(AcGePoint3d(in.point[0], in.point[1], in.point[2]), found);
                if (st != RTNORM) return st;
                break;
            }
            case Input::Kind::Text: {
                int st = text(in.text, found, operation);
                if (st != RTNORM) return st;
                break;
            }
            default:
                invalid();
                operation = false;
                break;
            }
            if (in.is(Input::Kind::Enter)) break;
            if (!operation) continue;
            apply(found);
            if (single_ && !selected_.empty()) break;
        }
        if (selected_.empty()) return RTERROR;
        picked = selected_;
        return RTNORM;
    }

private:
    void invalid() {
        PromptMessage("*Invalid selection*");
        PromptMessage("Expects a point or Window/Last/Crossing/ALL/Fence/WPolygon/CPolygon/Add/Remove/Previous/Undo");
    }

    bool passes(AcDbObjectId id) const {
        auto* e = AcDbEntity::cast(DbAccess::peek(id));
        return e && !e->isErased() && filter_.matches(e);
    }

    void apply(const std::vector<AcDbObjectId>& found) {
        std::vector<AcDbObjectId> step;
        int duplicates = 0, count = 0;
        for (AcDbObjectId id : found) {
            if (!passes(id)) continue;
            ++count;
            auto at = std::find(selected_.begin(), selected_.end(), id);
            if (removing_) {
                if (at != selected_.end()) {
                    selected_.erase(at);
                    step.push_back(id);
                }
            } else if (at != selected_.end()) {
                ++duplicates;
            } else {
                selected_.push_back(id);
                step.push_back(id);
            }
        }
        history_.push_back({removing_, step});
        char buf[96];
        if (removing_) std::snprintf(buf, sizeof buf, "%d found, %zu removed, %zu total", count, step.size(), selected_.size());
        else if (duplicates) std::snprintf(buf, sizeof buf, "%d found (%d duplicate), %zu total", count, duplicates, selected_.size());
        else std::snprintf(buf, sizeof buf, "%d found, %zu total", count, selected_.size());
        PromptMessage(buf);
    }

    // A point: the entity under it, or else the first corner of a box.
    int pickOrBox(const AcGePoint3d& ucs, std::vector<AcDbObjectId>& found) {
        AcDbObjectId id = EntityAtPoint(db_, UcsToWorld(ucs));
        if (!id.isNull()) {
            found.push_back(id);
            return RTNORM;
        }
        ads_point first = {ucs.x, ucs.y, ucs.z}, second;
        int st = acedGetCorner(first, "\nSpecify opposite corner: ", second);
        if (st == RTNONE) return RTNORM;
        if (st != RTNORM) return st;
        // Drawn to the right it is a window, to the left a crossing.
        AcGePoint3d a = UcsToWorld(ucs), b = UcsToWorld(AcGePoint3d(second[0], second[1], second[2]));
        region(SelectionRegion::rectangle({a.x, a.y}, {b.x, b.y}, second[0] < ucs.x), found);
        return RTNORM;
    }

    void region(const SelectionRegion& r, std::vector<AcDbObjectId>& found) {
        SelectionFilter all(nullptr);
        SelectInRegion(db_, r, all, found);
    }

    int box(bool crossing, std::vector<AcDbObjectId>& found) {
        ads_point a, b;
        int st = acedGetPoint(nullptr, "\nSpecify first corner: ", a);
        if (st != RTNORM) return st == RTNONE ? RTNORM : st;
        st = acedGetCorner(a, "\nSpecify opposite corner: ", b);
        if (st != RTNORM) return st == RTNONE ? RTNORM : st;
        AcGePoint3d wa = UcsToWorld(AcGePoint3d(a[0], a[1], a[2])), wb = UcsToWorld(AcGePoint3d(b[0], b[1], b[2]));
        region(SelectionRegion::rectangle({wa.x, wa.y}, {wb.x, wb.y}, crossing), found);
        return RTNORM;
    }

    // Points until Enter, for the polygon and fence options.
    int points(const char* first, const char* next, size_t minimum, std::vector<AcGePoint2d>& pts) {
        for (;;) {
            ads_point p;
            int st;
            if (pts.empty()) {
                st = acedGetPoint(nullptr, first, p);
            } else {
                AcGePoint3d last = WorldToUcs(AcGePoint3d(pts.back().x, pts.back().y, 0));
                ads_point base = {last.x, last.y, last.z};
                st = acedGetPoint(base, next, p);
            }
            if (st == RTNONE) break;
            if (st != RTNORM) return st;
            AcGePoint3d w = UcsToWorld(AcGePoint3d(p[0], p[1], p[2]));
            pts.push_back({w.x, w.y});
        }
        return pts.size() >= minimum ? RTNORM : RTNONE;
    }

    int text(const std::string& t, std::vector<AcDbObjectId>& found, bool& operation) {
        if (!t.empty() && t[0] == '#') {
            AcDbObjectId id = EntityByHandleText(db_, t);
            if (!id.isNull()) found.push_back(id);
            return RTNORM;
        }
        TypedPoint tp;
        if (ParseTypedPoint(t, tp)) {
            EditorState& ed = CurrentEditor();
            AcGePoint3d last = WorldToUcs(ed.lastPoint);
            double ref[3] = {last.x, last.y, last.z}, q[3];
            ResolveTypedPoint(tp, ref, ed.elevation, ed.angles(), q);
            AcGePoint3d p(q[0], q[1], q[2]);
            if (tp.world) p = WorldToUcs(p);
            return pickOrBox(p, found);
        }
        KeywordList options(kOptions);
        int k = options.match(t);
        const std::string opt = k >= 0 ? options.result(static_cast<size_t>(k)) : std::string();
        if (opt == "Window" || opt == "Crossing") return box(opt == "Crossing", found);
        if (opt == "WPolygon" || opt == "CPolygon" || opt == "Fence") {
            std::vector<AcGePoint2d> pts;
            const bool fence = opt == "Fence";
            int st = points(fence ? "\nFirst fence point: " : "\nFirst polygon point: ",
                            fence ? "\nSpecify endpoint of line or [Undo]: " : "\nSpecify endpoint of line or [Undo]: ",
                            fence ? 2 : 3, pts);
            if (st == RTNONE) return RTNORM;
            if (st != RTNORM) return st;
            region(fence ? SelectionRegion::fence(pts) : SelectionRegion::polygon(pts, opt == "CPolygon"), found);
            return RTNORM;
        }
        if (opt == "ALL") {
            ads_name ss;
            if (acedSSGet("A", nullptr, nullptr, nullptr, ss) == RTNORM) {
                long n = 0;
                acedSSLength(ss, &n);
                for (long i = 0; i < n; ++i) {
                    ads_name e;
                    AcDbObjectId id;
                    if (acedSSName(ss, i, e) == RTNORM && acdbGetObjectId(id, e) == Acad::eOk) found.push_back(id);
                }
                acedSSFree(ss);
            }
            return RTNORM;
        }
        if (opt == "Last") {
            ads_name e;
            AcDbObjectId id;
            if (acdbEntLast(e) == RTNORM && acdbGetObjectId(id, e) == Acad::eOk) found.push_back(id);
            return RTNORM;
        }
        if (opt == "Previous") {
            for (AcDbObjectId id : displayOf(db_).previousSelection()) found.push_back(id);
            return RTNORM;
        }
        if (opt == "Remove" || opt == "Add") {
            removing_ = opt == "Remove";
            operation = false;
            return RTNORM;
        }
        if (opt == "Undo") {
            operation = false;
            if (history_.empty()) return RTNORM;
            auto [wasRemoving, ids] = history_.back();
            history_.pop_back();
            for (AcDbObjectId id : ids) {
                if (wasRemoving) selected_.push_back(id);
                else selected_.erase(std::find(selected_.begin(), selected_.end(), id));
            }
            return RTNORM;
        }
        invalid();
        operation = false;
        return RTNORM;
    }

    AcDbDatabase* db_;
    SelectionFilter filter_;
    bool single_;
    bool removing_ = false;
    std::vector<AcDbObjectId> selected_;  // in the order selected
    std::vector<std::pair<bool, std::vector<AcDbObjectId>>> history_;
};

}  // namespace

int SelectInteractively(const SelectionRequest& request, std::vector<AcDbObjectId>& picked) {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (!db) return RTERROR;
    return Selector(db, request).run(picked);
}

void InstallInteractiveSelection() { SetSelectionInput(SelectInteractively); }

}  // namespace NUVAcad
