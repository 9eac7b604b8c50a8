// SPDX-License-Identifier: GPL-3.0-or-later
// Editing the library in the main window offscreen: masses and layers added, renamed, deleted,
// moved, copied and pasted.

#include "tests/app/libraryconsole.h"

class TestLibraryEditing : public QObject
{
    Q_OBJECT
private slots:
    void addAndRenameMass();
    void deleteMass_data();
    void deleteMass();
    void addLayerAndLayerLimit();
    void deleteLayer_data();
    void deleteLayer();
    void renameLayer();
    void moves_data();
    void moves();
    void copyPaste();
    void bufferEmptiedWhenSourceGoes_data();
    void bufferEmptiedWhenSourceGoes();
    void languageSwitchRecaptionsLibraryTexts();
    void structuralEditsMarkChanged_data();
    void structuralEditsMarkChanged();
    void reclickingTheSelectedItem_data();
    void reclickingTheSelectedItem();
    void renameKeepsAnUntouchedName_data();
    void renameKeepsAnUntouchedName();
    void longNamesShownCut();
};

void TestLibraryEditing::addAndRenameMass()
{
    Console c;
    c.selectLayer(1, 2);
    c.dialogs.nameAnswers << std::nullopt << QStringLiteral("Frit") << QStringLiteral("dentine");
    c.click("btnAddMass"); // cancelled
    QVERIFY(!c.sel().ParamsChanged);
    c.click("btnAddMass");
    NameRequest request = c.dialogs.lastName;
    QCOMPARE(request.caption, QStringLiteral("Add Mass"));
    QCOMPARE(request.prompt, QStringLiteral("Name:"));
    QVERIFY(request.note.isEmpty() && !request.numeric);
    QVERIFY(!request.preset); // the dialog keeps its previous text
    QCOMPARE(request.language, quint8(1));
    QVERIFY(request.validate(QStringLiteral("Frit 2")).isEmpty());
    for (const char *bad : {"opaque", "a=b", "[x", "", "a name of 19 letters"})
        QVERIFY2(!request.validate(QString::fromUtf8(bad)).isEmpty(), bad);
    QCOMPARE(Console::items(c.names()), c.lib().massNames());
    QCOMPARE(c.lib().massNames().last(), QStringLiteral("Frit"));
    QVERIFY(c.logLines().last().endsWith(QStringLiteral(" Mass added.")));
    QVERIFY(c.sel().ParamsChanged);
    QCOMPARE(c.names()->currentRow(), 1); // the selection is as it was
    QCOMPARE(c.layers()->currentRow(), 2);
    QCOMPARE(c.sel().CurrentRow, 4);

    // A dialog that let a clashing name through: refused with the reason.
    c.click("btnAddMass");
    QCOMPARE(c.lib().massCount(), 7);
    QCOMPARE(c.messages().size(), 1);
    QVERIFY2(c.messages()[0].contains(QStringLiteral("already exists")),
             qPrintable(c.messages()[0]));

    c.dialogs.nameAnswers << QStringLiteral("ENAMEL 2");
    c.doubleClick(c.names(), 2);
    request = c.dialogs.lastName;
    QCOMPARE(request.caption, QStringLiteral("Mass rename"));
    QCOMPARE(request.preset, std::optional<QString>(QStringLiteral("Enamel")));
    QVERIFY(request.validate(QStringLiteral("enamel")).isEmpty()); // its own name
    QVERIFY(!request.validate(QStringLiteral("Glaze")).isEmpty());
    QCOMPARE(c.lib().massName(2), QStringLiteral("ENAMEL 2"));
    QCOMPARE(c.names()->item(2)->text(), QStringLiteral("ENAMEL 2"));
    QCOMPARE(c.names()->currentRow(), 2);
    VERIFY_NO_UNEXPECTED(c);
}

void TestLibraryEditing::deleteMass_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
}

