// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/libraryselection.h"
#include "library/lstorage.h"
#include "library/masslibrary.h"

#include <QRandomGenerator>
#include <QTest>

namespace
{

/// A record whose fields tell records apart.
ProgParam taggedRecord(int tag)
{
    ProgParam p;
    for (int k = 0; k < ProgParam::FieldCount; ++k)
        p.setField(k, quint16(tag * 100 + k));
    p.VacOffByTime = quint8(tag & 1);
    p.ProgNumber = quint8(tag);
    return p;
}

/// Builds masses with the given layer counts; layer names "m.k", records tagged 10*m+k.
MassLibrary buildLibrary(const QList<int> &layerCounts)
{
    MassLibrary lib;
    for (int m = 0; m < layerCounts.size(); ++m) {
        lib.addMass(QStringLiteral("M%1").arg(m));
        for (int k = 0; k < layerCounts[m]; ++k)
            lib.insertLayer(m, QStringLiteral("%1.%2").arg(m).arg(k), taggedRecord(10 * m + k));
    }
    return lib;
}

/// Every row as "mass:name", in row order.
QStringList rowsOf(const MassLibrary &lib)
{
    QStringList rows;
    for (int r = 0; r < lib.layerTotal(); ++r) {
        const LayerRow &row = lib.storage().Row(r);
        rows << QStringLiteral("%1:%2").arg(row.mass).arg(row.name);
    }
    return rows;
}

/// Simple reference: a list of masses each holding its layers.
struct ModelLayer {
    QString name;
    ProgParam record;
};
struct ModelMass {
    QString name;
    QList<ModelLayer> layers;
};

} // namespace

class TestMassLibrary : public QObject
{
    Q_OBJECT

private slots:
    void getStrErrors_data();
    void getStrErrors();
    void getStrReadsNames();
    void setStrGrowsByOneRowOnly();
    void findFirstRowOfMass();
    void recordsKeepTheirAddressWhenRowsMove();

    void newLayerIsZero();
    void addLayerToMiddleMass();
    void twelfthLayerRefused();
    void deleteMassRenumbersLaterMasses();
    void deleteLayerKeepsMassIndexes();
    void moveMassUpBlocks();
    void moveMass_data();
    void moveMass();
    void moveLayerAtEdgesDoesNothing();
    void badIndexesAreRefused();

    void pasteCopiesAllBytesAsTheyAreNow();
    void copySourceGoneAfterDelete();
    void copySourceGoneAfterOpen();
    void pasteWithoutTarget();
    void selectionFollowsMovedLayer();
    void selectionFollowsMovedMass();
    void deleteSelectedLayerClearsLayerSelection();

    void randomEditsMatchReferenceModel_data();
    void randomEditsMatchReferenceModel();
};

void TestMassLibrary::getStrErrors_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("expected");

    // Two rows exist. Column is checked before type, type before row.
    QTest::newRow("column too large") << 3 << 0 << "LStorage::GetStr(x, y)\nx >= FlsCnt\n3 >= 3";
    QTest::newRow("column before row") << 7 << 99 << "LStorage::GetStr(x, y)\nx >= FlsCnt\n7 >= 3";
    QTest::newRow("mass column") << 0 << 0 << "LStorage::GetStr(x, y)\nFlsType[0] != tStr";
    QTest::newRow("record column, row too")
        << 2 << 99 << "LStorage::GetStr(x, y)\nFlsType[2] != tStr";
    QTest::newRow("row at count") << 1 << 2
                                  << "LStorage::GetStr(x, y)\ny >= Count\ny = 2\nCount = 2";
    QTest::newRow("row far") << 1 << 40 << "LStorage::GetStr(x, y)\ny >= Count\ny = 40\nCount = 2";
}

