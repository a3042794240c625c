// The bounds lie between neighbouring weights but are not their midpoints: drawings made with
// the suite depend on these exact bounds, so they are a table, not a nearest-weight search.
#include "draw/LineWeight.h"

#include <cmath>

namespace NUV {

namespace {

struct WeightBound {
    double below;  // hundredths of a millimetre, exclusive
    AcDb::LineWeight weight;
};

constexpr WeightBound kBounds[] = {
    {3, AcDb::kLnWt000},   {7, AcDb::kLnWt005},   {11, AcDb::kLnWt009},  {14, AcDb::kLnWt013},
    {17, AcDb::kLnWt015},  {19, AcDb::kLnWt018},  {23, AcDb::kLnWt020},  {28, AcDb::kLnWt025},
    {33, AcDb::kLnWt030},  {38, AcDb::kLnWt035},  {45, AcDb::kLnWt040},  {52, AcDb::kLnWt050},
    {57, AcDb::kLnWt053},  {65, AcDb::kLnWt060},  {75, AcDb::kLnWt070},  {85, AcDb::kLnWt080},
    {95, AcDb::kLnWt090},  {103, AcDb::kLnWt100}, {113, AcDb::kLnWt106}, {130, AcDb::kLnWt120},
    {149, AcDb::kLnWt140}, {179, AcDb::kLnWt158}, {206, AcDb::kLnWt200},
};

}  // namespace

AcDb::LineWeight ConverLineWeight(double mm) {
    if (std::isnan(mm)) return AcDb::kLnWtByLwDefault;  // not a width at all
    if (mm < 0.0) {
        if (std::fabs(mm + 1.0) <= 0.001) return AcDb::kLnWtByLayer;
        if (std::fabs(mm + 2.0) <= 0.001) return AcDb::kLnWtByBlock;
        return AcDb::kLnWtByLwDefault;
    }
    double h = mm * 100.0;
    for (const WeightBound& b : kBounds)
        if (h < b.below) return b.weight;
    return AcDb::kLnWt211;
}

}  // namespace NUV
