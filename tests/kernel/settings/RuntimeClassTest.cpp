#include <gtest/gtest.h>

#include <memory>

#include "settings/RuntimeClass.h"

// Outside the anonymous namespace: the registry, not the compiler, is what uses these.
class CFanCoil : public CObject {
    DECLARE_DYNCREATE(CFanCoil)
public:
    int rows = 3;
};
IMPLEMENT_DYNCREATE(CFanCoil, CObject)

class CTerminal : public CObject {
    DECLARE_DYNAMIC(CTerminal)
};
IMPLEMENT_DYNAMIC(CTerminal, CObject)

namespace {

TEST(RuntimeClassByName, FindsAndCreatesRegisteredClasses) {
    EXPECT_EQ(RuntimeClass::FromName("CFanCoil"), RUNTIME_CLASS(CFanCoil));
    std::unique_ptr<CObject> o(RuntimeClass::CreateObject("CFanCoil"));
    ASSERT_NE(o, nullptr);
    EXPECT_TRUE(o->IsKindOf(RUNTIME_CLASS(CFanCoil)));
    EXPECT_EQ(static_cast<CFanCoil*>(o.get())->rows, 3);

    EXPECT_EQ(RuntimeClass::FromName("CTerminal"), RUNTIME_CLASS(CTerminal));
    EXPECT_EQ(RuntimeClass::CreateObject("CTerminal"), nullptr) << "no factory";
    EXPECT_EQ(RuntimeClass::FromName("CFanCoilX"), nullptr);
    EXPECT_EQ(RuntimeClass::CreateObject(""), nullptr);
}

}  // namespace
