// The drawing database in one include: objects, symbol tables, dictionaries, entities, the
// database itself and the entity-name layer.
#pragma once

#include "acad/AcDbAttribute.h"
#include "acad/AcDbBlockReference.h"
#include "acad/AcDbCore.h"
#include "acad/AcDbCurve.h"
#include "acad/AcDbDatabase.h"
#include "acad/AcDbDictionary.h"
#include "acad/AcDbEntity.h"
#include "acad/AcDbHatch.h"
#include "acad/AcDbObject.h"
#include "acad/AcDbObjectId.h"
#include "acad/AcDbPolylines.h"
#include "acad/AcDbRasterImage.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/AcDbText.h"
#include "acad/AdsName.h"
#include "acad/ResBuf.h"
