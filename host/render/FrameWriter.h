// Pictures of a drawing's display over time: one PNG for each tick count at which what is shown
// changed (a flashing sequence on the virtual clock gives one picture per step), named by their
// order and their time since the writer started. When the drawing goes first, pictures stop.
#pragma once

#include <string>
#include <vector>

#include "acad/Display.h"
#include "render/ViewRenderer.h"

class AcDbDatabase;

namespace NUVRender {

class FrameWriter : public NUVAcad::DisplayWatcher {
public:
    struct Frame {
        std::string path;
        unsigned long long tick = 0;  // the platform's tick count the picture shows
    };

    // Pictures go to `folder` (which must exist) as frame-NNNNNN-<ms>ms.png, where <ms> counts
    // from now. The first picture is the display as it is now.
    FrameWriter(AcDbDatabase* db, std::string folder, RenderOptions options = RenderOptions());
    ~FrameWriter() override;
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // Writes the picture of changes not yet written (call at the end of a sequence).
    void flush();
    // Stops watching (flushing first). Later changes are not pictured.
    void finish();

    const std::vector<Frame>& frames() const { return frames_; }
    // Why the last picture could not be written; empty when every one was.
    const std::string& error() const { return error_; }

    void displayWillChange(const NUVAcad::Display& d, unsigned long long tick) override;
    void displayChanged(const NUVAcad::Display& d, const NUVAcad::DisplayChange& c) override;
    void displayGone(const NUVAcad::Display& d) override;

private:
    void write(unsigned long long tick);

    AcDbDatabase* db_;
    std::string folder_;
    RenderOptions options_;
    unsigned long long start_;
    bool watching_ = false;
    bool pending_ = false;
    unsigned long long pendingTick_ = 0;
    std::vector<Frame> frames_;
    std::string error_;
};

}  // namespace NUVRender
