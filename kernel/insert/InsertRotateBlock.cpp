// The placement jig. Everything dragged is one block reference (outside the drawing) to a
// temporary anonymous block that holds a reference of each block at the origin; every move and
// turn of it is also multiplied into one transform, which the final references get. The
// temporary block and the dragged reference are gone when the call ends, whatever the outcome.
#include "insert/InsertRotateBlock.h"

#include <cmath>
#include <string>

#include "ZQCAD/ZQCAD.h"
#include "acad/AcEd.h"
#include "acad/AcEdJig.h"
#include "draw/BlockRecords.h"
#include "draw/Coordinates.h"
#include "settings/SettingsStore.h"
#include "win/CString.h"

namespace NUV {
namespace {

// The angle of the current user X axis on the world XY plane.
double UcsXAngle() {
    AcGeVector3d x = Ucs2Wcs(AcGeVector3d(1, 0, 0));
    return std::atan2(x.y, x.x);
}

class PlacementJig : public AcEdJig {
public:
    enum Stage { kPosition = 0, kReference = 1, kRotation = 2, kRelative = 3 };

    PlacementJig(const AcDbObjectIdArray& blocks, const char* prompt, int rotate, double sx, double sy, double sz)
        : blocks_(blocks), rotate_(rotate != 0), scale_(sx, sy, sz) {
        prompt_ = prompt ? prompt : NUV_GBK("\n输入插入点").GetString();
        prompt_ += NUV_GBK("或").GetString();
        double last = 0.0;
        if (GetNUVKey("LastAngle", last)) defaultAngle_ = last;
        int existed = 0;
        if (AcDbBlockTableRecord* temp = CreateBlockTableRecord(nullptr, existed)) {
            tempBlock_ = temp->objectId();
            const double ucs = UcsXAngle();
            for (int i = 0; i < blocks_.length(); ++i) {
                auto* ref = new AcDbBlockReference(AcGePoint3d::kOrigin, blocks_[i]);
                ref->setRotation(ucs);
                AcDbObjectId id;
                if (temp->appendAcDbEntity(id, ref) == Acad::eOk) ref->close();
                else delete ref;
            }
            temp->close();
            drag_ = new AcDbBlockReference(AcGePoint3d::kOrigin, tempBlock_);
            drag_->setScaleFactors(scale_);
        }
    }

    ~PlacementJig() override {
        SetNUVKey("LastAngle", defaultAngle_);
        delete drag_;
        if (!tempBlock_.isNull()) ZQ::Erase(tempBlock_);
    }

    // The loop of stages; 1 with the references made and `pairs` filled, else 0.
    int run(AcArray<AcDbIdPair>& pairs) {
        if (!drag_) return 0;
        while (true) {
            setUserInputControls(static_cast<UserInputControls>(kAccept3dCoordinates | kNullResponseAccepted));
            setSpecialCursorType(kNoSpecialCursor);
            switch (stage_) {
            case kPosition:
                setDispPrompt("%s%s", prompt_.c_str(), NUV_GBK("[参考点定位(P)/退出(E)]:").GetString());
                setKeywordList("P Exit");
                break;
            case kReference:
                setDispPrompt("%s", NUV_GBK("\n请输入参考点:").GetString());
                setKeywordList("");
                break;
            case kRotation:
                setDispPrompt(NUV_GBK("\n请输入旋转角度<%.2f>:").GetString(), defaultAngle_ * 180.0 / M_PI);
                setKeywordList("");
                break;
            case kRelative:
                setDispPrompt("%s", NUV_GBK("\n请输入相对位置点:").GetString());
                setKeywordList("");
                break;
            }
            const DragStatus status = drag();
            if (status == kNormal) {
                if (stage_ == kRotation) {
                    TurnTo(sampleAngle_);
                    defaultAngle_ = lastAngle_;
                    return Finish(pairs);
                }
                if (stage_ == kReference) {
                    reference_ = samplePoint_;
                    stage_ = kRelative;
                    continue;
                }
                MoveTo(samplePoint_);
                if (!rotate_) return Finish(pairs);
                stage_ = kRotation;
            } else if (status == kKW1) {  // "P": pick the reference point, then a point relative to it
                ads_point p;
                if (acedGetPoint(nullptr, NUV_GBK("\n请选择参考点:").GetString(), p) != RTNORM) return 0;
                reference_ = Ucs2Wcs(AcGePoint3d(p[0], p[1], p[2]));
                stage_ = kRelative;
            } else if (status == kNull && stage_ == kRotation && rotate_) {
                TurnTo(defaultAngle_);
                return Finish(pairs);
            } else {
                return 0;  // "Exit", Enter where no default stands, a cancel or anything else
            }
        }
    }

    double angle() const { return lastAngle_; }
    AcGePoint3d position() const { return position_; }

    DragStatus sampler() override {
        if (stage_ == kRotation) {
            double a = 0.0;
            DragStatus st = acquireAngle(a, position_);
            if (st == kNormal && a == sampleAngle_) return kNoChange;
            sampleAngle_ = a;
            return st;
        }
        AcGePoint3d p;
        const AcGePoint3d& base = stage_ == kPosition ? position_ : reference_;
        DragStatus st = acquirePoint(p, base);
        if (st == kNormal && p == samplePoint_) return kNoChange;
        samplePoint_ = p;
        return st;
    }

