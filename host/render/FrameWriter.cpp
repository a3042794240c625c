// A picture is taken when the clock has moved past a change, just before the next change is
// made, so it shows the last state of its tick; several changes in one tick make one picture.
#include "render/FrameWriter.h"

#include <cstdio>

#include "win/Tick.h"

namespace NUVRender {

FrameWriter::FrameWriter(AcDbDatabase* db, std::string folder, RenderOptions options)
    : db_(db), folder_(std::move(folder)), options_(options), start_(GetTickCount64()) {
    if (!db_) {
        error_ = "no drawing";
        return;
    }
    NUVAcad::displayOf(db_).addWatcher(this);
    watching_ = true;
    write(start_);
}

FrameWriter::~FrameWriter() { finish(); }

void FrameWriter::finish() {
    if (!watching_) return;
    flush();
    NUVAcad::displayOf(db_).removeWatcher(this);
    watching_ = false;
}

void FrameWriter::flush() {
    if (!pending_ || !watching_) return;
    pending_ = false;
    write(pendingTick_);
}

void FrameWriter::displayWillChange(const NUVAcad::Display&, unsigned long long tick) {
    if (pending_ && tick != pendingTick_) flush();
}

void FrameWriter::displayChanged(const NUVAcad::Display&, const NUVAcad::DisplayChange& c) {
    // A flush that paints nothing new is not a picture.
    if (c.kind == NUVAcad::DisplayChange::Kind::Update) return;
    if (c.kind == NUVAcad::DisplayChange::Kind::Entity && c.state == c.oldState) return;
    pending_ = true;
    pendingTick_ = c.tick;
}

void FrameWriter::displayGone(const NUVAcad::Display&) {
    // Half taken down, the drawing cannot be pictured any more.
    watching_ = false;
    pending_ = false;
}

void FrameWriter::write(unsigned long long tick) {
    char name[64];
    std::snprintf(name, sizeof name, "/frame-%06zu-%llums.png", frames_.size() + 1, tick - start_);
    Frame f{folder_ + name, tick};
    std::string err;
    if (!SaveViewPng(db_, f.path.c_str(), err, options_)) {
        error_ = f.path + ": " + err;
        return;
    }
    frames_.push_back(std::move(f));
}

}  // namespace NUVRender
