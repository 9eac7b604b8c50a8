// SPDX-License-Identifier: GPL-3.0-or-later
// The main window offscreen: its controls, start-up state, languages, port and closing.

#include "app/Unit1.h"
#include "app/consoleapplication.h"
#include "link/link.h"
#include "tests/support/cputime.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testpty.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <stdexcept>

namespace
{

struct Console {
    ScriptedDialogs dialogs;
    std::unique_ptr<TForm1> form;

    explicit Console(ConsoleOptions options = {}, bool askPort = true)
    {
        if (askPort && !options.port)
            dialogs.portAnswers << std::make_pair(std::optional<QString>(),
                                                  std::optional<quint8>());
        dialogs.openAnswers << QString(); // no masses file at start
        form = std::make_unique<TForm1>(std::move(options), dialogs);
    }
    template<typename T>
    T *get(const QString &name) const
    {
        return form->findChild<T *>(name);
    }
    QString log() const { return get<QPlainTextEdit>(QStringLiteral("mMessage"))->toPlainText(); }
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void controlExists_data();
    void controlExists();
    void startUpState();
    void statusPanels();
    void menuItems_data();
    void menuItems();
    void languageSwitchRecaptions();
    void checkedLanguageDoesNothing();
    void portOpensPseudoTerminal();
    void badPortLogsFailureAndRunsOn();
    void portListFillsOnDropDown();
    void closingWhileLinkedEndsPromptly();
    void vanishedPortIsReportedWithoutSpinning();
    void hintGoesToLastPanel();
    void aboutBox();
    void escapingExceptionShowsErrorBox();
};

void TestMainWindow::controlExists_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    const QString tb = QStringLiteral("QToolButton");
    const QString lbl = QStringLiteral("QLabel");
    const QString pb = QStringLiteral("QPushButton");
    const QString gb = QStringLiteral("QGroupBox");
    for (const char *n :
         {"sbOpenFile", "sbAddFile", "sbSaveFile", "sbStartPrg", "sbStopPrg", "sbExit",
          "sbTemperature", "sbPressure", "sbChamberOpen", "sbChamberClose", "sbRst", "sbUpMass",
          "sbDnMass", "sbZoomIn", "sbZoomOut"})
        QTest::newRow(n) << QString::fromLatin1(n) << tb;
    for (const char *n : {"lblChamberState", "lblTsupport", "lblVacEconMode", "lblTime", "lblDate",
                          "lblMassSel", "lblPacketErr", "lblFiringDimension", "lblVacDimension"})
        QTest::newRow(n) << QString::fromLatin1(n) << lbl;
    for (int i = 1; i <= 41; ++i) {
        if (i == 26 || i == 28)
            continue;
        const QString n = QStringLiteral("Label%1").arg(i);
        QTest::newRow(qPrintable(n)) << n << lbl;
    }
    for (int i = 1; i <= 20; ++i) {
        const QString n = QStringLiteral("Edit%1").arg(i);
        QTest::newRow(qPrintable(n)) << n << QStringLiteral("QLineEdit");
    }
    for (const char *n :
         {"btnSend", "btnAddMass", "btnDelMass", "btnAddLayer", "btnDelLayer", "sbFullView"})
        QTest::newRow(n) << QString::fromLatin1(n) << pb;
    for (const char *n : {"gbMass", "gbLayer", "gbMessage", "gbPreDry", "gbDry", "gbPreHeat",
                          "gbHeat", "gbCool", "gbTempering", "gbOpen", "gbVacuum"})
        QTest::newRow(n) << QString::fromLatin1(n) << gb;
    QTest::newRow("lbNames") << QStringLiteral("lbNames") << QStringLiteral("QListWidget");
    QTest::newRow("lbLayers") << QStringLiteral("lbLayers") << QStringLiteral("QListWidget");
    QTest::newRow("mMessage") << QStringLiteral("mMessage") << QStringLiteral("QPlainTextEdit");
    QTest::newRow("cmbSelPort") << QStringLiteral("cmbSelPort") << QStringLiteral("QComboBox");
    QTest::newRow("StatusLine") << QStringLiteral("StatusLine") << QStringLiteral("QStatusBar");
    QTest::newRow("Timer1") << QStringLiteral("Timer1") << QStringLiteral("QTimer");
    QTest::newRow("pbGraph") << QStringLiteral("pbGraph") << QStringLiteral("QWidget");
    QTest::newRow("SpeedBar") << QStringLiteral("SpeedBar") << QStringLiteral("QWidget");
    for (const char *n : {"OpenDialog1", "SaveDialog1", "ImageList1"})
        QTest::newRow(n) << QString::fromLatin1(n) << QStringLiteral("QObject");
    for (const char *n : {"mmFile", "mmEdit", "mmAddition", "mmService", "mmLanguage", "mmHelp1"})
        QTest::newRow(n) << QString::fromLatin1(n) << QStringLiteral("QMenu");
    for (const char *n :
         {"mmOpen", "mmAdd", "mmSave", "mmExit", "mmCopy", "mmPaste", "mmServiceBasic",
          "mmServiceTuneReper", "mmOffice", "mmRussian", "mmEnglish", "mmAbout1"})
        QTest::newRow(n) << QString::fromLatin1(n) << QStringLiteral("QAction");
}