void TestMassLibrary::getStrErrors()
{
    QFETCH(int, col);
    QFETCH(int, row);
    QFETCH(QString, expected);

    LStorage table;
    table.AppendRow({0, QStringLiteral("a"), nullptr});
    table.AppendRow({0, QStringLiteral("b"), nullptr});
    try {
        table.GetStr(col, row);
        QFAIL("no exception");
    } catch (const std::exception &e) {
        QCOMPARE(QString::fromUtf8(e.what()), expected);
    }
}

void TestMassLibrary::getStrReadsNames()
{
    LStorage table;
    table.AppendRow({0, QStringLiteral("Дентин"), nullptr});
    QCOMPARE(table.GetStr(1, 0), QStringLiteral("Дентин"));
    // Negative indexes are refused too rather than read outside the table.
    QVERIFY_THROWS_EXCEPTION(LStorageError, table.GetStr(-1, 0));
    QVERIFY_THROWS_EXCEPTION(LStorageError, table.GetStr(1, -1));
}

void TestMassLibrary::setStrGrowsByOneRowOnly()
{
    LStorage table;
    table.SetStr(1, 0, QStringLiteral("x"));
    QCOMPARE(table.Count(), 1);
    QVERIFY(table.Row(0).record);
    QCOMPARE(*table.Row(0).record, ProgParam{});
    table.SetStr(1, 0, QStringLiteral("y"));
    QCOMPARE(table.Count(), 1);
    QCOMPARE(table.GetStr(1, 0), QStringLiteral("y"));
    QVERIFY_THROWS_EXCEPTION(LStorageError, table.SetStr(1, 5, QStringLiteral("z")));
    QVERIFY_THROWS_EXCEPTION(LStorageError, table.SetStr(0, 0, QStringLiteral("z")));
    QCOMPARE(table.Count(), 1);
}

void TestMassLibrary::findFirstRowOfMass()
{
    const MassLibrary lib = buildLibrary({2, 0, 3});
    QCOMPARE(lib.storage().Find(0, 0), 0);
    QCOMPARE(lib.storage().Find(0, 1), -1);
    QCOMPARE(lib.storage().Find(0, 2), 2);
    QCOMPARE(lib.storage().Find(3, 2), 3);
    QCOMPARE(lib.storage().Find(5, 2), -1);
    QVERIFY(lib.layerRows(1).empty());
    QCOMPARE(lib.layerNames(2), QStringList({"2.0", "2.1", "2.2"}));
}

void TestMassLibrary::recordsKeepTheirAddressWhenRowsMove()
{
    MassLibrary lib = buildLibrary({1, 1});
    const ProgParam *second = lib.record(1).get();
    lib.insertLayer(0, QStringLiteral("new"), ProgParam{});
    QCOMPARE(lib.record(2).get(), second);
    lib.moveMassUp(1);
    QCOMPARE(lib.record(0).get(), second);
}

void TestMassLibrary::newLayerIsZero()
{
    MassLibrary lib;
    lib.addMass(QStringLiteral("A"));
    const int row = lib.addLayer(0, QStringLiteral("x"));
    QCOMPARE(row, 0);
    const ProgParam::Payload zero{};
    QCOMPARE(lib.record(row)->toPayload(), zero);
}

void TestMassLibrary::addLayerToMiddleMass()
{
    MassLibrary lib = buildLibrary({2, 2, 2});
    const int row = lib.addLayer(1, QStringLiteral("new"));
    QCOMPARE(row, 4);
    QCOMPARE(rowsOf(lib),
             QStringList({"0:0.0", "0:0.1", "1:1.0", "1:1.1", "1:new", "2:2.0", "2:2.1"}));
    QCOMPARE(*lib.record(5), taggedRecord(20));
}

void TestMassLibrary::twelfthLayerRefused()
{
    MassLibrary lib = buildLibrary({10, 1});
    QVERIFY(lib.addLayer(0, QStringLiteral("eleventh")) >= 0);
    QCOMPARE(lib.layerCount(0), MassLibrary::MaxLayers);
    QCOMPARE(lib.addLayer(0, QStringLiteral("twelfth")), -1);
    QCOMPARE(lib.layerCount(0), 11);
    QCOMPARE(lib.layerTotal(), 12);
}

