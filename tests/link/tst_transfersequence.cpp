// The upload of masses on the wire: chunks, acknowledgements, log lines, repeats and endings.

#include "link.h"
#include "transfersequence.h"

#include <QSignalSpy>
#include <QTest>

namespace
{

using Outcome = TransferSequence::Outcome;
using Block = TransferSequence::Block;

/// A sequence on an unopened link; the test plays scheduler and controller.
struct Wire {
    Link link;
    QStringList log;
    TransferSequence seq{link,
                         [](int row) -> std::optional<ProgParam> {
                             ProgParam p;
                             p.ProgNumber = quint8(row + 1);
                             return p;
                         },
                         [] { return quint8(1); }};
    QSignalSpy released{&seq, &TransferSequence::blockReleased};
    QSignalSpy finished{&seq, &TransferSequence::finished};

    Wire(int massBytes, int layerBytes, int records)
    {
        QObject::connect(&seq, &TransferSequence::logLine, [this](const QString &t) { log << t; });
        TransferBlocks b;
        for (int i = 0; i < massBytes; ++i)
            b.massNames += char(i);
        b.layerNames = QByteArray(layerBytes, 'x');
        b.massNamesAddress = 5800;
        b.layerNamesAddress = 5991;
        b.recordCount = records;
        seq.start(b);
    }
    /// Sends the next pending request: its type (0 when none) and payload.
    std::pair<int, QByteArray> send()
    {
        const std::optional<Request> r = TakeNextRequest(link.requests(), link.image());
        if (!r)
            return {0, {}};
        quint8 buf[FrameMaxPayload];
        const int n = seq.BuildPayload(*r, buf);
        return {r->type, QByteArray(reinterpret_cast<const char *>(buf), n)};
    }
    void reply(int type, bool accepted = true)
    {
        DecodeResult r;
        r.type = quint8(type);
        r.applied = true;
        r.accepted = accepted;
        seq.replyDecoded(r);
    }
    /// Accepts requests until one of `type` is next; false when the upload ended before.
    bool acceptUntil(int type)
    {
        const auto next = [this] {
            const auto kind = link.requests().Pending.first();
            return kind ? int(RequestType(*kind)) : 0;
        };
        while (seq.running() && next() != type)
            reply(send().first);
        return seq.running();
    }
};

} // namespace

class TestTransferSequence : public QObject
{
    Q_OBJECT
private slots:
    void chunks_data();
    void chunks();
    void oneRecordLogsEveryLine();
    void refusedRecordIsRepeated_data();
    void refusedRecordIsRepeated();
    void everyEndingReleasesEachBlockOnce_data();
    void everyEndingReleasesEachBlockOnce();
};

void TestTransferSequence::chunks_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QList<int>>("sizes");
    QTest::newRow("45 bytes") << 45 << QList<int>{20, 20, 5};
    QTest::newRow("exact multiple") << 40 << QList<int>{20, 20};
    QTest::newRow("empty block") << 0 << QList<int>{0};
}

void TestTransferSequence::chunks()
{
    QFETCH(int, length);
    QFETCH(QList<int>, sizes);
    Wire w(length, 3, 1);
    int offset = 0;
    for (int size : sizes) {
        const auto [type, payload] = w.send();
        QCOMPARE(type, 9);
        QCOMPARE(payload.size(), size + 2);
        QCOMPARE(quint8(payload[0]) | quint8(payload[1]) << 8, 5800 + offset);
        for (int i = 0; i < size; ++i)
            QCOMPARE(payload[2 + i], char(offset + i));
        offset += size;
        QCOMPARE(w.seq.bytesAcknowledged(), offset - size);
        w.reply(9);
    }
    QCOMPARE(w.send().first, 8);
    QCOMPARE(w.seq.bytesAcknowledged(), length);
}

void TestTransferSequence::oneRecordLogsEveryLine()
{
    Wire w(19, 20, 1);
    QSignalSpy progress(&w.seq, &TransferSequence::progressChanged);
    QList<int> types;
    while (w.seq.running()) {
        types << w.send().first;
        w.reply(types.last());
    }
    QCOMPARE(types, (QList<int>{9, 8, 6}));
    QCOMPARE(w.log,
             (QStringList{" Masses are successfully transmitted.", " Start Layers tranferring...",
                          " Layers are successfully transmitted.", " Start program tranferring #1",
                          " Program #1 successfully transmitted.",
                          " All the programs are successfully transmitted."}));
    QCOMPARE(progress.last(), (QVariantList{19 + 20 + 42, 19 + 20 + 42}));
    QCOMPARE(w.finished.size(), 1);
    QCOMPARE(w.finished[0][0].value<Outcome>(), Outcome::Completed);
}

