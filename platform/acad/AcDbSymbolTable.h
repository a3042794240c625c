// Symbol tables and their records: blocks, layers, linetypes, text styles, registered
// applications and the tables the model only carries along (viewports, views, UCSs, dimension
// styles). Names are unique per table, compared without regard to ASCII case.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "acad/AcDbObject.h"
#include "acad/AcGePoint3d.h"
#include "acad/AcGeVector2d.h"
#include "acad/DxfTags.h"

// Names of the two layout blocks every drawing has, as modules look them up in the block table.
#define ACDB_MODEL_SPACE "*Model_Space"
#define ACDB_PAPER_SPACE "*Paper_Space"

class AcDbEntity;
class AcDbSymbolTableRecord;
class AcDbBlockTableRecord;
class AcDbSymbolTableIterator;
class AcDbBlockTableRecordIterator;

class AcDbSymbolTable : public AcDbObject {
    NUV_DB_DECLARE(AcDbSymbolTable, AcDbObject, "TABLE")
public:
    AcDbSymbolTable() = default;

    bool has(const char* name) const;
    bool has(AcDbObjectId id) const;
    Acad::ErrorStatus getAt(const char* name, AcDbObjectId& id, bool getErased = false) const;
    Acad::ErrorStatus getAt(const char* name, AcDbSymbolTableRecord*& rec, AcDb::OpenMode mode, bool openErased = false) const;
    // Adds a new record (it must have a name, unique in the table); the table must be open for
    // write. The record is then in the database and open for write.
    Acad::ErrorStatus add(AcDbObjectId& id, AcDbSymbolTableRecord* rec);
    Acad::ErrorStatus add(AcDbSymbolTableRecord* rec) { AcDbObjectId id; return add(id, rec); }
    Acad::ErrorStatus newIterator(AcDbSymbolTableIterator*& it, bool atBeginning = true, bool skipDeleted = true) const;

    // The table's type name in drawing files (LAYER, LTYPE, ...) and the record class it holds.
    virtual const char* tableName() const = 0;
    virtual AcDbSymbolTableRecord* newRecord() const = 0;
    const AcRxClass* newRecordClass() const;

    const std::vector<AcDbObjectId>& recordIds() const { return order_; }
    // Internal: keeps the name index right when a record is renamed.
    void renameEntry(const std::string& oldName, const std::string& newName, AcDbObjectId id);
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;
    // Internal: attaches a record read from a file (already in the database).
    void attachRecord(AcDbObjectId id, const std::string& name);

protected:
    AcDbSymbolTable(const AcDbSymbolTable&) = default;  // for undo copies only
    std::map<std::string, AcDbObjectId> index_;  // upper-cased name -> record
    std::vector<AcDbObjectId> order_;
    int anonymousCounter_ = 0;
};

class AcDbSymbolTableRecord : public AcDbObject {
    NUV_DB_DECLARE(AcDbSymbolTableRecord, AcDbObject, "")
public:
    AcDbSymbolTableRecord() = default;
    AcDbSymbolTableRecord(const AcDbSymbolTableRecord&) = default;

    Acad::ErrorStatus getName(const char*& name) const;
    Acad::ErrorStatus getName(char*& name) const;  // a copy, freed with acutDelString
    const std::string& name() const { return name_; }
    Acad::ErrorStatus setName(const char* name);
    bool isDependent() const { return false; }

    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

protected:
    std::string name_;
    int flags_ = 0;  // group 70, the bits the subclass does not model
};

// A record of a table the model carries without interpreting: its fields are kept as read.
class AcDbRawTableRecord : public AcDbSymbolTableRecord {
    NUV_DB_DECLARE(AcDbRawTableRecord, AcDbSymbolTableRecord, "")
public:
    explicit AcDbRawTableRecord(std::string typeName = std::string()) : type_(std::move(typeName)) {}
    NUV_DB_CLONE(AcDbRawTableRecord)
    const std::string& typeName() const { return type_; }
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

private:
    std::string type_;
    NUVAcad::TagList body_;
};

// ---- Blocks ----
class AcDbBlockTableRecord : public AcDbSymbolTableRecord {
    NUV_DB_DECLARE(AcDbBlockTableRecord, AcDbSymbolTableRecord, "BLOCK_RECORD")
public:
    AcDbBlockTableRecord() = default;
    AcDbBlockTableRecord(const AcDbBlockTableRecord& o);  // copies the name and origin, no entities
    NUV_DB_CLONE(AcDbBlockTableRecord)