void TestMassLibrary::deleteMassRenumbersLaterMasses()
{
    MassLibrary lib = buildLibrary({1, 2, 2});
    std::weak_ptr<ProgParam> deleted = lib.record(1);
    QVERIFY(lib.deleteMass(1));
    QCOMPARE(lib.massNames(), QStringList({"M0", "M2"}));
    QCOMPARE(rowsOf(lib), QStringList({"0:0.0", "1:2.0", "1:2.1"}));
    QVERIFY(deleted.expired());
}

void TestMassLibrary::deleteLayerKeepsMassIndexes()
{
    MassLibrary lib = buildLibrary({2, 2});
    QVERIFY(lib.deleteLayer(0));
    QCOMPARE(rowsOf(lib), QStringList({"0:0.1", "1:1.0", "1:1.1"}));
    QCOMPARE(*lib.record(1), taggedRecord(10));
}

void TestMassLibrary::moveMassUpBlocks()
{
    // Mass 1 with two layers moves up over mass 0 with three.
    MassLibrary lib = buildLibrary({3, 2});
    QVERIFY(lib.moveMassUp(1));
    QCOMPARE(lib.massNames(), QStringList({"M1", "M0"}));
    QCOMPARE(rowsOf(lib), QStringList({"0:1.0", "0:1.1", "1:0.0", "1:0.1", "1:0.2"}));
    QCOMPARE(*lib.record(0), taggedRecord(10));
    QCOMPARE(*lib.record(4), taggedRecord(2));
}

void TestMassLibrary::moveMass_data()
{
    QTest::addColumn<QList<int>>("layers");
    QTest::addColumn<int>("mass");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("rows");

    // Three masses; the moved pair has rows on both sides, only one side or neither.
    QTest::newRow("up, both have rows")
        << QList<int>{1, 2, 1} << 1 << true << QStringList{"M1", "M0", "M2"}
        << QStringList{"0:1.0", "0:1.1", "1:0.0", "2:2.0"};
    QTest::newRow("up, only upper has rows")
        << QList<int>{2, 0, 1} << 1 << true << QStringList{"M1", "M0", "M2"}
        << QStringList{"1:0.0", "1:0.1", "2:2.0"};
    QTest::newRow("up, only lower has rows")
        << QList<int>{0, 2, 1} << 1 << true << QStringList{"M1", "M0", "M2"}
        << QStringList{"0:1.0", "0:1.1", "2:2.0"};
    QTest::newRow("up, neither has rows") << QList<int>{1, 0, 0} << 2 << true
                                          << QStringList{"M0", "M2", "M1"} << QStringList{"0:0.0"};
    QTest::newRow("down, both have rows")
        << QList<int>{1, 1, 2} << 1 << false << QStringList{"M0", "M2", "M1"}
        << QStringList{"0:0.0", "1:2.0", "1:2.1", "2:1.0"};
    QTest::newRow("down, only upper has rows")
        << QList<int>{0, 2, 0} << 1 << false << QStringList{"M0", "M2", "M1"}
        << QStringList{"2:1.0", "2:1.1"};
    QTest::newRow("down, only lower has rows")
        << QList<int>{1, 0, 2} << 1 << false << QStringList{"M0", "M2", "M1"}
        << QStringList{"0:0.0", "1:2.0", "1:2.1"};
    QTest::newRow("down, neither has rows")
        << QList<int>{0, 0, 3} << 0 << false << QStringList{"M1", "M0", "M2"}
        << QStringList{"2:2.0", "2:2.1", "2:2.2"};
}

void TestMassLibrary::moveMass()
{
    QFETCH(QList<int>, layers);
    QFETCH(int, mass);
    QFETCH(bool, up);
    QFETCH(QStringList, names);
    QFETCH(QStringList, rows);

    MassLibrary lib = buildLibrary(layers);
    QVERIFY(up ? lib.moveMassUp(mass) : lib.moveMassDown(mass));
    QCOMPARE(lib.massNames(), names);
    QCOMPARE(rowsOf(lib), rows);
}

