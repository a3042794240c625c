// View changes are recorded in the drawing's undo log, so U after a ZOOM brings the old view
// back, as on the host; entity states and temporary graphics are not (they are not data).
#include "acad/Display.h"

#include <algorithm>
#include <cmath>

#include "acad/AcDbDatabase.h"
#include "acad/AcDbEntity.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/DbInternal.h"
#include "acad/UndoLog.h"

namespace NUVAcad {

namespace {
// The limits of a new metric drawing, shown when there is nothing to zoom to.
constexpr double kLimitsWidth = 420.0, kLimitsHeight = 297.0;
}  // namespace

Display& displayOf(AcDbDatabase* db) {
    DatabaseStore& st = DbAccess::store(db);
    if (!st.display) st.display = std::make_unique<Display>(db);
    return *st.display;
}

// ---- View ----

void Display::changeView(const DisplayView& v, bool remember) {
    DisplayView old = view_;
    std::vector<DisplayView> oldPrevious = previous_;
    if (remember) {
        previous_.push_back(view_);
        if (previous_.size() > kPreviousViews) previous_.erase(previous_.begin());
    }
    view_ = v;
    temp_.clear();
    slide_.reset();
    ++counters_.viewChanges;
    undoLogOf(db_).recordCustom([this, old, oldPrevious] {
        view_ = old;
        previous_ = oldPrevious;
    });
}

Acad::ErrorStatus Display::setView(const DisplayView& v) {
    if (!(v.height > 0) || !std::isfinite(v.height) || !std::isfinite(v.center.x) || !std::isfinite(v.center.y))
        return Acad::eInvalidInput;
    if (v.screenWidth < 1 || v.screenHeight < 1 || v.screenWidth > DisplayView::kMaxScreen ||
        v.screenHeight > DisplayView::kMaxScreen)
        return Acad::eInvalidInput;
    changeView(v, true);
    return Acad::eOk;
}

Acad::ErrorStatus Display::setScreenSize(int width, int height) {
    if (width < 1 || height < 1 || width > DisplayView::kMaxScreen || height > DisplayView::kMaxScreen)
        return Acad::eInvalidInput;
    view_.screenWidth = width;
    view_.screenHeight = height;
    return Acad::eOk;
}

AcGePoint3d Display::viewCtr() const {
    AcGePoint3d c(view_.center.x, view_.center.y, 0.0);
    return c.transformBy(db_->ucsMatrix().inverse());
}

Acad::ErrorStatus Display::zoomWindow(const AcGePoint3d& a, const AcGePoint3d& b) {
    double w = std::fabs(b.x - a.x), h = std::fabs(b.y - a.y);
    if (!(w > 0 || h > 0) || !std::isfinite(w) || !std::isfinite(h)) return Acad::eInvalidInput;
    DisplayView v = view_;
    v.center = {(a.x + b.x) / 2, (a.y + b.y) / 2};
    v.height = std::max(h, w / view_.ratio());
    return setView(v);
}

Acad::ErrorStatus Display::zoomCenter(const AcGePoint3d& center, double height) {
    DisplayView v = view_;
    v.center = {center.x, center.y};
    v.height = height;
    return setView(v);
}

Acad::ErrorStatus Display::zoomScale(double factor) {
    if (!(factor > 0) || !std::isfinite(factor)) return Acad::eInvalidInput;
    DisplayView v = view_;
    v.height = view_.height / factor;
    return setView(v);
}

bool Display::drawingExtents(AcGePoint3d& mn, AcGePoint3d& mx) const {
    auto* ms = DbAccess::peekAs<AcDbBlockTableRecord>(db_->modelSpaceId());
    if (!ms) return false;
    AcDbExtents all;
    for (AcDbObjectId id : ms->entityIds()) {
        auto* e = DbAccess::peekAs<AcDbEntity>(id);
        if (!e || e->isErased() || e->visibility() != AcDb::kVisible) continue;
        auto* layer = DbAccess::peekAs<AcDbLayerTableRecord>(e->layerId());
        if (layer && (layer->isOff() || layer->isFrozen())) continue;
        AcDbExtents ext;
        if (e->getGeomExtents(ext) == Acad::eOk) all.addExt(ext);
    }
    if (!all.isValid()) return false;
    mn = all.minPoint();
    mx = all.maxPoint();
    return true;
}

Acad::ErrorStatus Display::zoomExtents() {
    AcGePoint3d mn, mx;
    if (!drawingExtents(mn, mx)) return zoomWindow({0, 0, 0}, {kLimitsWidth, kLimitsHeight, 0});
    if (mn.x == mx.x && mn.y == mx.y) return zoomCenter(mn, view_.height);
    return zoomWindow(mn, mx);
}

Acad::ErrorStatus Display::zoomPrevious() {
    if (previous_.empty()) return Acad::eNotApplicable;
    DisplayView v = previous_.back();
    previous_.pop_back();
    v.screenWidth = view_.screenWidth;
    v.screenHeight = view_.screenHeight;
    changeView(v, false);
    return Acad::eOk;
}

// ---- Entity states ----

uint8_t Display::stateOf(AcDbObjectId id) const {
    auto it = states_.find(id);
    return it == states_.end() ? 0 : it->second;
}

void Display::setState(AcDbObjectId id, uint8_t state) {
    if (state == 0) states_.erase(id);
    else states_[id] = state;
}

void Display::redrawEntity(AcDbObjectId id, int mode) {
    uint8_t s = stateOf(id);
    switch (mode) {
    case 1: s &= ~kBlanked; break;
    case 2: s |= kBlanked; break;
    case 3: s = kHighlighted; break;
    case 4: s &= ~(kHighlighted | kBlanked); break;
    default: return;
    }
    setState(id, s);
    ++counters_.entityRedraws;
}

void Display::updateEntity(AcDbObjectId id) {
    setState(id, stateOf(id) & ~kBlanked);
    ++counters_.entityUpdates;
}

void Display::redrawAll() {
    temp_.clear();
    slide_.reset();
    ++counters_.fullRedraws;
}

void Display::regenAll() {
    temp_.clear();
    slide_.reset();
    for (auto it = states_.begin(); it != states_.end();) {
        it->second &= ~kBlanked;
        it = it->second == 0 ? states_.erase(it) : std::next(it);
    }
    ++counters_.regens;
}

}  // namespace NUVAcad
