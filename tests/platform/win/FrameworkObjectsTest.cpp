#include <gtest/gtest.h>

#include <cstring>

#include "win/CBitmap.h"
#include "win/CException.h"

namespace {

TEST(CBitmap, OwnsWhatIsAttachedUntilDetached) {
    int before = NUVWin::LiveGdiObjectCount();
    HBITMAP first = CreateBitmap(4, 3, 1, 24, nullptr);
    HBITMAP second = CreateBitmap(1, 1, 1, 1, nullptr);
    {
        CBitmap bmp;
        EXPECT_FALSE(bmp.DeleteObject()) << "nothing attached";
        EXPECT_FALSE(bmp.Attach(nullptr));
        ASSERT_TRUE(bmp.Attach(first));
        EXPECT_FALSE(bmp.Attach(second)) << "a second handle is refused";
        EXPECT_EQ(bmp.GetSafeHandle(), first);
        EXPECT_EQ(static_cast<HBITMAP>(bmp), first);
        BITMAP bm{};
        EXPECT_EQ(bmp.GetBitmap(&bm), static_cast<int>(sizeof(BITMAP)));
        EXPECT_TRUE(bm.bmWidth == 4 && bm.bmHeight == 3 && bm.bmBitsPixel == 24);

        EXPECT_EQ(bmp.Detach(), first);
        EXPECT_EQ(bmp.GetSafeHandle(), nullptr);
        ASSERT_TRUE(bmp.Attach(second));
        EXPECT_TRUE(bmp.DeleteObject());
        EXPECT_EQ(GetObjectType(second), 0u) << "deleted";
        ASSERT_TRUE(bmp.Attach(first));
    }
    EXPECT_EQ(GetObjectType(first), 0u) << "the destructor deletes the attached bitmap";
    EXPECT_EQ(NUVWin::LiveGdiObjectCount(), before);

    // A detached handle outlives its wrapper.
    HBITMAP kept = CreateBitmap(2, 2, 1, 32, nullptr);
    {
        CBitmap bmp;
        bmp.Attach(kept);
        bmp.Detach();
    }
    EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_BITMAP));
    DeleteObject(kept);
}

TEST(CException, DeleteFreesOnlyWhatWasMadeToBeFreed) {
    // Both paths are watched by the address sanitizer: a heap object not freed leaks, a stack
    // object freed is an invalid free.
    CException* thrown = new CException;
    EXPECT_TRUE(thrown->m_bAutoDelete);
    thrown->Delete();
    CException local(FALSE);
    local.Delete();

    EXPECT_STREQ(local.GetRuntimeClass()->m_lpszClassName, "CException");
    EXPECT_TRUE(local.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_EQ(CRuntimeClass::FromName("CException"), RUNTIME_CLASS(CException));
    EXPECT_EQ(CRuntimeClass::CreateObject("CException"), nullptr) << "not creatable by name";

    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    UINT help = 77;
    EXPECT_FALSE(local.GetErrorMessage(buffer, sizeof buffer, &help));
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(help, 0u);
}

}  // namespace