void TestMassLibrary::moveLayerAtEdgesDoesNothing()
{
    MassLibrary lib = buildLibrary({2, 2});
    const QStringList before = rowsOf(lib);
    QVERIFY(!lib.moveLayerUp(1, 0));
    QVERIFY(!lib.moveLayerDown(0, 1));
    QVERIFY(!lib.moveMassUp(0));
    QVERIFY(!lib.moveMassDown(1));
    QCOMPARE(rowsOf(lib), before);
    QVERIFY(lib.moveLayerDown(1, 0));
    QCOMPARE(rowsOf(lib), QStringList({"0:0.0", "0:0.1", "1:1.1", "1:1.0"}));
}

void TestMassLibrary::badIndexesAreRefused()
{
    MassLibrary lib = buildLibrary({1});
    QVERIFY(!lib.deleteMass(-1));
    QVERIFY(!lib.deleteMass(1));
    QVERIFY(!lib.deleteLayer(1));
    QVERIFY(!lib.renameLayer(-1, QStringLiteral("x")));
    QCOMPARE(lib.addLayer(3, QStringLiteral("x")), -1);
    QVERIFY(!lib.moveLayerUp(0, 5));
    QVERIFY(!lib.pasteRecord(ProgParam{}, 9));
    QVERIFY(!lib.record(9));
    QCOMPARE(rowsOf(lib), QStringList({"0:0.0"}));
}

void TestMassLibrary::pasteCopiesAllBytesAsTheyAreNow()
{
    MassLibrary lib = buildLibrary({2});
    LibrarySelection sel;
    SelectMass(lib, sel, 0);
    QVERIFY(SelectLayer(lib, sel, 0));
    QVERIFY(CopyLayer(sel));
    // An edit of the source after Copy is part of what is pasted.
    lib.record(0)->VacOff = 4321;
    lib.record(0)->VacOffByTime = 1;
    lib.record(0)->ProgNumber = 77;
    QVERIFY(SelectLayer(lib, sel, 1));
    QCOMPARE(PasteLayer(lib, sel), PasteOutcome::Pasted);
    QCOMPARE(lib.record(1)->toPayload(), lib.record(0)->toPayload());
    QCOMPARE(lib.record(1)->ProgNumber, quint8(77));
    QVERIFY(lib.record(1) != lib.record(0));
}

void TestMassLibrary::copySourceGoneAfterDelete()
{
    MassLibrary lib = buildLibrary({3});
    LibrarySelection sel;
    SelectMass(lib, sel, 0);
    SelectLayer(lib, sel, 1);
    CopyLayer(sel);
    // The selection still holds the record while the layer is deleted.
    QVERIFY(lib.deleteLayer(1));
    QVERIFY(!CopiedRecord(lib, sel));
    SelectLayer(lib, sel, 0);
    QVERIFY(!CopiedRecord(lib, sel));
    QCOMPARE(PasteLayer(lib, sel), PasteOutcome::BufferEmpty);
    QCOMPARE(*lib.record(0), taggedRecord(0));
}

void TestMassLibrary::copySourceGoneAfterOpen()
{
    MassLibrary lib = buildLibrary({1});
    LibrarySelection sel;
    SelectMass(lib, sel, 0);
    SelectLayer(lib, sel, 0);
    CopyLayer(sel);
    sel.ParamsChanged = true;
    lib.clear();
    lib = buildLibrary({1});
    ResetAfterOpen(sel);
    QVERIFY(!sel.ParamsChanged);
    QCOMPARE(sel.CurrentMass, -1);
    SelectMass(lib, sel, 0);
    SelectLayer(lib, sel, 0);
    QCOMPARE(PasteLayer(lib, sel), PasteOutcome::BufferEmpty);
}

