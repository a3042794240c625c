// Raster images: the definition (an image file, its pixel size read from the file itself), the
// image entity placed in the drawing (origin and U/V vectors spanning the picture), and the
// reactor object that links an image to its definition.
#pragma once

#include <string>

#include "acad/AcDbEntity.h"
#include "acad/AcGePoint2d.h"
#include "acad/AcGeVector2d.h"

class AcDbRasterImageDef : public AcDbObject {
    NUV_DB_DECLARE(AcDbRasterImageDef, AcDbObject, "IMAGEDEF")
public:
    AcDbRasterImageDef() = default;
    AcDbRasterImageDef(const AcDbRasterImageDef&) = default;
    NUV_DB_CLONE(AcDbRasterImageDef)

    Acad::ErrorStatus setSourceFileName(const char* path);
    const char* sourceFileName() const { return path_.c_str(); }
    const char* activeFileName() const { return path_.c_str(); }
    // Reads the picture's size from the file (PNG, JPEG, BMP and the other formats the image
    // library knows). eFileNotFound when the file is missing, eInvalidInput when it is not an
    // image.
    Acad::ErrorStatus load();
    Acad::ErrorStatus unload(bool modifyDatabase = true);
    bool isLoaded() const { return loaded_; }
    // Size in pixels (known once loaded or read from a drawing).
    AcGeVector2d size() const { return size_; }
    // Drawing units per pixel (1 unless the drawing says otherwise).
    AcGeVector2d resolutionMMPerPixel() const { return pixelSize_; }
    Acad::ErrorStatus setResolutionMMPerPixel(const AcGeVector2d& r);

    // The drawing's image dictionary (ACAD_IMAGE_DICT in the named-objects dictionary), null
    // when it has none; createImageDictionary makes it when missing.
    static AcDbObjectId imageDictionary(AcDbDatabase* db);
    static Acad::ErrorStatus createImageDictionary(AcDbDatabase* db, AcDbObjectId& dictId);

    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

private:
    std::string path_;
    AcGeVector2d size_{0, 0};
    AcGeVector2d pixelSize_{1, 1};
    bool loaded_ = false;
    int units_ = 0;
    NUVAcad::TagList extra_;  // fields the model does not know, as read
};

class AcDbRasterImageDefReactor : public AcDbObject {
    NUV_DB_DECLARE(AcDbRasterImageDefReactor, AcDbObject, "IMAGEDEF_REACTOR")
public:
    AcDbRasterImageDefReactor() = default;
    AcDbRasterImageDefReactor(const AcDbRasterImageDefReactor&) = default;
    NUV_DB_CLONE(AcDbRasterImageDefReactor)
    // Switches notification of every reactor on or off (images are linked while it is off).
    static void setEnable(bool enable);
    static bool isEnabled();
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

private:
    AcDbObjectId image_;  // the image the reactor links, as the file names it (else the owner)
    NUVAcad::TagList extra_;
};

class AcDbRasterImage : public AcDbEntity {
    NUV_DB_DECLARE(AcDbRasterImage, AcDbEntity, "IMAGE")
public:
    AcDbRasterImage() = default;
    AcDbRasterImage(const AcDbRasterImage&) = default;
    NUV_DB_CLONE(AcDbRasterImage)

    // Attaching a definition sets the default orientation: origin at (0,0,0), U along X and V
    // along Y, as long as the picture's pixel size times the definition's pixel size.
    Acad::ErrorStatus setImageDefId(AcDbObjectId defId);
    AcDbObjectId imageDefId() const { return def_; }
    Acad::ErrorStatus setReactorId(AcDbObjectId reactorId);
    AcDbObjectId reactorId() const { return reactor_; }
    bool setOrientation(const AcGePoint3d& origin, const AcGeVector3d& u, const AcGeVector3d& v);
    void getOrientation(AcGePoint3d& origin, AcGeVector3d& u, AcGeVector3d& v) const;
    // Size in pixels of the attached picture.
    AcGeVector2d imageSize(bool getCachedValue = false) const;

    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

private:
    AcDbObjectId def_, reactor_;
    AcGePoint3d origin_;
    AcGeVector3d u_{1, 0, 0}, v_{0, 1, 0};
    AcGeVector2d pixels_{1, 1};
    int display_ = 7, clipping_ = 0, brightness_ = 50, contrast_ = 50, fade_ = 0;
    NUVAcad::TagList clip_;
    NUVAcad::TagList extra_;  // clip mode and other fields the model does not know, as read
};
