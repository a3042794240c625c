// AcDbDatabase: one drawing in memory. It owns every object appended to it, hands out ids and
// handles, keeps the symbol tables and the named-objects dictionary, and reads and writes
// drawing files (DXF release R2000, whatever the file name says).
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "acad/AcDbCore.h"
#include "acad/AcDbObject.h"
#include "acad/AcDbObjectId.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/AcGePoint3d.h"
#include "acad/AcGeVector3d.h"
#include "acad/AcGeMatrix3d.h"
#include "acad/AdsTypes.h"

class AcDbDictionary;
class AcDbBlockTable;
class AcDbLayerTable;
class AcDbLinetypeTable;
class AcDbTextStyleTable;
class AcDbRegAppTable;

namespace NUVAcad {
class DbAccess;
class DxfReader;
class DxfWriter;
}

class AcDbDatabase {
public:
    // With buildDefaultDrawing the database holds the default drawing: the standard symbol
    // table records, the named-objects dictionary with ACAD_GROUP and ACAD_IMAGE_DICT. Without
    // it the database is empty, ready for readDwgFile.
    explicit AcDbDatabase(bool buildDefaultDrawing = true, bool noDocument = false);
    ~AcDbDatabase();
    AcDbDatabase(const AcDbDatabase&) = delete;
    AcDbDatabase& operator=(const AcDbDatabase&) = delete;

    // ---- Objects ----
    Acad::ErrorStatus addAcDbObject(AcDbObjectId& id, AcDbObject* obj);
    Acad::ErrorStatus addAcDbObject(AcDbObject* obj) { AcDbObjectId id; return addAcDbObject(id, obj); }
    Acad::ErrorStatus getAcDbObjectId(AcDbObjectId& id, bool createIfNotFound, const AcDbHandle& h);
    AcDbHandle handseed() const { return nextHandle_; }
    long approxNumObjects() const { return static_cast<long>(liveObjects_); }
    // How many opens are outstanding (every read, write or notify open counts once): tests
    // assert that a call closed everything it opened.
    int numOpenObjects() const { return openCount_; }
    // Ids of the objects currently open, for diagnostics.
    std::vector<AcDbObjectId> openObjectIds() const;
    // Undo recording (see UndoLog.h): on for a drawing of a document, off for one made with
    // noDocument; disableUndoRecording(true) suspends it without forgetting what was recorded.
    void disableUndoRecording(bool disable) { undoRecording_ = !disable; }
    bool undoRecording() const { return undoRecording_; }

    // ---- Tables and dictionaries ----
    AcDbObjectId blockTableId() const { return blockTable_; }
    AcDbObjectId layerTableId() const { return layerTable_; }
    AcDbObjectId linetypeTableId() const { return linetypeTable_; }
    AcDbObjectId textStyleTableId() const { return textStyleTable_; }
    AcDbObjectId regAppTableId() const { return regAppTable_; }
    AcDbObjectId viewportTableId() const { return vportTable_; }
    AcDbObjectId viewTableId() const { return viewTable_; }
    AcDbObjectId UCSTableId() const { return ucsTable_; }
    AcDbObjectId dimStyleTableId() const { return dimStyleTable_; }
    Acad::ErrorStatus getBlockTable(AcDbBlockTable*& t, AcDb::OpenMode mode);
    Acad::ErrorStatus getLayerTable(AcDbLayerTable*& t, AcDb::OpenMode mode);
    Acad::ErrorStatus getLinetypeTable(AcDbLinetypeTable*& t, AcDb::OpenMode mode);
    Acad::ErrorStatus getTextStyleTable(AcDbTextStyleTable*& t, AcDb::OpenMode mode);
    Acad::ErrorStatus getRegAppTable(AcDbRegAppTable*& t, AcDb::OpenMode mode);
    Acad::ErrorStatus getSymbolTable(AcDbBlockTable*& t, AcDb::OpenMode mode) { return getBlockTable(t, mode); }
    Acad::ErrorStatus getSymbolTable(AcDbLayerTable*& t, AcDb::OpenMode mode) { return getLayerTable(t, mode); }
    Acad::ErrorStatus getSymbolTable(AcDbLinetypeTable*& t, AcDb::OpenMode mode) { return getLinetypeTable(t, mode); }
    Acad::ErrorStatus getSymbolTable(AcDbTextStyleTable*& t, AcDb::OpenMode mode) { return getTextStyleTable(t, mode); }
    Acad::ErrorStatus getSymbolTable(AcDbRegAppTable*& t, AcDb::OpenMode mode) { return getRegAppTable(t, mode); }

    AcDbObjectId namedObjectsDictionaryId() const { return nod_; }
    Acad::ErrorStatus getNamedObjectsDictionary(AcDbDictionary*& d, AcDb::OpenMode mode);
    AcDbObjectId groupDictionaryId() const;
    Acad::ErrorStatus getGroupDictionary(AcDbDictionary*& d, AcDb::OpenMode mode);

    AcDbObjectId modelSpaceId() const;
    AcDbObjectId paperSpaceId() const;
    AcDbObjectId byLayerLinetype() const;
    AcDbObjectId byBlockLinetype() const;
    AcDbObjectId continuousLinetype() const;

