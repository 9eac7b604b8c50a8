// SPDX-License-Identifier: GPL-3.0-or-later
// The masses-file commands of the main window offscreen: the file opened at start, Open, Add
// and Save, unsaved changes on closing, and files that cannot be read or written.

#include "tests/app/libraryconsole.h"

class TestMassesFileUi : public QObject
{
    Q_OBJECT
private slots:
    void startUpOpensTheOfferedFile();
    void closing_data();
    void closing();
    void openWithUnsavedChanges_data();
    void openWithUnsavedChanges();
    void failedSaveIsReported();
    void saveRefusesNamesTheFileCannotHold();
    void unreadableRecordsAreLogged();
    void unreadableFileKeepsLibrary_data();
    void unreadableFileKeepsLibrary();
    void emptyFileOpensEmpty_data();
    void emptyFileOpensEmpty();
    void addFromFile();
    void saveThenReopenGivesSameLibrary();
    void saveProposesTheLastFile();
};

void TestMassesFileUi::startUpOpensTheOfferedFile()
{
    Console c;
    const auto opens = c.dialogs.callsOf(QStringLiteral("open"));
    QCOMPARE(opens.size(), 1);
    QCOMPARE(opens[0].caption, QStringLiteral("Masses: opening"));
    QVERIFY(opens[0].text.contains(QStringLiteral("*.zkv")));
    QCOMPARE(Console::items(c.names()).mid(0, 3), (QStringList{"Opaque", "Dentine", "Enamel"}));
    QCOMPARE(c.names()->count(), 6);
    QCOMPARE(c.names()->currentRow(), -1);
    QCOMPARE(c.layers()->count(), 0);
    QVERIFY(!c.field(0)->isEnabled());
    QVERIFY(!c.get("sbFullView")->isEnabled());
    QVERIFY(!c.graph()->record());
    QVERIFY(!c.sel().ParamsChanged);
    QVERIFY(c.logLines().isEmpty());
    VERIFY_NO_UNEXPECTED(c);

    Console empty{QString()}; // the dialog cancelled
    QCOMPARE(empty.names()->count(), 0);
}

void TestMassesFileUi::closing_data()
{
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QString>("answer"); // save, discard or cancel
    QTest::addColumn<QString>("save");   // "file", "fail" or cancelled
    QTest::addColumn<quint8>("language");
    QTest::addColumn<bool>("closes");
    QTest::newRow("nothing changed") << false << ""
                                     << "" << quint8(1) << true;
    QTest::newRow("don't save") << true << "discard"
                                << "" << quint8(1) << true;
    QTest::newRow("saved") << true << "save"
                           << "file" << quint8(1) << true;
    QTest::newRow("save dialog cancelled") << true << "save"
                                           << "" << quint8(1) << false;
    QTest::newRow("save failed") << true << "save"
                                 << "fail" << quint8(1) << false;
    QTest::newRow("cancel") << true << "cancel"
                            << "" << quint8(1) << false;
    QTest::newRow("Russian: don't save") << true << "discard"
                                         << "" << quint8(0) << true;
    QTest::newRow("Russian: saved") << true << "save"
                                    << "file" << quint8(0) << true;
    QTest::newRow("Russian: save failed") << true << "save"
                                          << "fail" << quint8(0) << false;
    QTest::newRow("Russian: cancel") << true << "cancel"
                                     << "" << quint8(0) << false;
}