    bool update() override {
        if (stage_ == kRotation) TurnTo(sampleAngle_);
        else if (stage_ != kReference) MoveTo(samplePoint_);
        return true;
    }

    AcDbEntity* entity() const override { return drag_; }

private:
    void MoveTo(const AcGePoint3d& p) {
        if (p == position_) return;
        const AcGeMatrix3d m = AcGeMatrix3d::translation(p - position_);
        drag_->transformBy(m);
        transform_ = m * transform_;
        position_ = p;
    }
    void TurnTo(double a) {
        if (a == lastAngle_) return;
        const AcGeMatrix3d m = AcGeMatrix3d::rotation(a - lastAngle_, AcGeVector3d::kZAxis, position_);
        drag_->transformBy(m);
        transform_ = m * transform_;
        lastAngle_ = a;
    }

    int Finish(AcArray<AcDbIdPair>& pairs) {
        AcDbObjectIdArray made;
        const double ucs = UcsXAngle();
        for (int i = 0; i < blocks_.length(); ++i) {
            auto* ref = new AcDbBlockReference(AcGePoint3d::kOrigin, blocks_[i]);
            AcDbObjectId id;
            if (ZQ::Append(ref, id) != Acad::eOk) {
                delete ref;
                ZQ::Erase(made);
                pairs.removeAll();
                return 0;
            }
            ref->transformBy(transform_);
            ref->setRotation(ref->rotation() + ucs);
            ref->setScaleFactors(scale_);
            ref->close();
            made.append(id);
            pairs.append(AcDbIdPair(blocks_[i], id, true, false, true));
        }
        return 1;
    }

    AcDbObjectIdArray blocks_;
    bool rotate_;
    AcGeScale3d scale_;
    std::string prompt_;
    Stage stage_ = kPosition;
    AcGePoint3d position_ = AcGePoint3d::kOrigin, reference_, samplePoint_;
    double lastAngle_ = 0.0, defaultAngle_ = 0.0, sampleAngle_ = 0.0;
    AcGeMatrix3d transform_;
    AcDbObjectId tempBlock_;
    AcDbBlockReference* drag_ = nullptr;
};

int Single(const AcDbObjectId& block, double* angle, AcGePoint3d* point, const char* prompt, AcDbObjectId& newRef,
           int rotate, double sx, double sy, double sz) {
    AcDbObjectIdArray ids;
    ids.append(block);
    AcArray<AcDbIdPair> pairs;
    double a = 0.0;
    AcGePoint3d p;
    int placed = InsertRotateBlock(ids, a, p, prompt, pairs, rotate, sx, sy, sz);
    if (placed && pairs.length() > 0) {
        newRef = pairs[0].value();
        if (angle) *angle = a;
        if (point) *point = p;
    }
    return placed;
}

}  // namespace

int InsertRotateBlock(const AcDbObjectIdArray& blocks, double& angle, AcGePoint3d& point, const char* prompt,
                      AcArray<AcDbIdPair>& pairs, int rotate, double sx, double sy, double sz) {
    int placed = 0;
    {
        PlacementJig jig(blocks, prompt, rotate, sx, sy, sz);
        AcArray<AcDbIdPair> made;
        placed = jig.run(made);
        if (placed) {
            angle = jig.angle();
            point = jig.position();
            pairs = made;
        }
    }
    ZQ::FlushAcadGraphicsQueue();
    return placed;
}

int InsertRotateBlock(const AcDbObjectIdArray& blocks, const char* prompt, AcArray<AcDbIdPair>& pairs, int rotate,
                      double sx, double sy, double sz) {
    double angle = 0.0;
    AcGePoint3d point;
    return InsertRotateBlock(blocks, angle, point, prompt, pairs, rotate, sx, sy, sz);
}

int InsertRotateBlock(const AcDbObjectId& block, const char* prompt, AcDbObjectId& newRef, int rotate, double sx,
                      double sy, double sz) {
    return Single(block, nullptr, nullptr, prompt, newRef, rotate, sx, sy, sz);
}

int InsertRotateBlock(const AcDbObjectId& block, double& angle, AcGePoint3d& point, const char* prompt,
                      AcDbObjectId& newRef, int rotate, double sx, double sy, double sz) {
    return Single(block, &angle, &point, prompt, newRef, rotate, sx, sy, sz);
}

int InsertRotateBlock(const char* path, const char* prompt, AcDbObjectId& newRef, int rotate, double sx, double sy,
                      double sz) {
    AcDbObjectId block;
    if (InsertBlockRecord(path, nullptr, block) != Acad::eOk) return 0;
    return Single(block, nullptr, nullptr, prompt, newRef, rotate, sx, sy, sz);
}

int InsertRotateBlock(const char* path, double& angle, AcGePoint3d& point, const char* prompt, AcDbObjectId& newRef,
                      int rotate, double sx, double sy, double sz) {
    AcDbObjectId block;
    if (InsertBlockRecord(path, nullptr, block) != Acad::eOk) return 0;
    return Single(block, &angle, &point, prompt, newRef, rotate, sx, sy, sz);
}

}  // namespace NUV