void TestMassLibrary::pasteWithoutTarget()
{
    MassLibrary lib = buildLibrary({1});
    LibrarySelection sel;
    QVERIFY(!CopyLayer(sel));
    SelectMass(lib, sel, 0);
    SelectLayer(lib, sel, 0);
    CopyLayer(sel);
    SelectMass(lib, sel, 0);
    QCOMPARE(PasteLayer(lib, sel), PasteOutcome::NoLayerSelected);
}

void TestMassLibrary::selectionFollowsMovedLayer()
{
    MassLibrary lib = buildLibrary({1, 3});
    LibrarySelection sel;
    SelectMass(lib, sel, 1);
    SelectLayer(lib, sel, 2);
    const ProgParam *moved = sel.CurrentParams.get();
    MoveOutcome out = MoveUp(lib, sel);
    QVERIFY(out.moved && out.layerMoved);
    QCOMPARE(sel.CurrentLayer, 1);
    QCOMPARE(sel.CurrentRow, 2);
    QCOMPARE(sel.CurrentParams.get(), moved);
    out = MoveDown(lib, sel);
    QVERIFY(out.moved);
    QCOMPARE(sel.CurrentLayer, 2);
    QCOMPARE(sel.CurrentRow, 3);
    QVERIFY(!MoveDown(lib, sel).moved);
    QCOMPARE(sel.CurrentParams.get(), moved);
}

void TestMassLibrary::selectionFollowsMovedMass()
{
    MassLibrary lib = buildLibrary({1, 2, 0});
    LibrarySelection sel;
    const QList<LayerItem> items = SelectMass(lib, sel, 1);
    QCOMPARE(items, QList<LayerItem>({{"1.0", 1}, {"1.1", 2}}));
    MoveOutcome out = MoveUp(lib, sel);
    QVERIFY(out.moved && !out.layerMoved);
    QCOMPARE(sel.CurrentMass, 0);
    QCOMPARE(lib.massName(sel.CurrentMass), QStringLiteral("M1"));
    QVERIFY(!MoveUp(lib, sel).moved);
    QVERIFY(MoveDown(lib, sel).moved);
    QVERIFY(MoveDown(lib, sel).moved);
    QCOMPARE(sel.CurrentMass, 2);
    QCOMPARE(lib.massNames(), QStringList({"M0", "M2", "M1"}));
    QCOMPARE(rowsOf(lib), QStringList({"0:0.0", "2:1.0", "2:1.1"}));
}

void TestMassLibrary::deleteSelectedLayerClearsLayerSelection()
{
    MassLibrary lib = buildLibrary({2, 1});
    LibrarySelection sel;
    SelectMass(lib, sel, 0);
    SelectLayer(lib, sel, 1);
    QVERIFY(DeleteSelectedLayer(lib, sel));
    QCOMPARE(sel.CurrentMass, 0);
    QVERIFY(!sel.hasLayer());
    QCOMPARE(rowsOf(lib), QStringList({"0:0.0", "1:1.0"}));
    QVERIFY(!DeleteSelectedLayer(lib, sel));
    QVERIFY(DeleteSelectedMass(lib, sel));
    QCOMPARE(sel.CurrentMass, -1);
    QCOMPARE(rowsOf(lib), QStringList({"0:1.0"}));
}

void TestMassLibrary::randomEditsMatchReferenceModel_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {1u, 7u, 42u, 2024u, 99991u})
        QTest::newRow(qPrintable(QString::number(seed))) << seed;
}

