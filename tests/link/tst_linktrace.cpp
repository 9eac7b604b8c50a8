// SPDX-License-Identifier: GPL-3.0-or-later
// The link's trace: frames sent and received and replies that did not come reach the zkv.link
// category at debug level, and nothing is printed unless that level is turned on.

#include "link/framing.h"
#include "link/link.h"
#include "tests/support/fakeline.h"

#include <QLoggingCategory>
#include <QTest>

namespace
{

/// Catches the messages of the zkv.link category while it exists; the others go on to the
/// handler that was installed before.
class Trace
{
public:
    Trace()
    {
        s_lines = &lines;
        s_previous = qInstallMessageHandler(&Trace::handle);
    }
    ~Trace()
    {
        qInstallMessageHandler(s_previous);
        s_lines = nullptr;
    }
    QStringList lines;

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (s_lines && qstrcmp(context.category, "zkv.link") == 0)
            s_lines->append(text);
        else if (s_previous)
            s_previous(type, context, text);
    }
    static inline QStringList *s_lines = nullptr;
    static inline QtMessageHandler s_previous = nullptr;
};

} // namespace

class TestLinkTrace : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { QLoggingCategory::setFilterRules(QString()); }
    void exchange_data();
    void exchange();
};

void TestLinkTrace::exchange_data()
{
    QTest::addColumn<QString>("rules");
    QTest::addColumn<bool>("traced");
    QTest::newRow("off by default") << QString() << false;
    QTest::newRow("debug turned on") << QStringLiteral("zkv.link.debug=true") << true;
}

void TestLinkTrace::exchange()
{
    QFETCH(QString, rules);
    QFETCH(bool, traced);
    QLoggingCategory::setFilterRules(rules);
    Trace trace;

    Link link;
    link.setManualPasses(true);
    link.state().PortName = QStringLiteral("/dev/ttyUSB0");
    auto line = std::make_unique<FakeLine>();
    FakeLine *fake = line.get();
    QVERIFY(link.open(std::move(line), nullptr));
    // A status request answered, then an identify request that goes unanswered.
    link.request(RequestKind::Status);
    link.runPass();
    const quint8 status[] = {0x9a, 0x02, 0x00, 0x03, 0x02};
    const QByteArray reply = EncodeFrame(1, 3, status, 5);
    fake->incoming << reply;
    link.runPass();
    link.request(RequestKind::Identify);
    link.runPass();
    link.watchdogTick(false);
    QCOMPARE(link.image().ChamberTemp, quint16(666));

    if (!traced) {
        QCOMPARE(trace.lines, QStringList());
        return;
    }
    const QStringList expected{
        QStringLiteral("line /dev/ttyUSB0 opened"),
        QStringLiteral("sent Status (3), length 0; on the line: ff 01 03 00 04"),
        QStringLiteral("read 10 bytes: ") + QString::fromLatin1(reply.toHex(' ')),
        QStringLiteral("received Status (3), length 5: 9a 02 00 03 02"),
        QStringLiteral("sent Identify (1), length 0; on the line: ff 01 01 00 02"),
        QStringLiteral("no reply to Identify (1) within the tick, 1 in a row"),
    };
    QCOMPARE(trace.lines, expected);
}

QTEST_GUILESS_MAIN(TestLinkTrace)
#include "tst_linktrace.moc"
