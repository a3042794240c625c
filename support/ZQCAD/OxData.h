// OxData: an object's own values and its extended data, read as text; and the drawing's own
// records: values kept in a named dictionary of the current drawing, which travel with the
// drawing file.
//
// Drawing records: the named-objects dictionary holds a dictionary per `dict`, which holds an
// extended record per `key`; its data chain holds the values in order. Integers (1070, 1071) are
// stored as group 70 when they fit 16 bits and as group 90 otherwise; reals (1040) as group 40.
// `index` picks the index-th value of that kind in the record (0: the first).
#pragma once

#include "acad/AcDb.h"
#include "win/CString.h"

class OxData {
public:
    OxData() = default;
    explicit OxData(AcDbObjectId id) : id_(id) {}
    // An entity name that resolves to nothing gives an object on which every read fails.
    explicit OxData(const ads_name name);

    AcDbObjectId objectId() const { return id_; }

    // With a null application: the object's own group `code` as the host lists it (0 the type
    // name, 8 the layer, 6 the linetype, 62 the colour ...); with an application: that
    // application's extended data (1000 a string, 1070 / 1071 integers, 1040 a real ...). The
    // index-th value with that code. Numbers come as text ("%d", "%f"), points as "x,y,z".
    // 0 when found; otherwise a status (Acad::ErrorStatus): eKeyNotFound when there is no such
    // value, the open failure (eNullObjectId, eWasErased ...) when the object cannot be read.
    int GetxData(const char* app, int code, CString& value, int index = 0) const;

    // Replaces the application's extended data by one value of `code` (1000 string, 1070 / 1071
    // integer, 1040 real, given as text), registering the application in the drawing when it is
    // new. 0 when stored; otherwise a status (eInvalidInput for an empty name, an unsupported
    // code or a number that does not read).
    int SetxData(const char* app, int code, const char* value);
    // Removes the application's extended data. 0 when removed or there was none.
    int RemovexData(const char* app);

    // The index-th value in the current drawing's record dict/key: 0 when found (an integer is
    // also read as a real); nonzero when the drawing, the record or the value is absent or of
    // another kind.
    static int GetDWGxRecord(const char* dict, const char* key, int code, int& value, int index = 0);
    static int GetDWGxRecord(const char* dict, const char* key, int code, double& value, int index = 0);
    // Stores the value as the index-th of its kind (appending when the record holds exactly
    // `index` of them), creating the dictionary and the record as needed. True (1) when stored in
    // the current drawing; 0 when there is no drawing, a name is empty, the code does not match
    // the value's kind (an integer may go to 1040), or the index leaves a gap.
    static int SetDWGxRecord(const char* dict, const char* key, int code, int value, int index = 0);
    static int SetDWGxRecord(const char* dict, const char* key, int code, double value, int index = 0);

private:
    AcDbObjectId id_;
};
