// Evaluating text and loading files.
#include "acad/LispLoad.h"

#include "acad/LispReader.h"
#include "win/FileSystem.h"

namespace NUVAcad {

LispValue lispEvalText(LispMachine& m, std::string_view text) {
    LispReader reader(m, text);
    LispValue form, result;
    while (reader.read(form)) result = m.eval(form);
    return result;
}

namespace {

bool hasExtension(const std::string& name) {
    const std::string base = NUVWin::FileNamePart(CString(name)).str();
    return base.find('.') != std::string::npos;
}

bool locate(LispMachine& m, const std::string& name, CString& path) { return m.host().findFile(CString(name), path); }

}  // namespace

LispValue lispLoad(LispMachine& m, const std::string& name, const LispValue* onFailure) {
    CString path;
    bool found = false;
    if (!hasExtension(name)) found = locate(m, name + ".lsp", path);
    if (!found) found = locate(m, name, path);
    std::string text;
    if (found) found = NUVWin::ReadFileBytes(path, text);
    if (!found) {
        if (onFailure) {
            if (m.isCallable(*onFailure)) return m.apply(*onFailure, {nullptr, 0});
            return *onFailure;
        }
        m.raise("LOAD failed: \"" + name + "\"");
    }
    m.step(1 + text.size() / 16);
    return lispEvalText(m, text);
}

}  // namespace NUVAcad
