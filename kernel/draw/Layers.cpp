// Layers. Every operation looks the layer up again by name through layerInfo, so the wrapper
// stays right while the drawing changes; failures leave their status in the base's field.
#include "draw/Layers.h"

#include "ZQCAD/OxData.h"
#include "draw/LineWeight.h"
#include "draw/SymbolRecords.h"

namespace NUV {

CString GetObjLayer(const AcDbObjectId& id) {
    CString layer;
    constexpr int kLayerCode = 8;
    if (OxData(id).GetxData(nullptr, kLayerCode, layer, 0) != 0) return CString();
    return layer;
}

}  // namespace NUV

double CLayerInfoEx::GetLineWeight() {
    if (!ReadyOK()) return -1.0;
    AcDbLayerTableRecord* rec = GetLayerTableRecordPtr(m_strName, AcDb::kForRead, m_es);
    if (!rec) return -1.0;
    double weight = static_cast<double>(rec->lineWeight());
    rec->close();
    return weight;
}

bool CLayerInfoEx::SetLineWeight(double mm) {
    if (!ReadyOK()) return false;
    AcDbLayerTableRecord* rec = GetLayerTableRecordPtr(m_strName, AcDb::kForWrite, m_es);
    if (!rec) return false;
    m_es = rec->setLineWeight(NUV::ConverLineWeight(mm));
    rec->close();
    return m_es == Acad::eOk;
}

bool CLayerInfoEx::SetLineTypeName(const char* linetype) {
    if (!ReadyOK()) return false;
    if (!linetype || !*linetype) return false;
    int existed = 0;
    AcDbLinetypeTableRecord* lt = NUV::CreateLineType(linetype, existed);
    if (!lt) return false;
    AcDbObjectId ltId = lt->objectId();
    lt->close();
    AcDbLayerTableRecord* rec = GetLayerTableRecordPtr(m_strName, AcDb::kForWrite, m_es);
    if (!rec) return false;
    m_es = rec->setLinetypeObjectId(ltId);
    rec->close();
    return m_es == Acad::eOk;
}
