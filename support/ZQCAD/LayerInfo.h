// layerInfo: one layer of the current drawing, by name: its state, colour and linetype, renaming,
// erasing and making it current. Every call looks the layer up again, so the object stays right
// while the drawing changes; each failure leaves its status in GetErrorStatus().
//
// The virtual operations keep this slot order, which the suite's modules and derived classes
// (the kernel's CLayerInfoEx) are built against: add new ones only at the end.
#pragma once

#include "acad/AcDb.h"
#include "win/CString.h"

class layerInfo {
public:
    // `create`: make the layer (colour 7, linetype Continuous) when the current drawing lacks it.
    explicit layerInfo(const char* name, bool create = false);
    layerInfo(const layerInfo& other);
    layerInfo& operator=(const layerInfo& other);

    virtual bool IsExist();
    virtual bool IsFrozen();
    virtual bool IsLocked();
    virtual bool IsOff();
    // A layer's own colour is a real one: these hold only for records that say otherwise.
    virtual bool IsColorByBlock();
    virtual bool IsColorByLayer();
    virtual CString Name();
    virtual bool SetIsLocked(bool locked);
    // The current layer cannot be frozen (eInvalidInput).
    virtual bool SetIsFrozen(bool frozen);
    virtual bool SetIsOff(bool off);
    // The linetype's name; empty when the layer cannot be read.
    virtual CString GetLineTypeName();
    // The linetype must exist in the drawing (eKeyNotFound otherwise).
    virtual bool SetLineTypeName(const char* linetype);
    // 1 to 255; -1 when the layer cannot be read.
    virtual int GetColorIndex();
    virtual bool SetColorIndex(int color);
    // A colour as the host's colour prompt takes it: a number 1 to 255 or a standard colour name
    // (red, yellow, green, cyan, blue, magenta, white; any letter case).
    virtual bool SetColor(const char* color);
    // A valid new name not used by another layer; layer "0" keeps its name.
    virtual bool Rename(const char* newName);
    // Layers "0" and "Defpoints", the current layer and layers that entities use stay.
    virtual bool Erase();
    // A frozen layer cannot become current.
    virtual bool SetCurLayer();
    virtual Acad::ErrorStatus GetErrorStatus();
    // The layer record opened in `mode`; the caller closes it. Null when it cannot be opened.
    virtual AcDbLayerTableRecord* GetRecordPtr(AcDb::OpenMode mode = AcDb::kForRead);
    virtual ~layerInfo();

    // The named layer of the current drawing opened in `mode`, or null; `status` says why.
    static AcDbLayerTableRecord* GetLayerTableRecordPtr(const char* name, AcDb::OpenMode mode, Acad::ErrorStatus& status);

protected:
    // There is a current drawing, the name is not empty and the layer exists.
    virtual bool ReadyOK();

    CString m_strName;
    Acad::ErrorStatus m_es = Acad::eOk;

private:
    // Opens the record for `mode`, runs `change` and closes it; records the status.
    template <class F>
    bool Change(F change);
};