void TestMainWindow::controlExists()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    Console c;
    const QList<QObject *> found = c.form->findChildren<QObject *>(name);
    QCOMPARE(found.size(), 1);
    QVERIFY2(found.first()->inherits(qPrintable(className)),
             found.first()->metaObject()->className());
}

void TestMainWindow::startUpState()
{
    Console c;
    QVERIFY(c.dialogs.unexpected.isEmpty());
    QCOMPARE(c.form->windowTitle(), QStringLiteral("ZKV4.6 CONSOLE"));
    for (int i = 1; i <= 20; ++i)
        QVERIFY(!c.get<QLineEdit>(QStringLiteral("Edit%1").arg(i))->isEnabled());
    for (const char *n :
         {"sbFullView", "sbStartPrg", "sbChamberOpen", "sbChamberClose", "sbRst", "btnSend"})
        QVERIFY2(!c.get<QWidget>(QString::fromLatin1(n))->isEnabled(), n);
    // No port was chosen at start: the window's own port list is offered.
    QVERIFY(!c.get<QComboBox>(QStringLiteral("cmbSelPort"))->isHidden());
    QVERIFY(c.get<QTimer>(QStringLiteral("Timer1"))->isActive());
    QCOMPARE(c.get<QTimer>(QStringLiteral("Timer1"))->interval(), 800);
    QCOMPARE(c.form->console().Language, quint8(1));
    QVERIFY(c.get<QAction>(QStringLiteral("mmEnglish"))->isChecked());
    QCOMPARE(c.get<QPushButton>(QStringLiteral("btnSend"))->text(), QStringLiteral("progr CC"));
    QCOMPARE(c.get<QToolButton>(QStringLiteral("sbTemperature"))->text(),
             QStringLiteral("T=0000°C"));
    QCOMPARE(c.get<QToolButton>(QStringLiteral("sbPressure"))->text(), QStringLiteral("*P=00%"));
    QCOMPARE(c.get<QPushButton>(QStringLiteral("sbFullView"))->text(), QStringLiteral("[]"));
    QVERIFY(c.log().isEmpty());
}

void TestMainWindow::statusPanels()
{
    Console c;
    const int widths[] = {70, 120, 35, 50, 50};
    const char *texts[] = {"No furnace", "mode", "zone", "timezone", ""};
    for (int i = 0; i < 5; ++i) {
        QLabel *p = c.form->panel(i);
        QVERIFY(p);
        QCOMPARE(p->text(), QString::fromLatin1(texts[i]));
        QCOMPARE(p->minimumWidth(), widths[i]);
        QCOMPARE(p->parentWidget(), c.get<QStatusBar>(QStringLiteral("StatusLine")));
    }
}

