#include "win/Resource.h"

#include <dlfcn.h>
#include <link.h>
#include <strings.h>

#include <cstdlib>
#include <vector>

namespace {

struct Registration {
    const void* anchor;
    const NUVWin::EmbeddedResource* table;
    std::size_t count;
    HMODULE module;  // found at the first lookup: the loader is busy while constructors run
};

struct Registry {
    std::vector<Registration> modules;
};

Registry& TheRegistry() {
    static Registry* registry = new Registry;  // outlives every module's unregistration
    return *registry;
}

// A resource key: a number, or a text (never "#n", which is turned into the number).
struct Key {
    bool isNumber = true;
    unsigned number = 0;
    const char* text = nullptr;
};

Key MakeKey(LPCSTR p) {
    Key k;
    if (IS_INTRESOURCE(p)) {
        k.number = static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(p));
        return k;
    }
    if (p[0] == '#' && p[1] != '\0') {
        char* end = nullptr;
        unsigned long n = std::strtoul(p + 1, &end, 10);
        if (*end == '\0' && n <= 0xFFFF) {
            k.number = static_cast<unsigned>(n);
            return k;
        }
    }
    k.isNumber = false;
    k.text = p;
    return k;
}

bool Matches(const Key& k, const char* text, unsigned number) {
    if (k.isNumber) return text == nullptr && number == k.number;
    return text != nullptr && strcasecmp(text, k.text) == 0;
}

bool IsRegisteredEntry(const Registry& r, const void* p) {
    for (const Registration& m : r.modules)
        for (std::size_t i = 0; i < m.count; ++i)
            if (&m.table[i] == p) return true;
    return false;
}

}  // namespace

namespace NUVWin {

HMODULE ModuleHandleFromAddress(const void* address) {
    Dl_info info{};
    link_map* map = nullptr;
    if (!dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) || !map) return nullptr;
    // The loader's handle for an object is its link map.
    return reinterpret_cast<HMODULE>(map);
}

void RegisterResources(const void* anchor, const EmbeddedResource* table, std::size_t count) {
    Registry& r = TheRegistry();
    r.modules.push_back(Registration{anchor, table, count, nullptr});
}

void UnregisterResources(const EmbeddedResource* table) {
    Registry& r = TheRegistry();
    for (auto it = r.modules.begin(); it != r.modules.end(); ++it) {
        if (it->table == table) {
            r.modules.erase(it);
            return;
        }
    }
}

}  // namespace NUVWin

HMODULE GetModuleHandleA(LPCSTR moduleName) {
    void* h = dlopen(moduleName, RTLD_LAZY | RTLD_NOLOAD);
    if (!h) return nullptr;
    // Only asked, not loaded: give back the reference dlopen just took.
    dlclose(h);
    return reinterpret_cast<HMODULE>(h);
}

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    if (!name || !type) return nullptr;
    if (!module) module = GetModuleHandleA(nullptr);
    Key nameKey = MakeKey(name);
    Key typeKey = MakeKey(type);
    Registry& r = TheRegistry();
    // Modules are identified before the list is walked again: asking the loader may run a
    // module's constructors, which register resources and so change the list.
    std::vector<std::pair<const NUVWin::EmbeddedResource*, const void*>> unknown;
    {
        for (const Registration& m : r.modules)
            if (!m.module) unknown.emplace_back(m.table, m.anchor);
    }
    std::vector<HMODULE> handles;
    for (const auto& u : unknown) handles.push_back(NUVWin::ModuleHandleFromAddress(u.second));
    for (std::size_t i = 0; i < unknown.size(); ++i)
        for (Registration& m : r.modules)
            if (m.table == unknown[i].first && !m.module) m.module = handles[i];
    for (Registration& m : r.modules) {
        if (m.module != module) continue;
        for (std::size_t i = 0; i < m.count; ++i) {
            const NUVWin::EmbeddedResource& e = m.table[i];
            if (Matches(typeKey, e.typeName, e.typeId) && Matches(nameKey, e.name, e.id))
                return reinterpret_cast<HRSRC>(const_cast<NUVWin::EmbeddedResource*>(&e));
        }
    }
    return nullptr;
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) {
    if (!resource) return nullptr;
    Registry& r = TheRegistry();
    if (!IsRegisteredEntry(r, resource)) return nullptr;
    return const_cast<unsigned char*>(reinterpret_cast<const NUVWin::EmbeddedResource*>(resource)->data);
}

LPVOID LockResource(HGLOBAL loaded) { return loaded; }

DWORD SizeofResource(HMODULE, HRSRC resource) {
    if (!resource) return 0;
    Registry& r = TheRegistry();
    if (!IsRegisteredEntry(r, resource)) return 0;
    return static_cast<DWORD>(reinterpret_cast<const NUVWin::EmbeddedResource*>(resource)->size);
}
