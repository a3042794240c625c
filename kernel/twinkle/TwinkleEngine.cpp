// The flashing engine. All state is process-wide and lives on the host's main thread; ticks are
// delivered by the message loop between commands, so nothing here is ever re-entered.
//
// Each tick first advances one shared phase (second mode on the very first tick of the process,
// then alternating), then brings every item whose entity shows another phase to the shared one
// (open and close for write so the entity is current, then redraw in that mode), ends the items
// whose time is up (walking the expiry list backwards), and redraws the view once. An entity is
// never left blanked: an item that ends in the "off" phase redraws its entity in the "on" mode.
// Saved looks (colour, linetype, width) are restored only when the last item on an entity ends,
// and a second item on an entity takes over what the first saved, so the entity gets its own look
// back rather than another request's flash look.
#include <strings.h>

#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "acad/AcEdDisplay.h"
#include "acad/AcEdSelectionSet.h"
#include "acad/ResBuf.h"
#include "draw/Polylines.h"
#include "twinkle/IntRegistry.h"
#include "twinkle/Twinkle.h"
#include "twinkle/TwinkleState.h"
#include "twinkle/TwinkleTiming.h"
#include "win/Tick.h"
#include "win/Timer.h"

namespace NUV {

namespace {

enum Kind { kInsert = 0, kPolyline = 1, kOther = 2 };

constexpr uint32_t kNeverExpires = 0xFFFFFFFFu;
constexpr uint32_t kDefaultDuration = 3000;
constexpr UINT_PTR kTimerEvent = 1;

struct TwinkleItem {
    ads_name name = {0, 0};
    int id = 0;
    int phase = 0;
    uint32_t duration = 0;
    uint32_t start = 0;
    int flashColor = -1;
    int savedColor = -1;
    std::string flashLinetype;
    std::string savedLinetype;
    double flashWidth = 0.0;
    double savedWidth = -1.0;
    int kind = kOther;
};

struct Engine {
    int firstMode = 1;
    int secondMode = 2;
    double frequency = 3.0;
    int nextId = 1;
    bool timerRunning = false;
    bool ticked = false;  // a tick has run in this process
    int sharedPhase = 0;
    IntRegistry<TwinkleItem> items;
    std::unordered_map<int, AcDbObjectId> outlines;
    std::unordered_map<AcDbObjectId, int> useCounts;
    IntRegistry<std::vector<int>> groups;
    unsigned long long entitiesOpened = 0;
};

Engine& engine() {
    static Engine e;
    return e;
}

// An object opened by id and closed when the scope ends, even when a host call throws.
template <class T>
class Opened {
public:
    Opened(const AcDbObjectId& id, AcDb::OpenMode mode) {
        if (acdbOpenObject(p_, id, mode) != Acad::eOk) p_ = nullptr;
        if (p_) ++engine().entitiesOpened;
    }
    ~Opened() {
        if (p_) p_->close();
    }
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;
    explicit operator bool() const { return p_ != nullptr; }
    T* operator->() const { return p_; }

private:
    T* p_ = nullptr;
};

int KindOf(const ads_name name) {
    resbuf* list = acdbEntGet(name);
    int kind = kOther;
    for (resbuf* rb = list; rb; rb = rb->rbnext) {
        if (rb->restype != 0 || !rb->resval.rstring) continue;
        if (strcasecmp(rb->resval.rstring, "insert") == 0) kind = kInsert;
        else if (strcasecmp(rb->resval.rstring, "lwpolyline") == 0 || strcasecmp(rb->resval.rstring, "polyline") == 0)
            kind = kPolyline;
        break;
    }
    acutRelRb(list);
    return kind;
}

// Opens the entity for write and closes it again: the entity is reachable and current.
bool Touch(const AcDbObjectId& id) { return static_cast<bool>(Opened<AcDbEntity>(id, AcDb::kForWrite)); }

// Puts back the entity's own colour, linetype and polyline width.
void Restore(const TwinkleItem& item) {
    AcDbObjectId id;
    if (acdbGetObjectId(id, item.name) != Acad::eOk) return;
    if (Opened<AcDbEntity> ent(id, AcDb::kForWrite); ent) {
        if (item.savedColor >= 0) ent->setColorIndex(item.savedColor, true);
        if (!item.savedLinetype.empty()) ent->setLinetype(item.savedLinetype.c_str(), true);
    }
    if (item.kind == kPolyline && item.savedWidth >= 0) {
        if (Opened<AcDbPolyline> pl(id, AcDb::kForWrite); pl) pl->setConstantWidth(item.savedWidth);
    }
}

// Draws the entity normally again when its item left it in the "off" phase. False when the
// entity cannot be reached.
bool RedrawOnIfOff(const TwinkleItem& item) {
    if (item.phase != engine().secondMode) return true;
    AcDbObjectId id;
    if (acdbGetObjectId(id, item.name) != Acad::eOk || !Touch(id)) return false;
    acedRedraw(item.name, engine().firstMode);
    return true;
}

// One fewer item on the entity; true when none is left.
bool Release(const TwinkleItem& item) {
    AcDbObjectId id;
    if (acdbGetObjectId(id, item.name) != Acad::eOk) return true;
    auto it = engine().useCounts.find(id);
    if (it == engine().useCounts.end()) return true;
    if (--it->second > 0) return false;
    engine().useCounts.erase(it);
    return true;
}

void Tick(HWND, UINT, UINT_PTR idEvent, DWORD time);

void StartTimerIfIdle() {
    Engine& e = engine();
    if (e.timerRunning) return;
    if (SetTimer(nullptr, kTimerEvent, TwinkleTimerInterval(e.frequency), Tick) != 0) e.timerRunning = true;
}

void StopTimer(UINT_PTR idEvent) {
    if (KillTimer(nullptr, idEvent)) engine().timerRunning = false;
}

int StartOne(const ads_name name, int colour, const char* linetype, double width, unsigned long duration) {
    Engine& e = engine();
    TwinkleItem item;
    ads_name_set(name, item.name);
    item.phase = e.firstMode;
    item.duration = duration == 0 ? kDefaultDuration
                    : duration >= kNeverExpires ? kNeverExpires
                                                : static_cast<uint32_t>(duration);
    item.start = GetTickCount();
    item.flashColor = colour;
    item.flashLinetype = linetype ? linetype : "";
    item.flashWidth = width;
    item.kind = KindOf(name);

    AcDbObjectId id;
    bool found = acdbGetObjectId(id, name) == Acad::eOk;
    if (found) {
        ++e.useCounts[id];
        if (Opened<AcDbEntity> ent(id, AcDb::kForWrite); ent) {
            if (colour >= 0) {
                item.savedColor = ent->colorIndex();
                ent->setColorIndex(colour, true);
            }
            if (!item.flashLinetype.empty()) {
                char* own = ent->linetype();
                item.savedLinetype = own ? own : "";
                acutDelString(own);
                ent->setLinetype(item.flashLinetype.c_str(), true);
            }
        }
        if (item.kind == kPolyline && width > 0) {
            if (Opened<AcDbPolyline> pl(id, AcDb::kForWrite); pl) {
                // A polyline whose segments differ in width keeps them: there is no single width
                // to put back afterwards.
                double own = 0.0;
                if (pl->getConstantWidth(own) == Acad::eOk) {
                    item.savedWidth = own;
                    pl->setConstantWidth(width);
                }
            }
        }
    }
    StartTimerIfIdle();
    item.id = e.nextId++;
    if (found && e.useCounts[id] > 1) {
        bool copied = false;
        // What the earlier item saved is the entity's own look; what it did not change, this
        // item saved itself just now (the entity still had its own value there).
        e.items.forEach([&](int, TwinkleItem& other) {
            if (copied || !ads_name_equal(other.name, item.name)) return;
            if (other.savedColor >= 0) item.savedColor = other.savedColor;
            if (!other.savedLinetype.empty()) item.savedLinetype = other.savedLinetype;
            if (other.savedWidth >= 0) item.savedWidth = other.savedWidth;
            copied = true;
        });
    }
    int tid = item.id;
    e.items.set(tid, std::move(item));
    return tid;
}

// Ends one registered item at expiry. An outline that cannot be opened keeps its item, to be
// met again at the next tick.
void Expire(int id) {
    Engine& e = engine();
    TwinkleItem* item = e.items.find(id);
    if (!item) return;
    auto outline = e.outlines.find(id);
    if (outline != e.outlines.end()) {
        {
            Opened<AcDbEntity> pl(outline->second, AcDb::kForWrite);
            if (!pl) return;
            pl->erase();
        }
        e.outlines.erase(outline);
        e.items.erase(id);
        return;
    }
    if (Release(*item)) Restore(*item);
    RedrawOnIfOff(*item);
    e.items.erase(id);
}

void TickBody(UINT_PTR idEvent, DWORD time) {
    Engine& e = engine();
    if (!e.ticked) {
        e.sharedPhase = e.secondMode;
        e.ticked = true;
    } else {
        e.sharedPhase = e.sharedPhase != e.firstMode ? e.firstMode : e.secondMode;
    }
    if (e.items.empty()) {
        StopTimer(idEvent);
        return;
    }
    std::vector<int> expired;
    e.items.forEach([&](int id, TwinkleItem& item) {
        if (item.duration != kNeverExpires && static_cast<uint32_t>(time - item.start) >= item.duration)
            expired.push_back(id);
        if (item.phase == e.sharedPhase) return;
        AcDbObjectId oid;
        if (acdbGetObjectId(oid, item.name) != Acad::eOk || !Touch(oid)) return;
        if (acedRedraw(item.name, e.sharedPhase) == RTNORM) item.phase = e.sharedPhase;
    });
    for (auto it = expired.rbegin(); it != expired.rend(); ++it) Expire(*it);
    acedRedraw(nullptr, 0);
}

void Tick(HWND, UINT, UINT_PTR idEvent, DWORD time) {
    try {
        TickBody(idEvent, time);
    } catch (...) {
        // Whatever went wrong, flashing must not go on half-done: put everything back.
        try {
            ZQStopAllTwinkle(nullptr);
        } catch (...) {
        }
        KillTimer(nullptr, idEvent);
        engine().timerRunning = false;
    }
}

}  // namespace

int ZQTwinkle(long* name, int isSelectionSet, int colour, const char* linetype, double width,
              unsigned long duration) {
    if (!isSelectionSet) return StartOne(name, colour, linetype, width, duration);
    long length = 0;
    if (acedSSLength(name, &length) != RTNORM) return -1;
    Engine& e = engine();
    int groupId = e.nextId++;
    std::vector<int> members;
    for (long i = length - 1; i >= 0; --i) {
        ads_name ent;
        if (acedSSName(name, i, ent) != RTNORM) continue;
        int id = StartOne(ent, colour, linetype, width, duration);
        if (id > 0) members.push_back(id);
    }
    if (members.empty()) return 0;
    e.groups.set(groupId, std::move(members));
    return groupId;
}

int ZQTwinkle(long* name, int isSelectionSet, unsigned long duration) {
    return ZQTwinkle(name, isSelectionSet, -1, nullptr, 0.0, duration);
}

int ZQTwinkle(AcGePoint3dArray& pts, int colour, const char* linetype, double width, unsigned long duration) {
    if (width < 0) width = 0;
    if (colour < 0) colour = 0;
    colour %= 257;
    AcDbObjectId plineId;
    if (!CreatePline(pts, plineId, 1, linetype, 1.0, width, static_cast<short>(colour))) return 0;
    ads_name name;
    if (acdbGetAdsName(name, plineId) != Acad::eOk) return 0;
    int id = StartOne(name, -1, nullptr, 0.0, duration);
    engine().outlines[id] = plineId;
    return id;
}

int ZQTwinkle(AcGePoint3dArray& pts, unsigned long duration) { return ZQTwinkle(pts, -1, nullptr, 0.0, duration); }

int ZQStopTwinkle(int id, HWND window) {
    Engine& e = engine();
    if (std::vector<int>* members = e.groups.find(id)) {
        std::vector<int> list = *members;
        for (auto it = list.rbegin(); it != list.rend(); ++it) ZQStopTwinkle(*it, nullptr);
        if (window) return 0;  // the group keeps its list and stays registered
        e.groups.erase(id);
        return 1;
    }
    TwinkleItem* found = e.items.find(id);
    if (!found) return 1;
    TwinkleItem item = *found;
    if (!RedrawOnIfOff(item)) return 0;
    auto outline = e.outlines.find(id);
    if (outline != e.outlines.end()) {
        bool erased = false;
        if (Opened<AcDbEntity> pl(outline->second, AcDb::kForWrite); pl) erased = pl->erase() == Acad::eOk;
        if (erased) {
            e.outlines.erase(outline);
            e.items.erase(id);
        }
    } else {
        if (Release(item)) Restore(item);
        e.items.erase(id);
    }
    acedRedraw(nullptr, 0);
    return 1;
}

void ZQStopAllTwinkle(HWND) {
    // The registries are emptied first, so that they are consistent even if putting an entity
    // back fails on the way.
    Engine& e = engine();
    e.groups.clear();
    std::vector<TwinkleItem> all;
    e.items.forEach([&](int, TwinkleItem& item) { all.push_back(item); });
    e.items.clear();
    std::unordered_map<int, AcDbObjectId> outlines;
    outlines.swap(e.outlines);
    e.useCounts.clear();
    for (const TwinkleItem& item : all) {
        Restore(item);
        RedrawOnIfOff(item);
    }
    for (const auto& [id, plineId] : outlines) {
        if (Opened<AcDbEntity> pl(plineId, AcDb::kForWrite); pl) pl->erase();
    }
}

int ZQHasTwinkle(int id) { return engine().items.contains(id) || engine().groups.contains(id) ? 1 : 0; }

int ZQSetTwinkleMode(int first, int second) {
    if (first < 1 || first > 4 || second < 1 || second > 4) return 0;
    engine().firstMode = first;
    engine().secondMode = second;
    return 1;
}

void ZQGetTwinkleMode(int& first, int& second) {
    first = engine().firstMode;
    second = engine().secondMode;
}

int ZQSetTwinkleFreQuency(double f) {
    if (!(f >= 0.1 && f <= 10.0)) return 0;
    engine().frequency = f;
    return 1;
}

double ZQGetTwinkleFreQuency() { return engine().frequency; }

TwinkleState GetTwinkleState() {
    const Engine& e = engine();
    TwinkleState s;
    s.sharedPhase = e.sharedPhase;
    s.timerRunning = e.timerRunning;
    s.items = static_cast<int>(e.items.size());
    s.outlines = static_cast<int>(e.outlines.size());
    s.groups = static_cast<int>(e.groups.size());
    s.nextId = e.nextId;
    s.entitiesOpened = e.entitiesOpened;
    return s;
}

int TwinkleUseCount(AcDbObjectId entity) {
    auto it = engine().useCounts.find(entity);
    return it == engine().useCounts.end() ? 0 : it->second;
}

int TwinkleItemPhase(int id) {
    TwinkleItem* item = engine().items.find(id);
    return item ? item->phase : 0;
}

}  // namespace NUV
