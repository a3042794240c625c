// What the user of a drawing sees, as a model without pictures: the current view and the views
// before it (ZOOM Previous), each entity's state on screen (drawn, blanked, highlighted), the
// temporary vectors of acedGrDraw, a slide shown over the drawing (VSLIDE), and counters of
// redraws for tests. A renderer turns it into a picture. One display per drawing, reached from
// the database; points given to it are world coordinates (the commands convert typed ones).
// Watchers hear of every visible change with the tick count it happened at, and a history keeps
// entity states over time, so a flashing sequence can be checked and pictured frame by frame.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "acad/AcDbCore.h"
#include "acad/AcDbObjectId.h"
#include "acad/AcGePoint3d.h"
#include "acad/DisplayView.h"
#include "acad/SlideFile.h"

class AcDbDatabase;

namespace NUVAcad {

struct TempVector {
    AcGePoint3d from, to;  // world coordinates
    int color = 7;         // colour index; -1 draws in the inverse of what is under it
    bool highlighted = false;
};

// One visible change, at a tick count of the platform's clock (GetTickCount64).
struct DisplayChange {
    enum class Kind : uint8_t {
        Entity,      // an entity's state (drawn, blanked, highlighted) changed: `id`, `state`
        Redraw,      // the whole view redrawn (temporary vectors and a shown slide gone)
        Regen,       // the whole drawing regenerated (each unblanked entity also reported)
        View,        // the view moved (zoom)
        TempVector,  // a temporary vector drawn
        Slide,       // a slide shown
        Update,      // acedUpdateDisplay: pending graphics flushed
    };
    Kind kind = Kind::Update;
    unsigned long long tick = 0;
    AcDbObjectId id;        // Entity
    uint8_t state = 0;      // Entity: the new state (Display::kBlanked | Display::kHighlighted)
    uint8_t oldState = 0;   // Entity: the state before
};

class Display;

// Told of changes. displayWillChange comes before the display changes (what is shown is still
// the old picture), displayChanged after. A watcher must not change the display it watches.
class DisplayWatcher {
public:
    virtual ~DisplayWatcher() = default;
    virtual void displayWillChange(const Display&, unsigned long long /*tick*/) {}
    virtual void displayChanged(const Display&, const DisplayChange&) {}
    // The display goes with its drawing; the watcher is forgotten and must not touch either.
    virtual void displayGone(const Display&) {}
};

struct DisplayCounters {
    long fullRedraws = 0;    // the whole view redrawn: acedRedraw(null, 0), REDRAW
    long entityRedraws = 0;  // acedRedraw of one entity, any mode
    long regens = 0;         // the whole view regenerated from the drawing: REGEN
    long entityUpdates = 0;  // acdbEntUpd
    long updates = 0;        // acedUpdateDisplay
    long viewChanges = 0;    // zooms
};

class Display {
public:
    // ZOOM Previous remembers this many views, as the host does.
    static constexpr size_t kPreviousViews = 10;

    explicit Display(AcDbDatabase* db) : db_(db) {}
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    // ---- The view ----
    const DisplayView& view() const { return view_; }
    // Sets the view (pushing the current one for ZOOM Previous); refused when the height is
    // not positive.
    Acad::ErrorStatus setView(const DisplayView& v);
    // The view a drawing opens with: its visible entities fill it (an empty drawing shows its
    // limits). No view is remembered, nothing is recorded for undo, and no zoom is counted.
    void resetView();
    // The graphics area in pixels (1 to 32767 each way): the view keeps its centre and height.
    Acad::ErrorStatus setScreenSize(int width, int height);
    // The host's variables: VIEWCTR (in the current UCS), VIEWSIZE, SCREENSIZE.
    AcGePoint3d viewCtr() const;
    double viewSize() const { return view_.height; }
    AcGePoint2d screenSize() const { return {double(view_.screenWidth), double(view_.screenHeight)}; }

