// Exact GBK <-> UTF-16 conversion with iconv, one descriptor per direction and thread. The
// conversion writes straight into the destination's buffer, so reading a window's text costs one
// allocation: the text itself.
#include "mfc/Text.h"

#include <QString>

#include <cerrno>
#include <cstdio>
#include <iconv.h>
#include <stdexcept>

namespace NUVMfc {
namespace {

class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(std::string("iconv_open ") + from + " -> " + to);
    }
    ~Iconv() { iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Converts all of in into out (of room bytes); the bytes written, or -1 with the input offset
    // of the first sequence that cannot be converted.
    long Run(const char* in, std::size_t size, char* out, std::size_t room, std::size_t& badOffset) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in);
        std::size_t srcLeft = size;
        char* dst = out;
        std::size_t dstLeft = room;
        if (iconv(cd_, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1) ||
            iconv(cd_, nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
            badOffset = static_cast<std::size_t>(src - in);
            return -1;
        }
        return static_cast<long>(room - dstLeft);
    }

    void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }
    std::size_t Step(const char** in, std::size_t* inLeft, char** out, std::size_t* outLeft) {
        return iconv(cd_, const_cast<char**>(in), inLeft, out, outLeft);
    }

private:
    iconv_t cd_;
};

Iconv& ToUtf16() {
    thread_local Iconv c("UTF-16LE", "CP936");
    return c;
}
Iconv& ToGbk() {
    thread_local Iconv c("CP936", "UTF-16LE");
    return c;
}

void Fail(TextError* error, std::size_t offset) {
    if (error) *error = TextError{true, static_cast<int>(offset)};
}

}  // namespace

bool ToQString(std::string_view gbk, QString& out, TextError* error) {
    if (gbk.empty()) {
        out.clear();
        return true;
    }
    // A GBK byte never yields more than one UTF-16 unit.
    QString result(static_cast<qsizetype>(gbk.size()), Qt::Uninitialized);
    std::size_t bad = 0;
    long n = ToUtf16().Run(gbk.data(), gbk.size(), reinterpret_cast<char*>(result.data()), gbk.size() * 2, bad);
    if (n < 0) {
        Fail(error, bad);
        return false;
    }
    result.truncate(static_cast<qsizetype>(n / 2));
    out = std::move(result);
    return true;
}

bool FromQString(const QString& text, CString& out, TextError* error) {
    if (text.isEmpty()) {
        out.Empty();
        return true;
    }
    // A UTF-16 unit never yields more than two GBK bytes (a surrogate pair has no GBK form).
    const std::size_t units = static_cast<std::size_t>(text.size());
    CString result;
    char* buffer = result.GetBufferSetLength(static_cast<int>(units * 2));
    std::size_t bad = 0;
    long n = ToGbk().Run(reinterpret_cast<const char*>(text.utf16()), units * 2, buffer, units * 2, bad);
    if (n < 0) {
        result.ReleaseBuffer(0);
        Fail(error, bad / 2);
        return false;
    }
    result.ReleaseBuffer(static_cast<int>(n));
    out = std::move(result);
    return true;
}

QString ToQStringOrReport(std::string_view gbk, const char* where) {
    QString out;
    TextError error;
    if (ToQString(gbk, out, &error)) return out;
    std::fprintf(stderr, "nuvmfc: %s: the text is not GBK at byte %d; shown up to there\n", where, error.offset);
    ToQString(gbk.substr(0, static_cast<std::size_t>(error.offset)), out);
    return out;
}

int GbkLength(const QString& text) {
    // Converted in pieces through a buffer on the stack: only the length is wanted.
    const char* src = reinterpret_cast<const char*>(text.utf16());
    std::size_t left = static_cast<std::size_t>(text.size()) * 2;
    Iconv& conv = ToGbk();
    conv.Reset();
    int total = 0;
    char chunk[256];
    while (left > 0) {
        char* dst = chunk;
        std::size_t room = sizeof chunk;
        std::size_t r = conv.Step(&src, &left, &dst, &room);
        total += static_cast<int>(sizeof chunk - room);
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) return -1;
    }
    return total;
}

int FromQStringInto(const QString& text, char* buffer, int room) {
    if (room <= 0) return 0;
    const char* src = reinterpret_cast<const char*>(text.utf16());
    std::size_t left = static_cast<std::size_t>(text.size()) * 2;
    Iconv& conv = ToGbk();
    conv.Reset();
    char* dst = buffer;
    std::size_t space = static_cast<std::size_t>(room);
    // iconv stops before a character that does not fit, so the output ends on a whole one.
    std::size_t r = conv.Step(&src, &left, &dst, &space);
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG) return -1;
    return room - static_cast<int>(space);
}

}  // namespace NUVMfc
