// The suite's other modules, loaded in every drawing: sys\nuv.rx under the installation folder
// names them, one path relative to that folder per line. AutoLISP files are queued for the
// document to load once it is idle; modules are handed to the host's loader.
#pragma once

#include <vector>

#include "win/CString.h"

namespace NUV {

struct ListedModule {
    enum Kind { kLisp, kArx };
    Kind kind;
    CString path;        // installation folder + the line
    CString expression;  // kLisp: the (load "...") expression, every backslash doubled
};

// What the list file asks for, in file order. Lines naming nothing that exists, or a file whose
// extension (any case) is neither "lsp" nor "arx", are left out; so is everything when the list
// is missing or cannot be read. `folder` ends with a separator.
std::vector<ListedModule> ReadModuleList(const CString& folder);

// Loads what the list names into the current document (ads_queueexpr / acedArxLoad).
void LoadListedModules();

}  // namespace NUV
