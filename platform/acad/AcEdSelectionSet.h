// Selection sets: named, ordered lists of entity names that live until they are freed, at most
// 128 at a time as on the host. acedSSGet makes one from a selection mode; the modes that need no
// user are answered here, and the interactive ones go to the editor's selection input (see
// SetSelectionInput) once there is one.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "acad/AcDbObjectId.h"
#include "acad/AdsName.h"
#include "acad/AdsTypes.h"

struct resbuf;
class AcDbDatabase;
namespace NUVAcad {
class SelectionFilter;
class SelectionRegion;
}

// Selects entities of the working drawing into a new set `ss`. Modes (case does not matter, a
// leading "_" is allowed):
//   "X"   every entity of model and paper space, visible or not, that passes the filter
//   "A"   every entity of model space on a layer that is not frozen ("ALL" likewise)
//   "W"   entities wholly inside the window pt1-pt2 (two ads_points of the current UCS)
//   "C"   entities inside or crossing that window
//   "WP"  wholly inside the polygon whose points are the list pt1 (RTPOINT/RT3DPOINT buffers)
//   "CP"  inside or crossing that polygon
//   "F"   touching the fence through the points of the list pt1
//   "L"   the last entity made that is visible; "P" the previous selection
// The geometric modes take only entities that are visible and at least partly in the current
// view, as on the host. A filter list (SelectionFilter.h) applies to every mode. No mode, or only
// flags such as ":S" or ":E", is an interactive selection. Sets list entities newest first.
// RTNORM and the set; RTERROR when nothing was selected (no set is made), for a bad mode, point
// list or filter, without a working drawing, or when 128 sets are open; RTCAN when the user
// cancels (or no user input exists yet).
int acedSSGet(const char* str, const void* pt1, const void* pt2, const resbuf* filter, ads_name ss);
// The number of entities in a set. RTNORM, or RTERROR for a name that is not an open set.
int acedSSLength(const ads_name ss, long* len);
// The entity at a 0-based position. RTERROR for a bad set or a position outside it.
int acedSSName(const ads_name ss, long i, ads_name entres);
// With neither name: a new empty set. With an entity only: a new set holding it. With a set:
// the entity is added (once) and the result names the same set. RTERROR for a bad name or set.
int acedSSAdd(const ads_name ename, const ads_name sname, ads_name result);
// Removes an entity; RTERROR when it is not in the set.
int acedSSDel(const ads_name ename, const ads_name ss);
// RTNORM when the entity is in the set, else RTERROR.
int acedSSMemb(const ads_name ename, const ads_name ss);
// Frees a set; its name no longer works. RTERROR for a name that is not an open set.
int acedSSFree(const ads_name sname);

namespace NUVAcad {

// The host's limit on selection sets open at once.
inline constexpr int kMaxSelectionSets = 128;
int OpenSelectionSetCount();

// The interactive editor's side of acedSSGet: asked for an interactive selection (no mode, or
// only flags), it talks to the user and fills `picked` (world-resident entities of the working
// drawing, filter already applied, newest first as it likes). It returns RTNORM with the
// entities, RTNONE or RTERROR when none were selected, RTCAN on cancel. Until an editor installs
// one, interactive selections return RTCAN.
struct SelectionRequest {
    std::string flags;       // upper-cased, e.g. ":S" (single), ":E" (everything in the aperture)
    const resbuf* filter;    // the caller's filter list (already checked)
};
using SelectionInput = std::function<int(const SelectionRequest&, std::vector<AcDbObjectId>& picked)>;
void SetSelectionInput(SelectionInput input);

// The geometric modes, for the editor's window and crossing picks too: entities of model space
// that are visible, at least partly in the current view, selected by the region and passing the
// filter, newest first.
void SelectInRegion(AcDbDatabase* db, const SelectionRegion& region, const SelectionFilter& filter,
                    std::vector<AcDbObjectId>& out);

// Makes a set from entities (counted against the limit). RTNORM, or RTERROR when the limit is
// reached.
int MakeSelectionSet(const std::vector<AcDbObjectId>& ids, ads_name ss);

}  // namespace NUVAcad
