// nuvflash: flashes entities of a drawing on the virtual clock and writes one picture of the
// view per tick, so what a user would see can be looked at frame by frame. The drawing file is
// only read; pictures go through the atomic writer.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "NUVKernel/NUVKernel.h"
#include "acad/AcEdDisplay.h"
#include "acad/Display.h"
#include "render/ViewRenderer.h"
#include "twinkle/Twinkle.h"
#include "twinkle/TwinkleState.h"
#include "win/Tick.h"
#include "win/Timer.h"

namespace {

const char* kUsage =
    "usage: nuvflash DRAWING --png-frames DIR [options]\n"
    "Flashes entities of DRAWING (DXF) and writes DIR/frame-000.png (before the first tick),\n"
    "frame-001.png ... (one per tick) of the whole drawing.\n"
    "  --handle H         an entity to flash, by handle (hex); repeat for more; default: all of\n"
    "                     model space\n"
    "  --outline X,Y;...  also flash a temporary outline through these points\n"
    "  --ticks N          ticks to run (default 6)\n"
    "  --colour C         colour index while flashing (default: unchanged)\n"
    "  --mode A,B         redraw modes of the on and off phases, 1 to 4 (default 1,2)\n"
    "  --frequency F      flashes per second, 0.1 to 10 (default 3)\n"
    "  --size WxH         picture size in pixels (default 800x600)\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "nuvflash: %s\n", message.c_str());
    return 2;
}

bool ParseLong(const char* text, long& out) {
    char* end = nullptr;
    errno = 0;
    out = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && errno == 0;
}

bool ParseDouble(const char* text, double& out) {
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end != text && *end == '\0';
}

bool ParsePair(const char* text, char sep, double& a, double& b) {
    std::string s(text);
    size_t at = s.find(sep);
    if (at == std::string::npos) return false;
    return ParseDouble(s.substr(0, at).c_str(), a) && ParseDouble(s.substr(at + 1).c_str(), b);
}

void StepToNextTick() {
    ULONGLONG due = 0;
    if (!NUVWin::NextTimerDue(due)) return;
    ULONGLONG now = GetTickCount64();
    if (due > now) NUVWin::AdvanceVirtualClock(due - now);
    NUVWin::DispatchTimers();
}

}  // namespace

