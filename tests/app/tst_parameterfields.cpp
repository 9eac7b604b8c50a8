// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter fields of the main window offscreen: a layer's record shown, typed, pasted and
// checked, and what leaving a field does.

#include "tests/app/libraryconsole.h"

class TestParameterFields : public QObject
{
    Q_OBJECT
private slots:
    void selectingShowsRecord_data();
    void selectingShowsRecord();
    void graphReturnsToFullView();
    void typedEntry_data();
    void typedEntry();
    void wrongTimeFormat_data();
    void wrongTimeFormat();
    void pastedNonNumber_data();
    void pastedNonNumber();
    void leavingOutOfRangeFieldRefocuses_data();
    void leavingOutOfRangeFieldRefocuses();
    void leavingFieldDuringRunUpdatesProgram();
    void checkProgParams();
    void startButtonNeedsLinkAndNoRun();
    void outOfRangeFieldsAreMarked_data();
    void outOfRangeFieldsAreMarked();
};

void TestParameterFields::selectingShowsRecord_data()
{
    QTest::addColumn<int>("mass");
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("shown"); // Edit1, Edit13, Edit20, lblVacDimension
    QTest::newRow("vacuum off by temperature")
        << 0 << 0 << 0 << QStringList{"450", "1:00", "959", "°C"};
    QTest::newRow("vacuum off by time")
        << 2 << 0 << 5 << QStringList{"450", "0:45", "0:30", "mm:ss"};
    QTest::newRow("last layer") << 5 << 2 << 12 << QStringList{"450", "0:30", "0:20", "mm:ss"};
}

void TestParameterFields::selectingShowsRecord()
{
    QFETCH(int, mass);
    QFETCH(int, layer);
    QFETCH(int, row);
    QFETCH(QStringList, shown);
    Console c;
    c.selectLayer(mass);
    QCOMPARE(c.get("sbUpMass")->toolTip(), QStringLiteral("Move Mass Up"));
    QCOMPARE(c.layers()->item(layer)->data(Qt::UserRole).toInt(), row);
    c.layers()->setCurrentRow(layer);

    QCOMPARE(c.sel().CurrentRow, row);
    for (int k = 0; k < 20; ++k)
        QVERIFY(c.field(k)->isEnabled());
    QVERIFY(c.get("sbFullView")->isEnabled());
    QVERIFY(!c.get("sbStartPrg")->isEnabled()); // no furnace link
    QCOMPARE((QStringList{c.field(0)->text(), c.field(12)->text(), c.field(19)->text(),
                          c.text("lblVacDimension")}),
             shown);
    QCOMPARE(c.text("lblMassSel"), QString::number(row + 1));
    QCOMPARE(c.get("sbUpMass")->toolTip(), QStringLiteral("Move Layer Up"));
    QCOMPARE(c.get("sbDnMass")->toolTip(), QStringLiteral("Move Layer Down"));
    QCOMPARE(c.graph()->record(), c.lib().record(row).get());
    QVERIFY(!c.sel().ParamsChanged); // filling the fields is not editing
    QCOMPARE(c.record(row), *c.sel().CurrentParams);

    // Another mass: no layer is selected any more.
    c.selectLayer(mass == 3 ? 4 : 3);
    QVERIFY(!c.sel().hasLayer());
    QCOMPARE(c.layers()->currentRow(), -1);
    QVERIFY(!c.field(0)->isEnabled());
    QVERIFY(!c.get("sbFullView")->isEnabled());
    QVERIFY(!c.graph()->record());
    QCOMPARE(c.get("sbDnMass")->toolTip(), QStringLiteral("Move Mass Down"));
}

void TestParameterFields::graphReturnsToFullView()
{
    Console c;
    c.selectLayer(0, 0);
    zoomIn(c.graph());
    QVERIFY(!fullView(c.graph(), c.record(0)));
    c.selectLayer(0, 1);
    QVERIFY(fullView(c.graph(), c.record(1)));

    zoomIn(c.graph());
    c.type(10, QStringLiteral("1100")); // HeatTemp
    QCOMPARE(c.record(1).HeatTemp, quint16(1100));
    QCOMPARE(c.graph()->record(), c.lib().record(1).get());
    QVERIFY(fullView(c.graph(), c.record(1)));
}

void TestParameterFields::typedEntry_data()
{
    QTest::addColumn<int>("mass");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("unit"); // lblFiringDimension / lblVacDimension; empty: unchanged
    struct Row {
        const char *name;
        int mass, field;
        const char *keys, *shown;
        int stored;
        const char *unit;
    };
    const Row rows[] = {
        {"firing time m:ss", 0, 12, "1:30", "1:30", 90, "mm:ss"},
        {"firing time seconds", 0, 12, "90", "90", 90, "sec"},
        {"full stop becomes colon", 0, 12, "2.5", "2:5", 125, "mm:ss"},
        {"seconds only", 0, 12, ":30", ":30", 30, "mm:ss"},
        {"minutes only", 0, 12, "2:", "2:", 120, "mm:ss"},
        {"vacuum off by time", 0, 19, "0.30", "0:30", 30, "mm:ss"},
        {"vacuum off by temperature", 2, 19, "850", "850", 850, "°C"},
        {"letters and blanks dropped", 0, 0, "4a 5b0", "450", 450, ""},
        {"full stop dropped elsewhere", 0, 4, "5.50", "550", 550, ""},
        {"empty heating rate", 0, 11, "", "", 1, ""},
        {"empty elsewhere", 0, 1, "", "", 0, ""},
        // Typed key by key: the last value on the way that a field holds is kept.
        {"above 65535 not stored", 0, 4, "65537", "65537", 6553, ""},
    };
    for (const Row &r : rows)
        QTest::newRow(r.name) << r.mass << r.field << r.keys << QString::fromUtf8(r.shown)
                              << r.stored << QString::fromUtf8(r.unit);
}

