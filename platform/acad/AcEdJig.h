// Jigs: an entity dragged by the cursor while the user picks a point, an angle or a distance.
// A subclass gives sampler() (ask with acquirePoint/Angle/Dist and say whether anything
// changed), update() (change the entity to the sample) and entity(). drag() shows the prompt,
// feeds every cursor move from the input source through sampler and update, shows the entity
// on the display as temporary graphics, and ends at a pick (kNormal), a keyword (kKW1..kKW9),
// Enter (kNull, when kNullResponseAccepted is set; otherwise it is ignored), arbitrary text
// (kOther, with kAcceptOtherInputString) or a cancel (kCancel). The jig never appends the
// entity itself; append() does it on request. Points are world coordinates.
#pragma once

#include <string>

#include "acad/AcDbObjectId.h"
#include "acad/AcGePoint3d.h"

class AcDbEntity;

class AcEdJig {
public:
    enum DragStatus {
        kModeless = -17,
        kNoChange = -6,
        kCancel = -4,
        kOther = -3,
        kNull = -1,
        kNormal = 0,
        kKW1 = 1, kKW2, kKW3, kKW4, kKW5, kKW6, kKW7, kKW8, kKW9,
    };
    enum UserInputControls {
        kGovernedByOrthoMode = 0x0001,
        kNullResponseAccepted = 0x0002,
        kDontEchoCancelForCtrlC = 0x0004,
        kDontUpdateLastPoint = 0x0008,
        kNoDwgLimitsChecking = 0x0010,
        kNoZeroResponseAccepted = 0x0020,
        kNoNegativeResponseAccepted = 0x0040,
        kAccept3dCoordinates = 0x0080,
        kAcceptMouseUpAsPoint = 0x0100,
        kAnyBlankTerminatesInput = 0x0200,
        kInitialBlankTerminatesInput = 0x0400,
        kAcceptOtherInputString = 0x0800,
    };
    enum CursorType {
        kNoSpecialCursor = -1,
        kCrosshair = 0,
        kRectCursor,
        kRubberBand,
        kNotRotated,
        kTargetBox,
        kRotatedCrosshair,
        kCrosshairNoRotate,
        kInvisible,
        kEntitySelect,
    };

    AcEdJig() = default;
    virtual ~AcEdJig() = default;
    AcEdJig(const AcEdJig&) = delete;
    AcEdJig& operator=(const AcEdJig&) = delete;

    DragStatus drag();
    virtual DragStatus sampler() = 0;
    virtual bool update() = 0;
    virtual AcDbEntity* entity() const = 0;
    // Appends entity() to model space of the working drawing (the caller's choice after drag).
    AcDbObjectId append();

    // printf-style; shown before each answer is read.
    void setDispPrompt(const char* prompt, ...) __attribute__((format(printf, 2, 3)));
    const char* dispPrompt() const { return prompt_.c_str(); }
    // Blank-separated keywords, as acedInitGet takes them; keyword n is reported as kKW<n>.
    void setKeywordList(const char* keywords);
    const char* keywordList() const { return keywords_.c_str(); }
    void setUserInputControls(UserInputControls controls) { controls_ = controls; }
    UserInputControls userInputControls() const { return controls_; }
    void setSpecialCursorType(CursorType type) { cursor_ = type; }
    CursorType specialCursorType() const { return cursor_; }

    DragStatus acquirePoint(AcGePoint3d& point);
    DragStatus acquirePoint(AcGePoint3d& point, const AcGePoint3d& basePoint);
    // Radians counter-clockwise, counted from ANGBASE (as acedGetAngle).
    DragStatus acquireAngle(double& angle);
    DragStatus acquireAngle(double& angle, const AcGePoint3d& basePoint);
    DragStatus acquireDist(double& distance);
    DragStatus acquireDist(double& distance, const AcGePoint3d& basePoint);
    // The text of a kOther answer.
    const std::string& otherInput() const { return other_; }

private:
    enum class Want { Point, Angle, Dist };
    DragStatus acquire(Want want, const AcGePoint3d* base, AcGePoint3d* point, double* value);
    void show();

    std::string prompt_;
    std::string keywords_;
    UserInputControls controls_ = static_cast<UserInputControls>(0);
    CursorType cursor_ = kNoSpecialCursor;
    std::string other_;
    bool picked_ = false;   // the last answer ended the drag (a pick rather than a cursor move)
    bool running_ = false;
    int acquires_ = 0;      // answers read during the current sample
};