void TestLibraryEditing::deleteMass()
{
    QFETCH(bool, confirm);
    Console c;
    const QStringList before = snapshot(c.lib());
    c.selectLayer(1, 0);
    c.dialogs.questionAnswers << confirm;
    c.click("btnDelMass");
    const auto questions = c.dialogs.callsOf(QStringLiteral("question"));
    QCOMPARE(questions.size(), 1);
    QCOMPARE(questions[0].caption, QStringLiteral("Attention"));
    QCOMPARE(questions[0].text, QStringLiteral("Are you sure to delete the Mass?"));
    QCOMPARE(c.sel().ParamsChanged, confirm);
    if (!confirm) {
        QCOMPARE(snapshot(c.lib()), before);
        QVERIFY(c.sel().hasLayer());
        return;
    }
    QCOMPARE(Console::items(c.names()), c.lib().massNames());
    QCOMPARE(c.lib().massNames().mid(0, 2), (QStringList{"Opaque", "Enamel"}));
    QCOMPARE(c.lib().layerTotal(), 10);
    QCOMPARE(c.lib().storage().Row(2).mass, 1); // Enamel's first layer, renumbered
    QCOMPARE(c.names()->currentRow(), -1);
    QCOMPARE(c.layers()->count(), 0);
    QVERIFY(!c.field(0)->isEnabled());
    QVERIFY(!c.graph()->record());
    QCOMPARE(c.text("lblMassSel"), QStringLiteral("1"));
    QVERIFY(c.logLines().last().endsWith(QStringLiteral(" Mass deleted.")));
}

void TestLibraryEditing::addLayerAndLayerLimit()
{
    Console c;
    c.click("btnAddLayer");
    QCOMPARE(c.messages(), QStringList{QStringLiteral("Mass must have been selected!")});
    QVERIFY(c.dialogs.callsOf(QStringLiteral("name")).isEmpty());

    c.selectLayer(4, 0); // Correction: one layer, row 9
    c.dialogs.nameAnswers << QStringLiteral("Bake");
    c.click("btnAddLayer");
    QCOMPARE(c.dialogs.lastName.caption, QStringLiteral("Add Layer"));
    QVERIFY(c.dialogs.lastName.validate(QStringLiteral("x=y")).isEmpty()); // layers may
    QVERIFY(!c.dialogs.lastName.validate(QStringLiteral("x\ty")).isEmpty());
    QCOMPARE(Console::items(c.layers()), (QStringList{"Add-on", "Bake"}));
    QCOMPARE(c.layers()->item(1)->data(Qt::UserRole).toInt(), 10);
    QCOMPARE(c.record(10), ProgParam{});
    QCOMPARE(c.lib().storage().Row(11).mass, 5); // the last mass moved one row on
    QVERIFY(c.logLines().last().endsWith(QStringLiteral(" Layer added.")));
    QCOMPARE(c.layers()->currentRow(), 0); // the selected layer stays selected
    QVERIFY(c.sel().ParamsChanged);

    for (int i = 0; i < 9; ++i) {
        c.dialogs.nameAnswers << QStringLiteral("L%1").arg(i);
        c.click("btnAddLayer");
    }
    QCOMPARE(c.layers()->count(), 11);
    const auto nameDialogs = c.dialogs.callsOf(QStringLiteral("name")).size();
    c.click("btnAddLayer");
    QCOMPARE(c.dialogs.callsOf(QStringLiteral("name")).size(), nameDialogs); // none asked for
    QCOMPARE(c.messages().last(), QStringLiteral("A mass can hold at most 11 layers."));
    QCOMPARE(c.lib().layerCount(4), 11);
    VERIFY_NO_UNEXPECTED(c);
}

void TestLibraryEditing::deleteLayer_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
}

void TestLibraryEditing::deleteLayer()
{
    QFETCH(bool, confirm);
    Console c;
    c.selectLayer(1, 1);
    c.dialogs.questionAnswers << confirm;
    c.click("btnDelLayer");
    QCOMPARE(c.dialogs.callsOf(QStringLiteral("question")).value(0).text,
             QStringLiteral("Are you sure to delete the Layer?"));
    QStringList kept{"Dentine 1", "Dentine 2", "Dentine correction"};
    if (confirm)
        kept.removeAt(1);
    QCOMPARE(Console::items(c.layers()), kept);
    QCOMPARE(c.lib().layerTotal(), confirm ? 12 : 13);
    QCOMPARE(c.sel().ParamsChanged, confirm);
    QCOMPARE(c.logLines().value(0).endsWith(QStringLiteral(" Layer deleted.")), confirm);
    // Either way the list is refreshed and no layer stays selected.
    QCOMPARE(c.layers()->currentRow(), -1);
    QVERIFY(!c.field(0)->isEnabled());
    QVERIFY(!c.graph()->record());
    for (int i = 0; i < c.layers()->count(); ++i)
        QCOMPARE(c.layers()->item(i)->data(Qt::UserRole).toInt(), 2 + i);
}

