// The ADO criteria language of Filter and Find: comparisons of a field with a literal joined by
// AND and OR, with parentheses and NOT.
//
//     Name = 'O''Brien'    Qty >= 5    Made < #2006-05-01#    Kind LIKE 'A*'    Note IS NULL
//
// Texts compare without regard to case; LIKE takes * or % for any run of characters and _ for
// one character; a literal is converted to the field's type before comparing.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "com/Variant.h"

namespace NUVADO {

class Criteria {
public:
    // Parses UTF-8 criteria; false with a reason when the text is not valid criteria.
    bool Parse(const std::string& text, std::string* error = nullptr);
    // Field names the criteria refer to, in order of first use (as written).
    const std::vector<std::string>& FieldNames() const { return names_; }
    // Evaluates against a record: values[i] is the value of FieldNames()[i].
    bool Matches(const VARIANT* const* values) const;
    bool Empty() const { return !root_; }

    struct Node;

private:
    bool EvalNode(const Node& n, const VARIANT* const* values) const;
    std::shared_ptr<Node> root_;
    std::vector<std::string> names_;
};

// Case-insensitive comparison of two field values of compatible kinds: <0, 0, >0; nulls sort
// first. Used by Sort as well.
int CompareValues(const VARIANT& a, const VARIANT& b);
// LIKE matching of UTF-16 texts: * and % any run, _ one character, case-insensitive.
bool LikeMatch(std::u16string_view text, std::u16string_view pattern);

}  // namespace NUVADO
