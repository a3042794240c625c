// Slides of a drawing's current view (MSLIDE) and slides shown on its display (VSLIDE). A slide
// holds what the screen shows: the visible, unblanked entities of model space in their colours,
// as vectors clipped to the screen, with solid fills (solid hatches, wide polyline segments) as
// filled trapezoids; texts are stroked (see SetTextStroker).
#pragma once

#include <string>

#include "acad/AcDbCore.h"
#include "acad/SlideFile.h"

class AcDbDatabase;

namespace NUVAcad {

// The slide of the drawing's current view.
Slide MakeSlide(AcDbDatabase* db);

// Writes the slide of the current view to a file (atomically; the name is used as given).
// eOk, or eFileAccessErr with the reason in `error`.
Acad::ErrorStatus SaveSlide(AcDbDatabase* db, const char* path, std::string& error);

// Reads a slide file and shows it over the drawing until the next redraw. eOk, eFileNotFound,
// or eBadDwgHeader for bytes that are not a slide (the reason in `error`).
Acad::ErrorStatus ShowSlide(AcDbDatabase* db, const char* path, std::string& error);

}  // namespace NUVAcad