    // ---- ZOOM ----
    // Window: the two corners fill the view (eInvalidInput when they span no area).
    Acad::ErrorStatus zoomWindow(const AcGePoint3d& corner1, const AcGePoint3d& corner2);
    // Center: a centre and a view height (eInvalidInput when the height is not positive).
    Acad::ErrorStatus zoomCenter(const AcGePoint3d& center, double height);
    // nX: the view magnified by the factor about its centre.
    Acad::ErrorStatus zoomScale(double factor);
    // Extents: the visible entities of model space fill the view; an empty drawing shows its
    // limits.
    Acad::ErrorStatus zoomExtents();
    // Previous: back to the view before the last zoom (eNotApplicable when none is left).
    Acad::ErrorStatus zoomPrevious();
    size_t previousViews() const { return previous_.size(); }
    // Extents of the visible entities of model space; false for an empty drawing.
    bool drawingExtents(AcGePoint3d& minPoint, AcGePoint3d& maxPoint) const;

    // ---- Entity states ----
    bool isBlanked(AcDbObjectId id) const { return stateOf(id) & kBlanked; }
    bool isHighlighted(AcDbObjectId id) const { return stateOf(id) & kHighlighted; }
    // Redraw modes 1 (draw), 2 (blank), 3 (highlight), 4 (unhighlight) on one entity.
    void redrawEntity(AcDbObjectId id, int mode);
    // An entity regenerated from its data (acdbEntUpd): drawn again, highlight kept.
    void updateEntity(AcDbObjectId id);
    // The whole view redrawn: temporary vectors and a shown slide go; blanked entities stay
    // blanked until they are drawn again or the drawing is regenerated.
    void redrawAll();
    // The whole drawing regenerated: as redrawAll, and every entity is drawn again.
    void regenAll();
    void updateDisplay();
    // Entities that are not drawn normally, for renderers.
    const std::unordered_map<AcDbObjectId, uint8_t>& states() const { return states_; }

    // ---- Temporary graphics ----
    void addTempVector(const TempVector& v);
    const std::vector<TempVector>& tempVectors() const { return temp_; }

    // ---- Slides (VSLIDE) ----
    void showSlide(std::shared_ptr<const Slide> slide);
    const Slide* shownSlide() const { return slide_.get(); }

    // ---- Selection ----
    // The last set selected in this drawing, for the Previous selection mode.
    const std::vector<AcDbObjectId>& previousSelection() const { return previousSelection_; }
    void setPreviousSelection(std::vector<AcDbObjectId> ids) { previousSelection_ = std::move(ids); }

    const DisplayCounters& counters() const { return counters_; }

    enum : uint8_t { kBlanked = 1, kHighlighted = 2 };
    // The state an entity is shown in now: 0 (drawn), kBlanked, kHighlighted.
    uint8_t stateOf(AcDbObjectId id) const;

    // ---- Watching ----
    // Watchers are not owned; remove one before it goes.
    void addWatcher(DisplayWatcher* w);
    void removeWatcher(DisplayWatcher* w);

    // ---- History ----
    // From now on every change is kept with its tick (a running history starts again).
    void startHistory();
    void stopHistory();
    bool historyRunning() const { return historyRunning_; }
    const std::vector<DisplayChange>& history() const { return history_; }
    // The state an entity was shown in at a tick since the history started (the last change at
    // or before it counts); the state at the start for an earlier tick.
    uint8_t stateAt(AcDbObjectId id, unsigned long long tick) const;
    // The ticks at which an entity's state changed, in order, with the state from then on.
    std::vector<std::pair<unsigned long long, uint8_t>> timeline(AcDbObjectId id) const;

private:
    void setState(AcDbObjectId id, uint8_t state);
    void changeView(const DisplayView& v, bool remember);
    // Tells watchers a change is coming and returns its tick.
    unsigned long long willChange();
    void changed(const DisplayChange& c);

    AcDbDatabase* db_;
    DisplayView view_;
    std::vector<DisplayView> previous_;
    std::unordered_map<AcDbObjectId, uint8_t> states_;  // absent: drawn normally
    std::vector<TempVector> temp_;
    std::shared_ptr<const Slide> slide_;
    std::vector<AcDbObjectId> previousSelection_;
    DisplayCounters counters_;
    std::vector<DisplayWatcher*> watchers_;
    bool historyRunning_ = false;
    std::unordered_map<AcDbObjectId, uint8_t> historyStart_;
    std::vector<DisplayChange> history_;
};

// The display of a drawing (made when first asked for).
Display& displayOf(AcDbDatabase* db);

}  // namespace NUVAcad