void TestMainWindow::menuItems_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QKeySequence>("keys");
    QTest::newRow("open") << "mmOpen"
                          << "Open" << QKeySequence(Qt::CTRL | Qt::Key_O);
    QTest::newRow("add") << "mmAdd"
                         << "Add" << QKeySequence(Qt::CTRL | Qt::Key_A);
    QTest::newRow("save") << "mmSave"
                          << "Save" << QKeySequence(Qt::CTRL | Qt::Key_S);
    QTest::newRow("exit") << "mmExit"
                          << "E&xit" << QKeySequence(Qt::CTRL | Qt::Key_X);
    QTest::newRow("copy") << "mmCopy"
                          << "&Copy" << QKeySequence(Qt::CTRL | Qt::Key_C);
    QTest::newRow("paste") << "mmPaste"
                           << "&Paste" << QKeySequence(Qt::CTRL | Qt::Key_V);
    QTest::newRow("russian") << "mmRussian"
                             << "&Русский" << QKeySequence();
    QTest::newRow("english") << "mmEnglish"
                             << "&English" << QKeySequence();
    QTest::newRow("about") << "mmAbout1"
                           << "&About" << QKeySequence();
}

void TestMainWindow::menuItems()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QKeySequence, keys);
    Console c;
    auto *a = c.get<QAction>(name);
    QVERIFY(a);
    QCOMPARE(a->text(), caption);
    QCOMPARE(a->shortcut(), keys);
    if (name == QStringLiteral("mmRussian") || name == QStringLiteral("mmEnglish")) {
        QVERIFY(a->isCheckable());
        QVERIFY(a->actionGroup() && a->actionGroup()->isExclusive());
    }
}

void TestMainWindow::languageSwitchRecaptions()
{
    Console c;
    auto *file = c.get<QMenu>(QStringLiteral("mmFile"));
    c.get<QAction>(QStringLiteral("mmRussian"))->trigger();
    QCOMPARE(c.form->console().Language, quint8(0));
    QVERIFY(c.get<QAction>(QStringLiteral("mmRussian"))->isChecked());
    QVERIFY(!c.get<QAction>(QStringLiteral("mmEnglish"))->isChecked());
    QCOMPARE(c.get<QPushButton>(QStringLiteral("btnSend"))->text(), QStringLiteral("прогр ПУ"));
    QCOMPARE(c.get<QGroupBox>(QStringLiteral("gbMessage"))->title(), QStringLiteral("Сообщения"));
    QCOMPARE(c.get<QLabel>(QStringLiteral("Label1"))->text(), QStringLiteral("Температура"));
    QCOMPARE(c.get<QLabel>(QStringLiteral("Label24"))->text(), QStringLiteral("°C/мин"));
    QCOMPARE(c.get<QMenu>(QStringLiteral("mmAddition"))->title(), QStringLiteral("Настройки"));
    QCOMPARE(c.get<QAction>(QStringLiteral("mmOffice"))->text(), QStringLiteral("Служебные"));
    QCOMPARE(c.get<QToolButton>(QStringLiteral("sbPressure"))->toolTip(),
             QStringLiteral("Разрежение в камере"));
    QCOMPARE(c.get<QLineEdit>(QStringLiteral("Edit1"))->toolTip(),
             QStringLiteral("Т(°С) предсушки20 <Т< 700\nТ< Тсушка"));
    // Controls outside the tables keep their design texts.
    QCOMPARE(file->title(), QStringLiteral("&File"));
    QCOMPARE(c.get<QLabel>(QStringLiteral("Label2"))->text(), QStringLiteral("°C"));
    QCOMPARE(c.get<QLabel>(QStringLiteral("Label10"))->text(), QStringLiteral("%"));
    QCOMPARE(c.get<QListWidget>(QStringLiteral("lbNames"))->toolTip(),
             QStringLiteral("Double click to rename"));
    // Qt's own texts follow: a box's standard buttons, the file dialog's labels.
    const auto cancelText = [] {
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Cancel);
        return box.button(QMessageBox::Cancel)->text();
    };
    QCOMPARE(cancelText(), QStringLiteral("Отмена"));
    QCOMPARE(QCoreApplication::translate("QFileDialog", "File &name:"),
             QStringLiteral("&Имя файла:"));

    c.get<QAction>(QStringLiteral("mmEnglish"))->trigger();
    QCOMPARE(cancelText(), QStringLiteral("Cancel"));
    QCOMPARE(c.get<QPushButton>(QStringLiteral("btnSend"))->text(), QStringLiteral("progr CC"));
    QCOMPARE(c.get<QGroupBox>(QStringLiteral("gbMessage"))->title(), QStringLiteral("Messages"));
    QCOMPARE(c.get<QToolButton>(QStringLiteral("sbPressure"))->toolTip(),
             QStringLiteral("Rarefaction in chamber"));
    QCOMPARE(c.get<QLineEdit>(QStringLiteral("Edit2"))->toolTip(),
             QStringLiteral("t(minute) predrying0 <t< 15"));
    QCOMPARE(c.get<QLabel>(QStringLiteral("lblFiringDimension"))->text(), QStringLiteral("mm:ss"));
    QCOMPARE(file->title(), QStringLiteral("&File"));
}