void TestLibraryEditing::renameLayer()
{
    Console c;
    c.selectLayer(3);
    c.dialogs.nameAnswers << QStringLiteral("Stain");
    c.doubleClick(c.layers(), 1);
    QCOMPARE(c.dialogs.lastName.caption, QStringLiteral("Layer rename"));
    QCOMPARE(c.dialogs.lastName.preset, std::optional<QString>(QStringLiteral("Stain and glaze")));
    QCOMPARE(c.lib().storage().Row(8).name, QStringLiteral("Stain"));
    QCOMPARE(Console::items(c.layers()), (QStringList{"Glaze", "Stain"}));
    QCOMPARE(c.layers()->currentRow(), -1);
    QVERIFY(c.sel().ParamsChanged);
    VERIFY_NO_UNEXPECTED(c);
}

void TestLibraryEditing::moves_data()
{
    QTest::addColumn<int>("mass");
    QTest::addColumn<int>("layer"); // -1: only the mass is selected
    QTest::addColumn<bool>("up");
    QTest::addColumn<QString>("masses"); // initials of the first three masses
    QTest::addColumn<QStringList>("layers");
    QTest::addColumn<int>("massRow");
    QTest::addColumn<int>("layerRow");
    const QStringList dentine{"Dentine 1", "Dentine 2", "Dentine correction"};
    QTest::newRow("mass up") << 1 << -1 << true << "DOE" << dentine << 0 << -1;
    QTest::newRow("mass down") << 1 << -1 << false << "OED" << dentine << 2 << -1;
    QTest::newRow("first mass up")
        << 0 << -1 << true << "ODE" << QStringList{"Wash opaque", "Opaque"} << 0 << -1;
    QTest::newRow("layer down") << 1 << 0 << false << "ODE"
                                << QStringList{"Dentine 2", "Dentine 1", "Dentine correction"} << 1
                                << 1;
    QTest::newRow("layer up") << 1 << 2 << true << "ODE"
                              << QStringList{"Dentine 1", "Dentine correction", "Dentine 2"} << 1
                              << 1;
    QTest::newRow("first layer up") << 1 << 0 << true << "ODE" << dentine << 1 << 0;
    QTest::newRow("last layer down") << 1 << 2 << false << "ODE" << dentine << 1 << 2;
}

void TestLibraryEditing::moves()
{
    QFETCH(int, mass);
    QFETCH(int, layer);
    QFETCH(bool, up);
    QFETCH(QString, masses);
    QFETCH(QStringList, layers);
    QFETCH(int, massRow);
    QFETCH(int, layerRow);
    Console c;
    c.selectLayer(mass, layer);
    const QStringList before = snapshot(c.lib());
    const ProgParam *selected = c.sel().CurrentParams.get();
    c.click(up ? "sbUpMass" : "sbDnMass");
    QString initials;
    for (int i = 0; i < 3; ++i)
        initials += c.names()->item(i)->text().front();
    QCOMPARE(initials, masses);
    QCOMPARE(Console::items(c.layers()), layers);
    QCOMPARE(c.names()->currentRow(), massRow);
    QCOMPARE(c.layers()->currentRow(), layerRow);
    QCOMPARE(c.sel().ParamsChanged, snapshot(c.lib()) != before);
    if (layer >= 0) {
        // The moved layer stays selected and shown.
        QCOMPARE(c.sel().CurrentParams.get(), selected);
        QCOMPARE(c.graph()->record(), selected);
        QCOMPARE(c.text("lblMassSel"), QString::number(c.sel().CurrentRow + 1));
        QVERIFY(c.field(0)->isEnabled());
    }
    for (int i = 0; i < c.layers()->count(); ++i)
        QCOMPARE(c.lib().storage().Row(c.layers()->item(i)->data(Qt::UserRole).toInt()).name,
                 layers[i]);
}

