// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/Unit2.h"
#include "tests/support/unreadvalues.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace
{

/// Records the message boxes the dialog raises; anything else it asks for is a test failure.
class BoxRecorder : public Dialogs
{
public:
    struct Box {
        Icon icon;
        QString caption;
        QString text;
    };
    QList<Box> boxes;
    QStringList unexpected;

    void message(QWidget *, Icon icon, const QString &caption, const QString &text) override
    {
        boxes.append({icon, caption, text});
    }
    bool question(QWidget *, const QString &, const QString &text) override
    {
        unexpected << text;
        return false;
    }
    void messageLater(QWidget *, Icon, const QString &, const QString &text,
                      std::function<void()>) override
    {
        unexpected << text;
    }
    QString openFileName(QWidget *, const QString &title, const QString &, const QString &) override
    {
        unexpected << title;
        return {};
    }
    QString saveFileName(QWidget *, const QString &title, const QString &, const QString &) override
    {
        unexpected << title;
        return {};
    }
    std::optional<QString> askName(QWidget *, const NameRequest &request) override
    {
        unexpected << request.caption;
        return std::nullopt;
    }
};

NameRequest addMassRequest()
{
    NameRequest request;
    request.caption = QStringLiteral("Add Mass");
    request.prompt = QStringLiteral("Name:");
    return request;
}

NameRequest transferRequest()
{
    NameRequest request;
    request.caption = QStringLiteral("Transfer");
    request.prompt = QStringLiteral("Start at #");
    request.note = QStringLiteral("*№=1...10");
    request.numeric = true;
    request.preset = QStringLiteral("1");
    return request;
}

} // namespace

class TestAddMass : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void designControls();
    void prepareSetsTexts();
    void focusOnShow();
    void escapeEmptiesAndStaysOpen();
    void enterActsAsButton();
    void emptyTextRefused_data();
    void emptyTextRefused();
    void keepsTextUnlessPreset();
    void numericModeKeysAndPaste();
    void nameModeTakesAnyCharacter();
    void validatorRefusesAndStaysOpen();
    void askReturnsTextOrNothing();
    void presetAndBlanks_data();
    void presetAndBlanks();
    void passwordPromptEchoesStarsThenPlainAgain();

private:
    BoxRecorder *m_boxes = nullptr;
    TAddMass *m_dialog = nullptr;
    QLineEdit *edit() const { return m_dialog->findChild<QLineEdit *>("edtMass"); }
    QPushButton *button() const { return m_dialog->findChild<QPushButton *>("btnMass"); }
};

void TestAddMass::init()
{
    m_boxes = new BoxRecorder;
    m_dialog = new TAddMass(*m_boxes);
}

void TestAddMass::cleanup()
{
    QVERIFY2(m_boxes->unexpected.isEmpty(), qPrintable(m_boxes->unexpected.join('\n')));
    delete m_dialog;
    delete m_boxes;
}

void TestAddMass::designControls()
{
    auto *name = m_dialog->findChild<QLabel *>("lblName");
    auto *note = m_dialog->findChild<QLabel *>("lblNote");
    QVERIFY(name && note && edit() && button());
    QCOMPARE(name->text(), QStringLiteral("Название:"));
    QVERIFY(note->text().isEmpty());
    QCOMPARE(button()->text(), QStringLiteral("O&K"));
    QCOMPARE(edit()->maxLength(), 18);
}

void TestAddMass::prepareSetsTexts()
{
    m_dialog->prepare(transferRequest());
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Transfer"));
    QCOMPARE(m_dialog->findChild<QLabel *>("lblName")->text(), QStringLiteral("Start at #"));
    QCOMPARE(m_dialog->findChild<QLabel *>("lblNote")->text(), QStringLiteral("*№=1...10"));
    QCOMPARE(edit()->text(), QStringLiteral("1"));
    QVERIFY(m_dialog->numeric());
    QVERIFY2(UnreadValues(m_dialog).isEmpty(), qPrintable(UnreadValues(m_dialog).join('\n')));
    m_dialog->prepare(addMassRequest());
    QVERIFY(m_dialog->findChild<QLabel *>("lblNote")->text().isEmpty());
    QVERIFY(!m_dialog->numeric());
}

void TestAddMass::focusOnShow()
{
    m_dialog->prepare(addMassRequest());
    button()->setFocus();
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
    QCOMPARE(m_dialog->focusWidget(), edit());
}

void TestAddMass::escapeEmptiesAndStaysOpen()
{
    m_dialog->prepare(addMassRequest());
    m_dialog->show();
    QTest::keyClicks(edit(), QStringLiteral("Enamel"));
    QTest::keyClick(edit(), Qt::Key_Escape);
    QVERIFY(edit()->text().isEmpty());
    QVERIFY(m_dialog->isVisible());
    // Escape with the focus on the button empties the field too.
    edit()->setText(QStringLiteral("x"));
    QTest::keyClick(button(), Qt::Key_Escape);
    QVERIFY(edit()->text().isEmpty());
    QVERIFY(m_dialog->isVisible());
    QVERIFY(m_boxes->boxes.isEmpty());
}

