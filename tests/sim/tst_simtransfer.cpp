// The simulated controller's side of an upload: refusals, silence and the memory dump.

#include "simwire.h"

#include <QTest>

Q_DECLARE_METATYPE(SimFaults)

namespace
{

QByteArray record(int number)
{
    QByteArray r(42, '\x07');
    r[41] = char(number);
    return r;
}

} // namespace

class TestSimTransfer : public QObject
{
    Q_OBJECT
private slots:
    void faults_data();
    void faults();
    void dumpShowsWhatArrived();
};

void TestSimTransfer::faults_data()
{
    // Requests: 'c' a name chunk, 'r' a record; answers: 'a' accepted, 'x' refused, '-' none.
    QTest::addColumn<SimFaults>("faults");
    QTest::addColumn<QString>("requests");
    QTest::addColumn<QString>("answers");
    SimFaults f;
    f.refuseChunk = 2;
    QTest::newRow("second chunk, once") << f << "cccc"
                                        << "axaa";
    f.refuseAlways = true;
    QTest::newRow("second chunk, always") << f << "cccr"
                                          << "axxa";
    f = {};
    f.refuseRecord = 2;
    QTest::newRow("second record, once") << f << "crrrr"
                                         << "aaxaa";
    f.refuseAlways = true;
    QTest::newRow("second record, always") << f << "crrrr"
                                           << "aaxxx";
    f = {};
    f.silentAfterTransfers = 3;
    QTest::newRow("silent after three") << f << "ccrrc"
                                        << "aaa--";
    f.silentAfterTransfers = 0;
    QTest::newRow("silent at once") << f << "c"
                                    << "-";
}

void TestSimTransfer::faults()
{
    QFETCH(SimFaults, faults);
    QFETCH(QString, requests);
    QFETCH(QString, answers);
    FurnaceController c;
    c.faults() = faults;
    QString got;
    for (int i = 0; i < requests.size(); ++i) {
        const WireReply reply =
            requests[i] == 'c' ? ask(c, 9, le16(5800 + i) + "n") : ask(c, 6, record(i + 1));
        got += !reply.received ? '-' : reply.byte(0) == 0x55 ? 'a' : 'x';
    }
    QCOMPARE(got, answers);
    // Once silent, the controller answers nothing at all.
    QCOMPARE(ask(c, 3).received, !answers.contains('-'));
}

void TestSimTransfer::dumpShowsWhatArrived()
{
    FurnaceController c;
    QByteArray masses = QByteArray("Opaque").leftJustified(19, '\0') +
                        QByteArray("\xc4\xe5\xed\xf2\xe8\xed").leftJustified(19, '\0');
    ask(c, 9, le16(5800 + 19 * 3) + masses);
    ask(c, 8,
        le16(5991 + 210 * 3) + QByteArray("Wash").leftJustified(19, '\0') +
            QByteArray("Body\0\1", 6));
    ask(c, 8, le16(5991 + 210 * 4) + QByteArray("\1"));
    ask(c, 6, record(35));
    QCOMPARE(ask(c, 6, record(111)).byte(0), 0); // past the last program
    QCOMPARE(c.memoryDump(), QStringLiteral("[mass names]\n4 = Opaque\n5 = Дентин\n"
                                            "[layer names]\n4.1 = Wash\n4.2 = Body\n"
                                            "[programs]\n35 = ") +
                                 QString(record(35).toHex(' ').toUpper()) + "\n");
}

QTEST_APPLESS_MAIN(TestSimTransfer)
#include "tst_simtransfer.moc"
