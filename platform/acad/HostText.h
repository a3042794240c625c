// Text that enters the host from outside (script files, start-up lists, lines typed at the
// terminal) becomes GBK here, losslessly or not at all: a text that cannot be represented is
// refused with a message naming the line, never patched with replacement characters.
#pragma once

#include <string>
#include <string_view>

namespace NUVAcad {

// A text file: UTF-8 (a leading byte-order mark is dropped) when the bytes are valid UTF-8,
// otherwise GBK. False when they are neither, or hold a character GBK lacks; `error` then says
// which line ("line 3: ...").
bool DecodeTextFile(std::string_view bytes, std::string& gbk, std::string& error);
// A line typed at the terminal, in the encoding the terminal output uses (GBK on a GBK terminal,
// UTF-8 otherwise).
bool TerminalLineToGbk(std::string_view line, std::string& gbk, std::string& error);

}  // namespace NUVAcad