void TestAddMass::enterActsAsButton()
{
    m_dialog->prepare(addMassRequest());
    m_dialog->show();
    QTest::keyClicks(edit(), QStringLiteral("Glaze"));
    QTest::keyClick(edit(), Qt::Key_Return);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    QCOMPARE(m_dialog->text(), QStringLiteral("Glaze"));
}

void TestAddMass::emptyTextRefused_data()
{
    QTest::addColumn<quint8>("language");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::newRow("Russian") << quint8(0) << QStringLiteral("Внимание")
                             << QStringLiteral("Необходимо заполнить поле!");
    QTest::newRow("English") << quint8(1) << QStringLiteral("Attention")
                             << QStringLiteral("The field must be filled up!");
}

void TestAddMass::emptyTextRefused()
{
    QFETCH(quint8, language);
    QFETCH(QString, caption);
    QFETCH(QString, text);

    NameRequest request = addMassRequest();
    request.preset = QString();
    request.language = language;
    m_dialog->prepare(request);
    m_dialog->show();
    QTest::keyClick(edit(), Qt::Key_Enter);
    QTest::mouseClick(button(), Qt::LeftButton);
    QCOMPARE(m_boxes->boxes.size(), 2);
    QCOMPARE(m_boxes->boxes[0].caption, caption);
    QCOMPARE(m_boxes->boxes[0].text, text);
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(m_dialog->focusWidget(), edit());
}

void TestAddMass::keepsTextUnlessPreset()
{
    m_dialog->prepare(addMassRequest());
    m_dialog->show();
    QTest::keyClicks(edit(), QStringLiteral("Opaque"));
    QTest::mouseClick(button(), Qt::LeftButton);
    QVERIFY(!m_dialog->isVisible());

    m_dialog->prepare(addMassRequest());
    QCOMPARE(edit()->text(), QStringLiteral("Opaque"));
    NameRequest rename = addMassRequest();
    rename.preset = QStringLiteral("Dentine");
    m_dialog->prepare(rename);
    QCOMPARE(edit()->text(), QStringLiteral("Dentine"));
}

void TestAddMass::numericModeKeysAndPaste()
{
    m_dialog->prepare(transferRequest());
    m_dialog->show();
    edit()->selectAll();
    QTest::keyClicks(edit(), QStringLiteral("1a.2 -3"));
    QCOMPARE(edit()->text(), QStringLiteral("123"));
    QTest::keyClick(edit(), Qt::Key_Backspace);
    QCOMPARE(edit()->text(), QStringLiteral("12"));

    QApplication::clipboard()->setText(QStringLiteral("4x5"));
    if (QApplication::clipboard()->text() != QStringLiteral("4x5"))
        QSKIP("no clipboard on this platform");
    edit()->end(false);
    edit()->paste();
    QCOMPARE(edit()->text(), QStringLiteral("1245"));

    // A preset with other characters is cleaned too.
    NameRequest request = transferRequest();
    request.preset = QStringLiteral("x7");
    m_dialog->prepare(request);
    QCOMPARE(edit()->text(), QStringLiteral("7"));
}

void TestAddMass::nameModeTakesAnyCharacter()
{
    m_dialog->prepare(addMassRequest());
    m_dialog->show();
    edit()->clear();
    QTest::keyClicks(edit(), QStringLiteral("A-1.5 "));
    QTest::sendKeyEvent(QTest::Click, edit(), Qt::Key_unknown, QStringLiteral("Б"), Qt::NoModifier);
    QCOMPARE(edit()->text(), QStringLiteral("A-1.5 Б"));
    QTest::keyClicks(edit(), QStringLiteral("0123456789ABCDEFGH"));
    QCOMPARE(edit()->text().size(), 18);
}

void TestAddMass::validatorRefusesAndStaysOpen()
{
    NameRequest request = addMassRequest();
    request.validate = [](const QString &text) {
        return text.contains('=') ? QStringLiteral("no equals") : QString();
    };
    m_dialog->prepare(request);
    m_dialog->show();
    edit()->clear();
    QTest::keyClicks(edit(), QStringLiteral("a=b"));
    QTest::mouseClick(button(), Qt::LeftButton);
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes[0].caption, QStringLiteral("Attention"));
    QCOMPARE(m_boxes->boxes[0].text, QStringLiteral("no equals"));

    edit()->setText(QStringLiteral("ab"));
    QTest::mouseClick(button(), Qt::LeftButton);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
}

