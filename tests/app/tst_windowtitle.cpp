// Window titles as the X server holds them for a window manager (_NET_WM_NAME, read with
// xprop): the main window's title through a firing on the simulator, and the captions of the
// boxes and file dialogs opened meanwhile. Runs under its own X server (run-under-x.sh).

#include "Unit1.h"
#include "consolelines.h"
#include "link.h"
#include "simulatorline.h"
#include "widgetdialogs.h"

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

/// The console with the real dialogs on the built-in simulator, whose time moves only when
/// the test advances it; the demo library open and its first layer selected.
struct XConsole {
    WidgetDialogs dialogs;
    SimulatorLine *sim = nullptr;
    std::unique_ptr<TForm1> form;

    XConsole()
    {
        ConsoleOptions options;
        options.port = SimulatorPortName;
        options.lineFactory = [this](const QString &) {
            auto line = std::make_unique<SimulatorLine>();
            line->controller().setSpeed(0);
            line->controller().furnace().advance(600); // up to the support temperature
            sim = line.get();
            return line;
        };
        options.massesFile = QStringLiteral(ZKV_SOURCE_DIR "/examples/demo.zkv");
        form = std::make_unique<TForm1>(std::move(options), dialogs);
        auto *masses = form->findChild<QListWidget *>(QStringLiteral("lbNames"));
        masses->setCurrentRow(0);
        form->lbNamesClick();
        form->findChild<QListWidget *>(QStringLiteral("lbLayers"))->setCurrentRow(0);
        form->lbLayersClick();
        form->show();
    }
    SimFurnace &furnace() { return sim->controller().furnace(); }
};

/// Runs `look` on the next modal window that opens inside `open`, then closes it.
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
    void titleThroughAFiring();
    void boxesCarryTheirOwnCaptions();
};

void TestWindowTitle::initTestCase()
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        QSKIP("needs an X server (run through run-under-x.sh, which starts one)");
}

void TestWindowTitle::titleThroughAFiring()
{
    XConsole c;
    QVERIFY(QTest::qWaitForWindowExposed(c.form.get()));
    const QString caption = QStringLiteral("ZKV4.6 CONSOLE - Simulator");
    QTRY_COMPARE_WITH_TIMEOUT(xTitle(c.form.get()), caption, 3000);

    c.form->sbStartPrgClick();
    QTRY_VERIFY_WITH_TIMEOUT(c.furnace().programRunning(), 3000);
    c.furnace().advance(120);
    const quint16 remaining = c.furnace().RemainingMinutes();
    QVERIFY(remaining > 0);
    QTRY_COMPARE_WITH_TIMEOUT(xTitle(c.form.get()),
                              QStringLiteral("ZKV4.6 CONSOLE - Duration: %1 min").arg(remaining),
                              4000);
    // The language switch reaches the title with the next tick.
    c.form->findChild<QAction *>(QStringLiteral("mmRussian"))->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(xTitle(c.form.get()),
                              QStringLiteral("ZKV4.6 CONSOLE - Осталось: %1 мин").arg(remaining),
                              4000);
    // The furnace finishes the program: the caption of the port comes back.
    c.furnace().advance(20000);
    QTRY_VERIFY_WITH_TIMEOUT(!c.form->console().ProgramRunning, 4000);
    QTRY_COMPARE_WITH_TIMEOUT(xTitle(c.form.get()), caption, 4000);
}

void TestWindowTitle::boxesCarryTheirOwnCaptions()
{
    XConsole c;
    QVERIFY(QTest::qWaitForWindowExposed(c.form.get()));
    // A file dialog while idle.
    QCOMPARE(titleOfModal([&] { c.form->sbOpenFileClick(); }), QStringLiteral("Masses: opening"));

    // During a run: the abort question, then the fault box (which does not block).
    c.form->sbStartPrgClick();
    QTRY_VERIFY_WITH_TIMEOUT(c.form->windowTitle().contains(QStringLiteral("Duration")), 4000);
    QCOMPARE(titleOfModal([&] { c.form->sbStopPrgClick(); }), QStringLiteral("Attention"));
    QVERIFY(c.form->console().ProgramRunning); // cancelled
    c.furnace().raiseFault(12);
    QMessageBox *box = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((box = c.form->findChild<QMessageBox *>()) && box->isVisible(), 4000);
    QTRY_COMPARE_WITH_TIMEOUT(xTitle(box), QStringLiteral("Error"), 3000);
    box->accept();
    QTRY_VERIFY_WITH_TIMEOUT(!c.form->console().ProgramRunning, 3000);
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestWindowTitle test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowtitle.moc"
