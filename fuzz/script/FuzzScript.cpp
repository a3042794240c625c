// Scripts and typed lines as the host reads them: arbitrary bytes are decoded (UTF-8 or GBK, or
// refused) and split into answers with every kind of prompt in turn. Every read must consume
// input or end it, and every answer must be a piece of the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "acad/HostText.h"
#include "acad/InputSource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string text, error;
    if (!NUVAcad::DecodeTextFile(bytes, text, error)) {
        if (error.compare(0, 5, "line ") != 0) std::abort();
        text = bytes;  // the tokeniser must cope with whatever bytes arrive anyway
    }
    NUVAcad::ScriptInput script(text, false);
    const NUVAcad::InputRequest requests[] = {
        {"", NUVAcad::InputRequest::Level::Command, false},
        {"", NUVAcad::InputRequest::Level::Prompt, false},
        {"", NUVAcad::InputRequest::Level::Prompt, true},
    };
    std::size_t reads = 0;
    for (std::size_t i = 0; !script.exhausted(); ++i) {
        NUVAcad::Input in = script.read(requests[i % 3]);
        if (in.is(NUVAcad::Input::Kind::End)) break;
        if (in.is(NUVAcad::Input::Kind::Text) && in.text.empty()) std::abort();
        // Each answer ends at a separator or a line end at the latest: never more reads than
        // bytes, plus one for a last empty answer.
        if (++reads > text.size() + 1) std::abort();
    }
    std::string gbk;
    NUVAcad::TerminalLineToGbk(bytes, gbk, error);
    return 0;
}
