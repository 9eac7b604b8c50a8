// SPDX-License-Identifier: GPL-3.0-or-later
// The upload of masses on the wire: chunks, acknowledgements, log lines, repeats and endings.

#include "link/link.h"
#include "link/transfersequence.h"
#include "tests/support/fakeline.h"

#include <QSignalSpy>
#include <QTest>

namespace
{

using Outcome = TransferSequence::Outcome;
using Block = TransferSequence::Block;

/// A sequence on an unopened link; the test plays scheduler and controller. Record r carries
/// the program number r + 1.
struct Wire {
    Link link;
    QStringList log;
    TransferSequence seq{link,
                         [](int row) {
                             ProgParam p;
                             p.ProgNumber = quint8(row + 1);
                             return std::optional(p);
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
        b.recordCount = records;
        seq.start(b);
    }
    /// Sends the next pending request: its type (0 when none) and payload.
    std::pair<int, QByteArray> send()
    {
        const std::optional<Request> r = TakeNextRequest(link.requests(), link.image());
        quint8 buf[FrameMaxPayload];
        const int n = r ? seq.BuildPayload(*r, buf) : 0;
        return {r ? r->type : 0, QByteArray(reinterpret_cast<const char *>(buf), n)};
    }
    void reply(int type, bool accepted = true)
    {
        seq.replyDecoded({.type = quint8(type), .applied = true, .accepted = accepted});
    }
    /// Accepts requests until one of `type` is next.
    void acceptUntil(int type)
    {
        for (auto next = link.requests().Pending.first();
             seq.running() && next && RequestType(*next) != type;
             next = link.requests().Pending.first())
            reply(send().first);
    }
    Outcome outcome() const { return finished.value(0).value(0).value<Outcome>(); }
};

} // namespace

class TestTransferSequence : public QObject
{
    Q_OBJECT
private slots:
    void chunks_data();
    void chunks();
    void oneRecordLogsEveryLine();
    void everyEndingReleasesEachBlockOnce_data();
    void everyEndingReleasesEachBlockOnce();
    void linkSendsTheSequencesPayload();
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
        QByteArray expected = QByteArray(1, char((5800 + offset) & 0xFF)) + char(0x16);
        for (int i = 0; i < size; ++i)
            expected += char(offset + i);
        QCOMPARE(payload, expected);
        QCOMPARE(w.seq.bytesAcknowledged(), offset);
        offset += size;
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
    QCOMPARE(progress.last(), (QVariantList{81, 81}));
    QCOMPARE(w.outcome(), Outcome::Completed);
}

void TestTransferSequence::everyEndingReleasesEachBlockOnce_data()
{
    QTest::addColumn<int>("phase"); ///< the request the ending comes at
    QTest::addColumn<QString>("ending");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<int>("records");
    QTest::newRow("time-out, mass names") << 9 << "timeout" << Outcome::TimedOut << 2;
    QTest::newRow("time-out, layer names") << 8 << "timeout" << Outcome::TimedOut << 2;
    QTest::newRow("time-out, records") << 6 << "timeout" << Outcome::TimedOut << 2;
    QTest::newRow("mass names refused") << 9 << "refuse" << Outcome::MassNamesRefused << 2;
    QTest::newRow("other reply to a chunk") << 9 << "status" << Outcome::MassNamesRefused << 2;
    QTest::newRow("layer names refused") << 8 << "refuse" << Outcome::LayerNamesRefused << 2;
    QTest::newRow("completed") << 6 << "accept" << Outcome::Completed << 2;
    QTest::newRow("masses without layers") << 8 << "accept" << Outcome::Completed << 0;
}

void TestTransferSequence::everyEndingReleasesEachBlockOnce()
{
    QFETCH(int, phase);
    QFETCH(QString, ending);
    QFETCH(Outcome, outcome);
    QFETCH(int, records);
    Wire w(45, 45, records);
    w.acceptUntil(phase);
    if (ending == "timeout") {
        w.send();
        w.link.requests().ReplyAwaited = true;
        QVERIFY(WatchdogTick(w.link.requests(), false).transferCancelled);
        w.seq.cancel();
    }
    while (w.seq.running()) {
        const int type = w.send().first;
        w.reply(ending == "status" ? 3 : type, ending == "accept");
    }
    QCOMPARE(w.finished.size(), 1);
    QCOMPARE(w.outcome(), outcome);
    QCOMPARE(w.released.size(), 2);
    QVERIFY(!w.seq.holds(Block::MassNames) && !w.seq.holds(Block::LayerNames));
    // Nothing more goes out, and a late reply changes nothing.
    QCOMPARE(w.send().first, 0);
    w.reply(phase);
    QCOMPARE(w.finished.size(), 1);
    QCOMPARE(w.log.contains(" Start program tranferring #1"), records > 0 && phase == 6);
}

void TestTransferSequence::linkSendsTheSequencesPayload()
{
    Link link;
    link.setManualPasses(true);
    auto line = std::make_unique<FakeLine>();
    FakeLine *fake = line.get();
    QVERIFY(link.open(std::move(line), nullptr));
    const quint8 chunk[] = {0x34, 0x12, 'A', 'B'};
    {
        TransferSequence seq(link, {}, {});
        TransferBlocks b;
        b.massNames = "AB";
        b.massNamesAddress = 0x1234;
        QVERIFY(seq.start(b));
        link.runPass();
        QCOMPARE(fake->written, EncodeFrame(ConsoleAddress, 9, chunk, 4));
    }
    // Once the sequence is gone, the link sends the request without a payload.
    fake->written.clear();
    link.requests().ReplyAwaited = false;
    link.request(RequestKind::SendMassNames);
    link.runPass();
    QCOMPARE(fake->written, EncodeFrame(ConsoleAddress, 9, nullptr, 0));
}

QTEST_GUILESS_MAIN(TestTransferSequence)
#include "tst_transfersequence.moc"
