// The drag loop: each answer read for the sampler is either a cursor move (the sample goes on)
// or a final answer (a pick, a typed value, a keyword, Enter, a cancel) that ends the drag.
// Between samples the dragged entity is shown as temporary vectors, which a redraw removes
// when the drag ends.
#include "acad/AcEdJig.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "acad/AcDbDatabase.h"
#include "acad/AcDbEntity.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/AcEdPrompts.h"
#include "acad/Display.h"
#include "acad/EditorState.h"
#include "acad/EntityOutline.h"
#include "acad/SelectionRegion.h"
#include "acad/InputSource.h"
#include "acad/TypedInput.h"

using NUVAcad::CurrentEditor;
using NUVAcad::Input;
using NUVAcad::UcsToWorld;
using NUVAcad::WorldToUcs;

namespace {

double Normalized(double a) {
    a = std::fmod(a, 2 * M_PI);
    if (a < 0) a += 2 * M_PI;
    return a >= 2 * M_PI ? 0 : a;
}

AcDbDatabase* WorkingDb() { return acdbHostApplicationServices()->workingDatabase(); }

}  // namespace

void AcEdJig::setDispPrompt(const char* prompt, ...) {
    if (!prompt) {
        prompt_.clear();
        return;
    }
    va_list ap;
    va_start(ap, prompt);
    va_list copy;
    va_copy(copy, ap);
    int n = std::vsnprintf(nullptr, 0, prompt, copy);
    va_end(copy);
    std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(text.data(), text.size() + 1, prompt, ap);
    va_end(ap);
    prompt_ = std::move(text);
}

void AcEdJig::setKeywordList(const char* keywords) { keywords_ = keywords ? keywords : ""; }

AcEdJig::DragStatus AcEdJig::acquirePoint(AcGePoint3d& point) { return acquire(Want::Point, nullptr, &point, nullptr); }
AcEdJig::DragStatus AcEdJig::acquirePoint(AcGePoint3d& point, const AcGePoint3d& basePoint) {
    return acquire(Want::Point, &basePoint, &point, nullptr);
}
AcEdJig::DragStatus AcEdJig::acquireAngle(double& angle) { return acquire(Want::Angle, nullptr, nullptr, &angle); }
AcEdJig::DragStatus AcEdJig::acquireAngle(double& angle, const AcGePoint3d& basePoint) {
    return acquire(Want::Angle, &basePoint, nullptr, &angle);
}
AcEdJig::DragStatus AcEdJig::acquireDist(double& distance) { return acquire(Want::Dist, nullptr, nullptr, &distance); }
AcEdJig::DragStatus AcEdJig::acquireDist(double& distance, const AcGePoint3d& basePoint) {
    return acquire(Want::Dist, &basePoint, nullptr, &distance);
}

