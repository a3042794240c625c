#include "Progress.h"

#include <unistd.h>

#include <cstdio>

namespace nuvtools {

namespace {

constexpr auto kFirstShow = std::chrono::milliseconds(300);
constexpr auto kInterval = std::chrono::milliseconds(100);

}  // namespace

Progress::Progress(std::string what, std::uint64_t total)
    : what_(std::move(what)), total_(total), terminal_(isatty(STDERR_FILENO) == 1),
      start_(std::chrono::steady_clock::now()), last_(start_) {}

Progress::~Progress() {
    if (shown_) std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
}

void Progress::Update(std::uint64_t done) {
    // The clock is read once every 256 calls: rows come by the million.
    if (!terminal_ || (++calls_ & 0xFF) != 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - start_ < kFirstShow || now - last_ < kInterval) return;
    last_ = now;
    shown_ = true;
    if (total_ > 0)
        std::fprintf(stderr, "\r%s %3d%%\033[K", what_.c_str(), static_cast<int>(done * 100 / total_));
    else
        std::fprintf(stderr, "\r%s %.1f MB\033[K", what_.c_str(), static_cast<double>(done) / 1e6);
    std::fflush(stderr);
}

}  // namespace nuvtools
