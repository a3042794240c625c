// The built-in commands driven by a scripted user in a fresh drawing, and ezdxf's reading of the
// saved result (editor_peer.py beside this file) as the judge of what they drew.
#pragma once

#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "HostFixture.h"
#include "ModelSpace.h"
#include "RunCommand.h"
#include "TempDir.h"
#include "acad/AcDb.h"
#include "acad/AcEdSelectionSet.h"
#include "acad/CommandProcessor.h"
#include "acad/Display.h"
#include "win/FileSystem.h"

class CommandTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        NewDoc();
        db = acdbHostApplicationServices()->workingDatabase();
        // Selection by window takes only what the view shows: show -100..300 by 0..300.
        NUVAcad::displayOf(db).zoomCenter(AcGePoint3d(100, 150, 0), 300);
        input.setEcho(true);  // the command line shows prompts and answers, as a script's does
        out.take();
    }
    // Answers: "<>" is Enter, "^C" a cancel, anything else typed text.
    void Script(std::initializer_list<const char*> answers) {
        for (const char* a : answers) {
            std::string s = a;
            if (s == "<>") input.enter();
            else if (s == "^C") input.cancel();
            else input.text(s);
        }
    }
    int Run(const char* command, std::initializer_list<const char*> answers) {
        Script(answers);
        int st = NUVAcad::RunCommand(command);
        EXPECT_EQ(0u, input.pending()) << command << " left answers unread";
        input.clear();
        return st;
    }
    AcDbObjectId Append(AcDbEntity* ent) { return NUVTest::AppendToModelSpace(*db, ent); }
    AcDbObjectId Line(double x1, double y1, double x2, double y2) {
        return Append(new AcDbLine(AcGePoint3d(x1, y1, 0), AcGePoint3d(x2, y2, 0)));
    }
    std::vector<AcDbObjectId> ModelSpace() {
        std::vector<AcDbObjectId> ids;
        AcDbBlockTableRecord* ms = nullptr;
        if (acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return ids;
        for (AcDbObjectId id : ms->entityIds())
            if (id.isValid() && !id.isErased()) ids.push_back(id);
        ms->close();
        return ids;
    }
    // ezdxf's report on the drawing saved now: "entities", "blocks", "layers", "linetypes".
    std::string Peer(const std::string& what, AcDbDatabase* of = nullptr) {
        std::string path = tmp.File("peer.dxf");
        AcDbDatabase* d = of ? of : db;
        // The text is written rather than saved, so the document keeps its name and state.
        std::string text;
        if (d->writeDxf(text) != Acad::eOk || !NUVWin::WriteFileAtomic(CString(path), text)) return "save failed";
        return PeerOfFile(what, path);
    }
    static std::string PeerOfFile(const std::string& what, const std::string& path) {
        const char* src = std::getenv("NUV_SOURCE_DIR");
        std::string script = std::string(src ? src : ".") + "/tests/platform/acad/host/editor_peer.py";
        NUVTest::CommandOutput r =
            NUVTest::RunCommand("/usr/bin/python3 " + NUVTest::ShellWord(script) + " " + what + " " + NUVTest::ShellWord(path) + " 2>&1");
        return r.status == 0 ? r.out : "editor_peer.py failed (" + std::to_string(r.status) + "):\n" + r.out;
    }

    AcDbDatabase* db = nullptr;
    TempDir tmp;
};
