// Dictionaries (named entries of objects), extended records (a data chain in a dictionary),
// groups (named sets of entities, linked to their members as persistent reactors), and the
// object that keeps a non-graphical object of an unknown type exactly as read.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "acad/AcDbObject.h"
#include "acad/DxfTags.h"

class AcDbEntity;
class AcDbDictionaryIterator;

class AcDbDictionary : public AcDbObject {
    NUV_DB_DECLARE(AcDbDictionary, AcDbObject, "DICTIONARY")
public:
    AcDbDictionary() = default;
    AcDbDictionary(const AcDbDictionary& o);  // entries are not copied
    NUV_DB_CLONE(AcDbDictionary)

    Acad::ErrorStatus getAt(const char* key, AcDbObjectId& id) const;
    Acad::ErrorStatus getAt(const char* key, AcDbObject*& obj, AcDb::OpenMode mode) const;
    bool has(const char* key) const;
    bool has(AcDbObjectId id) const;
    Acad::ErrorStatus nameAt(AcDbObjectId id, std::string& key) const;
    // Adds or replaces an entry. A new object is added to the database and owned by the
    // dictionary; it stays open for write. The dictionary must be open for write. The key "*"
    // names an anonymous entry ("*A1", "*A2", ...).
    Acad::ErrorStatus setAt(const char* key, AcDbObject* obj, AcDbObjectId& id);
    Acad::ErrorStatus remove(const char* key);
    Acad::ErrorStatus remove(const char* key, AcDbObjectId& id);
    Acad::ErrorStatus remove(AcDbObjectId id);
    Acad::ErrorStatus setName(const char* oldKey, const char* newKey);
    int numEntries() const;
    AcDbDictionaryIterator* newIterator() const;
    bool isTreatElementsAsHard() const { return hardOwner_; }
    void setTreatElementsAsHard(bool b) { hardOwner_ = b; }

    struct Entry {
        std::string key;
        AcDbObjectId id;
    };
    // Entries sorted by upper-cased key.
    std::vector<Entry> entries() const;
    // Internal: entries read from a file.
    void attachEntry(const std::string& key, AcDbObjectId id);

    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

protected:
    void subErase(bool erasing) override;
    AcDbObject* undoCopy() const override;

private:
    std::map<std::string, Entry> map_;  // upper-cased key -> entry
    bool hardOwner_ = false;
    int mergeStyle_ = 1;
    int anonymousCounter_ = 0;
};

class AcDbDictionaryIterator {
public:
    explicit AcDbDictionaryIterator(std::vector<AcDbDictionary::Entry> entries) : entries_(std::move(entries)) {}
    const char* name() const { return done() ? nullptr : entries_[pos_].key.c_str(); }
    AcDbObjectId objectId() const { return done() ? AcDbObjectId() : entries_[pos_].id; }
    Acad::ErrorStatus getObject(AcDbObject*& obj, AcDb::OpenMode mode) const;
    bool done() const { return pos_ >= entries_.size(); }
    bool next() { ++pos_; return !done(); }

private:
    std::vector<AcDbDictionary::Entry> entries_;
    size_t pos_ = 0;
};

class AcDbXrecord : public AcDbObject {
    NUV_DB_DECLARE(AcDbXrecord, AcDbObject, "XRECORD")
public:
    AcDbXrecord() = default;
    AcDbXrecord(const AcDbXrecord&) = default;
    NUV_DB_CLONE(AcDbXrecord)
    // The data chain: a copy the caller releases with acutRelRb.
    Acad::ErrorStatus rbChain(resbuf** chain, AcDbDatabase* db = nullptr) const;
    Acad::ErrorStatus setFromRbChain(const resbuf& chain, AcDbDatabase* db = nullptr);
    const NUVAcad::TagList& data() const { return data_; }
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

private:
    NUVAcad::TagList data_;
    int mergeStyle_ = 1;
};

class AcDbGroup : public AcDbObject {
    NUV_DB_DECLARE(AcDbGroup, AcDbObject, "GROUP")
public:
    AcDbGroup(const char* description = nullptr, bool selectable = true);
    AcDbGroup(const AcDbGroup& o);  // members are not copied
    NUV_DB_CLONE(AcDbGroup)

    // The group's key in the group dictionary (empty until it is added there); valid until the
    // next call on this group.
    const char* name() const;
    Acad::ErrorStatus getName(char*& name) const;
    Acad::ErrorStatus setName(const char* newName);
    const char* description() const { return description_.c_str(); }
    Acad::ErrorStatus setDescription(const char* d);
    bool isSelectable() const { return selectable_; }
    Acad::ErrorStatus setSelectable(bool b);
    bool isAnonymous() const;
    // Members must be entities of the group's database; a member already in the group is
    // refused with eAlreadyInGroup-like eDuplicateKey. Each member gets the group as a reactor.
    Acad::ErrorStatus append(AcDbObjectId id);
    Acad::ErrorStatus append(const AcDbObjectIdArray& ids);
    Acad::ErrorStatus remove(AcDbObjectId id);
    Acad::ErrorStatus clear();
    bool has(const AcDbEntity* ent) const;
    bool has(AcDbObjectId id) const;
    // Members that are not erased, in order; returns their number.
    unsigned int allEntityIds(AcDbObjectIdArray& ids) const;
    unsigned int numEntities() const;

    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

protected:
    void subAddedToDatabase(AcDbDatabase* db) override;
    void subErase(bool erasing) override;
    AcDbObject* undoCopy() const override;

private:
    std::string description_;
    bool selectable_ = true;
    std::vector<AcDbObjectId> members_;
    mutable std::string nameCache_;
};

// An object of a type the model does not know, kept with all its fields as read.
class AcDbProxyObject : public AcDbObject {
    NUV_DB_DECLARE(AcDbProxyObject, AcDbObject, "")
public:
    explicit AcDbProxyObject(std::string typeName = std::string()) : type_(std::move(typeName)) {}
    AcDbProxyObject(const AcDbProxyObject&) = default;
    NUV_DB_CLONE(AcDbProxyObject)
    const std::string& typeName() const { return type_; }
    const NUVAcad::TagList& body() const { return body_; }
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

private:
    std::string type_;
    NUVAcad::TagList body_;
};
