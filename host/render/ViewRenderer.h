// Pictures of what the user sees: a drawing's current view (entities in their colours, line
// weights, linetypes and texts; blanked entities left out, highlighted ones dashed; temporary
// vectors on top; a slide shown by VSLIDE instead of the drawing), and slides on their own.
// Drawn with Qt's painter on an offscreen image; PNG files go through the one atomic writer.
#pragma once

#include <QColor>
#include <QImage>
#include <string>

#include "acad/SlideFile.h"

class AcDbDatabase;

namespace NUVRender {

struct RenderOptions {
    int width = 0;   // pixels; 0 takes the display's screen size (the view keeps its height)
    int height = 0;
    QColor background = QColor(0, 0, 0);  // colour 7 is drawn in the contrasting grey level
};

// Makes sure a Qt application object exists (an offscreen one when the program has none), so
// fonts and images work in programs without windows. Called by everything below.
void EnsureGuiApplication();

// The drawing's current view.
QImage RenderView(AcDbDatabase* db, const RenderOptions& options = RenderOptions());
// A slide filling the picture (its aspect kept, centred).
QImage RenderSlide(const NUVAcad::Slide& slide, const RenderOptions& options);

// PNG files. False with the reason in `error` (a path that cannot be written, a slide file that
// cannot be read).
bool SaveViewPng(AcDbDatabase* db, const char* path, std::string& error, const RenderOptions& options = RenderOptions());
bool SaveSlidePng(const char* slidePath, const char* pngPath, std::string& error,
                  const RenderOptions& options = RenderOptions());

// Gives slides real glyphs: texts are stroked with the CJK-capable font instead of boxes.
void InstallTextStroker();

// The font texts are drawn with (WenQuanYi Micro Hei, which has the Chinese characters).
extern const char* const kTextFontFamily;

}  // namespace NUVRender
