// The host's basic database vocabulary: integer types, result codes and the AcDb enumerations
// that every other header of the drawing database uses.
#pragma once

#include <cstdint>

namespace Adesk {
using Int8 = int8_t;
using Int16 = int16_t;
using Int32 = int32_t;
using Int64 = int64_t;
using UInt8 = uint8_t;
using UInt16 = uint16_t;
using UInt32 = uint32_t;
using UInt64 = uint64_t;
using Boolean = bool;
inline constexpr bool kTrue = true;
inline constexpr bool kFalse = false;
}  // namespace Adesk

namespace Acad {
// Result codes of the host's database functions. The numbers are the host's own; callers compare
// them by value (0 is success), so they must not be renumbered.
enum ErrorStatus : int {
    eOk = 0,
    eNotImplementedYet = 1,
    eNotApplicable = 2,
    eInvalidInput = 3,
    eAmbiguousInput = 4,
    eAmbiguousOutput = 5,
    eOutOfMemory = 6,
    eBufferTooSmall = 7,
    eInvalidOpenState = 8,
    eEntityInUse = 9,
    eNullEntityPointer = 10,
    eNotThatKindOfClass = 11,
    eInvalidIndex = 12,
    eNullIterator = 13,
    eContainerNotEmpty = 14,
    eInvalidDxfCode = 15,
    eNullObjectId = 16,
    eNullHandle = 17,
    eNullBlockName = 18,
    eNoDatabase = 19,
    eNullObjectPointer = 20,
    eInvalidKey = 21,
    eKeyNotFound = 22,
    eInvalidExtents = 23,
    eAlreadyInDb = 24,
    eNotInDatabase = 25,
    eDuplicateKey = 26,
    eDuplicateRecordName = 27,
    eInvalidAdsName = 28,
    eSelfReference = 29,
    eWrongDatabase = 30,
    eNotOpenForRead = 31,
    eNotOpenForWrite = 32,
    eRegappIdNotFound = 33,
    eHandleInUse = 34,
    eDegenerateGeometry = 35,
    eInvalidSymbolTableName = 36,
    eInvalidFileExtension = 37,
    eEndOfObject = 38,
    eEndOfFile = 39,
    eBadDxfSequence = 40,
    eNotAnEntity = 41,
    eHadMultipleReaders = 42,
    eWasOpenForRead = 79,
    eWasOpenForWrite = 80,
    eWasOpenForUndo = 81,
    eWasOpenForNotify = 82,
    eFileNotFound = 76,
    eFilerError = 77,
    eNotOpenForNotify = 78,
    eWasErased = 86,
    eDwgNotRecognized = 87,
    eBadDwgHeader = 88,
    eUnsupportedFormat = 89,
    eFileAccessErr = 90,
    eFileSharingViolation = 91,
    eCannotRemoveObject = 92,
    eCannotBeErasedByCaller = 93,
    eInvalidBlockName = 94,
    eIsWriteProtected = 95,
    eImageNotLoaded = 96,
    eWrongObjectType = 97,
    eCannotScaleNonUniformly = 98,
    eNullEntityName = 99,
};
}  // namespace Acad

namespace AcDb {
enum OpenMode { kForRead = 0, kForWrite = 1, kForNotify = 2 };

enum Visibility { kVisible = 0, kInvisible = 1 };

// Which operands of intersectWith may be extended.
enum Intersect { kOnBothOperands = 0, kExtendThis = 1, kExtendArg = 2, kExtendBoth = 3 };

// Line weights in hundredths of a millimetre, plus the three special values.
enum LineWeight : int {
    kLnWt000 = 0, kLnWt005 = 5, kLnWt009 = 9, kLnWt013 = 13, kLnWt015 = 15, kLnWt018 = 18,
    kLnWt020 = 20, kLnWt025 = 25, kLnWt030 = 30, kLnWt035 = 35, kLnWt040 = 40, kLnWt050 = 50,
    kLnWt053 = 53, kLnWt060 = 60, kLnWt070 = 70, kLnWt080 = 80, kLnWt090 = 90, kLnWt100 = 100,
    kLnWt106 = 106, kLnWt120 = 120, kLnWt140 = 140, kLnWt158 = 158, kLnWt200 = 200,
    kLnWt211 = 211,
    kLnWtByLayer = -1, kLnWtByBlock = -2, kLnWtByLwDefault = -3,
};

enum TextHorzMode { kTextLeft = 0, kTextCenter = 1, kTextRight = 2, kTextAlign = 3, kTextMid = 4, kTextFit = 5 };
enum TextVertMode { kTextBase = 0, kTextBottom = 1, kTextVertMid = 2, kTextTop = 3 };

enum Poly2dType { k2dSimplePoly = 0, k2dFitCurvePoly = 1, k2dQuadSplinePoly = 2, k2dCubicSplinePoly = 3 };
enum Poly3dType { k3dSimplePoly = 0, k3dQuadSplinePoly = 1, k3dCubicSplinePoly = 2 };
enum Vertex2dType { k2dVertex = 0, k2dSplineCtlVertex = 1, k2dSplineFitVertex = 2, k2dCurveFitVertex = 3 };
enum Vertex3dType { k3dSimpleVertex = 0, k3dControlVertex = 1, k3dFitVertex = 2 };

enum DuplicateRecordCloning { kDrcNotApplicable = 0, kDrcIgnore = 1, kDrcReplace = 2, kDrcXrefMangleName = 3, kDrcMangleName = 4, kDrcUnmangleName = 5 };

// Colour indices with a special meaning.
inline constexpr int kByBlockColor = 0;
inline constexpr int kByLayerColor = 256;
}  // namespace AcDb
