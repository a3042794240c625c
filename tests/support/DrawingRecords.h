// ezdxf as the independent reader of what the suite keeps in drawings (drawing_records.py beside
// this file, run with Debian's own Python): saves a database and returns ezdxf's report.
#pragma once

#include <cstdlib>
#include <string>

#include "RunCommand.h"
#include "acad/AcDbDatabase.h"

namespace DrawingRecords {

// `args` follow the file: "records FILE NUVSetting" is Report(db, file, "records", "NUVSetting").
inline std::string Report(AcDbDatabase& db, const std::string& file, const std::string& command,
                          const std::string& args = "") {
    if (db.saveAs(file.c_str()) != Acad::eOk) return "save failed: " + std::string(db.lastErrorMessage());
    const char* src = std::getenv("NUV_SOURCE_DIR");
    std::string cmd = "/usr/bin/python3 " + std::string(src ? src : ".") + "/tests/support/drawing_records.py " +
                      command + " " + NUVTest::ShellWord(file) + " " + args + " 2>&1";
    return NUVTest::RunCommand(cmd).out;
}

}  // namespace DrawingRecords
