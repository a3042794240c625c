// The entities a complex entity owns and writes after itself up to a SEQEND: a polyline's
// vertices, a block reference's attributes. Held by the owner while it is not in a database,
// given to the database (and named by id) once it is.
#pragma once

#include <functional>
#include <vector>

#include "acad/AcDbEntity.h"

namespace NUVAcad {
class SubentList {
public:
    // Vertices take their polyline's properties when appended; attributes keep their own.
    explicit SubentList(bool partsTakeOwnerProperties = true) : inherit_(partsTakeOwnerProperties) {}
    SubentList(const SubentList& o);  // copies the parts as new, unappended entities
    SubentList& operator=(const SubentList&) = delete;
    ~SubentList();
    // Appends (or inserts before position `at`) a new part.
    Acad::ErrorStatus append(AcDbEntity* owner, AcDbEntity* sub, AcDbObjectId& id, long at = -1);
    void attach(AcDbObjectId id) { ids_.push_back(id); }
    // Drops the parts of an object not in a database (a copy about to be refilled).
    void clear();
    // Names the same parts as `o` (an undo copy of an owner in a database).
    void shareIds(const SubentList& o) {
        clear();
        ids_ = o.ids_;
        seqendId = o.seqendId;
    }
    void addedToDatabase(AcDbEntity* owner, AcDbDatabase* db);
    // Every part, in order, erased ones left out.
    std::vector<AcDbEntity*> items() const;
    const std::vector<AcDbObjectId>& ids() const { return ids_; }
    bool empty() const { return ids_.empty() && pending_.empty(); }
    // Parts are erased and restored with their owner.
    void setErased(bool erasing) const;
    // Parts are changed as part of their owner, whatever their own open state.
    void forEachForWrite(const std::function<void(AcDbEntity*)>& fn) const;
    AcDbObjectId seqendId;

private:
    bool inherit_ = true;
    std::vector<AcDbObjectId> ids_;
    std::vector<AcDbEntity*> pending_;
};
}  // namespace NUVAcad
