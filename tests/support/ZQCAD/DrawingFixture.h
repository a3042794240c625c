// A fresh drawing as the current one for each test; the test fails when a call left an object
// open.
#pragma once

#include <gtest/gtest.h>

#include "TempDir.h"
#include "ZQCAD/ZQCAD.h"

class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override { acdbHostApplicationServices()->setWorkingDatabase(&db_); }
    void TearDown() override {
        EXPECT_EQ(db_.numOpenObjects(), 0) << "a call left an object open";
        acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    }

    // A closed line in model space on `layer`.
    AcDbObjectId AddLine(AcGePoint3d from, AcGePoint3d to, const char* layer = "0") {
        auto* line = new AcDbLine(from, to);
        line->setLayer(layer);
        AcDbObjectId id;
        EXPECT_EQ(ZQ::Append(line, id), Acad::eOk);
        line->close();
        return id;
    }

    AcDbDatabase db_;
    TempDir dir_;
};
