// A row on disk: the cell count, then per cell a tag (0 empty, 1 number, 2 text) and the number's
// eight bytes or the text's length and bytes, all in this machine's byte order.
#include "RowSpool.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace nuvcalc {

namespace {

constexpr std::size_t kBuffer = 1 << 16;

template <class T>
void Put(std::string& out, T value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

[[noreturn]] void Fail(const char* what) {
    throw UsageError(std::string("cannot ") + what + " the temporary copy of the table: " + std::strerror(errno));
}

}  // namespace

RowSpool::RowSpool() {
    const char* dir = std::getenv("TMPDIR");
    std::string name = std::string(dir && *dir ? dir : "/tmp") + "/nuvcalc-XXXXXX";
    fd_ = mkstemp(name.data());
    if (fd_ < 0) Fail("make");
    unlink(name.c_str());
    buffer_.reserve(kBuffer);
}

RowSpool::~RowSpool() { close(fd_); }

void RowSpool::Append(const Row& row) {
    Put(buffer_, static_cast<std::uint32_t>(row.size()));
    for (const Cell& c : row) {
        if (const double* d = std::get_if<double>(&c)) {
            Put(buffer_, std::uint8_t{1});
            Put(buffer_, *d);
        } else if (const std::string* s = std::get_if<std::string>(&c)) {
            Put(buffer_, std::uint8_t{2});
            Put(buffer_, static_cast<std::uint32_t>(s->size()));
            buffer_ += *s;
        } else {
            Put(buffer_, std::uint8_t{0});
        }
    }
    if (buffer_.size() >= kBuffer) Flush();
}

void RowSpool::Flush() {
    for (std::size_t at = 0; at < buffer_.size();) {
        const ssize_t n = pwrite(fd_, buffer_.data() + at, buffer_.size() - at, static_cast<off_t>(written_ + at));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) Fail("write");
        at += static_cast<std::size_t>(n);
    }
    written_ += buffer_.size();
    buffer_.clear();
}

void RowSpool::Replay(const RowSink& sink, const std::function<void(std::uint64_t)>& progress) {
    Flush();
    std::string chunk;
    std::size_t at = 0;      // read position in chunk
    std::uint64_t read = 0;  // bytes of the file in chunk so far
    // Makes at least n bytes available at chunk[at].
    auto need = [&](std::size_t n) {
        if (chunk.size() - at >= n) return;
        chunk.erase(0, at);
        at = 0;
        while (chunk.size() < n) {
            const std::size_t old = chunk.size(), want = std::max(kBuffer, n);
            chunk.resize(old + want);
            const ssize_t got = pread(fd_, chunk.data() + old, want, static_cast<off_t>(read));
            if (got < 0 && errno == EINTR) {
                chunk.resize(old);
                continue;
            }
            if (got <= 0) Fail("read");
            chunk.resize(old + static_cast<std::size_t>(got));
            read += static_cast<std::uint64_t>(got);
        }
    };
    auto take = [&](auto& value) {
        need(sizeof value);
        std::memcpy(&value, chunk.data() + at, sizeof value);
        at += sizeof value;
    };
    Row row;
    std::uint64_t done = 0;
    while (done < written_) {
        std::uint32_t cells = 0;
        take(cells);
        row.resize(cells);
        for (Cell& c : row) {
            std::uint8_t tag = 0;
            take(tag);
            if (tag == 1) {
                double d = 0;
                take(d);
                c = d;
            } else if (tag == 2) {
                std::uint32_t n = 0;
                take(n);
                need(n);
                c = std::string(chunk.data() + at, n);
                at += n;
            } else {
                c = std::monostate{};
            }
        }
        // The chunk may have been moved to the front while reading: count what this row used.
        done = read - (chunk.size() - at);
        sink(row);
        if (progress) progress(done);
    }
}

}  // namespace nuvcalc