int main(int argc, char** argv) {
    const char* drawing = nullptr;
    const char* framesDir = nullptr;
    std::vector<std::string> handles;
    AcGePoint3dArray outline;
    long ticks = 6, colour = -1;
    double frequency = 3.0;
    NUVRender::RenderOptions render;
    render.width = 800;
    render.height = 600;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg.rfind("--", 0) != 0) {
            if (drawing) return Fail("more than one drawing given: '" + arg + "'");
            drawing = argv[i];
            continue;
        }
        const char* v = value();
        if (!v) return Fail(arg + ": a value is missing");
        if (arg == "--png-frames") {
            framesDir = v;
        } else if (arg == "--handle") {
            handles.push_back(v);
        } else if (arg == "--outline") {
            std::string s(v);
            size_t pos = 0;
            while (pos <= s.size()) {
                size_t end = s.find(';', pos);
                std::string point = s.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
                double x = 0, y = 0;
                if (!ParsePair(point.c_str(), ',', x, y)) return Fail("--outline: '" + point + "' is not a point x,y");
                outline.append(AcGePoint3d(x, y, 0));
                if (end == std::string::npos) break;
                pos = end + 1;
            }
        } else if (arg == "--ticks") {
            if (!ParseLong(v, ticks) || ticks < 1 || ticks > 10000)
                return Fail("--ticks: '" + std::string(v) + "' is not a number from 1 to 10000");
        } else if (arg == "--colour") {
            if (!ParseLong(v, colour) || colour < 0 || colour > 256)
                return Fail("--colour: '" + std::string(v) + "' is not a colour index 0 to 256");
        } else if (arg == "--mode") {
            std::string s(v);
            size_t comma = s.find(',');
            long a = 0, b = 0;
            if (comma == std::string::npos || !ParseLong(s.substr(0, comma).c_str(), a) ||
                !ParseLong(s.substr(comma + 1).c_str(), b) || a < 1 || a > 4 || b < 1 || b > 4 ||
                NUV::ZQSetTwinkleMode(int(a), int(b)) != 1)
                return Fail("--mode: '" + s + "' is not two modes A,B from 1 to 4");
        } else if (arg == "--frequency") {
            if (!ParseDouble(v, frequency) || NUV::ZQSetTwinkleFreQuency(frequency) != 1)
                return Fail("--frequency: '" + std::string(v) + "' is not a number from 0.1 to 10");
        } else if (arg == "--size") {
            double w = 0, h = 0;
            if (!ParsePair(v, 'x', w, h) || w < 1 || h < 1 || w > 8192 || h > 8192 || w != int(w) || h != int(h))
                return Fail("--size: '" + std::string(v) + "' is not a size WxH in pixels (1 to 8192)");
            render.width = int(w);
            render.height = int(h);
        } else {
            return Fail("unknown option '" + arg + "' (see --help)");
        }
    }
    if (!drawing) return Fail("no drawing given (see --help)");
    if (!framesDir) return Fail("--png-frames DIR is required (see --help)");

    NUVWin::UseVirtualClock(0);
    AcDbDatabase db(false, true);
    if (db.readDwgFile(drawing) != Acad::eOk)
        return Fail(std::string(drawing) + ": " + db.lastErrorMessage());
    acdbHostApplicationServices()->setWorkingDatabase(&db);
    NUVAcad::Display& display = NUVAcad::displayOf(&db);
    display.setScreenSize(render.width, render.height);
    display.zoomExtents();

    std::vector<AcDbObjectId> targets;
    if (handles.empty()) {
        AcDbBlockTableRecord* ms = nullptr;
        if (acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForRead) == Acad::eOk) {
            targets = ms->entityIds();
            ms->close();
        }
    }
    for (const std::string& h : handles) {
        AcDbObjectId id;
        if (db.getAcDbObjectId(id, false, AcDbHandle(h.c_str())) != Acad::eOk || id.isNull())
            return Fail("--handle: no object with handle '" + h + "' in " + drawing);
        targets.push_back(id);
    }
    int started = 0;
    for (AcDbObjectId id : targets) {
        ads_name name;
        if (acdbGetAdsName(name, id) != Acad::eOk) continue;
        if (NUV::ZQTwinkle(name, 0, int(colour), nullptr, 0.0, NUV::kTwinkleForever) > 0) ++started;
    }
    if (outline.length() >= 2 && NUV::ZQTwinkle(outline, int(colour), nullptr, 0.0, NUV::kTwinkleForever) > 0)
        ++started;
    if (started == 0) return Fail(std::string("nothing to flash in ") + drawing);

    std::error_code ec;
    std::filesystem::create_directories(framesDir, ec);
    auto save = [&](long n) -> bool {
        char file[32];
        std::snprintf(file, sizeof file, "/frame-%03ld.png", n);
        std::string path = std::string(framesDir) + file;
        std::string error;
        if (!NUVRender::SaveViewPng(&db, path.c_str(), error, render)) {
            std::fprintf(stderr, "nuvflash: %s: %s\n", path.c_str(), error.c_str());
            return false;
        }
        int blanked = 0, highlighted = 0;
        for (const auto& [id, state] : display.states()) {
            blanked += (state & NUVAcad::Display::kBlanked) ? 1 : 0;
            highlighted += (state & NUVAcad::Display::kHighlighted) ? 1 : 0;
        }
        std::printf("frame %03ld at %6llu ms: phase %d, %d blanked, %d highlighted -> %s\n", n,
                    static_cast<unsigned long long>(GetTickCount64()), NUV::GetTwinkleState().sharedPhase, blanked,
                    highlighted, path.c_str());
        return true;
    };
    if (!save(0)) return 1;
    for (long t = 1; t <= ticks; ++t) {
        StepToNextTick();
        if (!save(t)) return 1;
    }
    NUV::ZQStopAllTwinkle(nullptr);
    return 0;
}
