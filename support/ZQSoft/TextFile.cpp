// Text files into lines: bytes through the file layer, split at LF with one CR before it taken
// as part of the line end; Unicode files (the second reader) converted line by line, so a
// character that GBK lacks is reported with its line number.
#include "ZQSoft/TextFile.h"

#include <cerrno>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "win/Encoding.h"
#include "win/FileSystem.h"

namespace ZQ {
namespace {

struct Failure {
    FO_ErrorStatus status;
    std::string why;  // GBK
};

FO_ErrorStatus StatusOfErrno(int e, const CString& path) {
    switch (e) {
    case ENOENT: {
        CString folder = NUVWin::FolderPart(path);
        return folder.IsEmpty() || NUVWin::IsFolder(folder) ? FO_FILE_NOT_FOUND : FO_PATH_NOT_FOUND;
    }
    case ENOTDIR: return FO_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR: return FO_ACCESS_DENIED;
    case ENAMETOOLONG: return FO_FILENAME_EXCED_RANGE;
    case ENOMEM: return FO_NOT_ENOUGH_MEMORY;
    case ELOOP: return FO_CANT_RESOLVE_FILENAME;
    default: return FO_READ_FAULT;
    }
}

const char* Describe(FO_ErrorStatus s) {
    switch (s) {
    case FO_FILE_NOT_FOUND: return "the file does not exist";
    case FO_PATH_NOT_FOUND: return "a folder of the path does not exist";
    case FO_ACCESS_DENIED: return "access denied (or the path is a folder)";
    case FO_NOT_ENOUGH_MEMORY: return "not enough memory";
    case FO_FILENAME_EXCED_RANGE: return "the path is too long";
    case FO_CANT_RESOLVE_FILENAME: return "symbolic links loop";
    default: return "the file could not be read";
    }
}

bool IsComment(std::string_view line, const char* prefix) {
    if (!prefix || !*prefix) return false;
    std::size_t first = line.find_first_not_of(" \t");
    return first != std::string_view::npos && line.substr(first).starts_with(prefix);
}

// Splits at LF; one CR right before the LF belongs to the line end.
template <class Char>
std::vector<std::basic_string_view<Char>> SplitLines(std::basic_string_view<Char> text) {
    std::vector<std::basic_string_view<Char>> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t lf = text.find(Char('\n'), start);
        std::size_t next = lf == text.npos ? text.size() : lf + 1;
        std::size_t stop = lf == text.npos ? text.size() : lf;
        if (lf != text.npos && stop > start && text[stop - 1] == Char('\r')) --stop;
        out.push_back(text.substr(start, stop - start));
        start = next;
    }
    return out;
}

std::string LineMessage(const char* what, std::size_t lineIndex) {
    return "line " + std::to_string(lineIndex + 1) + ": " + what;
}

// GBK bytes as they are: only a zero byte is refused, since it would cut the line short for
// every caller that takes the text as a C string.
bool GbkLines(std::string_view bytes, std::vector<std::string>& out, Failure& fail) {
    std::vector<std::string_view> lines = SplitLines(bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find('\0') != std::string_view::npos) {
            fail = {FO_INVALID_DATA, LineMessage("a zero byte: not a text file", i)};
            return false;
        }
        out.emplace_back(lines[i]);
    }
    return true;
}

bool Utf8Lines(std::string_view bytes, std::vector<std::string>& out, Failure& fail) {
    std::vector<std::string_view> lines = SplitLines(bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find('\0') != std::string_view::npos) {
            fail = {FO_INVALID_DATA, LineMessage("a zero byte: not a text file", i)};
            return false;
        }
        std::string gbk = NUVWin::Utf8ToGbk(lines[i]);
        // The conversion replaces what it cannot convert; a text that does not come back is one
        // that GBK cannot hold (or that was not UTF-8 to begin with).
        if (NUVWin::GbkToUtf8(gbk) != lines[i]) {
            fail = {FO_NO_UNICODE_TRANSLATION, LineMessage("broken UTF-8 or a character GBK cannot hold", i)};
            return false;
        }
        out.push_back(std::move(gbk));
    }
    return true;
}

