// Connection strings: "Key=Value;" pairs. Keys are matched without regard to case and to the
// blanks around them; a value may be quoted with ' or " (a doubled quote inside stands for one).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace NUVADO {

class ConnectionString {
public:
    // Parses the text; false (with a reason) when a quote is not closed or a pair has no key.
    bool Parse(const std::string& text, std::string* error = nullptr);
    // The value of the last pair with this key, or nullptr.
    const std::string* Find(const std::string& key) const;
    const std::vector<std::pair<std::string, std::string>>& Pairs() const { return pairs_; }

private:
    std::vector<std::pair<std::string, std::string>> pairs_;
};

}  // namespace NUVADO
