// SPDX-License-Identifier: GPL-3.0-or-later
// The port selection window and the port list it offers.

#include "link/Unit6_selport.h"
#include "link/portlist.h"
#include "link/serialportline.h"
#include "tests/support/testpty.h"
#include "tests/support/unreadvalues.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QTest>

class TestSelPort : public QObject
{
    Q_OBJECT
private slots:
    void textsInBothLanguages();
    void promptNeverClipped();
    void dropDownFillsAndChoosingAccepts();
    void closingWithoutChoiceRejects();
    void naturalOrder();
    void portHeldByAnotherProcessIsNotListed();
};

void TestSelPort::textsInBothLanguages()
{
    TfSelPort w;
    w.prepare(1, {});
    w.FormShow();
    auto *label = w.findChild<QLabel *>(QStringLiteral("Label1"));
    QCOMPARE(w.windowTitle(), QStringLiteral("COM-port sets"));
    QCOMPARE(label->text(), QStringLiteral("Set COM-port which have furnace connected"));
    QCOMPARE(label->width(), 157);
    QVERIFY(label->wordWrap());
    QVERIFY2(UnreadValues(&w).isEmpty(), qPrintable(UnreadValues(&w).join('\n')));
    w.findChild<QAction *>(QStringLiteral("mmRussian"))->trigger();
    QCOMPARE(w.language(), quint8(0));
    QCOMPARE(w.windowTitle(), QStringLiteral("Выбор порта"));
    QCOMPARE(label->text(), QStringLiteral("Выбрать порт, к которому подключена печь"));
    QVERIFY(w.findChild<QAction *>(QStringLiteral("mmRussian"))->isChecked());
    QVERIFY2(UnreadValues(&w).isEmpty(), qPrintable(UnreadValues(&w).join('\n')));
    // A window prepared in Russian starts with its Russian item checked.
    TfSelPort r;
    r.prepare(0, {});
    QVERIFY(r.findChild<QAction *>(QStringLiteral("mmRussian"))->isChecked());
}

void TestSelPort::promptNeverClipped()
{
    TfSelPort w;
    w.prepare(1, {});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *label = w.findChild<QLabel *>(QStringLiteral("Label1"));
    // English, then the longer Russian prompt, then English again: each shown whole.
    for (const char *item : {"mmEnglish", "mmRussian", "mmEnglish"}) {
        w.findChild<QAction *>(QString::fromLatin1(item))->trigger();
        QTRY_COMPARE(label->width(), 157);
        const QRect room = label->contentsRect();
        const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, room.width(), 10000),
                                                               Qt::TextWordWrap, label->text());
        QTRY_VERIFY2(needed.height() <= label->contentsRect().height(), item);
        QVERIFY(w.rect().contains(label->geometry()));
    }
}

void TestSelPort::dropDownFillsAndChoosingAccepts()
{
    TfSelPort w;
    int drops = 0;
    w.prepare(1, {[] {
                      return QStringList{QStringLiteral("ttyS0"), QStringLiteral("Simulator")};
                  },
                  [&] { ++drops; }});
    auto *combo = w.findChild<QComboBox *>(QStringLiteral("cmbSelPort"));
    QCOMPARE(combo->count(), 0);
    w.cmbSelPortDropDown();
    QCOMPARE(drops, 1);
    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->itemText(1), QStringLiteral("Simulator"));
    w.show();
    emit combo->activated(1);
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(w.portName(), QStringLiteral("Simulator"));
}

void TestSelPort::closingWithoutChoiceRejects()
{
    TfSelPort w;
    w.prepare(1, {});
    w.show();
    w.close();
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QVERIFY(w.portName().isEmpty());
}

void TestSelPort::naturalOrder()
{
    const QStringList candidates = {"ttyUSB0", "ttyS10", "ttyS2", "ttyS1", "ttyACM0", "ttyS2"};
    const QStringList ports =
        OpenablePorts(candidates, [](const QString &n) { return n != "ttyS1"; });
    QCOMPARE(ports, (QStringList{"ttyACM0", "ttyS2", "ttyS10", "ttyUSB0"}));
}

void TestSelPort::portHeldByAnotherProcessIsNotListed()
{
    TestPty pty;
    QVERIFY(pty.ok());
    QCOMPARE(OpenablePorts({pty.slavePath}, &SerialPortLine::canOpen), QStringList{pty.slavePath});
    // Another console takes the port.
    QProcess other;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    other.setProcessEnvironment(env);
    other.start(QStringLiteral(ZKV_CONSOLE_PATH), {QStringLiteral("--port"), pty.slavePath});
    QVERIFY(other.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(!SerialPortLine::canOpen(pty.slavePath), 10000);
    QCOMPARE(OpenablePorts({pty.slavePath}, &SerialPortLine::canOpen), QStringList());
    other.kill();
    other.waitForFinished();
    QTRY_VERIFY_WITH_TIMEOUT(SerialPortLine::canOpen(pty.slavePath), 5000);
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestSelPort test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_selport.moc"
