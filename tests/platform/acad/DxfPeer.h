// ezdxf as the tests' independent judge of drawing files (tests/platform/acad/dxf_peer.py and
// dxf_corpus.py, run with Debian's own Python). Arguments are quoted for the shell here, once.
#pragma once

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"
#include "acad/AcDbDatabase.h"

namespace DxfPeer {

inline std::string shellQuoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs tests/platform/acad/<script> with the arguments; standard output and error together.
inline std::string python(const std::string& script, const std::vector<std::string>& args) {
    const char* src = std::getenv("NUV_SOURCE_DIR");
    std::string cmd = "/usr/bin/python3 " + shellQuoted(std::string(src ? src : ".") + "/tests/platform/acad/" + script);
    for (const std::string& a : args) cmd += " " + shellQuoted(a);
    cmd += " 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), pclose);
    std::string out;
    if (!p) return out;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p.get())) > 0) out.append(buf.data(), n);
    return out;
}

inline std::string run(const std::string& command, const std::string& file) { return python("dxf_peer.py", {command, file}); }

// Saves the database to a temporary file and returns ezdxf's report on it.
inline std::string auditDatabase(AcDbDatabase& db) {
    TempDir temp;
    std::string path = temp.File("audit.dxf");
    return db.saveAs(path.c_str()) == Acad::eOk ? run("audit", path) : "save failed";
}

}  // namespace DxfPeer
