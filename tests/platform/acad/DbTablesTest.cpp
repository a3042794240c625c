// Iterators, dictionaries and opening modes beyond the basic read/write discipline.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acad/AcDb.h"

namespace {

AcDbObjectId appendLine(AcDbDatabase& db, double y) {
    AcDbBlockTableRecord* ms = nullptr;
    EXPECT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    auto* l = new AcDbLine(AcGePoint3d(0, y, 0), AcGePoint3d(1, y, 0));
    AcDbObjectId id;
    EXPECT_EQ(ms->appendAcDbEntity(id, l), Acad::eOk);
    l->close();
    ms->close();
    return id;
}

TEST(DbTables, IteratorsSkipErasedUnlessAsked) {
    AcDbDatabase db;
    AcDbObjectId a = appendLine(db, 0), b = appendLine(db, 1), c = appendLine(db, 2);
    AcDbObject* o = nullptr;
    ASSERT_EQ(acdbOpenObject(o, b, AcDb::kForWrite), Acad::eOk);
    o->erase();
    o->close();
    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
    for (bool skip : {true, false}) {
        AcDbBlockTableRecordIterator* it = nullptr;
        ASSERT_EQ(ms->newIterator(it, true, skip), Acad::eOk);
        std::vector<AcDbObjectId> seen;
        for (; !it->done(); it->step(true, skip)) {
            AcDbObjectId id;
            it->getEntityId(id);
            seen.push_back(id);
        }
        delete it;
        std::vector<AcDbObjectId> expected = skip ? std::vector<AcDbObjectId>{a, c} : std::vector<AcDbObjectId>{a, b, c};
        EXPECT_EQ(seen, expected) << (skip ? "skipping" : "with erased");
    }
    AcDbBlockTableRecordIterator* back = nullptr;
    ms->newIterator(back, false);
    AcDbEntity* last = nullptr;
    ASSERT_EQ(back->getEntity(last, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(last->objectId(), c);
    last->close();
    delete back;
    ms->close();

    AcDbLinetypeTable* lts = nullptr;
    ASSERT_EQ(db.getLinetypeTable(lts, AcDb::kForRead), Acad::eOk);
    AcDbSymbolTableIterator* it = nullptr;
    lts->newIterator(it);
    std::vector<std::string> names;
    for (; !it->done(); it->step()) {
        AcDbLinetypeTableRecord* r = nullptr;
        ASSERT_EQ(it->getRecord(r, AcDb::kForRead), Acad::eOk);
        names.push_back(r->name());
        r->close();
    }
    delete it;
    lts->close();
    EXPECT_EQ(names, (std::vector<std::string>{"ByBlock", "ByLayer", "Continuous"}));
    EXPECT_EQ(db.numOpenObjects(), 0);
}

TEST(DbTables, DictionaryKeysAnonymousEntriesRenameAndRemove) {
    AcDbDatabase db;
    AcDbDictionary* nod = nullptr;
    ASSERT_EQ(db.getNamedObjectsDictionary(nod, AcDb::kForWrite), Acad::eOk);
    auto* d = new AcDbDictionary;
    AcDbObjectId did;
    ASSERT_EQ(nod->setAt("Mine", d, did), Acad::eOk);
    nod->close();
    std::vector<std::string> anon;
    for (int k = 0; k < 2; ++k) {
        auto* x = new AcDbXrecord;
        AcDbObjectId xid;
        ASSERT_EQ(d->setAt("*", x, xid), Acad::eOk);
        std::string key;
        ASSERT_EQ(d->nameAt(xid, key), Acad::eOk);
        anon.push_back(key);
        x->close();
    }
    EXPECT_EQ(anon, (std::vector<std::string>{"*A1", "*A2"}));
    EXPECT_TRUE(d->has("*a1")) << "keys ignore letter case";
    EXPECT_EQ(d->setName("*A1", "first"), Acad::eOk);
    EXPECT_EQ(d->setName("first", "*A2"), Acad::eDuplicateKey);
    EXPECT_FALSE(d->has("*A1"));
    AcDbObjectId removed;
    ASSERT_EQ(d->remove("FIRST", removed), Acad::eOk);
    EXPECT_EQ(d->numEntries(), 1);
    AcDbObject* orphan = nullptr;
    ASSERT_EQ(acdbOpenObject(orphan, removed, AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(orphan->ownerId().isNull()) << "a removed object has no owner";
    orphan->close();
    EXPECT_EQ(d->remove("FIRST"), Acad::eKeyNotFound);
    AcDbDictionaryIterator* it = d->newIterator();
    ASSERT_FALSE(it->done());
    EXPECT_STREQ(it->name(), "*A2");
    EXPECT_FALSE(it->next());
    delete it;
    d->close();

    AcDbXrecord x;
    resbuf* bad = acutBuildList(5, "1F", 0);
    EXPECT_EQ(x.setFromRbChain(*bad), Acad::eInvalidDxfCode) << "a record cannot carry a handle of its own";
    acutRelRb(bad);
    EXPECT_EQ(db.numOpenObjects(), 0);
}

TEST(DbTables, NotifyOpensUpgradeAndDowngrade) {
    AcDbDatabase db;
    AcDbObjectId id = appendLine(db, 0);
    AcDbObject *w = nullptr, *n = nullptr, *r = nullptr;
    ASSERT_EQ(acdbOpenObject(w, id, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(acdbOpenObject(n, id, AcDb::kForNotify), Acad::eOk) << "a notify open is always granted";
    EXPECT_EQ(db.numOpenObjects(), 2);
    w->close();
    n->close();
    ASSERT_EQ(acdbOpenObject(r, id, AcDb::kForRead), Acad::eOk);
    AcDbObject* r2 = nullptr;
    ASSERT_EQ(acdbOpenObject(r2, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(r->upgradeOpen(), Acad::eHadMultipleReaders);
    r2->close();
    ASSERT_EQ(r->upgradeOpen(), Acad::eOk);
    EXPECT_TRUE(r->isWriteEnabled());
    ASSERT_EQ(r->downgradeOpen(), Acad::eOk);
    EXPECT_FALSE(r->isWriteEnabled());
    EXPECT_TRUE(r->isReadEnabled());
    r->close();
    EXPECT_EQ(r->close(), Acad::eNotOpenForRead) << "closing more often than opening is reported";
    EXPECT_EQ(db.numOpenObjects(), 0);
}

TEST(DbTables, EntityWalkAndHandleLookup) {
    AcDbDatabase db;
    acdbHostApplicationServices()->setWorkingDatabase(&db);
    AcDbObjectId a = appendLine(db, 0), b = appendLine(db, 1);
    ads_name first, next, byHandle;
    ads_name nil = {0, 0};
    ASSERT_EQ(acdbEntNext(nil, first), RTNORM);
    AcDbObjectId id;
    acdbGetObjectId(id, first);
    EXPECT_EQ(id, a);
    ASSERT_EQ(acdbEntNext(first, next), RTNORM);
    acdbGetObjectId(id, next);
    EXPECT_EQ(id, b);
    EXPECT_EQ(acdbEntNext(next, next), RTERROR);
    ASSERT_EQ(acdbHandEnt(b.handle().asString().c_str(), byHandle), RTNORM);
    EXPECT_TRUE(ads_name_equal(byHandle, next));
    EXPECT_EQ(acdbHandEnt("FFFFF", byHandle), RTERROR);
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
}

}  // namespace
