// Connection strings: "Key=Value;" pairs. Keys are matched without regard to case and to the
// blanks around them; a value may be quoted with ' or " (a doubled quote inside stands for one).
// Whoever builds a string puts every value through QuoteValue, so a value holding ';' or quotes
// (a password, a file name) can never add or change another key.
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

    // The value as it must be written after "Key=" for Parse to give it back unchanged: as it is
    // when the grammar gives none of its characters a meaning, else quoted ("..." with inner
    // double quotes doubled, or '...' when it holds double quotes but no single ones).
    static std::string QuoteValue(const std::string& value);

private:
    std::vector<std::pair<std::string, std::string>> pairs_;
};

}  // namespace NUVADO
