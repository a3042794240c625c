// Text of drawing files and the kernel's GBK: every conversion the drawing reader makes goes
// through here. A file's text is UTF-8 from AC1021 (R2007) on, whatever $DWGCODEPAGE says, and
// in the named code page before; \U+XXXX and \M+nXXXX escapes are decoded. A character GBK
// cannot hold stays in the kernel's text as the escape DXF itself uses (\U+XXXX, a surrogate pair
// of them beyond the basic plane), so nothing read is lost and a save writes it back as read.
#pragma once

#include <string>
#include <string_view>

namespace NUVAcad {

class DxfTextDecoder {
public:
    // The decoder for a file whose header names this version ($ACADVER) and code page
    // ($DWGCODEPAGE); either may be empty when the header lacks it. An unknown code page keeps
    // the bytes as read (they are taken for GBK, the kernel's own code page).
    DxfTextDecoder(std::string_view acadVersion, std::string_view codePage);

    // Converts one value. False, with `error` saying why, when the bytes are not valid in the
    // file's encoding (UTF-8 or a multi-byte code page).
    bool decode(std::string_view in, std::string& out, std::string& error) const;

    // The encoding the decoder reads, for messages ("UTF-8", "GBK", "CP1252", ...).
    const std::string& encodingName() const { return name_; }

private:
    enum class Kind { Gbk, Utf8, CodePage };
    Kind kind_ = Kind::Gbk;
    bool singleByte_ = false;
    std::string name_ = "GBK";
};

// Appends the kernel text of one Unicode character: its GBK bytes, or the escape where GBK has
// none (and for a backslash or control character, which an escape written by the file meant to
// keep apart from the text around it).
void appendKernelChar(std::string& out, char32_t cp);

}  // namespace NUVAcad
