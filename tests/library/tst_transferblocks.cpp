// The blocks an upload of masses writes into the controller, and the program numbers it gives.

#include "transferblocks.h"

#include <QTest>

namespace
{

/// Masses "M0", "M1", ... with the given numbers of layers "L<p>.<k>".
MassLibrary library(const QList<int> &layers)
{
    MassLibrary lib;
    for (int p = 0; p < layers.size(); ++p) {
        lib.addMass(QStringLiteral("M%1").arg(p));
        for (int k = 0; k < layers[p]; ++k)
            lib.insertLayer(p, QStringLiteral("L%1.%2").arg(p).arg(k), ProgParam{});
    }
    return lib;
}

QByteArray slot(const QString &name)
{
    return name.toLatin1() + QByteArray(19 - name.size(), '\0');
}

} // namespace

class TestTransferBlocks : public QObject
{
    Q_OBJECT
private slots:
    void blocks_data();
    void blocks();
    void nothingGoes_data();
    void nothingGoes();
    void namesThatDoNotFitRefuseIt();
};

void TestTransferBlocks::blocks_data()
{
    QTest::addColumn<QList<int>>("layers");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("massAddress");
    QTest::addColumn<int>("massLength");
    QTest::addColumn<int>("layerAddress");
    QTest::addColumn<QList<int>>("endMarks"); ///< in the layer block; its last is its end
    QTest::addColumn<QList<int>>("numbers");
    QList<int> from23 = {1, 2};
    for (int n = 23; n <= 33; ++n)
        from23 << n;
    QTest::newRow("start 1, layers 2, 0, 11")
        << QList<int>{2, 0, 11} << 1 << 5800 << 57 << 5991 << QList<int>{38, 210, 629} << from23;
    QTest::newRow("start 9, five masses")
        << QList<int>{1, 2, 3, 1, 1} << 9 << 5800 + 19 * 8 << 38 << 5991 + 210 * 8
        << QList<int>{19, 248} << QList<int>{89, 100, 101};
    QList<int> twelve(12, 1);
    QList<int> tenMarks, tenNumbers;
    for (int p = 0; p < 10; ++p) {
        tenMarks << 210 * p + 19;
        tenNumbers << 11 * p + 1;
    }
    QTest::newRow("twelve masses") << twelve << 1 << 5800 << 191 << 5991 << tenMarks << tenNumbers;
}

void TestTransferBlocks::blocks()
{
    QFETCH(QList<int>, layers);
    QFETCH(int, start);
    QFETCH(int, massAddress);
    QFETCH(int, massLength);
    QFETCH(int, layerAddress);
    QFETCH(QList<int>, endMarks);
    QFETCH(QList<int>, numbers);
    MassLibrary lib = library(layers);
    const std::optional<TransferBlocks> b = BuildTransferBlocks(lib, start);
    QVERIFY(b);
    QCOMPARE(b->massNamesAddress, massAddress);
    QCOMPARE(b->layerNamesAddress, layerAddress);
    QCOMPARE(b->massNames.size(), massLength);
    QCOMPARE(b->layerNames.size(), endMarks.last() + 1);
    QCOMPARE(b->recordCount, numbers.size());
    QByteArray expectedMasses;
    qsizetype nameBytes = 0;
    for (int p = 0; p < b->massCount; ++p) {
        expectedMasses += slot(lib.massName(p));
        for (int k = 0; k < layers[p]; ++k) {
            const QString name = QStringLiteral("L%1.%2").arg(p).arg(k);
            QCOMPARE(b->layerNames.mid(210 * p + 19 * k, 19), slot(name));
            nameBytes += name.size();
        }
    }
    if (b->massCount == 10)
        expectedMasses += '\1';
    QCOMPARE(b->massNames, expectedMasses);
    for (int at : endMarks)
        QCOMPARE(b->layerNames.at(at), '\1');
    // Zeros everywhere else in the layer block.
    QCOMPARE(b->layerNames.size() - b->layerNames.count('\0'), nameBytes + endMarks.size());
    for (int r = 0; r < lib.layerTotal(); ++r)
        QCOMPARE(lib.record(r)->ProgNumber, r < numbers.size() ? numbers[r] : 0);
}

void TestTransferBlocks::nothingGoes_data()
{
    QTest::addColumn<int>("masses");
    QTest::addColumn<int>("start");
    QTest::newRow("start 0") << 3 << 0;
    QTest::newRow("start 11") << 3 << 11;
    QTest::newRow("no mass") << 0 << 1;
}

void TestTransferBlocks::nothingGoes()
{
    QFETCH(int, masses);
    QFETCH(int, start);
    MassLibrary lib = library(QList<int>(masses, 1));
    QVERIFY(TransferMassCount(lib, start) <= 0);
    QVERIFY(!BuildTransferBlocks(lib, start));
    for (int r = 0; r < lib.layerTotal(); ++r)
        QCOMPARE(lib.record(r)->ProgNumber, 0);
}

void TestTransferBlocks::namesThatDoNotFitRefuseIt()
{
    MassLibrary lib = library({1, 12, 1});
    const QString longName = QStringLiteral("Nineteen characters");
    lib.renameMass(0, longName);
    lib.renameLayer(lib.layerRow(2, 0), longName + QStringLiteral("!"));
    const QList<TransferProblem> problems = CheckTransfer(lib, 3);
    QCOMPARE(problems.size(), 3);
    QCOMPARE(
        TransferProblemText(problems[0], 1),
        QStringLiteral("Mass \"Nineteen characters\": the name is longer than 18 characters."));
    QCOMPARE(TransferProblemText(problems[1], 1),
             QStringLiteral("Mass \"M1\": 12 layers, the CC holds at most 11."));
    QCOMPARE(TransferProblemText(problems[2], 1),
             QStringLiteral("Layer \"Nineteen characters!\" of mass \"M2\": the name is longer "
                            "than 18 characters."));
    QVERIFY(!BuildTransferBlocks(lib, 1));
    // From slot 10 only the first mass goes, and only its name is in the way.
    QCOMPARE(CheckTransfer(lib, TransferMassCount(lib, 10)).size(), 1);
    for (int r = 0; r < lib.layerTotal(); ++r)
        QCOMPARE(lib.record(r)->ProgNumber, 0);
}

QTEST_APPLESS_MAIN(TestTransferBlocks)
#include "tst_transferblocks.moc"