    // Appends a new entity (which must not be in a database); the record must be open for write
    // and in a database. The entity is then in the database, open for write.
    Acad::ErrorStatus appendAcDbEntity(AcDbObjectId& id, AcDbEntity* ent);
    Acad::ErrorStatus appendAcDbEntity(AcDbEntity* ent) { AcDbObjectId id; return appendAcDbEntity(id, ent); }
    Acad::ErrorStatus newIterator(AcDbBlockTableRecordIterator*& it, bool atBeginning = true, bool skipDeleted = true) const;

    AcGePoint3d origin() const { return origin_; }
    Acad::ErrorStatus setOrigin(const AcGePoint3d& p);
    bool isAnonymous() const { return !name_.empty() && name_[0] == '*' && !isLayout(); }
    bool isLayout() const;
    bool hasEntities() const;
    const char* comments() const { return comments_.c_str(); }
    Acad::ErrorStatus setComments(const char* c);

    // Ids of the entities in drawing order (erased ones included).
    const std::vector<AcDbObjectId>& entityIds() const { return entities_; }
    // Internal: file reading attaches entities and the begin/end markers directly.
    void attachEntity(AcDbObjectId id) { entities_.push_back(id); }
    void removeEntity(AcDbObjectId id);
    AcDbObjectId blockBeginId, blockEndId;  // handles of the BLOCK / ENDBLK markers
    NUVAcad::TagList beginExtra;            // unmodelled fields of the BLOCK marker

    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

protected:
    void subAddedToDatabase(AcDbDatabase* db) override;
    AcDbObject* undoCopy() const override;

private:
    std::vector<AcDbObjectId> entities_;
    AcGePoint3d origin_;
    std::string comments_;
    NUVAcad::TagList extra_;  // layout pointer, units and the like, kept as read
};

class AcDbBlockTable : public AcDbSymbolTable {
    NUV_DB_DECLARE(AcDbBlockTable, AcDbSymbolTable, "TABLE")
public:
    const char* tableName() const override { return "BLOCK_RECORD"; }
    AcDbObject* undoCopy() const override { return new AcDbBlockTable(*this); }
    AcDbSymbolTableRecord* newRecord() const override { return new AcDbBlockTableRecord; }
    Acad::ErrorStatus getAt(const char* name, AcDbBlockTableRecord*& rec, AcDb::OpenMode mode, bool openErased = false) const;
    using AcDbSymbolTable::getAt;
};

// ---- Layers ----
class AcDbLayerTableRecord : public AcDbSymbolTableRecord {
    NUV_DB_DECLARE(AcDbLayerTableRecord, AcDbSymbolTableRecord, "LAYER")
public:
    AcDbLayerTableRecord() = default;
    AcDbLayerTableRecord(const AcDbLayerTableRecord&) = default;
    NUV_DB_CLONE(AcDbLayerTableRecord)

    bool isFrozen() const { return frozen_; }
    Acad::ErrorStatus setIsFrozen(bool b);
    bool isOff() const { return off_; }
    void setIsOff(bool b);
    bool isLocked() const { return locked_; }
    void setIsLocked(bool b);
    int colorIndex() const { return color_; }
    Acad::ErrorStatus setColorIndex(int c);
    AcDbObjectId linetypeObjectId() const { return linetype_; }
    Acad::ErrorStatus setLinetypeObjectId(AcDbObjectId id);
    AcDb::LineWeight lineWeight() const { return lineWeight_; }
    Acad::ErrorStatus setLineWeight(AcDb::LineWeight lw);
    bool isPlottable() const { return plot_; }
    void setIsPlottable(bool b);

    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

private:
    bool frozen_ = false, off_ = false, locked_ = false, plot_ = true;
    int color_ = 7;
    AcDbObjectId linetype_;
    AcDb::LineWeight lineWeight_ = AcDb::kLnWtByLwDefault;
    NUVAcad::TagList extra_;
};

class AcDbLayerTable : public AcDbSymbolTable {
    NUV_DB_DECLARE(AcDbLayerTable, AcDbSymbolTable, "TABLE")
public:
    const char* tableName() const override { return "LAYER"; }
    AcDbObject* undoCopy() const override { return new AcDbLayerTable(*this); }
    AcDbSymbolTableRecord* newRecord() const override { return new AcDbLayerTableRecord; }
    Acad::ErrorStatus getAt(const char* name, AcDbLayerTableRecord*& rec, AcDb::OpenMode mode, bool openErased = false) const;
    using AcDbSymbolTable::getAt;
};

