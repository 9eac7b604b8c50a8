// A port the user may not open: after the failure line the log says which group to join.

#include "Unit1.h"
#include "fakeline.h"
#include "link.h"
#include "otheruser.h"
#include "scripteddialogs.h"

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
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("advice"); // %1 the group; empty: no second line
    QTest::newRow("denied, English")
        << 0060 << 1 << " Error: port %2 can't be opened."
        << " No access to the port: your user must be in the group \"%1\" "
           "(sudo adduser $USER %1), then log in again.";
    QTest::newRow("denied, Russian")
        << 0060 << 0 << " Ошибка: порт %2 открыть не удалось."
        << " Нет доступа к порту: пользователь должен быть в группе «%1» "
           "(sudo adduser $USER %1), затем войдите в систему заново.";
    // The device can be used, so something else failed: no advice about groups.
    QTest::newRow("accessible") << 0666 << 1 << " Error: port %2 can't be opened." << QString();
    // Joining the group would not help.
    QTest::newRow("group may not use it")
        << 0600 << 1 << " Error: port %2 can't be opened." << QString();
}

void TestPortAccess::failedOpenNamesTheGroup()
{
    QFETCH(int, mode);
    QFETCH(int, language);
    QFETCH(QString, failure);
    QFETCH(QString, advice);
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
    form.setLanguage(quint8(language));
    form.link().state().PortName = path;
    {
        AccessAsNobody nobody;
        QVERIFY(nobody.ok());
        form.cmbSelPortChange();
    }
    const QStringList lines =
        form.findChild<QPlainTextEdit *>(QStringLiteral("mMessage"))->toPlainText().split('\n');
    const QString expectedFailure = failure.arg(path);
    if (advice.isEmpty()) {
        QVERIFY2(lines.last().endsWith(expectedFailure), qPrintable(lines.last()));
    } else {
        QVERIFY(lines.size() >= 2);
        QVERIFY2(lines[lines.size() - 2].endsWith(expectedFailure), qPrintable(lines.join('\n')));
        QVERIFY2(lines.last().endsWith(advice.arg(group)), qPrintable(lines.last()));
        QVERIFY(!lines.last().startsWith(QLatin1Char(' '))); // the time of day comes first
    }
}

QTEST_MAIN(TestPortAccess)
#include "tst_portaccess.moc"
