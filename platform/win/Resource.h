// Resources compiled into a module. The build step (nuv_add_resources in cmake/NUVHelpers.cmake)
// embeds files into a library or program and registers them when the module is loaded, under
// the module's handle; these functions find them the way the platform's resource API does.
//
// A module's handle (HINSTANCE, HMODULE) is its dynamic-loader handle, the value dlopen returns
// for it. A resource name or type is either a number below 0x10000 passed as a pointer
// (MAKEINTRESOURCE) or a text, compared without regard to ASCII case; the text "#123" means the
// number 123.
#pragma once

#include <cstddef>

#include "win/WinTypes.h"

#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define IS_INTRESOURCE(p) ((reinterpret_cast<ULONG_PTR>(p) >> 16) == 0)

#define RT_CURSOR MAKEINTRESOURCE(1)
#define RT_BITMAP MAKEINTRESOURCE(2)
#define RT_ICON MAKEINTRESOURCE(3)
#define RT_MENU MAKEINTRESOURCE(4)
#define RT_DIALOG MAKEINTRESOURCE(5)
#define RT_STRING MAKEINTRESOURCE(6)
#define RT_FONTDIR MAKEINTRESOURCE(7)
#define RT_FONT MAKEINTRESOURCE(8)
#define RT_ACCELERATOR MAKEINTRESOURCE(9)
#define RT_RCDATA MAKEINTRESOURCE(10)
#define RT_MESSAGETABLE MAKEINTRESOURCE(11)
#define RT_GROUP_CURSOR MAKEINTRESOURCE(12)
#define RT_GROUP_ICON MAKEINTRESOURCE(14)
#define RT_VERSION MAKEINTRESOURCE(16)
#define RT_DLGINCLUDE MAKEINTRESOURCE(17)
#define RT_PLUGPLAY MAKEINTRESOURCE(19)
#define RT_VXD MAKEINTRESOURCE(20)
#define RT_ANICURSOR MAKEINTRESOURCE(21)
#define RT_ANIICON MAKEINTRESOURCE(22)
#define RT_HTML MAKEINTRESOURCE(23)
#define RT_MANIFEST MAKEINTRESOURCE(24)

// A null module means the main program.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
inline HRSRC FindResource(HMODULE module, LPCSTR name, LPCSTR type) { return FindResourceA(module, name, type); }
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL loaded);
DWORD SizeofResource(HMODULE module, HRSRC resource);
inline BOOL FreeResource(HGLOBAL) { return FALSE; }

// The handle of the main program (null name) or of a loaded module given by its file name or
// path; null when no such module is loaded.
HMODULE GetModuleHandleA(LPCSTR moduleName);

namespace NUVWin {

// The handle of the module (shared object or program) whose code or data holds address.
HMODULE ModuleHandleFromAddress(const void* address);

// One embedded resource as the build step describes it. typeName/name are null for numbered
// types/names.
struct EmbeddedResource {
    const char* typeName;
    unsigned typeId;
    const char* name;
    unsigned id;
    const unsigned char* data;
    std::size_t size;
};

// Called by the generated code when its module is loaded and unloaded. anchor is any address
// inside that module; the table must stay valid until UnregisterResources.
void RegisterResources(const void* anchor, const EmbeddedResource* table, std::size_t count);
void UnregisterResources(const EmbeddedResource* table);

}  // namespace NUVWin