void TestLibraryEditing::copyPaste()
{
    Console c;
    c.trigger("mmCopy");
    c.trigger("mmPaste");
    QCOMPARE(c.messages(), (QStringList{"Program must have been selected!", "Buffer is empty!"}));
    for (const auto &box : c.dialogs.callsOf(QStringLiteral("message")))
        QVERIFY(box.caption == QStringLiteral("Attention") && box.icon == Dialogs::Icon::Error);

    // Copy remembers the layer: an edit made after Copy is pasted too.
    c.selectLayer(2, 0); // row 5, vacuum off by time
    c.trigger("mmCopy");
    c.type(0, QStringLiteral("400"));
    c.sel().ParamsChanged = false;
    c.selectLayer(0, 0);
    c.trigger("mmPaste");
    QCOMPARE(c.record(0).toPayload(), c.record(5).toPayload());
    QCOMPARE(c.record(0).ProgNumber, quint8(6));
    QCOMPARE(c.field(0)->text(), QStringLiteral("400"));
    QCOMPARE(c.field(19)->text(), QStringLiteral("0:30"));
    QCOMPARE(c.text("lblVacDimension"), QStringLiteral("mm:ss"));
    QVERIFY(c.sel().ParamsChanged);

    c.selectLayer(1); // no layer to paste into
    c.trigger("mmPaste");
    QCOMPARE(c.messages().size(), 3);
    QCOMPARE(c.messages().last(), QStringLiteral("Program must have been selected!"));
}

void TestLibraryEditing::bufferEmptiedWhenSourceGoes_data()
{
    QTest::addColumn<bool>("byOpen");
    QTest::newRow("layer deleted") << false;
    QTest::newRow("library replaced") << true;
}

void TestLibraryEditing::bufferEmptiedWhenSourceGoes()
{
    QFETCH(bool, byOpen);
    Console c;
    c.selectLayer(2, 0);
    c.trigger("mmCopy");
    if (byOpen) {
        c.dialogs.openAnswers << DemoFile;
        c.trigger("mmOpen");
    } else {
        c.dialogs.questionAnswers << true;
        c.click("btnDelLayer");
    }
    c.selectLayer(0, 0);
    const ProgParam before = c.record(0);
    c.trigger("mmPaste");
    QCOMPARE(c.messages(), QStringList{QStringLiteral("Buffer is empty!")});
    QCOMPARE(c.record(0), before);
    VERIFY_NO_UNEXPECTED(c);
}

void TestLibraryEditing::languageSwitchRecaptionsLibraryTexts()
{
    Console c;
    c.selectLayer(2, 0);
    c.trigger("mmRussian");
    QCOMPARE(c.get("sbUpMass")->toolTip(), QStringLiteral("Перемещение слоя вверх"));
    QCOMPARE(c.field(19)->toolTip(), Texts::VacOffTimeHint.text(0));
    QCOMPARE(c.text("lblVacDimension"), QStringLiteral("мм:сс"));
    c.selectLayer(0);
    QCOMPARE(c.get("sbDnMass")->toolTip(), QStringLiteral("Перемещение массы вниз"));
    c.dialogs.nameAnswers << std::nullopt;
    c.click("btnAddMass");
    QCOMPARE(c.dialogs.lastName.caption, QStringLiteral("Добавить массу"));
    QCOMPARE(c.dialogs.lastName.prompt, QStringLiteral("Название:"));
    QCOMPARE(c.dialogs.lastName.language, quint8(0));
}

void TestLibraryEditing::structuralEditsMarkChanged_data()
{
    QTest::addColumn<QString>("edit");
    for (const char *edit : {"add mass", "delete mass", "rename mass", "add layer", "delete layer",
                             "rename layer", "move mass", "move layer", "paste", "add from file"})
        QTest::newRow(edit) << QString::fromLatin1(edit);
}

void TestLibraryEditing::structuralEditsMarkChanged()
{
    QFETCH(QString, edit);
    Console c;
    c.selectLayer(1, 1);
    auto &d = c.dialogs;
    d.nameAnswers << QStringLiteral("New");
    d.questionAnswers << true;
    d.openAnswers << DemoFile;
    if (edit == "add mass")
        c.click("btnAddMass");
    else if (edit == "delete mass")
        c.click("btnDelMass");
    else if (edit == "rename mass")
        c.form->lbNamesDblClick();
    else if (edit == "add layer")
        c.click("btnAddLayer");
    else if (edit == "delete layer")
        c.click("btnDelLayer");
    else if (edit == "rename layer")
        c.form->lbLayersDblClick();
    else if (edit == "move mass") {
        c.selectLayer(1);
        c.click("sbUpMass");
    } else if (edit == "move layer") {
        c.click("sbUpMass");
    } else if (edit == "paste") {
        c.trigger("mmCopy");
        c.selectLayer(0, 0);
        c.trigger("mmPaste");
    } else if (edit == "add from file")
        c.trigger("mmAdd");
    QVERIFY(c.sel().ParamsChanged);
    d.saveChangesAnswers = {Dialogs::SaveAnswer::Discard}; // closing: do not save
    QVERIFY(c.form->close());
    QCOMPARE(d.callsOf(QStringLiteral("save changes")).last().text,
             QStringLiteral("Save changed parameters?"));
    VERIFY_NO_UNEXPECTED(c);
}

