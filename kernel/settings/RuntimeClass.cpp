#include "settings/RuntimeClass.h"

namespace RuntimeClass {

CRuntimeClass* FromName(const char* className) { return CRuntimeClass::FromName(className); }

CObject* CreateObject(const char* className) { return CRuntimeClass::CreateObject(className); }

}  // namespace RuntimeClass