void TestTransferSequence::refusedRecordIsRepeated_data()
{
    QTest::addColumn<int>("refusals");
    QTest::newRow("nine refusals, then accepted") << 9;
    QTest::newRow("ten refusals end it") << 10;
}

void TestTransferSequence::refusedRecordIsRepeated()
{
    QFETCH(int, refusals);
    Wire w(1, 1, 5);
    for (int i = 0; i < 2; ++i) {
        QVERIFY(w.acceptUntil(6));
        w.reply(w.send().first);
    }
    for (int i = 0; i < refusals; ++i) {
        const auto [type, payload] = w.send();
        QCOMPARE(type, 6);
        QCOMPARE(quint8(payload[41]), 3); // record 3, each time
        w.reply(6, false);
    }
    QCOMPARE(w.log.count(" Error. Retransfering program #3"), 9);
    QCOMPARE(w.seq.running(), refusals < 10);
    if (refusals < 10) {
        w.reply(w.send().first);
        QCOMPARE(w.log.last(), " Program #3 successfully transmitted.");
    } else {
        QCOMPARE(w.log.last(), " Error: the CC did not store program #3; the transfer is stopped.");
        QCOMPARE(w.finished[0][0].value<Outcome>(), Outcome::RecordRefused);
    }
}

void TestTransferSequence::everyEndingReleasesEachBlockOnce_data()
{
    QTest::addColumn<int>("phase"); ///< the request the ending comes at
    QTest::addColumn<QString>("ending");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("records");
    QTest::newRow("time-out, mass names") << 9 << "timeout" << int(Outcome::TimedOut) << 2;
    QTest::newRow("time-out, layer names") << 8 << "timeout" << int(Outcome::TimedOut) << 2;
    QTest::newRow("time-out, records") << 6 << "timeout" << int(Outcome::TimedOut) << 2;
    QTest::newRow("mass names refused") << 9 << "refuse" << int(Outcome::MassNamesRefused) << 2;
    QTest::newRow("other reply to a chunk") << 9 << "status" << int(Outcome::MassNamesRefused) << 2;
    QTest::newRow("layer names refused") << 8 << "refuse" << int(Outcome::LayerNamesRefused) << 2;
    QTest::newRow("completed") << 6 << "accept" << int(Outcome::Completed) << 2;
    QTest::newRow("masses without layers") << 8 << "accept" << int(Outcome::Completed) << 0;
}

void TestTransferSequence::everyEndingReleasesEachBlockOnce()
{
    QFETCH(int, phase);
    QFETCH(QString, ending);
    QFETCH(int, outcome);
    QFETCH(int, records);
    Wire w(45, 45, records);
    QVERIFY(w.acceptUntil(phase));
    if (ending == "timeout") {
        w.send();
        w.link.requests().ReplyAwaited = true;
        QVERIFY(WatchdogTick(w.link.requests(), false).transferCancelled);
        w.seq.cancel();
    } else {
        while (w.seq.running()) {
            const int type = w.send().first;
            w.reply(ending == "status" ? 3 : type, ending == "accept");
        }
    }
    QVERIFY(!w.seq.running());
    QCOMPARE(w.finished.size(), 1);
    QCOMPARE(w.finished[0][0].value<Outcome>(), Outcome(outcome));
    QCOMPARE(w.released.size(), 2);
    QVERIFY(w.released[0][0].value<Block>() != w.released[1][0].value<Block>());
    QVERIFY(!w.seq.holds(Block::MassNames) && !w.seq.holds(Block::LayerNames));
    // Nothing more goes out, and a late reply changes nothing.
    QCOMPARE(w.send().first, 0);
    w.reply(phase);
    QCOMPARE(w.finished.size(), 1);
    if (records == 0) {
        QCOMPARE(w.log.last(), " All the programs are successfully transmitted.");
        QVERIFY(!w.log.contains(" Start program tranferring #1"));
    }
}

QTEST_GUILESS_MAIN(TestTransferSequence)
#include "tst_transfersequence.moc"