AcEdJig::DragStatus AcEdJig::acquire(Want want, const AcGePoint3d* baseWorld, AcGePoint3d* point, double* value) {
    NUVAcad::KeywordList keywords(keywords_);
    NUVAcad::EditorState& ed = CurrentEditor();
    // The reference for "@", angles and distances: the base point, else the last point (user system).
    const AcGePoint3d ref = WorldToUcs(baseWorld ? *baseWorld : ed.lastPoint);
    auto invalid = [&] {
        const bool kw = !keywords.empty();
        switch (want) {
        case Want::Point: NUVAcad::PromptMessage(kw ? "Point or option keyword required." : "Invalid point."); break;
        case Want::Angle:
            NUVAcad::PromptMessage(kw ? "Requires valid numeric angle, second point, or option keyword."
                                      : "Requires valid numeric angle or second point.");
            break;
        case Want::Dist:
            NUVAcad::PromptMessage(kw ? "Requires numeric distance, second point, or option keyword."
                                      : "Requires numeric distance or second point.");
            break;
        }
    };
    // A point in the user system becomes the answer asked for; false when it is refused.
    auto fromPoint = [&](AcGePoint3d p) {
        if (!(controls_ & kAccept3dCoordinates)) p.z = 0;
        if (want == Want::Point) {
            *point = UcsToWorld(p);
            return true;
        }
        if (want == Want::Angle) {
            *value = Normalized(std::atan2(p.y - ref.y, p.x - ref.x) - ed.angbase);
            return true;
        }
        *value = std::hypot(p.x - ref.x, p.y - ref.y);
        if ((controls_ & kNoZeroResponseAccepted) && *value == 0) return false;
        return true;
    };
    auto fromNumber = [&](double v, bool typedAngleRadians) {
        if (want == Want::Angle) {
            double a = typedAngleRadians ? v : v * M_PI / 180.0;
            *value = Normalized(ed.angdirClockwise ? -a : a);
            return !((controls_ & kNoZeroResponseAccepted) && a == 0);
        }
        if ((controls_ & kNoZeroResponseAccepted) && v == 0) return false;
        if ((controls_ & kNoNegativeResponseAccepted) && v < 0) return false;
        *value = v;
        return true;
    };
    ++acquires_;
    for (;;) {
        Input in = NUVAcad::ReadInput(NUVAcad::InputRequest{prompt_, NUVAcad::InputRequest::Level::Prompt, false, true});
        picked_ = true;
        switch (in.kind) {
        case Input::Kind::Cancel:
        case Input::Kind::End: return kCancel;
        case Input::Kind::Enter:
            if (controls_ & kNullResponseAccepted) return kNull;
            continue;  // Enter means nothing here
        case Input::Kind::Cursor:
            picked_ = false;
            if (!fromPoint(AcGePoint3d(in.point[0], in.point[1], in.point[2]))) continue;
            return kNormal;
        case Input::Kind::Point:
        case Input::Kind::Entity:
            if (!fromPoint(AcGePoint3d(in.point[0], in.point[1], in.point[2]))) {
                invalid();
                continue;
            }
            break;
        case Input::Kind::Real:
        case Input::Kind::Integer:
            if (want == Want::Point || !fromNumber(in.kind == Input::Kind::Real ? in.real : in.integer, false)) {
                invalid();
                continue;
            }
            break;
        case Input::Kind::Text: {
            double v = 0;
            NUVAcad::TypedPoint tp;
            bool ok = false;
            if (want == Want::Dist && NUVAcad::ParseTypedReal(in.text, v)) {
                ok = fromNumber(v, false);
            } else if (want == Want::Angle && NUVAcad::ParseTypedAngle(in.text, v)) {
                ok = fromNumber(v, true);
            } else if (NUVAcad::ParseTypedPoint(in.text, tp)) {
                double r[3] = {ref.x, ref.y, ref.z}, q[3];
                NUVAcad::ResolveTypedPoint(tp, r, ed.elevation, ed.angles(), q);
                AcGePoint3d p(q[0], q[1], q[2]);
                if (tp.world) p = WorldToUcs(p);
                ok = fromPoint(p);
            } else {
                int k = keywords.match(in.text);
                if (k >= 0 && k < 9) {
                    NUVAcad::SetLastKeyword(keywords.result(static_cast<size_t>(k)));
                    return static_cast<DragStatus>(kKW1 + k);
                }
                if (controls_ & kAcceptOtherInputString) {
                    other_ = in.text;
                    return kOther;
                }
            }
            if (!ok) {
                invalid();
                continue;
            }
            break;
        }
        default: invalid(); continue;
        }
        // A final answer.
        if (want == Want::Point && !(controls_ & kDontUpdateLastPoint)) ed.lastPoint = *point;
        return kNormal;
    }
}

void AcEdJig::show() {
    AcDbDatabase* db = WorkingDb();
    if (!db) return;
    NUVAcad::Display& d = NUVAcad::displayOf(db);
    d.redrawAll();  // the previous sample's image goes
    const AcDbEntity* e = entity();
    if (!e) return;
    std::vector<NUVAcad::OutlinePart> parts;
    NUVAcad::OutlineOptions opt;
    opt.tolerance = 0.5 / d.view().pixelsPerUnit();
    NUVAcad::AppendOutline(e, opt, parts);
    NUVAcad::ForEachChain(parts, [&](const std::vector<AcGePoint2d>& pts, bool closed) {
        for (size_t i = 0; i + 1 < pts.size() + (closed ? 1 : 0); ++i) {
            const AcGePoint2d& a = pts[i];
            const AcGePoint2d& b = pts[(i + 1) % pts.size()];
            NUVAcad::TempVector v;
            v.from.set(a.x, a.y, 0);
            v.to.set(b.x, b.y, 0);
            v.color = -1;
            d.addTempVector(v);
        }
    });
}

AcEdJig::DragStatus AcEdJig::drag() {
    if (running_) return kCancel;  // one drag at a time
    running_ = true;
    DragStatus result;
    for (;;) {
        picked_ = false;
        acquires_ = 0;
        DragStatus st = sampler();
        if (acquires_ == 0) {
            result = kCancel;  // a sampler that asks nothing would spin for ever
            break;
        }
        if (st == kNormal) {
            update();
            show();
        } else if (st != kNoChange) {
            result = st;
            break;
        }
        if (picked_) {
            result = kNormal;
            break;
        }
    }
    if (AcDbDatabase* db = WorkingDb()) NUVAcad::displayOf(db).redrawAll();
    running_ = false;
    return result;
}

AcDbObjectId AcEdJig::append() {
    AcDbDatabase* db = WorkingDb();
    AcDbEntity* e = entity();
    if (!db || !e) return AcDbObjectId();
    AcDbBlockTableRecord* ms = nullptr;
    if (acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForWrite) != Acad::eOk) return AcDbObjectId();
    AcDbObjectId id;
    Acad::ErrorStatus es = ms->appendAcDbEntity(id, e);
    ms->close();
    if (es != Acad::eOk) return AcDbObjectId();
    e->close();
    return id;
}