void TestMainWindow::checkedLanguageDoesNothing()
{
    Console c;
    auto *send = c.get<QPushButton>(QStringLiteral("btnSend"));
    send->setText(QStringLiteral("marker"));
    c.get<QAction>(QStringLiteral("mmEnglish"))->trigger();
    // No re-caption happened.
    QCOMPARE(send->text(), QStringLiteral("marker"));
    QVERIFY(c.get<QAction>(QStringLiteral("mmEnglish"))->isChecked());
}

void TestMainWindow::portOpensPseudoTerminal()
{
    TestPty pty;
    QVERIFY(pty.ok());
    ConsoleOptions options;
    options.port = pty.slavePath;
    Console c(options);
    QVERIFY(c.dialogs.callsOf(QStringLiteral("port")).isEmpty());
    QVERIFY2(c.log().endsWith(QStringLiteral(" ") + pty.slavePath +
                              QStringLiteral(" successfully opened.")),
             qPrintable(c.log()));
    QVERIFY(!c.get<QComboBox>(QStringLiteral("cmbSelPort"))->isEnabled());
    QVERIFY(c.get<QComboBox>(QStringLiteral("cmbSelPort"))->isHidden());
    QCOMPARE(c.form->windowTitle(), QStringLiteral("ZKV4.6 CONSOLE - ") + pty.slavePath);
    for (const char *n : {"btnSend", "sbChamberOpen", "sbChamberClose", "sbRst"})
        QVERIFY2(c.get<QWidget>(QString::fromLatin1(n))->isEnabled(), n);
    // No layer is selected, so the program cannot be started yet.
    QVERIFY(!c.get<QWidget>(QStringLiteral("sbStartPrg"))->isEnabled());
    QVERIFY(c.form->link().isRunning());
}

void TestMainWindow::badPortLogsFailureAndRunsOn()
{
    ConsoleOptions options;
    options.port = QStringLiteral("/dev/zkv-missing");
    Console c(options);
    const QString log = c.log();
    QVERIFY2(log.endsWith(QStringLiteral(" Error: port /dev/zkv-missing can't be opened.")),
             qPrintable(log));
    QVERIFY(!log.startsWith(QLatin1Char(' '))); // the line begins with the time of day
    QVERIFY(c.get<QComboBox>(QStringLiteral("cmbSelPort"))->isEnabled());
    QVERIFY(!c.get<QWidget>(QStringLiteral("btnSend"))->isEnabled());
    QVERIFY(!c.form->link().isRunning());
    QCOMPARE(c.form->windowTitle(), QStringLiteral("ZKV4.6 CONSOLE"));
}

