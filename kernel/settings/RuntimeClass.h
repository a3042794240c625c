// Finding and creating the framework's dynamic classes by name, for modules that store class
// names in data files.
#pragma once

#include "win/CObject.h"

namespace RuntimeClass {

// The registered class of that name, or null.
CRuntimeClass* FromName(const char* className);

// A new object of that class (the caller deletes it), or null when the class is unknown or has no
// factory.
CObject* CreateObject(const char* className);

}  // namespace RuntimeClass
