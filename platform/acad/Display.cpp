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
#include "win/Tick.h"

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
    DisplayChange c;
    c.kind = DisplayChange::Kind::View;
    c.tick = willChange();
    view_ = v;
    temp_.clear();
    slide_.reset();
    ++counters_.viewChanges;
    changed(c);
    // Undo and redo put a view back without remembering it again.
    auto putBack = [this](const DisplayView& view, const std::vector<DisplayView>& previous) {
        DisplayChange back;
        back.kind = DisplayChange::Kind::View;
        back.tick = willChange();
        view_ = view;
        previous_ = previous;
        changed(back);
    };
    undoLogOf(db_).recordCustom([putBack, old, oldPrevious] { putBack(old, oldPrevious); },
                                [putBack, v, now = previous_] { putBack(v, now); });
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

void Display::resetView() {
    DisplayView v = view_;
    AcGePoint3d mn, mx;
    if (!drawingExtents(mn, mx)) {
        mn.set(0, 0, 0);
        mx.set(kLimitsWidth, kLimitsHeight, 0);
    }
    double w = mx.x - mn.x, h = mx.y - mn.y;
    v.center = {(mn.x + mx.x) / 2, (mn.y + mx.y) / 2};
    double fit = std::max(h, w / v.ratio());
    if (fit > 0 && std::isfinite(fit)) v.height = fit;
    view_ = v;
    previous_.clear();
    temp_.clear();
    slide_.reset();
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
    uint8_t old = stateOf(id), s = old;
    switch (mode) {
    case 1: s &= ~kBlanked; break;
    case 2: s |= kBlanked; break;
    case 3: s = kHighlighted; break;
    case 4: s &= ~(kHighlighted | kBlanked); break;
    default: return;
    }
    DisplayChange c;
    c.kind = DisplayChange::Kind::Entity;
    c.tick = willChange();
    c.id = id;
    c.oldState = old;
    c.state = s;
    setState(id, s);
    ++counters_.entityRedraws;
    changed(c);
}

void Display::updateEntity(AcDbObjectId id) {
    DisplayChange c;
    c.kind = DisplayChange::Kind::Entity;
    c.tick = willChange();
    c.id = id;
    c.oldState = stateOf(id);
    c.state = c.oldState & ~kBlanked;
    setState(id, c.state);
    ++counters_.entityUpdates;
    changed(c);
}

void Display::redrawAll() {
    DisplayChange c;
    c.kind = DisplayChange::Kind::Redraw;
    c.tick = willChange();
    temp_.clear();
    slide_.reset();
    ++counters_.fullRedraws;
    changed(c);
}

void Display::regenAll() {
    unsigned long long tick = willChange();
    temp_.clear();
    slide_.reset();
    std::vector<DisplayChange> unblanked;
    for (auto it = states_.begin(); it != states_.end();) {
        if (it->second & kBlanked) {
            DisplayChange c;
            c.kind = DisplayChange::Kind::Entity;
            c.tick = tick;
            c.id = it->first;
            c.oldState = it->second;
            c.state = it->second & ~kBlanked;
            unblanked.push_back(c);
        }
        it->second &= ~kBlanked;
        it = it->second == 0 ? states_.erase(it) : std::next(it);
    }
    ++counters_.regens;
    for (const DisplayChange& c : unblanked) changed(c);
    DisplayChange c;
    c.kind = DisplayChange::Kind::Regen;
    c.tick = tick;
    changed(c);
}

void Display::updateDisplay() {
    DisplayChange c;
    c.kind = DisplayChange::Kind::Update;
    c.tick = willChange();
    ++counters_.updates;
    changed(c);
}

void Display::addTempVector(const TempVector& v) {
    DisplayChange c;
    c.kind = DisplayChange::Kind::TempVector;
    c.tick = willChange();
    temp_.push_back(v);
    changed(c);
}

void Display::showSlide(std::shared_ptr<const Slide> slide) {
    DisplayChange c;
    c.kind = DisplayChange::Kind::Slide;
    c.tick = willChange();
    slide_ = std::move(slide);
    changed(c);
}

// ---- Watching and history ----

Display::~Display() {
    std::vector<DisplayWatcher*> ws = std::move(watchers_);
    for (DisplayWatcher* w : ws) w->displayGone(*this);
}

void Display::addWatcher(DisplayWatcher* w) {
    if (w && std::find(watchers_.begin(), watchers_.end(), w) == watchers_.end()) watchers_.push_back(w);
}

void Display::removeWatcher(DisplayWatcher* w) { std::erase(watchers_, w); }

unsigned long long Display::willChange() {
    unsigned long long tick = GetTickCount64();
    // A copy: a watcher may remove itself while it is told.
    std::vector<DisplayWatcher*> ws = watchers_;
    for (DisplayWatcher* w : ws) w->displayWillChange(*this, tick);
    return tick;
}

void Display::changed(const DisplayChange& c) {
    if (historyRunning_) history_.push_back(c);
    std::vector<DisplayWatcher*> ws = watchers_;
    for (DisplayWatcher* w : ws) w->displayChanged(*this, c);
}

void Display::startHistory() {
    historyRunning_ = true;
    historyStart_ = states_;
    history_.clear();
}

void Display::stopHistory() { historyRunning_ = false; }

uint8_t Display::stateAt(AcDbObjectId id, unsigned long long tick) const {
    // Changes are appended in time order, so the last one at or before the tick is the answer.
    for (auto it = history_.rbegin(); it != history_.rend(); ++it)
        if (it->kind == DisplayChange::Kind::Entity && it->id == id && it->tick <= tick) return it->state;
    auto it = historyStart_.find(id);
    return it == historyStart_.end() ? 0 : it->second;
}

std::vector<std::pair<unsigned long long, uint8_t>> Display::timeline(AcDbObjectId id) const {
    std::vector<std::pair<unsigned long long, uint8_t>> out;
    for (const DisplayChange& c : history_)
        if (c.kind == DisplayChange::Kind::Entity && c.id == id && c.state != c.oldState) out.emplace_back(c.tick, c.state);
    return out;
}

}  // namespace NUVAcad
