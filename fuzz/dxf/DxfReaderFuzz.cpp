// The drawing-file reader on arbitrary bytes: it must refuse bad input with a status, never
// crash, and never touch the open drawing when it refuses; whatever it accepts is written back
// as a file that reads again and saves to the same bytes (everything read is written back).
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "acad/AcDbDatabase.h"

namespace {
// An open drawing that every refused input must leave as it was.
struct OpenDrawing {
    AcDbDatabase db;
    std::string text;
    OpenDrawing() { db.writeDxf(text); }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static OpenDrawing open;
    std::string text(reinterpret_cast<const char*>(data), size);
    if (open.db.readDxf(text) != Acad::eOk) {
        std::string now;
        open.db.writeDxf(now);
        if (now != open.text) std::abort();
        return 0;
    }
    std::string out;
    open.db.writeDxf(out);
    AcDbDatabase again(false);
    if (again.readDxf(out) != Acad::eOk) std::abort();
    std::string second;
    again.writeDxf(second);
    if (second != out) std::abort();
    // The next input starts from the same open drawing.
    if (open.db.readDxf(open.text) != Acad::eOk) std::abort();
    return 0;
}