void TestParameterFields::typedEntry()
{
    QFETCH(int, mass);
    QFETCH(int, field);
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    QFETCH(int, stored);
    QFETCH(QString, unit);
    Console c;
    c.selectLayer(mass, 0);
    const int row = c.sel().CurrentRow;
    const QString firingUnit = c.text("lblFiringDimension");
    c.type(field, keys);
    QCOMPARE(c.field(field)->text(), shown);
    QCOMPARE(int(c.record(row).field(field)), stored);
    QVERIFY(c.sel().ParamsChanged);
    if (field == ProgParam::fFiringTime)
        QCOMPARE(c.text("lblFiringDimension"), unit);
    else
        QCOMPARE(c.text("lblFiringDimension"), firingUnit);
    if (field == ProgParam::fVacOff) {
        const bool byTime = unit == QStringLiteral("mm:ss");
        QCOMPARE(c.record(row).VacOffByTime, quint8(byTime));
        QCOMPARE(c.text("lblVacDimension"), unit);
        QCOMPARE(c.field(19)->toolTip(),
                 (byTime ? Texts::VacOffTimeHint : Texts::VacOffTempHint).text(1));
    }
    QVERIFY(c.messages().isEmpty());
    VERIFY_NO_UNEXPECTED(c);
}

void TestParameterFields::wrongTimeFormat_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("kept"); // the value of the last right form typed on the way
    QTest::newRow("seconds 60") << 12 << "1:60" << 66;
    QTest::newRow("three second digits") << 12 << "1:123" << 72;
    QTest::newRow("vacuum off") << 19 << "0:75" << 7;
}

void TestParameterFields::wrongTimeFormat()
{
    QFETCH(int, field);
    QFETCH(QString, keys);
    QFETCH(int, kept);
    Console c;
    c.selectLayer(0, 0);
    c.field(field)->setFocus();
    c.type(field, keys);
    const auto boxes = c.dialogs.callsOf(QStringLiteral("message"));
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].caption, QStringLiteral("Attention"));
    QCOMPARE(boxes[0].text, QStringLiteral("Wrong time format \"mm:ss\"!"));
    QCOMPARE(boxes[0].icon, Dialogs::Icon::Warning);
    QCOMPARE(int(c.record(0).field(field)), kept);
    QCOMPARE(c.field(field)->text(), keys);

    // Each further change brings the warning back and the focus to the wrong field; the
    // other fields are still applied.
    c.field(1)->setFocus();
    c.type(1, QStringLiteral("3"));
    QCOMPARE(c.messages().size(), 2);
    QCOMPARE(c.record(0).PreDryHold, quint16(3));
    QVERIFY(c.focused(field));

    c.type(field, QStringLiteral("1:05"));
    QCOMPARE(c.messages().size(), 2);
    QCOMPARE(int(c.record(0).field(field)), 65);
}

void TestParameterFields::pastedNonNumber_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("kept");
    QTest::newRow("letters") << 4 << "4x5"
                             << "500";
    QTest::newRow("sign") << 0 << "-20"
                          << "450";
    QTest::newRow("bad seconds") << 12 << "1:x5"
                                 << "1:00";
}

void TestParameterFields::pastedNonNumber()
{
    QFETCH(int, field);
    QFETCH(QString, pasted);
    QFETCH(QString, kept);
    Console c;
    c.selectLayer(0, 0);
    const ProgParam before = c.record(0);
    c.field(field)->selectAll();
    c.field(field)->insert(pasted); // what pasting does; the key filter is not involved
    const auto boxes = c.dialogs.callsOf(QStringLiteral("message"));
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].caption, QStringLiteral("Attention"));
    QVERIFY2(boxes[0].text.contains(QStringLiteral("Edit%1").arg(field + 1)) &&
                 boxes[0].text.contains(pasted),
             qPrintable(boxes[0].text));
    QCOMPARE(c.record(0), before);
    QCOMPARE(c.field(field)->text(), kept);
    // The field shows its value again, so the next edit brings no box.
    c.type(1, QStringLiteral("4"));
    QCOMPARE(c.messages().size(), 1);
    QCOMPARE(c.record(0).PreDryHold, quint16(4));
}

