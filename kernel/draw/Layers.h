// Layers: the layer name of an entity, and CLayerInfoEx, the suite's layer wrapper with line
// weights and a linetype setter that makes a missing linetype. CLayerInfoEx has no data of its
// own and keeps layerInfo's virtual slots, adding its two at the end: modules built against the
// layout depend on that order.
#pragma once

#include "ZQCAD/LayerInfo.h"
#include "acad/AcDb.h"
#include "win/CString.h"

namespace NUV {

// The entity's layer name; empty when it cannot be read.
CString GetObjLayer(const AcDbObjectId& id);

}  // namespace NUV

class CLayerInfoEx : public layerInfo {
public:
    explicit CLayerInfoEx(const char* name, bool create = false) : layerInfo(name, create) {}
    CLayerInfoEx(const CLayerInfoEx& other) = default;
    CLayerInfoEx& operator=(const CLayerInfoEx& other) = default;
    ~CLayerInfoEx() override = default;

    // Gives the layer the linetype, making an empty linetype record of that name when the drawing
    // lacks it (nothing is loaded from a file). False for an empty name or a layer that is not
    // there.
    bool SetLineTypeName(const char* linetype) override;

    // The layer's line weight in hundredths of a millimetre (25.0 for 0.25 mm), or -1, -2, -3 for
    // by layer, by block, default; -1.0 when the layer cannot be read.
    virtual double GetLineWeight();
    // Sets the line weight from a width in millimetres (see NUV::ConverLineWeight).
    virtual bool SetLineWeight(double mm);
};