    // ---- Current settings ----
    AcDbObjectId clayer() const { return clayer_; }
    Acad::ErrorStatus setClayer(AcDbObjectId layer);
    AcDbObjectId textstyle() const { return textstyle_; }
    Acad::ErrorStatus setTextstyle(AcDbObjectId style);
    AcDbObjectId celtype() const { return celtype_; }
    Acad::ErrorStatus setCeltype(AcDbObjectId lt);
    double textsize() const { return textsize_; }
    Acad::ErrorStatus setTextsize(double h);
    double ltscale() const { return ltscale_; }
    Acad::ErrorStatus setLtscale(double s);
    int insunits() const { return insunits_; }
    Acad::ErrorStatus setInsunits(int u);
    // The current user coordinate system: origin and axes in world coordinates.
    AcGePoint3d ucsorg() const { return ucsOrg_; }
    AcGeVector3d ucsxdir() const { return ucsX_; }
    AcGeVector3d ucsydir() const { return ucsY_; }
    Acad::ErrorStatus setUcs(const AcGePoint3d& origin, const AcGeVector3d& xAxis, const AcGeVector3d& yAxis);
    // The matrix from user to world coordinates.
    AcGeMatrix3d ucsMatrix() const;

    // ---- Files ----
    // Reads a drawing file (DXF; a binary DWG is refused with eDwgNotRecognized) into this
    // database, replacing what it held. shmode is the platform's sharing mode (accepted, not
    // used: files are read whole).
    Acad::ErrorStatus readDwgFile(const char* fileName, int shmode = 0x20, bool allowCPConversion = false,
                                  const wchar_t* password = nullptr);
    // Writes the drawing as DXF (release R2000) atomically: a reader of the file sees the old or
    // the new drawing, never a part.
    Acad::ErrorStatus saveAs(const char* fileName);
    // The file the database was read from or last saved to.
    const char* filename() const { return fileName_.c_str(); }
    // The last file error's message (empty after success).
    const char* lastErrorMessage() const { return lastError_.c_str(); }
    // Changes: every open for write (an object opened for write counts as changed, as on the
    // host), every object added and every current setting changed. isModifiedSinceSave compares
    // with the count at the last markSaved, which saveAs calls.
    unsigned long long changeCount() const { return changes_; }
    bool isModifiedSinceSave() const { return changes_ != savedChanges_; }
    void markSaved() { savedChanges_ = changes_; }
    // Text and in-memory forms of the same, for tests and copies.
    Acad::ErrorStatus writeDxf(std::string& out) const;
    Acad::ErrorStatus readDxf(const std::string& text);

    // Loads line types named by `ltName` (wildcards allowed, "*" for all) from a .lin file; see
    // LinetypeLoader.h for the results.
    Acad::ErrorStatus loadLineTypeFile(const char* ltName, const char* fileName);

    // ---- Copies between databases ----
    // A whole copy of this drawing in a new database that the caller owns.
    Acad::ErrorStatus wblock(AcDbDatabase*& output);
    // Copies the model space of `source` into a new block of this database named `blockName`
    // (layers, linetypes, styles and nested blocks come along unless names already exist here).
    Acad::ErrorStatus insert(AcDbObjectId& blockId, const char* blockName, AcDbDatabase* source,
                             bool preserveSourceDatabase = true);
    // Clones the given objects (entities of one block) into `owner`, a block table record of
    // this database; each pair of the map names a source and its copy.
    Acad::ErrorStatus deepCloneObjects(const AcDbObjectIdArray& ids, AcDbObjectId& owner, AcDbIdMapping& idMap,
                                       bool deferXlation = false);

private:
    friend class NUVAcad::DbAccess;
    friend class NUVAcad::DxfReader;
    friend class NUVAcad::DxfWriter;
    struct Impl;

    void clear();
    void buildDefaultDrawing();
    // Exchanges every part of the drawing with `other` (a database a read has just filled), so a
    // read replaces the drawing only once it has succeeded. File name and serial stay.
    void swapContents(AcDbDatabase& other);

    std::unique_ptr<Impl> impl_;
    // Names this drawing's entity names (ads_name); never reused, renewed when a read replaces
    // the drawing, so a name kept from before fails to resolve.
    uint64_t serial_ = 0;
    uint64_t nextHandle_ = 1;
    long liveObjects_ = 0;
    int openCount_ = 0;
    unsigned long long changes_ = 0, savedChanges_ = 0;
    bool loading_ = false;
    bool undoRecording_ = false;
    AcDbObjectId blockTable_, layerTable_, linetypeTable_, textStyleTable_, regAppTable_;
    AcDbObjectId vportTable_, viewTable_, ucsTable_, dimStyleTable_;
    AcDbObjectId nod_;
    AcDbObjectId clayer_, textstyle_, celtype_;
    double textsize_ = 2.5, ltscale_ = 1.0;
    int insunits_ = 4;
    AcGePoint3d ucsOrg_;
    AcGeVector3d ucsX_{1, 0, 0}, ucsY_{0, 1, 0};
    std::string fileName_;
    std::string lastError_;
};

// The host's application services: the working database that functions without a database
// argument use.
class AcDbHostApplicationServices {
public:
    AcDbDatabase* workingDatabase() const { return working_; }
    void setWorkingDatabase(AcDbDatabase* db) { working_ = db; }

private:
    AcDbDatabase* working_ = nullptr;
};
AcDbHostApplicationServices* acdbHostApplicationServices();

// Converts point p (or, with disp nonzero, a displacement) from the working database's current
// user coordinate system to world coordinates into q (p and q may be the same array), and back.
// RTNORM (5100), or RTERROR without a working database.
int acdbUcs2Wcs(const ads_point p, ads_point q, int disp);
int acdbWcs2Ucs(const ads_point p, ads_point q, int disp);

// The diagnostic behind every "closes what it opened" test.
int acdbOpenObjectCount(const AcDbDatabase* db);