void TestMassesFileUi::closing()
{
    QFETCH(bool, changed);
    QFETCH(QString, answer);
    QFETCH(QString, save);
    QFETCH(quint8, language);
    QFETCH(bool, closes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("closing.zkv"));
    Console c;
    c.form->setLanguage(language);
    c.selectLayer(0, 0);
    if (changed) {
        c.type(0, QStringLiteral("400"));
        c.answerSaveChanges(answer, save, path);
    }
    QCOMPARE(c.form->close(), closes);
    if (changed)
        c.verifySaveQuestion(language);
    QCOMPARE(c.dialogs.callsOf(QStringLiteral("question")).size(), 0);
    QCOMPARE(c.dialogs.callsOf(QStringLiteral("save")).size(), answer == "save" ? 1 : 0);
    QCOMPARE(QFile::exists(path), save == "file");
    if (save == "file")
        QCOMPARE(MassesFile::ReadFile(path).records[0].PreDryTemp, quint16(400));
    if (!closes) { // nothing lost
        QVERIFY(c.form->isVisible());
        QVERIFY(c.sel().ParamsChanged);
        QCOMPARE(c.record(0).PreDryTemp, quint16(400));
        QCOMPARE(c.field(0)->text(), QStringLiteral("400"));
    }
    QCOMPARE(c.messages().size(), save == "fail" ? 1 : 0);
    VERIFY_NO_UNEXPECTED(c);
}

void TestMassesFileUi::openWithUnsavedChanges_data()
{
    QTest::addColumn<QString>("action"); // mmOpen or mmAdd
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("save");
    QTest::addColumn<quint8>("language");
    QTest::addColumn<bool>("goesOn");
    for (const char *action : {"mmOpen", "mmAdd"}) {
        const auto row = [action](const char *name) -> QTestData & {
            return QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(action, name)))
                   << QString::fromLatin1(action);
        };
        row("don't save") << "discard"
                          << "" << quint8(1) << true;
        row("save first") << "save"
                          << "file" << quint8(1) << true;
        row("save dialog cancelled") << "save"
                                     << "" << quint8(1) << false;
        row("save failed") << "save"
                           << "fail" << quint8(1) << false;
        row("cancel") << "cancel"
                      << "" << quint8(1) << false;
        row("Russian: don't save") << "discard"
                                   << "" << quint8(0) << true;
        row("Russian: cancel") << "cancel"
                               << "" << quint8(0) << false;
    }
}

void TestMassesFileUi::openWithUnsavedChanges()
{
    QFETCH(QString, action);
    QFETCH(QString, answer);
    QFETCH(QString, save);
    QFETCH(quint8, language);
    QFETCH(bool, goesOn);
    const bool open = action == "mmOpen";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("before-open.zkv"));
    Console c;
    c.form->setLanguage(language);
    c.selectLayer(0, 0);
    c.type(0, QStringLiteral("400"));
    c.answerSaveChanges(answer, save, path);
    if (goesOn)
        c.dialogs.openAnswers << DemoFile;
    c.trigger(action.toLatin1().constData());

    c.verifySaveQuestion(language);
    QCOMPARE(c.dialogs.callsOf(QStringLiteral("open")).size(), goesOn ? 2 : 1);
    QCOMPARE(c.names()->count(), goesOn && !open ? 12 : 6);
    // Opening replaces the edit; adding, and going back, keep it.
    QCOMPARE(c.record(0).PreDryTemp, quint16(goesOn && open ? 450 : 400));
    QCOMPARE(c.sel().ParamsChanged, !(goesOn && open));
    if (save == "file")
        QCOMPARE(MassesFile::ReadFile(path).records[0].PreDryTemp, quint16(400));
    if (goesOn && open) { // a fresh library: nothing selected
        QCOMPARE(c.names()->currentRow(), -1);
        QVERIFY(!c.sel().hasLayer());
        QVERIFY(!c.field(0)->isEnabled());
        QVERIFY(!c.graph()->record());
    } else { // the edited layer still selected, as it was
        QVERIFY(c.sel().hasLayer());
        QCOMPARE(c.field(0)->text(), QStringLiteral("400"));
    }
    QCOMPARE(c.messages().size(), save == "fail" ? 1 : 0);
    VERIFY_NO_UNEXPECTED(c);
}