void TestAddMass::askReturnsTextOrNothing()
{
    // Shown with the field's text selected, so typing replaces the preset.
    QString selected;
    QTimer::singleShot(0, m_dialog, [this, &selected] {
        selected = edit()->selectedText();
        QTest::keyClicks(edit(), QStringLiteral("7"));
        QTest::keyClick(edit(), Qt::Key_Return);
    });
    QCOMPARE(m_dialog->ask(transferRequest()).value_or("cancelled"), QStringLiteral("7"));
    QCOMPARE(selected, QStringLiteral("1"));

    // A refused text keeps the dialog open; closing it then is a cancel.
    const auto refuseAll = [](const QString &) { return QStringLiteral("never"); };
    QTimer::singleShot(0, m_dialog, [this] {
        button()->click();
        m_dialog->close();
    });
    QCOMPARE(m_dialog->ask(addMassRequest(), refuseAll), std::nullopt);
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes[0].text, QStringLiteral("never"));

    // The validator of one use does not stay for the next; the text stays from the last use.
    QTimer::singleShot(0, m_dialog, [this] { button()->click(); });
    QCOMPARE(m_dialog->ask(addMassRequest()).value_or("cancelled"), QStringLiteral("7"));

    // The request's own validator and language.
    NameRequest request = addMassRequest();
    request.language = 0;
    request.validate = [](const QString &text) {
        return text == QStringLiteral("7") ? QStringLiteral("занято") : QString();
    };
    QTimer::singleShot(0, m_dialog, [this] {
        button()->click();
        edit()->setText(QStringLiteral("8"));
        button()->click();
    });
    QCOMPARE(m_dialog->ask(request).value_or("cancelled"), QStringLiteral("8"));
    QCOMPARE(m_boxes->boxes.size(), 2);
    QCOMPARE(m_boxes->boxes[1].caption, QStringLiteral("Внимание"));
    QCOMPARE(m_boxes->boxes[1].text, QStringLiteral("занято"));
}

void TestAddMass::presetAndBlanks_data()
{
    QTest::addColumn<QString>("preset"); // "-": none
    QTest::addColumn<QString>("typed");  // "-": left as it is
    QTest::addColumn<QString>("result"); // blanks at the ends are dropped from what is typed
    const QString longName = QStringLiteral("A name of twenty-five chars");
    const QString none = QStringLiteral("-");
    QTest::newRow("long preset kept whole") << longName << none << longName;
    QTest::newRow("preset with blanks kept") << " x " << none << " x ";
    QTest::newRow("typed blanks dropped") << none << QStringLiteral("  Frit 2 ") << "Frit 2";
    QTest::newRow("typing stops at 18")
        << longName << QStringLiteral("ABCDEFGHIJKLMNOPQRSTU") << "ABCDEFGHIJKLMNOPQR";
}

void TestAddMass::presetAndBlanks()
{
    QFETCH(QString, preset);
    QFETCH(QString, typed);
    QFETCH(QString, result);
    NameRequest request = addMassRequest();
    if (preset != QStringLiteral("-"))
        request.preset = preset;
    request.trimBlanks = true;
    QTimer::singleShot(0, m_dialog, [this, typed] {
        if (typed != QStringLiteral("-")) {
            edit()->selectAll();
            QTest::keyClicks(edit(), typed);
        }
        button()->click();
    });
    QCOMPARE(m_dialog->ask(request).value_or("cancelled"), result);
    QVERIFY(m_boxes->boxes.isEmpty());
}

void TestAddMass::passwordPromptEchoesStarsThenPlainAgain()
{
    edit()->setText(QStringLiteral("Opaque"));
    NameRequest request = addMassRequest();
    request.password = true;
    QString before;
    QString shown;
    QLineEdit::EchoMode echo = QLineEdit::Normal;
    const auto typeCode = [&](bool accept) {
        QTimer::singleShot(0, m_dialog, [&, accept] {
            before = edit()->text();
            QTest::keyClicks(edit(), QStringLiteral("47"));
            echo = edit()->echoMode();
            shown = edit()->displayText();
            if (accept)
                QTest::keyClick(edit(), Qt::Key_Return);
            else
                m_dialog->reject();
        });
    };
    typeCode(false);
    QCOMPARE(m_dialog->ask(request), std::nullopt);
    QVERIFY(before.isEmpty());
    QCOMPARE(echo, QLineEdit::Password);
    QCOMPARE(shown, QStringLiteral("**"));
    // Cancelled: the next use as a name dialog finds it plain and empty.
    QCOMPARE(edit()->echoMode(), QLineEdit::Normal);
    QVERIFY(edit()->text().isEmpty());

    typeCode(true);
    QCOMPARE(m_dialog->ask(request).value_or("cancelled"), QStringLiteral("47"));
    QCOMPARE(edit()->echoMode(), QLineEdit::Normal);
    QVERIFY(edit()->text().isEmpty());
}

QTEST_MAIN(TestAddMass)
#include "tst_addmass.moc"