void TestLibraryEditing::reclickingTheSelectedItem_data()
{
    QTest::addColumn<bool>("layer");
    QTest::newRow("mass: back to moving the mass") << false;
    QTest::newRow("layer: shown again, in full view") << true;
}

void TestLibraryEditing::reclickingTheSelectedItem()
{
    QFETCH(bool, layer);
    Console c;
    c.selectLayer(1, 1);
    zoomIn(c.graph());
    QListWidget *list = layer ? c.layers() : c.names();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    QCOMPARE(c.sel().hasLayer(), layer);
    QCOMPARE(c.get("sbUpMass")->toolTip(),
             QString::fromLatin1(layer ? "Move Layer Up" : "Move Mass Up"));
    QCOMPARE(c.layers()->currentRow(), layer ? 1 : -1);
    QCOMPARE(c.field(0)->isEnabled(), layer);
    if (layer)
        QVERIFY(fullView(c.graph(), c.record(3)));

    // The keyboard still selects.
    c.names()->setFocus();
    QTest::keyClick(c.names(), Qt::Key_Down);
    QCOMPARE(c.sel().CurrentMass, 2);
    QCOMPARE(Console::items(c.layers()), c.lib().layerNames(2));
}

void TestLibraryEditing::renameKeepsAnUntouchedName_data()
{
    QTest::addColumn<bool>("layer");
    QTest::addColumn<QString>("answer"); // "=": the preset as it was
    QTest::addColumn<QString>("name");   // afterwards; "=": the name read from the file
    QTest::addColumn<bool>("refused");
    QTest::newRow("mass kept") << false << "="
                               << "=" << false;
    QTest::newRow("mass edited, too long") << false << "=x"
                                           << "=" << true;
    QTest::newRow("layer typed with blanks") << true << " Bake  "
                                             << "Bake" << false;
}

void TestLibraryEditing::renameKeepsAnUntouchedName()
{
    QFETCH(bool, layer);
    QFETCH(QString, answer);
    QFETCH(QString, name);
    QFETCH(bool, refused);
    const QString massName = QStringLiteral("A mass name of 25 chars!!");
    const QString layerName = QStringLiteral("A layer name of 26 chars!!");
    QTemporaryDir dir;
    Console c(massesFile(dir, massName.toLatin1() + '=' + layerName.toLatin1() + "\r\n"));
    c.selectLayer(0, 0);
    const QString old = layer ? layerName : massName;
    c.dialogs.nameAnswers << QString(answer).replace(QLatin1Char('='), old);
    if (layer)
        c.form->lbLayersDblClick();
    else
        c.form->lbNamesDblClick();
    QCOMPARE(c.dialogs.lastName.preset, std::optional<QString>(old));
    QVERIFY(c.dialogs.lastName.trimBlanks);
    const QString now = layer ? c.lib().storage().Row(0).name : c.lib().massName(0);
    QCOMPARE(now, name == "=" ? old : name);
    QCOMPARE(c.sel().ParamsChanged, name != "=");
    QCOMPARE(c.messages().size(), refused ? 1 : 0);
}

void TestLibraryEditing::longNamesShownCut()
{
    // Masses files do not limit names: the library keeps them whole, the lists show them cut.
    QString huge(256 * 1024, QLatin1Char('m'));
    const QString layer = QStringLiteral("L") + QString(100, QLatin1Char('y'));
    QTemporaryDir dir;
    Console c(massesFile(dir, "Short=\r\n" + huge.toLatin1() + '=' + layer.toLatin1() + "\r\n"));
    QCOMPARE(c.lib().massName(1), huge);
    QVERIFY(c.names()->item(0)->toolTip().isEmpty()); // "Short": shown whole
    const QString shown = c.names()->item(1)->text();
    QVERIFY2(shown.size() <= 80 && shown.endsWith(QChar(0x2026)), qPrintable(shown));
    const QString tip = c.names()->item(1)->toolTip();
    QVERIFY(tip.startsWith(huge.left(80) + '\n') && tip.size() < 3000);
    c.selectLayer(1);
    QCOMPARE(c.layers()->item(0)->toolTip().remove('\n'), layer);
    QCOMPARE(c.lib().layerNames(1), QStringList{layer});
}

QTEST_MAIN(TestLibraryEditing)
#include "tst_libraryediting.moc"