// ---- Linetypes ----
class AcDbLinetypeTableRecord : public AcDbSymbolTableRecord {
    NUV_DB_DECLARE(AcDbLinetypeTableRecord, AcDbSymbolTableRecord, "LTYPE")
public:
    AcDbLinetypeTableRecord() = default;
    AcDbLinetypeTableRecord(const AcDbLinetypeTableRecord&) = default;
    NUV_DB_CLONE(AcDbLinetypeTableRecord)

    Acad::ErrorStatus comments(const char*& c) const { c = comments_.c_str(); return Acad::eOk; }
    Acad::ErrorStatus setComments(const char* c);
    double patternLength() const { return patternLength_; }
    void setPatternLength(double l);
    int numDashes() const { return static_cast<int>(dashes_.size()); }
    void setNumDashes(int n);
    double dashLengthAt(int i) const;
    void setDashLengthAt(int i, double length);
    // The text or shape a complex linetype draws at the end of dash i: its style (a text style,
    // or the style record of a shape file), shape number (0 for a text), text, offset, scale and
    // rotation (radians; UCS-oriented means absolute rather than along the line).
    AcDbObjectId shapeStyleAt(int i) const;
    void setShapeStyleAt(int i, AcDbObjectId style);
    int shapeNumberAt(int i) const;
    void setShapeNumberAt(int i, int number);
    const char* textAt(int i) const;
    void setTextAt(int i, const char* text);
    AcGeVector2d shapeOffsetAt(int i) const;
    void setShapeOffsetAt(int i, const AcGeVector2d& offset);
    double shapeScaleAt(int i) const;
    void setShapeScaleAt(int i, double scale);
    double shapeRotationAt(int i) const;
    void setShapeRotationAt(int i, double rotation);
    bool shapeIsUcsOrientedAt(int i) const;
    void setShapeIsUcsOrientedAt(int i, bool ucsOriented);

    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

private:
    // The dash's tag of `code` (made when asked to), or null.
    const NUVAcad::DxfTag* dashTag(int i, int code) const;
    NUVAcad::DxfTag* dashTag(int i, int code, bool make);
    void setFlag(int i, int bit, bool on);
    struct Dash {
        double length = 0;
        NUVAcad::TagList extra;  // shape or text of a complex linetype, kept as read
    };
    std::string comments_;
    double patternLength_ = 0;
    std::vector<Dash> dashes_;
};

class AcDbLinetypeTable : public AcDbSymbolTable {
    NUV_DB_DECLARE(AcDbLinetypeTable, AcDbSymbolTable, "TABLE")
public:
    const char* tableName() const override { return "LTYPE"; }
    AcDbObject* undoCopy() const override { return new AcDbLinetypeTable(*this); }
    AcDbSymbolTableRecord* newRecord() const override { return new AcDbLinetypeTableRecord; }
    Acad::ErrorStatus getAt(const char* name, AcDbLinetypeTableRecord*& rec, AcDb::OpenMode mode, bool openErased = false) const;
    using AcDbSymbolTable::getAt;
};

// ---- Text styles ----
class AcDbTextStyleTableRecord : public AcDbSymbolTableRecord {
    NUV_DB_DECLARE(AcDbTextStyleTableRecord, AcDbSymbolTableRecord, "STYLE")
public:
    AcDbTextStyleTableRecord() = default;
    AcDbTextStyleTableRecord(const AcDbTextStyleTableRecord&) = default;
    NUV_DB_CLONE(AcDbTextStyleTableRecord)

    double xScale() const { return xScale_; }
    Acad::ErrorStatus setXScale(double s);
    double textSize() const { return textSize_; }
    Acad::ErrorStatus setTextSize(double s);
    double obliquingAngle() const { return oblique_; }
    Acad::ErrorStatus setObliquingAngle(double a);
    double priorSize() const { return priorSize_; }
    Acad::ErrorStatus setPriorSize(double s);
    Acad::ErrorStatus fileName(const char*& f) const { f = fileName_.c_str(); return Acad::eOk; }
    Acad::ErrorStatus setFileName(const char* f);
    Acad::ErrorStatus bigFontFileName(const char*& f) const { f = bigFont_.c_str(); return Acad::eOk; }
    Acad::ErrorStatus setBigFontFileName(const char* f);
    bool isShapeFile() const { return (flags_ & 1) != 0; }
    void setIsShapeFile(bool b) {
        if (isWriteEnabled()) flags_ = b ? (flags_ | 1) : (flags_ & ~1);
    }
    bool isVertical() const { return (flags_ & 4) != 0; }

    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

private:
    double xScale_ = 1.0, textSize_ = 0.0, oblique_ = 0.0, priorSize_ = 2.5;
    int generation_ = 0;
    std::string fileName_ = "txt", bigFont_;
    NUVAcad::TagList extra_;
};

