// ezdxf as the tests' independent judge of drawing files (tests/platform/acad/dxf_peer.py, run
// with Debian's own Python).
#pragma once

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "TempDir.h"
#include "acad/AcDbDatabase.h"

namespace DxfPeer {

inline std::string run(const std::string& command, const std::string& file) {
    const char* src = std::getenv("NUV_SOURCE_DIR");
    std::string script = std::string(src ? src : ".") + "/tests/platform/acad/dxf_peer.py";
    std::string cmd = "/usr/bin/python3 " + script + " " + command + " '" + file + "' 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), pclose);
    std::string out;
    if (!p) return out;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p.get())) > 0) out.append(buf.data(), n);
    return out;
}

// Saves the database to a temporary file and returns ezdxf's report on it.
inline std::string auditDatabase(AcDbDatabase& db) {
    TempDir temp;
    std::string path = temp.File("audit.dxf");
    return db.saveAs(path.c_str()) == Acad::eOk ? run("audit", path) : "save failed";
}

}  // namespace DxfPeer
