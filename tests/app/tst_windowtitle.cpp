// SPDX-License-Identifier: GPL-3.0-or-later
// Window titles as the X server holds them for a window manager (_NET_WM_NAME, read with
// xprop): the main window's title through a firing on the simulator, and the captions of the
// boxes and file dialogs opened meanwhile. Runs under its own X server (run-under-x.sh).

#include "app/Unit1.h"
#include "app/consolelines.h"
#include "app/widgetdialogs.h"
#include "link/link.h"
#include "sim/simulatorline.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

namespace
{

/// The title the X server holds for `window`, as a window manager reads it.
QString xTitle(const QWidget *window)
{
    QApplication::processEvents(); // the title goes out with the next flush
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-notype"), QStringLiteral("-id"), QString::number(window->winId()),
                 QStringLiteral("_NET_WM_NAME")});
    if (!xprop.waitForFinished(5000) || xprop.exitCode() != 0)
        return QStringLiteral("<xprop failed>");
    const QString out = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^_NET_WM_NAME = \"(.*)\"$")).match(out);
    return m.hasMatch() ? m.captured(1) : out;
}

/// The X title of the next modal window that opens inside `open`, which is then closed.
QString titleOfModal(const std::function<void()> &open)
{
    QString title;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        poll.stop();
        title = xTitle(modal);
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
    });
    poll.start(100);
    open();
    return title;
}

} // namespace

class TestWindowTitle : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void titlesThroughAFiring();
};

void TestWindowTitle::initTestCase()
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        QSKIP("needs an X server (run through run-under-x.sh, which starts one)");
}

void TestWindowTitle::titlesThroughAFiring()
{
    // The real dialogs; the built-in simulator, whose time moves only when the test advances it.
    WidgetDialogs dialogs;
    SimulatorLine *sim = nullptr;
    ConsoleOptions options;
    options.port = SimulatorPortName;
    options.lineFactory = [&sim](const QString &) {
        auto line = std::make_unique<SimulatorLine>();
        line->controller().setSpeed(0);
        line->controller().furnace().advance(600); // up to the support temperature
        sim = line.get();
        return line;
    };
    options.massesFile = QStringLiteral(ZKV_SOURCE_DIR "/examples/demo.zkv");
    TForm1 form(std::move(options), dialogs);
    form.findChild<QListWidget *>(QStringLiteral("lbNames"))->setCurrentRow(0);
    form.lbNamesClick();
    form.findChild<QListWidget *>(QStringLiteral("lbLayers"))->setCurrentRow(0);
    form.lbLayersClick();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    SimFurnace &furnace = sim->controller().furnace();
    const QString caption = QStringLiteral("ZKV4.6 CONSOLE - Simulator");
    QTRY_COMPARE_WITH_TIMEOUT(xTitle(&form), caption, 3000);
    // The boxes and file dialogs carry their own captions, without the window's.
    QCOMPARE(titleOfModal([&] { form.sbOpenFileClick(); }), QStringLiteral("Masses: opening"));

    form.sbStartPrgClick();
    QTRY_VERIFY_WITH_TIMEOUT(furnace.programRunning(), 3000);
    furnace.advance(120);
    const quint16 remaining = furnace.RemainingMinutes();
    QVERIFY(remaining > 0);
    QTRY_COMPARE_WITH_TIMEOUT(
        xTitle(&form), QStringLiteral("ZKV4.6 CONSOLE - Duration: %1 min").arg(remaining), 4000);
    QCOMPARE(titleOfModal([&] { form.sbStopPrgClick(); }), QStringLiteral("Attention"));
    QVERIFY(form.console().ProgramRunning); // cancelled
    // The language switch reaches the title with the next tick.
    form.findChild<QAction *>(QStringLiteral("mmRussian"))->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(
        xTitle(&form), QStringLiteral("ZKV4.6 CONSOLE - Осталось: %1 мин").arg(remaining), 4000);
    // A fault ends the run; its box does not block. The caption of the port comes back.
    furnace.raiseFault(12);
    QMessageBox *box = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((box = form.findChild<QMessageBox *>()) && box->isVisible(), 4000);
    QTRY_COMPARE_WITH_TIMEOUT(xTitle(box), QStringLiteral("Ошибка"), 3000);
    box->accept();
    QTRY_VERIFY_WITH_TIMEOUT(!form.console().ProgramRunning, 3000);
    QTRY_COMPARE_WITH_TIMEOUT(xTitle(&form), caption, 4000);
}

QTEST_MAIN(TestWindowTitle)
#include "tst_windowtitle.moc"
