// The table of built-in commands, kept sorted by name.
#include "acad/BuiltinCommands.h"

#include <algorithm>
#include <map>
#include <strings.h>

namespace NUVAcad {
namespace {

struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const { return ::strcasecmp(a.c_str(), b.c_str()) < 0; }
};

std::map<std::string, BuiltinCommand, NoCase>& Table() {
    static std::map<std::string, BuiltinCommand, NoCase> table;
    return table;
}

}  // namespace

void RegisterBuiltinCommand(BuiltinCommand command) {
    std::string key = command.name;
    Table()[key] = std::move(command);
}

bool UnregisterBuiltinCommand(const char* name) { return name && Table().erase(name) > 0; }

const BuiltinCommand* FindBuiltinCommand(const char* name) {
    if (!name) return nullptr;
    auto it = Table().find(name);
    return it == Table().end() ? nullptr : &it->second;
}

std::vector<const BuiltinCommand*> BuiltinCommands() {
    std::vector<const BuiltinCommand*> out;
    for (const auto& [name, cmd] : Table()) out.push_back(&cmd);
    return out;
}

}  // namespace NUVAcad
