// Evaluating text and files: every expression in order, the value of the last one. A file is
// found through the host's search order and read through the platform's file layer, as GBK text.
#pragma once

#include <string_view>

#include "acad/LispMachine.h"

namespace NUVAcad {

LispValue lispEvalText(LispMachine& m, std::string_view text);

// (load name [onfailure]): without an extension, name.lsp is tried before name. When no file is
// found, onFailure (when given) is the result, called first if it is a function; otherwise
// "LOAD failed: \"name\"" is raised.
LispValue lispLoad(LispMachine& m, const std::string& name, const LispValue* onFailure);

}  // namespace NUVAcad
