// Table rows kept on disk instead of in memory: a long segment table is computed once, appended
// here, and replayed as often as the writers need (a table output measures, then prints). The
// file has no name (it is unlinked at once), so nothing is left behind whatever happens.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "Cli.h"

namespace nuvcalc {

class RowSpool {
public:
    RowSpool();  // throws UsageError when no temporary file can be made
    ~RowSpool();
    RowSpool(const RowSpool&) = delete;
    RowSpool& operator=(const RowSpool&) = delete;

    void Append(const Row& row);
    // Hands every row to the sink in the order appended; `progress` hears the bytes replayed.
    void Replay(const RowSink& sink, const std::function<void(std::uint64_t)>& progress = {});
    std::uint64_t Bytes() const { return written_ + buffer_.size(); }

private:
    void Flush();
    int fd_ = -1;
    std::string buffer_;
    std::uint64_t written_ = 0;
};

}  // namespace nuvcalc
