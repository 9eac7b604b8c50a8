// SPDX-License-Identifier: GPL-3.0-or-later
// The blocks an upload of masses writes into the controller, and the program numbers it gives.

#include "library/transferblocks.h"

#include <QTest>

namespace
{

QString layerName(int p, int k)
{
    return QStringLiteral("L%1.%2").arg(p).arg(k);
}

/// Masses "M0", "M1", ... with the given numbers of layers.
MassLibrary library(const QList<int> &layers)
{
    MassLibrary lib;
    for (int p = 0; p < layers.size(); ++p) {
        lib.addMass(QStringLiteral("M%1").arg(p));
        for (int k = 0; k < layers[p]; ++k)
            lib.insertLayer(p, layerName(p, k), ProgParam{});
    }
    return lib;
}

QByteArray slot(const QString &name)
{
    return name.toLatin1().leftJustified(19, '\0');
}

} // namespace

class TestTransferBlocks : public QObject
{
    Q_OBJECT
private slots:
    void blocks_data();
    void blocks();
    void whatDoesNotFitRefusesIt();
};

void TestTransferBlocks::blocks_data()
{
    QTest::addColumn<QList<int>>("layers");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("massAddress");
    QTest::addColumn<int>("massLength");
    QTest::addColumn<QList<int>>("endMarks"); ///< in the layer block, the last one ends it
    QTest::addColumn<QList<int>>("numbers");
    QList<int> numbers = {1, 2};
    for (int n = 23; n <= 33; ++n)
        numbers << n;
    QTest::newRow("start 1, layers 2, 0, 11")
        << QList<int>{2, 0, 11} << 1 << 5800 << 57 << QList<int>{38, 210, 629} << numbers;
    QTest::newRow("start 9, five masses") << QList<int>{1, 2, 3, 1, 1} << 9 << 5800 + 19 * 8 << 38
                                          << QList<int>{19, 248} << QList<int>{89, 100, 101};
    QList<int> marks;
    numbers.clear();
    for (int p = 0; p < 10; ++p) {
        marks << 210 * p + 19;
        numbers << 11 * p + 1;
    }
    QTest::newRow("twelve masses") << QList<int>(12, 1) << 1 << 5800 << 191 << marks << numbers;
}

void TestTransferBlocks::blocks()
{
    QFETCH(QList<int>, layers);
    QFETCH(int, start);
    QFETCH(int, massAddress);
    QFETCH(int, massLength);
    QFETCH(QList<int>, endMarks);
    QFETCH(QList<int>, numbers);
    MassLibrary lib = library(layers);
    const std::optional<TransferBlocks> b = BuildTransferBlocks(lib, start);
    QVERIFY(b);
    QCOMPARE(b->massNamesAddress, massAddress);
    QCOMPARE(b->layerNamesAddress, 5991 + 210 * (start - 1));
    QCOMPARE(b->layerNames.size(), endMarks.last() + 1);
    QCOMPARE(b->recordCount, numbers.size());
    QByteArray masses;
    qsizetype nameBytes = 0;
    for (int p = 0; p < b->massCount; ++p) {
        masses += slot(lib.massName(p));
        for (int k = 0; k < layers[p]; ++k) {
            QCOMPARE(b->layerNames.mid(210 * p + 19 * k, 19), slot(layerName(p, k)));
            nameBytes += layerName(p, k).size();
        }
    }
    QCOMPARE(b->massNames, b->massCount == 10 ? masses + '\1' : masses);
    QCOMPARE(b->massNames.size(), massLength);
    for (int at : endMarks)
        QCOMPARE(b->layerNames.at(at), '\1');
    // Zeros everywhere else in the layer block.
    QCOMPARE(b->layerNames.size() - b->layerNames.count('\0'), nameBytes + endMarks.size());
    for (int r = 0; r < lib.layerTotal(); ++r)
        QCOMPARE(lib.record(r)->ProgNumber, r < numbers.size() ? numbers[r] : 0);
}

void TestTransferBlocks::whatDoesNotFitRefusesIt()
{
    MassLibrary lib = library({1, 12, 1});
    lib.renameMass(0, QStringLiteral("Nineteen characters"));
    lib.renameLayer(lib.layerRow(2, 0), QStringLiteral("Layer of 19 letters"));
    QStringList texts;
    for (const TransferProblem &problem : CheckTransfer(lib, 3))
        texts << TransferProblemText(problem, 1);
    QCOMPARE(texts, (QStringList{
                        "Mass \"Nineteen characters\": the name is longer than 18 characters.",
                        "Mass \"M1\": 12 layers, the CC holds at most 11.",
                        "Layer \"Layer of 19 letters\" of mass \"M2\": the name is longer than 18 "
                        "characters."}));
    QVERIFY(!BuildTransferBlocks(lib, 1));
    QCOMPARE(lib.record(0)->ProgNumber, 0);
    // From slot 10 only the first mass would go, and only its name is in the way.
    QCOMPARE(CheckTransfer(lib, TransferMassCount(lib, 10)).size(), 1);
}

QTEST_APPLESS_MAIN(TestTransferBlocks)
#include "tst_transferblocks.moc"
