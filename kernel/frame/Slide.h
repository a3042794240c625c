// The command MSld: a slide of the current drawing, beside it under its own name (.sld).
#pragma once

namespace NUV {

// Zooms the current view to the drawing's extents enlarged by 5 % at each corner and has the
// host write the slide of that view (ZOOM, MSLIDE) to the drawing's own path with the extension
// .sld, replacing an older one. A drawing never saved is left alone; a drawing without
// entities gets the message that the selection was abandoned.
void MakeDrawingSlide();

}  // namespace NUV
