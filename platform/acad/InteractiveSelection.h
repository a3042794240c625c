// The editor's interactive selection ("Select objects:"), which acedSSGet calls for a selection
// without a mode. Installed when a session starts.
#pragma once

#include <vector>

#include "acad/AcDbObjectId.h"

namespace NUVAcad {

struct SelectionRequest;

// RTNORM with the entities selected (in the order selected), RTERROR when none were, RTCAN on
// cancel.
int SelectInteractively(const SelectionRequest& request, std::vector<AcDbObjectId>& picked);
void InstallInteractiveSelection();

}  // namespace NUVAcad
