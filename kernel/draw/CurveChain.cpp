// Curve chaining. Each pass scans the remaining curves in their original order with a strict
// "nearer than the best so far" test (start point before end point), which is what makes the
// ties come out as documented: keep the scan order and the strict comparison.
//
// The ends are read once up front; a curve whose ends cannot be read would fail the very first
// pass (every curve is scanned there), so failing before placing anything is the same result.
// Cost: one pass per curve over the remaining ones, so the time grows with the square of the
// number of curves.
#include "draw/CurveChain.h"

#include <vector>

namespace NUV {

bool SortCurve(const AcArray<AcDbCurve*>& in, const AcGePoint3d& start, AcArray<AcDbCurve*>& out) {
    out.removeAll();
    struct Ends {
        AcDbCurve* curve;
        AcGePoint3d start, end;
    };
    std::vector<Ends> remaining;
    remaining.reserve(static_cast<size_t>(in.length()));
    for (int i = 0; i < in.length(); ++i) {
        Ends e{in[i], {}, {}};
        if (!e.curve || e.curve->getStartPoint(e.start) != Acad::eOk || e.curve->getEndPoint(e.end) != Acad::eOk)
            return false;
        remaining.push_back(e);
    }

    AcGePoint3d ref = start;
    while (!remaining.empty()) {
        constexpr double kFirstThreshold = 4294967295.0;
        double best = kFirstThreshold;
        size_t chosen = 0;  // nothing nearer than the threshold: the first remaining curve
        bool byEnd = false;
        for (size_t i = 0; i < remaining.size(); ++i) {
            double ds = ref.distanceTo(remaining[i].start);
            if (ds < best) {
                best = ds;
                chosen = i;
                byEnd = false;
            }
            double de = ref.distanceTo(remaining[i].end);
            if (de < best) {
                best = de;
                chosen = i;
                byEnd = true;
            }
        }
        ref = byEnd ? remaining[chosen].start : remaining[chosen].end;
        out.append(remaining[chosen].curve);
        remaining.erase(remaining.begin() + static_cast<std::ptrdiff_t>(chosen));
    }
    return true;
}

bool SortCurve(const AcDbObjectIdArray& in, const AcGePoint3d& start, AcDbObjectIdArray& out) {
    AcArray<AcDbCurve*> opened;
    for (int i = 0; i < in.length(); ++i) {
        AcDbCurve* c = nullptr;
        if (acdbOpenObject(c, in[i], AcDb::kForRead) == Acad::eOk) opened.append(c);
    }
    AcArray<AcDbCurve*> chain;
    bool ok = SortCurve(opened, start, chain);
    for (int i = 0; i < chain.length(); ++i) out.append(chain[i]->objectId());
    for (int i = 0; i < opened.length(); ++i) opened[i]->close();
    return ok;
}

}  // namespace NUV
