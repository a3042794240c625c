// The extents of an entity, or of every entity of a selection set, in world coordinates.
#pragma once

#include "acad/AdsName.h"
#include "acad/AdsTypes.h"

namespace ZQ {

// `name` is an entity name or a selection-set name. Nonzero with the lower-left and upper-right
// corners of the extents (of the union over the set's entities) in `min` and `max`; 0, both left
// alone, when the name resolves to nothing, the entity is erased, or no entity has extents.
int GetEntBound(const ads_name name, ads_point min, ads_point max);

}  // namespace ZQ