void TestMassesFileUi::failedSaveIsReported()
{
    QTemporaryDir dir;
    Console c;
    c.selectLayer(0, 0);
    c.type(0, QStringLiteral("400"));
    c.dialogs.saveAnswers << Unwritable << dir.filePath(QStringLiteral("ok.zkv"));
    c.click("sbSaveFile");
    QVERIFY(c.dialogs.callsOf(QStringLiteral("save"))[0].caption.isEmpty()); // standard title
    const auto boxes = c.dialogs.callsOf(QStringLiteral("message"));
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].caption, QStringLiteral("Error"));
    QCOMPARE(boxes[0].icon, Dialogs::Icon::Error);
    const QStringList lines = boxes[0].text.split(QLatin1Char('\n'));
    QVERIFY2(lines.size() == 2 && lines[0].contains(Unwritable) && !lines[1].trimmed().isEmpty(),
             qPrintable(boxes[0].text)); // the file, then the reason
    QVERIFY(c.sel().ParamsChanged);

    c.trigger("mmSave"); // the same library, to a writable place
    QVERIFY(!c.sel().ParamsChanged);
    QCOMPARE(c.messages().size(), 1);
}

void TestMassesFileUi::saveRefusesNamesTheFileCannotHold()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("saved.zkv"));
    Console c(massesFile(dir, "Opaque=\r\nOPAQUE=\r\n")); // one key twice: Open takes both
    c.dialogs.nameAnswers << QStringLiteral("New");
    c.click("btnAddMass");
    c.dialogs.saveAnswers << path;
    c.click("sbSaveFile");
    QVERIFY(c.dialogs.callsOf(QStringLiteral("save")).isEmpty());
    QCOMPARE(c.messages().size(), 1);
    QVERIFY2(c.messages()[0].contains(QStringLiteral("OPAQUE")), qPrintable(c.messages()[0]));
    QVERIFY(!QFile::exists(path));
    QVERIFY(c.sel().ParamsChanged);
}

void TestMassesFileUi::unreadableRecordsAreLogged()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("damaged.zkv"));
    const QByteArray good = MassesFile::EncodeRecord(ProgParam{});
    QByteArray badSum = good;
    badSum.back() = '1';
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Mass]\r\nA=x\x01y\x01z\r\n[Parameter]\r\n0=" + good + "\r\n1=" + badSum + "\r\n");
    file.close();

    Console c(path);
    QCOMPARE(c.lib().layerTotal(), 3);
    const QStringList lines = c.logLines();
    QCOMPARE(lines.size(), 2); // one line per damaged layer
    using MassesFile::BadRecordLogText, MassesFile::RecordFault;
    QVERIFY(lines[0].endsWith(BadRecordLogText({1, "A", "y", RecordFault::BadChecksum}, 1)));
    QVERIFY(lines[1].endsWith(BadRecordLogText({2, "A", "z", RecordFault::MissingKey}, 1)));
    ProgParam zero;
    zero.ProgNumber = 3;
    QCOMPARE(c.record(2), zero);
    QVERIFY(c.messages().isEmpty());
}

void TestMassesFileUi::unreadableFileKeepsLibrary_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("action"); // mmOpen, mmAdd, or --open at the start
    QTest::addColumn<QString>("reason");
    for (const char *action : {"mmOpen", "mmAdd", "--open"}) {
        const auto row = [action](const char *kind, const char *reason) {
            QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(action, kind)))
                << QString::fromLatin1(kind) << QString::fromLatin1(action)
                << QString::fromUtf8(reason);
        };
        row("missing", "No such file");
        row("program", "not a text file");
        row("no section", "no [Mass] section");
        row("pipe", "not a regular file");
    }
}

