// Selection filter lists, as acedSSGet takes them: a chain of (group code . value) tests that
// must all hold, with (-4 . "op") before a test to compare by a relational operator instead of
// equality, (-4 . "<AND") ... (-4 . "AND>") and the OR, XOR (two operands) and NOT (one operand)
// groupings, and (-3) followed by (1001 . "APP,...") items for entities with extended data of
// those applications. Texts are wildcard patterns matched without regard to case.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct resbuf;
class AcDbEntity;

namespace NUVAcad {

class SelectionFilter {
public:
    // Compiles a filter list; a null list accepts everything. Check ok() afterwards.
    explicit SelectionFilter(const resbuf* list);
    ~SelectionFilter();
    SelectionFilter(const SelectionFilter&) = delete;
    SelectionFilter& operator=(const SelectionFilter&) = delete;

    bool ok() const { return error_.empty(); }
    // Why the list was refused (an unknown operator, an unbalanced grouping, ...).
    const std::string& error() const { return error_; }
    bool matches(const AcDbEntity* ent) const;

    struct Node;

private:
    std::unique_ptr<Node> root_;
    std::string error_;
};

}  // namespace NUVAcad