bool Utf16Lines(std::string_view bytes, bool bigEndian, std::vector<std::string>& out, Failure& fail) {
    if (bytes.size() % 2 != 0) {
        fail = {FO_INVALID_DATA, "a UTF-16 text must have an even number of bytes"};
        return false;
    }
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        unsigned char a = static_cast<unsigned char>(bytes[2 * i]), b = static_cast<unsigned char>(bytes[2 * i + 1]);
        units[i] = static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    }
    std::vector<std::u16string_view> lines = SplitLines(std::u16string_view(units));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find(u'\0') != std::u16string_view::npos) {
            fail = {FO_INVALID_DATA, LineMessage("a zero character: not a text file", i)};
            return false;
        }
        std::string gbk = NUVWin::Utf16ToGbk(lines[i]);
        if (NUVWin::GbkToUtf16(gbk) != lines[i]) {
            fail = {FO_NO_UNICODE_TRANSLATION, LineMessage("broken UTF-16 or a character GBK cannot hold", i)};
            return false;
        }
        out.push_back(std::move(gbk));
    }
    return true;
}

void BytesToLines(std::string_view b, bool unicode, std::vector<std::string>& read, Failure& fail) {
    if (!unicode)
        GbkLines(b, read, fail);
    else if (b.starts_with("\xEF\xBB\xBF"))
        Utf8Lines(b.substr(3), read, fail);
    else if (b.starts_with("\xFF\xFE"))
        Utf16Lines(b.substr(2), false, read, fail);
    else if (b.starts_with("\xFE\xFF"))
        Utf16Lines(b.substr(2), true, read, fail);
    else
        GbkLines(b, read, fail);
}

FO_ErrorStatus Read(const char* path, CStringArray& lines, bool emptyFirst, const char* commentPrefix,
                    CString* message, bool unicode) {
    Failure fail{FO_OK, {}};
    std::vector<std::string> read;
    if (!path || !*path) {
        fail = {FO_INVALID_PARAMETER, "no file name given"};
    } else {
        try {
            std::string bytes;
            errno = 0;
            if (!NUVWin::ReadFileBytes(CString(path), bytes)) {
                FO_ErrorStatus s = StatusOfErrno(errno, CString(path));
                fail = {s, Describe(s)};
            } else {
                BytesToLines(bytes, unicode, read, fail);
            }
        } catch (const std::bad_alloc&) {
            fail = {FO_NOT_ENOUGH_MEMORY, Describe(FO_NOT_ENOUGH_MEMORY)};
        }
    }
    if (fail.status != FO_OK) {
        if (message) *message = CString(std::string(path ? path : "") + ": " + fail.why);
        return fail.status;
    }
    if (emptyFirst) lines.RemoveAll();
    for (std::string& line : read)
        if (!IsComment(line, commentPrefix)) lines.Add(CString(std::move(line)));
    return FO_OK;
}

}  // namespace

FO_ErrorStatus ReadTextFileToStringArray(const char* path, CStringArray& lines, bool emptyFirst,
                                         const char* commentPrefix, CString* message) {
    return Read(path, lines, emptyFirst, commentPrefix, message, false);
}

FO_ErrorStatus ReadTextFileToStringArray2(const char* path, CStringArray& lines, bool emptyFirst,
                                          const char* commentPrefix, CString* message) {
    return Read(path, lines, emptyFirst, commentPrefix, message, true);
}

FO_ErrorStatus TextToStringArray(std::string_view bytes, CStringArray& lines, bool unicodeMarks, CString* message) {
    Failure fail{FO_OK, {}};
    std::vector<std::string> read;
    try {
        BytesToLines(bytes, unicodeMarks, read, fail);
    } catch (const std::bad_alloc&) {
        fail = {FO_NOT_ENOUGH_MEMORY, Describe(FO_NOT_ENOUGH_MEMORY)};
    }
    if (fail.status != FO_OK) {
        if (message) *message = CString(fail.why);
        return fail.status;
    }
    lines.RemoveAll();
    for (std::string& line : read) lines.Add(CString(std::move(line)));
    return FO_OK;
}

}  // namespace ZQ
