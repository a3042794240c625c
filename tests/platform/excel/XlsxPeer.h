// Reads a saved workbook back through openpyxl (Debian's python3-openpyxl, run with
// /usr/bin/python3) and gives its facts by key; see xlsx_dump.py for the keys.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "RunCommand.h"

struct XlsxFacts {
    bool ok = false;
    std::string output;
    std::map<std::string, std::string> facts;

    std::string operator[](const std::string& key) const {
        auto it = facts.find(key);
        return it == facts.end() ? "<missing>" : it->second;
    }
};

inline bool OpenpyxlAvailable() {
    return std::system("/usr/bin/python3 -c 'import openpyxl' >/dev/null 2>&1") == 0;
}

inline XlsxFacts ReadWithOpenpyxl(const std::string& path) {
    XlsxFacts r;
    const char* src = std::getenv("NUV_SOURCE_DIR");
    std::string script = std::string(src ? src : ".") + "/tests/platform/excel/xlsx_dump.py";
    std::string cmd = "/usr/bin/python3 '" + script + "' '" + path + "' 2>&1";
    NUVTest::CommandOutput run = NUVTest::RunCommand(cmd);
    r.output = std::move(run.out);
    r.ok = run.status == 0;
    std::size_t pos = 0;
    while (pos < r.output.size()) {
        std::size_t nl = r.output.find('\n', pos);
        if (nl == std::string::npos) nl = r.output.size();
        std::string line = r.output.substr(pos, nl - pos);
        std::size_t tab = line.find('\t');
        if (tab != std::string::npos) r.facts[line.substr(0, tab)] = line.substr(tab + 1);
        pos = nl + 1;
    }
    return r;
}
