#include <gtest/gtest.h>

#include <memory>

#include "win/CObject.h"

namespace {

class CShape : public CObject {
    DECLARE_DYNAMIC(CShape)
};
IMPLEMENT_DYNAMIC(CShape, CObject)

class CDuct : public CShape {
    DECLARE_DYNCREATE(CDuct)
public:
    double width = 320;
};
IMPLEMENT_DYNCREATE(CDuct, CShape)

class CElbow : public CDuct {
    DECLARE_SERIAL(CElbow)
};
IMPLEMENT_SERIAL(CElbow, CDuct, 3)

TEST(RuntimeClass, RecordsDescribeTheClasses) {
    struct Row {
        const CRuntimeClass* cls;
        const char* name;
        int size;
        UINT schema;
        bool creatable;
        const CRuntimeClass* base;
    } rows[] = {
        {RUNTIME_CLASS(CObject), "CObject", sizeof(CObject), 0xFFFF, false, nullptr},
        {RUNTIME_CLASS(CShape), "CShape", sizeof(CShape), 0xFFFF, false, RUNTIME_CLASS(CObject)},
        {RUNTIME_CLASS(CDuct), "CDuct", sizeof(CDuct), 0xFFFF, true, RUNTIME_CLASS(CShape)},
        {RUNTIME_CLASS(CElbow), "CElbow", sizeof(CElbow), 3, true, RUNTIME_CLASS(CDuct)},
    };
    for (const Row& r : rows) {
        EXPECT_STREQ(r.cls->m_lpszClassName, r.name);
        EXPECT_EQ(r.cls->m_nObjectSize, r.size);
        EXPECT_EQ(r.cls->m_wSchema, r.schema);
        EXPECT_EQ(r.cls->m_pBaseClass, r.base);
        EXPECT_EQ(CRuntimeClass::FromName(r.name), r.cls);
        std::unique_ptr<CObject> made(r.cls->CreateObject());
        EXPECT_EQ(made != nullptr, r.creatable) << r.name;
        if (made) {
            EXPECT_EQ(made->GetRuntimeClass(), r.cls);
        }
    }
}

TEST(RuntimeClass, DerivationAndCreationByName) {
    std::unique_ptr<CObject> o(CRuntimeClass::CreateObject("CElbow"));
    ASSERT_NE(o, nullptr);
    EXPECT_TRUE(o->IsKindOf(RUNTIME_CLASS(CDuct)));
    EXPECT_TRUE(o->IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_EQ(static_cast<CDuct*>(o.get())->width, 320);
    std::unique_ptr<CObject> d(CRuntimeClass::CreateObject("CDuct"));
    EXPECT_FALSE(d->IsKindOf(RUNTIME_CLASS(CElbow)));
    EXPECT_FALSE(RUNTIME_CLASS(CShape)->IsDerivedFrom(nullptr));
    EXPECT_EQ(CRuntimeClass::FromName("cduct"), nullptr) << "names match exactly";
    EXPECT_EQ(CRuntimeClass::FromName("CPipe"), nullptr);
    EXPECT_EQ(CRuntimeClass::CreateObject("CShape"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName(nullptr), nullptr);
}

}  // namespace
