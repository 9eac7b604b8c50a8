// SPDX-License-Identifier: GPL-3.0-or-later
// Uploading masses from the main window into the built-in simulator and into zkv-furnace-sim.

#include "app/Unit1.h"
#include "app/consolelines.h"
#include "library/cp1251.h"
#include "sim/simulatorline.h"
#include "tests/support/scripteddialogs.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const QString DemoFile = QStringLiteral(ZKV_SOURCE_DIR "/examples/demo.zkv");
const QString AllDone = QStringLiteral(" All the programs are successfully transmitted.");

/// A console with the demo library open, on the built-in simulator or on `port`.
struct Console {
    ScriptedDialogs dialogs;
    SimulatorLine *sim = nullptr;
    std::unique_ptr<TForm1> form;

    explicit Console(const QString &port = SimulatorPortName)
    {
        ConsoleOptions options;
        options.port = port;
        options.lineFactory = [this](const QString &name) -> std::unique_ptr<SerialLine> {
            if (name != SimulatorPortName)
                return MakeConsoleLine(name);
            auto line = std::make_unique<SimulatorLine>();
            line->controller().setSpeed(0);
            sim = line.get();
            return line;
        };
        dialogs.openAnswers << DemoFile;
        form = std::make_unique<TForm1>(std::move(options), dialogs);
    }
    QString log() const { return form->findChild<QPlainTextEdit *>("mMessage")->toPlainText(); }
    QPushButton *send() const { return form->findChild<QPushButton *>("btnSend"); }
    QProgressBar *progress() const { return form->findChild<QProgressBar *>("pbTransfer"); }
    void upload(const QString &slot)
    {
        dialogs.nameAnswers << slot;
        send()->click();
    }
};

QByteArray nameSlot(const QString &name)
{
    return Cp1251::fromUnicode(name).leftJustified(19, '\0');
}

QByteArray payload(const ProgParam &record)
{
    const ProgParam::Payload p = record.toPayload();
    return QByteArray(reinterpret_cast<const char *>(p.data()), int(p.size()));
}

} // namespace

class TestTransfer : public QObject
{
    Q_OBJECT
private slots:
    void uploadsTheDemoLibrary();
    void nothingSent_data();
    void nothingSent();
    void throughThePseudoTerminal();
};

void TestTransfer::uploadsTheDemoLibrary()
{
    Console c;
    const MassLibrary &lib = c.form->library();
    c.upload(QStringLiteral("2"));
    QVERIFY(!c.send()->isEnabled());
    QVERIFY(c.progress()->isVisibleTo(c.form.get()));
    QVERIFY(c.log().endsWith(" Starting masses transfer..."));
    // The rows the link sends from stay put meanwhile; so does the furnace.
    c.form->btnAddMassClick();
    c.form->sbStartPrgClick();
    QCOMPARE(c.dialogs.callsOf("message").size(), 2);
    QVERIFY(c.dialogs.callsOf("message")[0].text.startsWith("The masses are being transferred"));
    QCOMPARE(lib.massCount(), 6);
    c.form->AbortProgramm(); // as after a fault box: the run locks go, btnSend stays off
    QVERIFY(!c.send()->isEnabled());

    QTRY_VERIFY_WITH_TIMEOUT(c.log().endsWith(AllDone), 10000);
    QVERIFY(c.send()->isEnabled());
    QVERIFY(!c.progress()->isVisibleTo(c.form.get()));
    QCOMPARE(c.progress()->value(), c.progress()->maximum());
    QVERIFY(!c.form->selection().ParamsChanged);
    // Slots 2..7 hold the library, byte for byte.
    const FurnaceController &sim = c.sim->controller();
    const QByteArray memory = sim.memory();
    QCOMPARE(sim.storedRecordCount(), lib.layerTotal());
    for (int p = 0; p < lib.massCount(); ++p) {
        QCOMPARE(memory.mid(5800 + 19 * (p + 1), 19), nameSlot(lib.massName(p)));
        const std::vector<int> rows = lib.layerRows(p);
        for (int k = 0; k < int(rows.size()); ++k) {
            QCOMPARE(memory.mid(5991 + 210 * (p + 1) + 19 * k, 19),
                     nameSlot(lib.storage().Row(rows[size_t(k)]).name));
            const ProgParam &record = *lib.record(rows[size_t(k)]);
            QCOMPARE(record.ProgNumber, 11 * (p + 1) + k + 1);
            QCOMPARE(sim.storedRecord(record.ProgNumber), payload(record));
        }
    }
}