void TestMainWindow::portListFillsOnDropDown()
{
    TestPty pty;
    ConsoleOptions options;
    options.portLister = [&] { return QStringList{pty.slavePath}; };
    Console c(options);
    auto *combo = c.get<QComboBox>(QStringLiteral("cmbSelPort"));
    combo->showPopup();
    QCOMPARE(c.get<QLabel>(QStringLiteral("lblMassSel"))->text(), QStringLiteral("click"));
    QCOMPARE(combo->count(), 1);
    combo->hidePopup();
    emit combo->activated(0);
    QVERIFY2(c.log().endsWith(QStringLiteral(" successfully opened.")), qPrintable(c.log()));
    QVERIFY(!combo->isEnabled());
    // Nothing answers on it: the log says so after the first time-out, and what to check.
    const QString silent = QStringLiteral(" The furnace does not answer on port %1. Check the "
                                          "cable, that the furnace is switched on and that this "
                                          "is the right port.")
                               .arg(pty.slavePath);
    QTRY_VERIFY_WITH_TIMEOUT(c.log().endsWith(silent), 3000);
}

void TestMainWindow::closingWhileLinkedEndsPromptly()
{
    TestPty pty;
    ConsoleOptions options;
    options.port = pty.slavePath;
    Console c(options);
    c.form->show();
    // Polling a line where nothing answers: closed while a reply is awaited.
    QTRY_VERIFY_WITH_TIMEOUT(c.form->link().passes() > 0 && c.form->link().requests().ReplyAwaited,
                             3000);
    QElapsedTimer t;
    t.start();
    QVERIFY(c.form->close());
    QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
    QVERIFY(!c.form->link().isRunning());
    QCOMPARE(c.dialogs.boxCount(), 0);
}

void TestMainWindow::vanishedPortIsReportedWithoutSpinning()
{
    TestPty pty;
    ConsoleOptions options;
    options.port = pty.slavePath;
    Console c(options);
    pty.closeSlave();
    pty.hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(c.log().contains(QStringLiteral("failed")), 3000);
    QCOMPARE(c.form->panel(0)->text(), QStringLiteral("No furnace"));
    const double share = cpuShareWhileIdle(1000);
    QVERIFY2(share < 0.25, qPrintable(QString::number(share)));
    QCOMPARE(c.log().count(QStringLiteral("failed")), 1);
}

void TestMainWindow::hintGoesToLastPanel()
{
    Console c;
    auto *open = c.get<QToolButton>(QStringLiteral("sbOpenFile"));
    QCOMPARE(open->toolTip(), QStringLiteral("Open file"));
    QStatusTipEvent tip(open->statusTip());
    QCoreApplication::sendEvent(c.form.get(), &tip);
    QCOMPARE(c.form->panel(4)->text(), QStringLiteral("Open file"));
}

void TestMainWindow::aboutBox()
{
    Console c;
    c.get<QAction>(QStringLiteral("mmAbout1"))->trigger();
    const auto boxes = c.dialogs.callsOf(QStringLiteral("message"));
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].caption, QStringLiteral("About"));
    QVERIFY(boxes[0].text.contains(QStringLiteral("ZKV4.6 CONSOLE")));
    QVERIFY(boxes[0].text.contains(QString::fromLatin1(qVersion())));
}

namespace
{
class Thrower : public QObject
{
protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error("broken invariant");
        return QObject::event(e);
    }
};
} // namespace

void TestMainWindow::escapingExceptionShowsErrorBox()
{
    auto *app = qobject_cast<ConsoleApplication *>(QCoreApplication::instance());
    QVERIFY(app);
    ScriptedDialogs dialogs;
    app->setDialogs(&dialogs);
    Thrower thrower;
    QEvent e(QEvent::User);
    QCoreApplication::sendEvent(&thrower, &e);
    app->setDialogs(nullptr);
    const auto boxes = dialogs.callsOf(QStringLiteral("message"));
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].icon, Dialogs::Icon::Error);
    QCOMPARE(boxes[0].text, QStringLiteral("broken invariant"));
}

int main(int argc, char **argv)
{
    ConsoleApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