void TestMassesFileUi::unreadableFileKeepsLibrary()
{
    QFETCH(QString, kind);
    QFETCH(QString, action);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QString path = dir.filePath(kind + QStringLiteral(".zkv"));
    const auto write = [&path](const QByteArray &bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    };
    if (kind == "program")
        write(QByteArray("\x7F"
                         "ELF\x02\x01\x01\0\0\0\0",
                         11) +
              QByteArray(4000, '\x90'));
    else if (kind == "no section")
        write("Some notes\r\nabout masses\r\n");
    else if (kind == "pipe")
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    const QString shown = QDir::toNativeSeparators(path);

    // A pipe given at the start would hold the start forever once opened: it is never opened.
    ConsoleOptions options;
    if (action == "--open")
        options.massesFile = path;
    Console c(DemoFile, std::move(options));
    QStringList before;
    if (action != "--open") {
        c.selectLayer(1, 0);
        c.type(0, QStringLiteral("400"));
        before = snapshot(c.lib());
        c.dialogs.saveChangesAnswers << Dialogs::SaveAnswer::Discard;
        c.dialogs.openAnswers << path;
        c.trigger(action.toLatin1().constData());
    }
    const auto boxes = c.dialogs.callsOf(QStringLiteral("message"));
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].caption, QStringLiteral("Error"));
    QVERIFY2(boxes[0].text.contains(shown) && boxes[0].text.contains(reason),
             qPrintable(boxes[0].text));
    if (action == "--open") { // the start goes on with no library
        QCOMPARE(c.names()->count(), 0);
        QCOMPARE(c.text("lblMassesFile"), QStringLiteral("File: none"));
        return;
    }
    // The library, the selection and the edit as they were.
    QCOMPARE(snapshot(c.lib()), before);
    QCOMPARE(c.names()->count(), 6);
    QCOMPARE(c.sel().CurrentRow, 2);
    QCOMPARE(c.field(0)->text(), QStringLiteral("400"));
    QVERIFY(c.sel().ParamsChanged);
    QCOMPARE(c.text("lblMassesFile"), QStringLiteral("File: demo.zkv"));
    VERIFY_NO_UNEXPECTED(c);
}

void TestMassesFileUi::emptyFileOpensEmpty_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("open") << "mmOpen";
    QTest::newRow("add") << "mmAdd";
}

void TestMassesFileUi::emptyFileOpensEmpty()
{
    QFETCH(QString, action);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("empty.zkv"));
    QVERIFY(QFile(path).open(QIODevice::WriteOnly));
    Console c;
    c.selectLayer(1, 0);
    QVERIFY(!c.field(0)->text().isEmpty());
    c.dialogs.openAnswers << path;
    c.trigger(action.toLatin1().constData());
    QCOMPARE(c.dialogs.boxCount(), 0);
    QCOMPARE(c.logLines().size(), 1);
    const QString shown = QDir::toNativeSeparators(path);
    if (action == "mmAdd") { // nothing added, nothing else changed
        QCOMPARE(c.names()->count(), 6);
        QVERIFY2(c.logLines()[0].contains(QStringLiteral("holds no masses: nothing was added")) &&
                     c.logLines()[0].contains(shown),
                 qPrintable(c.logLines()[0]));
        QVERIFY(!c.sel().ParamsChanged && c.field(0)->isEnabled());
        return;
    }
    QVERIFY2(c.logLines()[0].contains(QStringLiteral("holds no masses: the library is empty")) &&
                 c.logLines()[0].contains(shown),
             qPrintable(c.logLines()[0]));
    QCOMPARE(c.names()->count(), 0);
    QCOMPARE(c.layers()->count(), 0);
    // No field keeps a value of the layer that was selected.
    for (int k = 0; k < ProgParam::FieldCount; ++k)
        QVERIFY(!c.field(k)->isEnabled() && c.field(k)->text().isEmpty());
    QVERIFY(!c.sel().ParamsChanged);
    QCOMPARE(c.text("lblMassesFile"), QStringLiteral("File: empty.zkv"));
    VERIFY_NO_UNEXPECTED(c);
}

