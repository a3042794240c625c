// Sub-entity paths: which part (face, edge, vertex) of which entity, reached through the block
// references above it. Highlighting takes one; an empty path means the whole entity.
#pragma once

#include <cstdint>

#include "acad/AcDbObjectId.h"

namespace AcDb {
enum SubentType { kNullSubentType = 0, kFaceSubentType = 1, kEdgeSubentType = 2, kVertexSubentType = 3 };
}

class AcDbSubentId {
public:
    AcDbSubentId() = default;
    AcDbSubentId(AcDb::SubentType type, intptr_t index) : type_(type), index_(index) {}
    AcDb::SubentType type() const { return type_; }
    void setType(AcDb::SubentType t) { type_ = t; }
    intptr_t index() const { return index_; }
    void setIndex(intptr_t i) { index_ = i; }
    bool operator==(const AcDbSubentId& o) const { return type_ == o.type_ && index_ == o.index_; }
    bool operator!=(const AcDbSubentId& o) const { return !(*this == o); }

private:
    AcDb::SubentType type_ = AcDb::kNullSubentType;
    intptr_t index_ = 0;
};

class AcDbFullSubentPath {
public:
    AcDbFullSubentPath() = default;
    AcDbFullSubentPath(AcDbObjectId entity, AcDbSubentId subent) : subent_(subent) { ids_.append(entity); }
    AcDbFullSubentPath(AcDbObjectId entity, AcDb::SubentType type, intptr_t index) : subent_(type, index) {
        ids_.append(entity);
    }
    // The outermost block reference first, the entity itself last.
    AcDbFullSubentPath(const AcDbObjectIdArray& ids, AcDbSubentId subent) : ids_(ids), subent_(subent) {}
    void objectIds(AcDbObjectIdArray& ids) const { ids = ids_; }
    AcDbObjectIdArray& objectIds() { return ids_; }
    const AcDbObjectIdArray& objectIds() const { return ids_; }
    AcDbSubentId subentId() const { return subent_; }
    AcDbSubentId& subentId() { return subent_; }
    bool isEmpty() const { return ids_.isEmpty() && subent_.type() == AcDb::kNullSubentType; }

private:
    AcDbObjectIdArray ids_;
    AcDbSubentId subent_;
};
