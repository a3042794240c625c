// Progress of long work, for a person watching a terminal: one line on stderr rewritten in place,
// shown only when stderr is a terminal (a log file or a pipe gets nothing) and only once the work
// has taken a moment, so short runs print nothing extra.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace nuvtools {

class Progress {
public:
    // `what` begins the line ("nuvcalc: reading ducts.csv"); `total` is the size of the work in
    // bytes, 0 when unknown (a pipe): then the megabytes done are shown instead of a percentage.
    Progress(std::string what, std::uint64_t total);
    ~Progress();  // clears the line
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void Update(std::uint64_t done);

private:
    std::string what_;
    std::uint64_t total_;
    bool terminal_;
    bool shown_ = false;
    std::uint32_t calls_ = 0;
    std::chrono::steady_clock::time_point start_, last_;
};

}  // namespace nuvtools
