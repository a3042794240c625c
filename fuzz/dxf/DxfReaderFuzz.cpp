// The drawing-file reader on arbitrary bytes: it must refuse bad input with a status, never
// crash, and whatever it accepts must be written back as a file it reads again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "acad/AcDbDatabase.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    AcDbDatabase db(false);
    if (db.readDxf(text) != Acad::eOk) return 0;
    std::string out;
    db.writeDxf(out);
    AcDbDatabase again(false);
    if (again.readDxf(out) != Acad::eOk) std::abort();
    return 0;
}
