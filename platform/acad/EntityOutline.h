// The plan view of entities: what the screen shows of an entity, as polylines, filled areas and
// texts in world XY coordinates, with colours, line weights and linetypes resolved (by layer, by
// block, layer 0 inside blocks). Slides, selection by window, crossing and fence, and the
// picture renderer all draw from it, so they agree on what an entity looks like.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "acad/AcDbObjectId.h"
#include "acad/AcGePoint2d.h"

class AcDbEntity;

namespace NUVAcad {

struct OutlineText {
    std::string text;          // GBK
    AcGePoint2d position;      // left end of the baseline
    double height = 1.0;
    double rotation = 0.0;     // radians
    double widthFactor = 1.0;
    double oblique = 0.0;      // radians
    std::string font;          // the style's font file, for renderers that care
};

struct OutlinePart {
    enum Kind : uint8_t { Polyline, Fill, Text };
    Kind kind = Polyline;
    bool closed = false;                          // Polyline: last point joins the first
    int color = 7;                                // colour index 1..255
    int lineWeight = 25;                          // hundredths of a millimetre
    AcDbObjectId linetype;                        // null: continuous
    double linetypeScale = 1.0;                   // entity scale times the drawing's LTSCALE
    std::vector<AcGePoint2d> points;              // Polyline
    std::vector<std::vector<AcGePoint2d>> loops;  // Fill, even-odd rule
    OutlineText text;                             // Text
};

struct OutlineOptions {
    double tolerance = 0.01;  // largest distance between a curve and its chords, drawing units
};

// Appends the outline of a top-level entity (block references expanded). Entities that are
// invisible, or on layers that are off or frozen, give nothing.
void AppendOutline(const AcDbEntity* ent, const OutlineOptions& options, std::vector<OutlinePart>& out);

// The corners of a text's box: lower left, lower right, upper right, upper left. Its width is
// estimated (a byte is a cell of height x width factor; a double-byte character two cells).
void TextBox(const OutlineText& text, AcGePoint2d corners[4]);

// Slides have no fonts of their own: a program that can draw glyphs (the host's renderer) gives
// a function that turns a text into strokes. Without one a text is drawn as its box.
using TextStroker = std::function<std::vector<std::vector<AcGePoint2d>>(const OutlineText&)>;
void SetTextStroker(TextStroker stroker);
std::vector<std::vector<AcGePoint2d>> StrokeText(const OutlineText& text);

}  // namespace NUVAcad
