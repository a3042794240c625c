// Each test has its own registry files and its own current drawing; registry values are checked
// by reading the hive files as text, drawing records through the database's own objects.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <regex>
#include <string>

#include "TempDir.h"
#include "acad/AcDb.h"

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("NUV_REGISTRY_DIR", registry_.path().c_str(), 1);
        acdbHostApplicationServices()->setWorkingDatabase(&db_);
    }
    void TearDown() override {
        EXPECT_EQ(db_.numOpenObjects(), 0) << "a call left an object open";
        acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    }

    // A hive file written by hand, as an installer or a user would.
    void WriteHive(const char* file, const char* root, const std::string& values) const {
        registry_.Touch(file, std::string("Windows Registry Editor Version 5.00\n\n[") + root +
                                  "\\Software\\NUV]\n" + values);
    }
    void UserValues(const std::string& values) const { WriteHive("user.reg", "HKEY_CURRENT_USER", values); }
    void MachineValues(const std::string& values) const { WriteHive("machine.reg", "HKEY_LOCAL_MACHINE", values); }

    // The text of a string value in a hive file (UTF-8, escapes left as written), read without
    // the registry code.
    std::optional<std::string> HiveValue(const char* file, const std::string& name) const {
        std::string text = ReadAll(registry_.File(file));
        std::smatch m;
        if (!std::regex_search(text, m, std::regex("\n\"" + name + "\"=\"([^\"]*)\"\n"))) return std::nullopt;
        return m[1].str();
    }
    std::optional<std::string> UserValue(const std::string& name) const { return HiveValue("user.reg", name); }

    // The drawing's record NUVSetting/key of `db`: its data as "code=value" pairs.
    static std::optional<std::string> Record(AcDbDatabase& db, const char* key) {
        AcDbDictionary* nod = nullptr;
        if (db.getNamedObjectsDictionary(nod, AcDb::kForRead) != Acad::eOk) return std::nullopt;
        AcDbObjectId dictId, recId;
        Acad::ErrorStatus es = nod->getAt("NUVSetting", dictId);
        nod->close();
        if (es != Acad::eOk) return std::nullopt;
        AcDbDictionary* dict = nullptr;
        if (acdbOpenObject(dict, dictId, AcDb::kForRead) != Acad::eOk) return std::nullopt;
        es = dict->getAt(key, recId);
        dict->close();
        AcDbXrecord* rec = nullptr;
        if (es != Acad::eOk || acdbOpenObject(rec, recId, AcDb::kForRead) != Acad::eOk) return std::nullopt;
        resbuf* chain = nullptr;
        rec->rbChain(&chain);
        rec->close();
        std::string out;
        for (resbuf* rb = chain; rb; rb = rb->rbnext) {
            out += out.empty() ? "" : " ";
            out += std::to_string(rb->restype) + "=";
            out += rb->restype == 40 ? std::to_string(rb->resval.rreal)
                                     : std::to_string(rb->restype == 70 ? rb->resval.rint : rb->resval.rlong);
        }
        acutRelRb(chain);
        return out;
    }

    TempDir registry_;
    TempDir dir_;
    AcDbDatabase db_;
};
