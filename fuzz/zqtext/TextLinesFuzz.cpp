// Feeds arbitrary bytes to the text readers of libZQSoft. Lines read as GBK must give the text
// back exactly (line ends aside), and lines converted from UTF-8 or UTF-16 must convert back to
// what the file held; a refused text must leave the array alone.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ZQSoft/TextFile.h"
#include "win/Encoding.h"

namespace {

// The text as the lines should give it back: CR LF as LF, and a final line end supplied.
std::string Normalised(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    if (!out.empty() && out.back() != '\n') out += '\n';
    return out;
}

std::string Joined(const CStringArray& lines, bool toUtf8) {
    std::string out;
    for (int i = 0; i < lines.GetSize(); ++i) out += (toUtf8 ? NUVWin::GbkToUtf8(lines[i].str()) : lines[i].str()) + "\n";
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    CStringArray lines;
    lines.Add("sentinel");
    ZQ::FO_ErrorStatus gbk = ZQ::TextToStringArray(text, lines, false);
    if ((gbk == ZQ::FO_OK) == (text.find('\0') != std::string_view::npos)) std::abort();
    if (gbk != ZQ::FO_OK && (lines.GetSize() != 1 || lines[0] != "sentinel")) std::abort();
    if (gbk == ZQ::FO_OK && Joined(lines, false) != Normalised(text)) std::abort();

    CStringArray unicode;
    ZQ::FO_ErrorStatus u = ZQ::TextToStringArray(text, unicode, true);
    if (u == ZQ::FO_OK && text.starts_with("\xEF\xBB\xBF") && Joined(unicode, true) != Normalised(text.substr(3)))
        std::abort();
    if (u == ZQ::FO_OK && !text.starts_with("\xEF\xBB\xBF") && !text.starts_with("\xFF\xFE") &&
        !text.starts_with("\xFE\xFF") && Joined(unicode, false) != Normalised(text))
        std::abort();
    return 0;
}