void TestTransfer::nothingSent_data()
{
    QTest::addColumn<QString>("answer"); ///< "-": no dialog is expected
    QTest::addColumn<QString>("box");    ///< start of the error box's text, if any
    QTest::addColumn<QString>("line");   ///< the one log line that says why, if any
    QTest::newRow("slot 0") << "0" << QString()
                            << " Nothing sent to the CC: slot 0 is outside 1...10.";
    QTest::newRow("slot 11") << "11" << QString()
                             << " Nothing sent to the CC: slot 11 is outside 1...10.";
    QTest::newRow("empty") << ""
                           << "\"\" is not a slot number" << QString();
    QTest::newRow("too large") << "99999999999"
                               << "\"99999999999\" is not a slot number" << QString();
    QTest::newRow("name too long") << "1"
                                   << "Nothing was sent to the CC:\nMass \"Nineteen" << QString();
    QTest::newRow("no layers") << "-" << QString()
                               << " Nothing sent to the CC: the library holds no layer.";
}

void TestTransfer::nothingSent()
{
    QFETCH(QString, answer);
    QFETCH(QString, box);
    QFETCH(QString, line);
    Console c;
    MassLibrary &lib = c.form->library();
    if (QTest::currentDataTag() == QByteArray("name too long"))
        lib.renameMass(0, QStringLiteral("Nineteen characters"));
    if (answer == "-") {
        lib.clear();
        lib.addMass(QStringLiteral("Empty"));
    }
    const QString logBefore = c.log();
    c.upload(answer);
    QCOMPARE(c.dialogs.callsOf("name").size(), answer == "-" ? 0 : 1);
    const auto boxes = c.dialogs.callsOf("message");
    QCOMPARE(boxes.size(), box.isEmpty() ? 0 : 1);
    if (!box.isEmpty())
        QVERIFY2(boxes[0].text.startsWith(box), qPrintable(boxes[0].text));
    QTest::qWait(100);
    QVERIFY(c.send()->isEnabled());
    const QString added = c.log().mid(logBefore.size());
    if (line.isEmpty())
        QVERIFY2(added.isEmpty(), qPrintable(added));
    else
        QVERIFY2(added.count(u'\n') == 1 && added.endsWith(line), qPrintable(added));
    QCOMPARE(c.sim->controller().memory(), QByteArray(FurnaceController::MemorySize, '\0'));
}

void TestTransfer::throughThePseudoTerminal()
{
    QTemporaryDir dir;
    const QString dump = dir.filePath(QStringLiteral("memory.txt"));
    QProcess sim;
    sim.start(QStringLiteral(ZKV_SIM_PATH), {QStringLiteral("--dump-memory"), dump});
    QVERIFY(sim.waitForStarted(5000) && sim.waitForReadyRead(5000));
    const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();
    Console c(device);
    c.upload(QStringLiteral("1"));
    QTRY_VERIFY_WITH_TIMEOUT(c.log().endsWith(AllDone), 20000);
    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));

    const MassLibrary &lib = c.form->library();
    QStringList expected{"[mass names]"};
    for (int p = 0; p < lib.massCount(); ++p)
        expected << QStringLiteral("%1 = %2").arg(p + 1).arg(lib.massName(p));
    expected << "[layer names]";
    for (int p = 0; p < lib.massCount(); ++p) {
        for (int k = 0; k < lib.layerCount(p); ++k)
            expected << QStringLiteral("%1.%2 = %3")
                            .arg(p + 1)
                            .arg(k + 1)
                            .arg(lib.storage().Row(lib.layerRow(p, k)).name);
    }
    expected << "[programs]";
    for (int r = 0; r < lib.layerTotal(); ++r)
        expected << QStringLiteral("%1 = %2")
                        .arg(lib.record(r)->ProgNumber)
                        .arg(QString(payload(*lib.record(r)).toHex(' ').toUpper()));
    QFile file(dump);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts), expected);
}

QTEST_MAIN(TestTransfer)
#include "tst_transfer.moc"
