// The line-type file reader on arbitrary bytes: it must never crash, every definition it keeps
// must satisfy the rules it checks (alignment A, at most 12 finite lengths, a dash or dot first,
// a gap second), and each must fit a linetype record.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "acad/AcDbSymbolTable.h"
#include "acad/LinFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    NUVAcad::LinFile f = NUVAcad::ParseLinFile(text, "fuzz.lin");
    for (const NUVAcad::LinDefinition& d : f.types) {
        if (d.name.empty() || d.elements.empty() || d.elements.size() > 12) std::abort();
        if (d.elements[0].length < 0 || (d.elements.size() > 1 && d.elements[1].length >= 0)) std::abort();
        if (!std::isfinite(d.patternLength())) std::abort();
        AcDbLinetypeTableRecord rec;
        rec.setName(d.name.c_str());
        rec.setNumDashes(static_cast<int>(d.elements.size()));
        for (size_t k = 0; k < d.elements.size(); ++k) {
            const NUVAcad::LinElement& e = d.elements[k];
            int i = static_cast<int>(k);
            rec.setDashLengthAt(i, e.length);
            if (e.kind == NUVAcad::LinElement::Text) rec.setTextAt(i, e.text.c_str());
            rec.setShapeScaleAt(i, e.scale);
            rec.setShapeRotationAt(i, e.rotation);
            if (rec.textAt(i) != (e.kind == NUVAcad::LinElement::Text ? e.text : std::string())) std::abort();
        }
    }
    return 0;
}
