// Object ids and handles. An id is a small value naming one object of one database for the
// database's lifetime; the handle is the object's persistent number, the one written to files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "acad/AcArray.h"
#include "acad/AcDbCore.h"

class AcDbDatabase;
class AcDbObject;
namespace NUVAcad { struct ObjectStub; }

class AcDbHandle {
public:
    AcDbHandle() = default;
    AcDbHandle(uint64_t value) : value_(value) {}
    explicit AcDbHandle(const char* hex);
    bool isNull() const { return value_ == 0; }
    uint64_t value() const { return value_; }
    // Upper-case hexadecimal without leading zeros, as drawing files write handles.
    void getIntoAsciiBuffer(char* buffer) const;
    std::string asString() const;
    bool operator==(const AcDbHandle& o) const { return value_ == o.value_; }
    bool operator!=(const AcDbHandle& o) const { return value_ != o.value_; }
    bool operator<(const AcDbHandle& o) const { return value_ < o.value_; }

private:
    uint64_t value_ = 0;
};

class AcDbObjectId {
public:
    AcDbObjectId() = default;
    static const AcDbObjectId kNull;

    bool isNull() const { return stub_ == nullptr; }
    void setNull() { stub_ = nullptr; }
    // True while the id names an object that exists (erased or not).
    bool isValid() const;
    bool isErased() const;
    AcDbDatabase* database() const;
    AcDbHandle handle() const;
    // The id as a single integer, for code that stores ids in plain longs.
    intptr_t asOldId() const { return reinterpret_cast<intptr_t>(stub_); }
    AcDbObjectId& setFromOldId(intptr_t oldId) {
        stub_ = reinterpret_cast<NUVAcad::ObjectStub*>(oldId);
        return *this;
    }

    bool operator==(const AcDbObjectId& o) const { return stub_ == o.stub_; }
    bool operator!=(const AcDbObjectId& o) const { return stub_ != o.stub_; }
    bool operator<(const AcDbObjectId& o) const { return std::less<const void*>()(stub_, o.stub_); }
    bool operator!() const { return stub_ == nullptr; }

    // Internal: the stub behind the id.
    explicit AcDbObjectId(NUVAcad::ObjectStub* s) : stub_(s) {}
    NUVAcad::ObjectStub* stub() const { return stub_; }

private:
    NUVAcad::ObjectStub* stub_ = nullptr;
};

template <>
struct std::hash<AcDbObjectId> {
    std::size_t operator()(const AcDbObjectId& id) const noexcept { return std::hash<const void*>()(id.stub()); }
};

using AcDbObjectIdArray = AcArray<AcDbObjectId>;
using AcDbVoidPtrArray = AcArray<void*>;

// One entry of a clone map: the source id and the id of its copy.
class AcDbIdPair {
public:
    AcDbIdPair() = default;
    AcDbIdPair(const AcDbObjectId& key, const AcDbObjectId& value, bool isCloned, bool isPrimary = false,
               bool isOwnerXlated = true)
        : key_(key), value_(value), cloned_(isCloned), primary_(isPrimary), ownerXlated_(isOwnerXlated) {}
    AcDbObjectId key() const { return key_; }
    AcDbObjectId value() const { return value_; }
    bool isCloned() const { return cloned_; }
    bool isPrimary() const { return primary_; }
    bool isOwnerXlated() const { return ownerXlated_; }
    void setKey(const AcDbObjectId& k) { key_ = k; }
    void setValue(const AcDbObjectId& v) { value_ = v; }
    void setIsCloned(bool b) { cloned_ = b; }
    void setIsPrimary(bool b) { primary_ = b; }
    void setIsOwnerXlated(bool b) { ownerXlated_ = b; }

private:
    AcDbObjectId key_, value_;
    bool cloned_ = false, primary_ = false, ownerXlated_ = true;
};

// Source-to-copy id map filled by deep cloning.
class AcDbIdMapping {
public:
    void assign(const AcDbIdPair& pair);
    bool compute(AcDbIdPair& pair) const;  // looks up pair.key(), fills the rest
    int numPairs() const { return static_cast<int>(pairs_.length()); }
    const AcArray<AcDbIdPair>& pairs() const { return pairs_; }
    AcDbDatabase* destDb() const { return dest_; }
    void setDestDb(AcDbDatabase* db) { dest_ = db; }
    AcDbDatabase* origDb() const { return orig_; }
    void setOrigDb(AcDbDatabase* db) { orig_ = db; }

private:
    AcArray<AcDbIdPair> pairs_;
    AcDbDatabase* dest_ = nullptr;
    AcDbDatabase* orig_ = nullptr;
};