class AcDbTextStyleTable : public AcDbSymbolTable {
    NUV_DB_DECLARE(AcDbTextStyleTable, AcDbSymbolTable, "TABLE")
public:
    const char* tableName() const override { return "STYLE"; }
    AcDbObject* undoCopy() const override { return new AcDbTextStyleTable(*this); }
    AcDbSymbolTableRecord* newRecord() const override { return new AcDbTextStyleTableRecord; }
    Acad::ErrorStatus getAt(const char* name, AcDbTextStyleTableRecord*& rec, AcDb::OpenMode mode, bool openErased = false) const;
    using AcDbSymbolTable::getAt;
};

// ---- Registered applications ----
class AcDbRegAppTableRecord : public AcDbSymbolTableRecord {
    NUV_DB_DECLARE(AcDbRegAppTableRecord, AcDbSymbolTableRecord, "APPID")
public:
    AcDbRegAppTableRecord() = default;
    AcDbRegAppTableRecord(const AcDbRegAppTableRecord&) = default;
    NUV_DB_CLONE(AcDbRegAppTableRecord)
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
};

class AcDbRegAppTable : public AcDbSymbolTable {
    NUV_DB_DECLARE(AcDbRegAppTable, AcDbSymbolTable, "TABLE")
public:
    const char* tableName() const override { return "APPID"; }
    AcDbObject* undoCopy() const override { return new AcDbRegAppTable(*this); }
    AcDbSymbolTableRecord* newRecord() const override { return new AcDbRegAppTableRecord; }
};

// Tables the model keeps as read (VPORT, VIEW, UCS, DIMSTYLE).
class AcDbRawSymbolTable : public AcDbSymbolTable {
    NUV_DB_DECLARE(AcDbRawSymbolTable, AcDbSymbolTable, "TABLE")
public:
    explicit AcDbRawSymbolTable(std::string name) : name_(std::move(name)) {}
    const char* tableName() const override { return name_.c_str(); }
    AcDbObject* undoCopy() const override { return new AcDbRawSymbolTable(*this); }
    const std::string& name() const { return name_; }  // whole, whatever bytes it holds
    AcDbSymbolTableRecord* newRecord() const override { return new AcDbRawTableRecord(name_); }
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

private:
    std::string name_;
    NUVAcad::TagList extra_;
};
using AcDbViewportTable = AcDbRawSymbolTable;
using AcDbViewTable = AcDbRawSymbolTable;
using AcDbUCSTable = AcDbRawSymbolTable;
using AcDbDimStyleTable = AcDbRawSymbolTable;

// ---- Iterators ----
class AcDbSymbolTableIterator {
public:
    AcDbSymbolTableIterator(const AcDbSymbolTable* table, bool atBeginning, bool skipDeleted);
    void start(bool atBeginning = true, bool skipDeleted = true);
    bool done() const;
    void step(bool forward = true, bool skipDeleted = true);
    Acad::ErrorStatus getRecordId(AcDbObjectId& id) const;
    Acad::ErrorStatus getRecord(AcDbSymbolTableRecord*& rec, AcDb::OpenMode mode, bool openErased = false) const;
    template <class T>
    Acad::ErrorStatus getRecord(T*& rec, AcDb::OpenMode mode, bool openErased = false) const {
        AcDbObjectId id;
        Acad::ErrorStatus es = getRecordId(id);
        if (es != Acad::eOk) return es;
        return acdbOpenObject(rec, id, mode, openErased);
    }

private:
    void skip(bool forward);
    std::vector<AcDbObjectId> ids_;
    long pos_ = 0;
    bool skipDeleted_ = true;
};
using AcDbBlockTableIterator = AcDbSymbolTableIterator;
using AcDbLayerTableIterator = AcDbSymbolTableIterator;
using AcDbLinetypeTableIterator = AcDbSymbolTableIterator;
using AcDbTextStyleTableIterator = AcDbSymbolTableIterator;

class AcDbBlockTableRecordIterator {
public:
    AcDbBlockTableRecordIterator(const AcDbBlockTableRecord* rec, bool atBeginning, bool skipDeleted);
    void start(bool atBeginning = true, bool skipDeleted = true);
    bool done() const;
    void step(bool forward = true, bool skipDeleted = true);
    Acad::ErrorStatus getEntityId(AcDbObjectId& id) const;
    Acad::ErrorStatus getEntity(AcDbEntity*& ent, AcDb::OpenMode mode, bool openErased = false) const;

private:
    void skip(bool forward);
    std::vector<AcDbObjectId> ids_;
    long pos_ = 0;
    bool skipDeleted_ = true;
};
