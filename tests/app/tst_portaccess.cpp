// SPDX-License-Identifier: GPL-3.0-or-later
// A port the user may not open: after the failure line the log says which group to join.

#include "app/Unit1.h"
#include "link/link.h"
#include "tests/support/fakeline.h"
#include "tests/support/otheruser.h"
#include "tests/support/scripteddialogs.h"

#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTemporaryFile>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestPortAccess : public QObject
{
    Q_OBJECT
private slots:
    void failedOpenNamesTheGroup_data();
    void failedOpenNamesTheGroup();
};

void TestPortAccess::failedOpenNamesTheGroup_data()
{
    QTest::addColumn<int>("mode"); // of the device node
    QTest::addColumn<bool>("advice");
    QTest::newRow("denied") << 0060 << true;
    // The device can be used, so something else failed: no advice about groups.
    QTest::newRow("accessible") << 0666 << false;
    // Joining the group would not help.
    QTest::newRow("group may not use it") << 0600 << false;
}

void TestPortAccess::failedOpenNamesTheGroup()
{
    QFETCH(int, mode);
    QFETCH(bool, advice);
    QTemporaryFile device;
    QVERIFY(device.open());
    const QString path = device.fileName();
    QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0);
    // As root the node gets a group that root (and nobody) is not in, as a device has.
    if (getuid() == 0)
        QVERIFY(::chown(QFile::encodeName(path).constData(), uid_t(-1), 65534) == 0);
    const QString group = QFileInfo(path).group();

    ScriptedDialogs dialogs;
    dialogs.portAnswers << std::make_pair(std::optional<QString>(), std::optional<quint8>());
    dialogs.openAnswers << QString();
    ConsoleOptions options;
    options.lineFactory = [](const QString &) {
        auto line = std::make_unique<FakeLine>();
        line->openResult = false;
        return line;
    };
    TForm1 form(std::move(options), dialogs);
    form.link().state().PortName = path;
    {
        AccessAsNobody nobody;
        QVERIFY(nobody.ok());
        form.cmbSelPortChange();
    }
    const QStringList lines =
        form.findChild<QPlainTextEdit *>(QStringLiteral("mMessage"))->toPlainText().split('\n');
    const QString failure = QStringLiteral(" Error: port %1 can't be opened.").arg(path);
    QVERIFY2(lines.value(lines.size() - (advice ? 2 : 1)).endsWith(failure),
             qPrintable(lines.join('\n')));
    if (advice) {
        QVERIFY2(lines.last().endsWith(QStringLiteral(" No access to the port: your user must be "
                                                      "in the group \"%1\" (sudo adduser $USER "
                                                      "%1), then log in again.")
                                           .arg(group)),
                 qPrintable(lines.last()));
        QVERIFY(!lines.last().startsWith(QLatin1Char(' '))); // the time of day comes first
    }
}

QTEST_MAIN(TestPortAccess)
#include "tst_portaccess.moc"
