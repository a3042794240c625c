#include "acad/AcDbRasterImage.h"

#include <stb_image.h>

#include <cstdio>

#include "acad/AcDbDatabase.h"
#include "acad/AcDbDictionary.h"
#include "acad/DbInternal.h"
#include "win/FileSystem.h"

using NUVAcad::DbAccess;
using NUVAcad::DxfIn;
using NUVAcad::DxfOut;
using NUVAcad::DxfTag;

#define NUV_WRITE_CHECK \
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es

// ---- Definition ----

Acad::ErrorStatus AcDbRasterImageDef::setSourceFileName(const char* path) {
    NUV_WRITE_CHECK;
    if (!path) return Acad::eInvalidInput;
    path_ = path;
    loaded_ = false;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRasterImageDef::load() {
    NUV_WRITE_CHECK;
    if (path_.empty()) return Acad::eInvalidInput;
    std::string native = NUVWin::NativePath(CString(path_));
    FILE* f = std::fopen(native.c_str(), "rb");
    if (!f) return Acad::eFileNotFound;
    int w = 0, h = 0, comp = 0;
    int ok = stbi_info_from_file(f, &w, &h, &comp);
    std::fclose(f);
    if (!ok || w <= 0 || h <= 0) return Acad::eInvalidInput;
    size_ = AcGeVector2d(w, h);
    loaded_ = true;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRasterImageDef::unload(bool) {
    NUV_WRITE_CHECK;
    loaded_ = false;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRasterImageDef::setResolutionMMPerPixel(const AcGeVector2d& r) {
    NUV_WRITE_CHECK;
    if (!(r.x > 0) || !(r.y > 0)) return Acad::eInvalidInput;
    pixelSize_ = r;
    return Acad::eOk;
}

AcDbObjectId AcDbRasterImageDef::imageDictionary(AcDbDatabase* db) {
    if (!db) return {};
    auto* nod = DbAccess::peekAs<AcDbDictionary>(db->namedObjectsDictionaryId());
    AcDbObjectId id;
    if (nod) nod->getAt("ACAD_IMAGE_DICT", id);
    return id;
}

Acad::ErrorStatus AcDbRasterImageDef::createImageDictionary(AcDbDatabase* db, AcDbObjectId& dictId) {
    if (!db) return Acad::eNoDatabase;
    dictId = imageDictionary(db);
    if (!dictId.isNull()) return Acad::eOk;
    AcDbDictionary* nod = nullptr;
    Acad::ErrorStatus es = db->getNamedObjectsDictionary(nod, AcDb::kForWrite);
    if (es != Acad::eOk) return es;
    auto* dict = new AcDbDictionary;
    es = nod->setAt("ACAD_IMAGE_DICT", dict, dictId);
    if (es == Acad::eOk) dict->close();
    else delete dict;
    nod->close();
    return es;
}

void AcDbRasterImageDef::dxfOutFields(DxfOut& out) const {
    out.subclass("AcDbRasterImageDef");
    out.i(90, 0);
    out.str(1, path_);
    out.point2d(10, size_.x, size_.y);
    out.point2d(11, pixelSize_.x, pixelSize_.y);
    out.i(280, loaded_ ? 1 : 0);
    out.i(281, units_);
    for (const DxfTag& t : extra_) out.add(t);
}

Acad::ErrorStatus AcDbRasterImageDef::dxfInFields(DxfIn& in) {
    extra_.clear();
    for (const DxfTag& t : in.rest()) {
        switch (t.code) {
        case 1: path_ = t.str; break;
        case 10: size_ = AcGeVector2d(t.v[0], t.v[1]); break;
        case 11:
            if (t.v[0] > 0 && t.v[1] > 0) pixelSize_ = AcGeVector2d(t.v[0], t.v[1]);
            break;
        case 280: loaded_ = t.i != 0; break;
        case 281: units_ = static_cast<int>(t.i); break;
        case 90:
        case 100: break;
        default: extra_.push_back(t); break;
        }
    }
    return Acad::eOk;
}

// ---- Reactor ----

namespace {
bool& reactorsEnabled() {
    static bool enabled = true;
    return enabled;
}
}  // namespace

void AcDbRasterImageDefReactor::setEnable(bool enable) { reactorsEnabled() = enable; }
bool AcDbRasterImageDefReactor::isEnabled() { return reactorsEnabled(); }

void AcDbRasterImageDefReactor::dxfOutFields(DxfOut& out) const {
    out.subclass("AcDbRasterImageDefReactor");
    out.i(90, 2);
    out.id(330, image_.isNull() ? ownerId() : image_);
    for (const DxfTag& t : extra_) out.add(t);
}

Acad::ErrorStatus AcDbRasterImageDefReactor::dxfInFields(DxfIn& in) {
    extra_.clear();
    bool imageSeen = false;
    for (const DxfTag& t : in.rest()) {
        if (t.code == 330 && !imageSeen) {
            image_ = t.id;
            imageSeen = true;
        } else if (t.code != 90 && t.code != 100) {
            extra_.push_back(t);
        }
    }
    return Acad::eOk;
}

// ---- Image ----

Acad::ErrorStatus AcDbRasterImage::setImageDefId(AcDbObjectId defId) {
    NUV_WRITE_CHECK;
    auto* def = DbAccess::peekAs<AcDbRasterImageDef>(defId);
    if (!def) return Acad::eInvalidInput;
    def_ = defId;
    AcGeVector2d px = def->size(), res = def->resolutionMMPerPixel();
    if (px.x > 0 && px.y > 0) {
        pixels_ = px;
        origin_ = AcGePoint3d();
        u_ = AcGeVector3d(px.x * res.x, 0, 0);
        v_ = AcGeVector3d(0, px.y * res.y, 0);
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRasterImage::setReactorId(AcDbObjectId reactorId) {
    NUV_WRITE_CHECK;
    reactor_ = reactorId;
    return Acad::eOk;
}

bool AcDbRasterImage::setOrientation(const AcGePoint3d& origin, const AcGeVector3d& u, const AcGeVector3d& v) {
    if (!isWriteEnabled() || u.isZeroLength() || v.isZeroLength() || u.isParallelTo(v)) return false;
    origin_ = origin;
    u_ = u;
    v_ = v;
    return true;
}

void AcDbRasterImage::getOrientation(AcGePoint3d& origin, AcGeVector3d& u, AcGeVector3d& v) const {
    origin = origin_;
    u = u_;
    v = v_;
}

AcGeVector2d AcDbRasterImage::imageSize(bool) const {
    if (auto* def = DbAccess::peekAs<AcDbRasterImageDef>(def_); def && def->size().x > 0) return def->size();
    return pixels_;
}

Acad::ErrorStatus AcDbRasterImage::transformBy(const AcGeMatrix3d& m) {
    NUV_WRITE_CHECK;
    origin_.transformBy(m);
    u_.transformBy(m);
    v_.transformBy(m);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRasterImage::getGeomExtents(AcDbExtents& extents) const {
    AcDbExtents e;
    e.addPoint(origin_);
    e.addPoint(origin_ + u_);
    e.addPoint(origin_ + v_);
    e.addPoint(origin_ + u_ + v_);
    extents = e;
    return Acad::eOk;
}

void AcDbRasterImage::dxfOutFields(DxfOut& out) const {
    AcDbEntity::dxfOutFields(out);
    out.subclass("AcDbRasterImage");
    out.i(90, 0);
    out.point(10, origin_);
    // Drawing files give the vectors of one pixel.
    AcGeVector2d px = imageSize();
    out.vec(11, u_ / (px.x > 0 ? px.x : 1));
    out.vec(12, v_ / (px.y > 0 ? px.y : 1));
    out.point2d(13, px.x, px.y);
    out.id(340, def_);
    out.i(70, display_);
    out.i(280, clipping_);
    out.i(281, brightness_);
    out.i(282, contrast_);
    out.i(283, fade_);
    out.id(360, reactor_);
    if (clip_.empty()) {
        out.i(71, 1);
        out.i(91, 2);
        out.point2d(14, -0.5, -0.5);
        out.point2d(14, px.x - 0.5, px.y - 0.5);
    } else {
        for (const DxfTag& t : clip_) out.add(t);
    }
    for (const DxfTag& t : extra_) out.add(t);
}

Acad::ErrorStatus AcDbRasterImage::dxfInFields(DxfIn& in) {
    AcDbEntity::dxfInFields(in);
    clip_.clear();
    extra_.clear();
    AcGeVector3d u1(1, 0, 0), v1(0, 1, 0);
    for (const DxfTag& t : in.rest()) {
        switch (t.code) {
        case 10: origin_ = t.point(); break;
        case 11: u1 = t.vector(); break;
        case 12: v1 = t.vector(); break;
        case 13:
            if (t.v[0] > 0 && t.v[1] > 0) pixels_ = AcGeVector2d(t.v[0], t.v[1]);
            break;
        case 340: def_ = t.id; break;
        case 360: reactor_ = t.id; break;
        case 70: display_ = static_cast<int>(t.i); break;
        case 280: clipping_ = static_cast<int>(t.i); break;
        case 281: brightness_ = static_cast<int>(t.i); break;
        case 282: contrast_ = static_cast<int>(t.i); break;
        case 283: fade_ = static_cast<int>(t.i); break;
        case 71:
        case 91:
        case 14: clip_.push_back(t); break;
        case 90:
        case 100: break;
        default: extra_.push_back(t); break;
        }
    }
    u_ = u1 * pixels_.x;
    v_ = v1 * pixels_.y;
    return Acad::eOk;
}