void TestMassLibrary::randomEditsMatchReferenceModel()
{
    QFETCH(quint32, seed);
    QRandomGenerator rng(seed);
    MassLibrary lib;
    QList<ModelMass> model;
    int nextTag = 1;

    const auto pick = [&rng](qsizetype n) { return n > 0 ? int(rng.bounded(int(n))) : -1; };

    for (int step = 0; step < 1500; ++step) {
        const int op = int(rng.bounded(11));
        const int m = pick(model.size());
        QString what;
        switch (op) {
        case 0: {
            const QString name = QStringLiteral("m%1").arg(nextTag++);
            QCOMPARE(lib.addMass(name), model.size());
            model.append({name, {}});
            what = "add mass";
            break;
        }
        case 1:
            if (m < 0 || rng.bounded(3) != 0) // keep the library from emptying too often
                continue;
            QVERIFY(lib.deleteMass(m));
            model.removeAt(m);
            what = "delete mass";
            break;
        case 2:
            if (m < 0)
                continue;
            {
                const QString name = QStringLiteral("r%1").arg(nextTag++);
                QVERIFY(lib.renameMass(m, name));
                model[m].name = name;
            }
            what = "rename mass";
            break;
        case 3:
        case 4: {
            if (m < 0)
                continue;
            const bool up = op == 3;
            const int other = up ? m - 1 : m + 1;
            const bool expected = other >= 0 && other < model.size();
            QCOMPARE(up ? lib.moveMassUp(m) : lib.moveMassDown(m), expected);
            if (expected)
                model.swapItemsAt(m, other);
            what = "move mass";
            break;
        }
        case 5:
        case 6: {
            if (m < 0)
                continue;
            const QString name = QStringLiteral("l%1").arg(nextTag++);
            const int row = lib.addLayer(m, name);
            if (model[m].layers.size() >= 11) {
                QCOMPARE(row, -1);
            } else {
                QVERIFY(row >= 0);
                model[m].layers.append({name, ProgParam{}});
            }
            what = "add layer";
            break;
        }
        default: {
            if (m < 0 || model[m].layers.isEmpty())
                continue;
            const int p = pick(model[m].layers.size());
            const int row = lib.layerRow(m, p);
            QVERIFY(row >= 0);
            if (op == 7) {
                QVERIFY(lib.deleteLayer(row));
                model[m].layers.removeAt(p);
                what = "delete layer";
            } else if (op == 8) {
                const QString name = QStringLiteral("n%1").arg(nextTag++);
                QVERIFY(lib.renameLayer(row, name));
                model[m].layers[p].name = name;
                what = "rename layer";
            } else if (op == 9) {
                const bool up = rng.bounded(2) == 0;
                const int other = up ? p - 1 : p + 1;
                const bool expected = other >= 0 && other < model[m].layers.size();
                QCOMPARE(up ? lib.moveLayerUp(m, p) : lib.moveLayerDown(m, p), expected);
                if (expected)
                    model[m].layers.swapItemsAt(p, other);
                what = "move layer";
            } else {
                // Edit the record, or paste another layer's record onto it.
                const int m2 = pick(model.size());
                if (!model[m2].layers.isEmpty() && rng.bounded(2) == 0) {
                    const int p2 = pick(model[m2].layers.size());
                    QVERIFY(lib.pasteRecord(*lib.record(lib.layerRow(m2, p2)), row));
                    model[m].layers[p].record = model[m2].layers[p2].record;
                    what = "paste";
                } else {
                    const ProgParam tagged = taggedRecord(nextTag++);
                    *lib.record(row) = tagged;
                    model[m].layers[p].record = tagged;
                    what = "edit record";
                }
            }
            break;
        }
        }

        // Compare: names, then rows grouped by mass in order, with names and records.
        const QByteArray context = QStringLiteral("step %1 (%2)").arg(step).arg(what).toUtf8();
        QVERIFY2(lib.massCount() == model.size(), context.constData());
        int r = 0;
        for (int i = 0; i < model.size(); ++i) {
            QVERIFY2(lib.massName(i) == model[i].name, context.constData());
            for (const ModelLayer &layer : model[i].layers) {
                QVERIFY2(r < lib.layerTotal(), context.constData());
                const LayerRow &row = lib.storage().Row(r);
                QVERIFY2(row.mass == i, context.constData());
                QVERIFY2(row.name == layer.name, context.constData());
                QVERIFY2(*row.record == layer.record, context.constData());
                ++r;
            }
        }
        QVERIFY2(r == lib.layerTotal(), context.constData());
    }
}

QTEST_APPLESS_MAIN(TestMassLibrary)
#include "tst_masslibrary.moc"