void TestParameterFields::leavingOutOfRangeFieldRefocuses_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("leaveTo");
    QTest::addColumn<QString>("fix");
    QTest::newRow("below the range") << 0 << "5" << 2 << "300";
    QTest::newRow("above the range") << 1 << "20" << 6 << "10";
    QTest::newRow("heating rate") << 11 << "141" << 3 << "140";
    QTest::newRow("firing time") << 12 << "61:00" << 0 << "60:00";
}

void TestParameterFields::leavingOutOfRangeFieldRefocuses()
{
    QFETCH(int, field);
    QFETCH(QString, keys);
    QFETCH(int, leaveTo);
    QFETCH(QString, fix);
    Console c;
    c.selectLayer(0, 0);
    c.field(field)->setFocus(Qt::MouseFocusReason);
    c.type(field, keys);
    c.leaveTo(leaveTo);
    QVERIFY(c.focused(field));
    c.leaveTo(leaveTo);
    QVERIFY(c.focused(field));
    QVERIFY(c.messages().isEmpty()); // silently

    c.type(field, fix);
    c.leaveTo(leaveTo);
    QVERIFY(c.focused(leaveTo));
    QVERIFY(!c.form->link().requests().Pending.isSet(RequestKind::ProgramUpdate));
    VERIFY_NO_UNEXPECTED(c);
}

void TestParameterFields::leavingFieldDuringRunUpdatesProgram()
{
    Console c;
    c.selectLayer(0, 0);
    c.form->console().ProgramRunning = true;
    c.field(0)->setFocus(Qt::MouseFocusReason);
    c.type(0, QStringLiteral("5"));
    c.leaveTo(1);
    QVERIFY(!c.form->link().requests().Pending.isSet(RequestKind::ProgramUpdate));
    c.type(0, QStringLiteral("400"));
    c.leaveTo(1);
    QVERIFY(c.form->link().requests().Pending.isSet(RequestKind::ProgramUpdate));
    c.form->console().ProgramRunning = false;
}

void TestParameterFields::checkProgParams()
{
    Console c;
    QVERIFY(c.form->CheckProgParams()); // no layer selected
    QCOMPARE(c.form->ParamErrorField, quint8(0));
    c.selectLayer(0, 0);
    QVERIFY(!c.form->CheckProgParams());
    c.type(8, QStringLiteral("750")); // PreHeatTemp above 700 passes at PreHeatLevel 100 only
    QVERIFY(!c.form->CheckProgParams());
    c.type(6, QStringLiteral("99"));
    QVERIFY(c.form->CheckProgParams());
    QCOMPARE(c.form->ParamErrorField, quint8(8));
}

void TestParameterFields::startButtonNeedsLinkAndNoRun()
{
    ConsoleOptions options;
    options.port = SimulatorPortName;
    options.lineFactory = [](const QString &) {
        auto line = std::make_unique<SimulatorLine>();
        line->controller().setSpeed(0);
        return line;
    };
    Console c(DemoFile, std::move(options));
    QVERIFY(c.form->link().isRunning());
    QVERIFY(!c.get("sbStartPrg")->isEnabled());
    c.selectLayer(0, 0);
    QVERIFY(c.get("sbStartPrg")->isEnabled());
    c.selectLayer(1);
    QVERIFY(!c.get("sbStartPrg")->isEnabled());
    c.form->console().ProgramRunning = true;
    c.layers()->setCurrentRow(0);
    QVERIFY(!c.get("sbStartPrg")->isEnabled());
    c.form->console().ProgramRunning = false;
}

void TestParameterFields::outOfRangeFieldsAreMarked_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("typed"); // else pasted
    QTest::addColumn<QString>("range");
    QTest::newRow("65802 pasted in Edit9") << 8 << "65802" << false << "20…1150";
    QTest::newRow("1100:00 typed in Edit13") << 12 << "1100:00" << true << "0:00…60:00";
    QTest::newRow("huge number pasted") << 10 << "99999999999" << false << "20…1150";
    QTest::newRow("below the range") << 0 << "5" << true << "20…700";
}

void TestParameterFields::outOfRangeFieldsAreMarked()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(bool, typed);
    QFETCH(QString, range);
    Console c;
    c.selectLayer(0, 0);
    QLineEdit *edit = c.field(field);
    const QString shown = edit->text();
    const QString hint = edit->toolTip();
    edit->setFocus(Qt::MouseFocusReason);
    if (typed) {
        c.type(field, text);
    } else {
        edit->selectAll();
        edit->insert(text);
    }
    QCOMPARE(edit->text(), text);
    // Marked, with the range in the hint; leaving returns the focus, silently.
    QVERIFY(edit->property("outOfRange").toBool() && !edit->styleSheet().isEmpty());
    QCOMPARE(edit->toolTip(), hint + "\nThe value is outside its range: " + range + '.');
    c.leaveTo(field == 0 ? 1 : 0);
    QVERIFY(c.focused(field));
    QVERIFY(c.messages().isEmpty());

    c.type(field, shown);
    QVERIFY(!edit->property("outOfRange").toBool() && edit->styleSheet().isEmpty());
    QCOMPARE(edit->toolTip(), hint);
    c.leaveTo(field == 0 ? 1 : 0);
    QVERIFY(!c.focused(field));
}

QTEST_MAIN(TestParameterFields)
#include "tst_parameterfields.moc"