void TestMassesFileUi::addFromFile()
{
    Console c;
    c.selectLayer(1, 0);
    c.dialogs.openAnswers << DemoFile;
    c.trigger("mmAdd");
    QCOMPARE(c.dialogs.callsOf(QStringLiteral("open")).last().caption,
             QStringLiteral("Masses: adding"));
    QCOMPARE(Console::items(c.names()), c.lib().massNames());
    QCOMPARE(c.names()->count(), 12);
    QCOMPARE(c.lib().layerTotal(), 26);
    QCOMPARE(c.record(13).ProgNumber, quint8(14));
    QCOMPARE(c.names()->currentRow(), 1); // what was selected still is
    QCOMPARE(c.layers()->currentRow(), 0);
    QCOMPARE(c.sel().CurrentRow, 2);
    QVERIFY(c.sel().ParamsChanged);
    // Every added name was taken: each gets a free one, and one log line says so.
    QCOMPARE(c.lib().massName(6), QStringLiteral("Opaque (2)"));
    QCOMPARE(c.logLines().size(), 1);
    QVERIFY2(c.logLines()[0].contains(QStringLiteral("\"Dentine\" → \"Dentine (2)\"")),
             qPrintable(c.logLines()[0]));
    QVERIFY(CheckLibraryNames(c.lib()).isEmpty());
}

void TestMassesFileUi::saveThenReopenGivesSameLibrary()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("round.zkv"));
    Console c;
    c.selectLayer(5, 1);
    c.type(0, QStringLiteral("300"));
    c.type(19, QStringLiteral("1:10"));
    c.type(12, QStringLiteral("95"));
    c.dialogs.nameAnswers << QStringLiteral("Пустая") << QStringLiteral("Wash");
    c.click("btnAddMass");
    c.selectLayer(0);
    c.form->lbNamesDblClick();
    const QStringList before = snapshot(c.lib());

    c.dialogs.saveAnswers << path;
    c.click("sbSaveFile");
    QVERIFY(!c.sel().ParamsChanged);
    c.dialogs.openAnswers << path;
    c.click("sbOpenFile");
    QCOMPARE(snapshot(c.lib()), before);
    QCOMPARE(Console::items(c.names()), c.lib().massNames());
    c.selectLayer(5, 1);
    QCOMPARE(c.field(19)->text(), QStringLiteral("1:10"));
    QCOMPARE(c.field(12)->text(), QStringLiteral("1:35"));
    QVERIFY(c.messages().isEmpty());
    VERIFY_NO_UNEXPECTED(c);
}

void TestMassesFileUi::saveProposesTheLastFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("saved.zkv"));
    Console c;
    QLabel *shown = c.get<QLabel>("lblMassesFile");
    QCOMPARE(shown->text(), QStringLiteral("File: demo.zkv"));
    QCOMPARE(shown->accessibleDescription(),
             QStringLiteral("Masses file open: ") +
                 QDir::toNativeSeparators(QFileInfo(DemoFile).absoluteFilePath()));
    c.dialogs.saveAnswers << path << QString();
    c.click("sbSaveFile");
    QCOMPARE(shown->text(), QStringLiteral("File: saved.zkv"));
    c.click("sbSaveFile");
    QCOMPARE(c.dialogs.saveProposals, (QStringList{QFileInfo(DemoFile).absoluteFilePath(),
                                                   QFileInfo(path).absoluteFilePath()}));
    // Adding another file does not change which file the library is saved to.
    c.dialogs.openAnswers << DemoFile;
    c.trigger("mmAdd");
    QCOMPARE(shown->text(), QStringLiteral("File: saved.zkv"));
    c.trigger("mmRussian");
    QCOMPARE(shown->text(), QStringLiteral("Файл: saved.zkv"));
    QCOMPARE(shown->toolTip(), QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));

    Console none{QString()}; // the start-up dialog cancelled
    QCOMPARE(none.text("lblMassesFile"), QStringLiteral("File: none"));
}

QTEST_MAIN(TestMassesFileUi)
#include "tst_massesfileui.moc"
