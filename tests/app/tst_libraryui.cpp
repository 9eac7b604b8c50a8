// The library half of the main window offscreen: masses and layers, the parameter fields and
// the masses-file commands.

#include "Unit1.h"
#include "consolelines.h"
#include "curveviewstate.h"
#include "firingcurveview.h"
#include "furnacecontroller.h"
#include "link.h"
#include "massesfile.h"
#include "namerules.h"
#include "scripteddialogs.h"
#include "simulatorline.h"
#include "texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace
{

const QString DemoFile = QStringLiteral(ZKV_SOURCE_DIR "/examples/demo.zkv");
const QString Unwritable = QStringLiteral("/nonexistent-zkv-dir/masses.zkv");

/// Scripted dialogs that also keep the last name request, to check its preset and validator.
class LibraryDialogs : public ScriptedDialogs
{
public:
    NameRequest lastName;
    std::optional<QString> askName(QWidget *parent, const NameRequest &request) override
    {
        lastName = request;
        return ScriptedDialogs::askName(parent, request);
    }
};

/// A shown console started with a masses file (the demo library by default) and no port.
/// The demo holds Opaque (rows 0-1), Dentine (2-4), Enamel (5-6), Glaze (7-8), Correction (9)
/// and a sixth mass (10-12).
struct Console {
    LibraryDialogs dialogs;
    std::unique_ptr<TForm1> form;

    explicit Console(const QString &startFile = DemoFile, ConsoleOptions options = {})
    {
        if (!options.port)
            dialogs.portAnswers << decltype(dialogs.portAnswers)::value_type{}; // no port
        dialogs.openAnswers << startFile;
        form = std::make_unique<TForm1>(std::move(options), dialogs);
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    template<typename T = QWidget>
    T *get(const char *name) const
    {
        return form->findChild<T *>(QString::fromLatin1(name));
    }
    QLineEdit *field(int k) const
    {
        return form->findChild<QLineEdit *>(QStringLiteral("Edit%1").arg(k + 1));
    }
    QListWidget *names() const { return get<QListWidget>("lbNames"); }
    QListWidget *layers() const { return get<QListWidget>("lbLayers"); }
    FiringCurveView *graph() const { return get<FiringCurveView>("pbGraph"); }
    QString text(const char *label) const { return get<QLabel>(label)->text(); }
    LibrarySelection &sel() const { return form->selection(); }
    const MassLibrary &lib() const { return form->library(); }
    const ProgParam &record(int row) const { return *lib().record(row); }

    void selectLayer(int m, int p = -1) const
    {
        names()->setCurrentRow(m);
        if (p >= 0)
            layers()->setCurrentRow(p);
    }
    void click(const char *name) const { get<QAbstractButton>(name)->click(); }
    void trigger(const char *name) const { get<QAction>(name)->trigger(); }
    void doubleClick(QListWidget *list, int row) const
    {
        // As the system delivers it: a click, then the double click and its release.
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
    }
    /// Types `keys` over the whole text of field k (an empty text: Backspace).
    void type(int k, const QString &keys) const
    {
        field(k)->selectAll();
        if (keys.isEmpty())
            QTest::keyClick(field(k), Qt::Key_Backspace);
        else
            QTest::keyClicks(field(k), keys);
    }
    void leaveTo(int k) const { field(k)->setFocus(Qt::TabFocusReason); }
    bool focused(int k) const { return QApplication::focusWidget() == field(k); }
    static QStringList items(const QListWidget *list)
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    QStringList messages() const
    {
        QStringList out;
        for (const auto &call : dialogs.callsOf(QStringLiteral("message")))
            out << call.text;
        return out;
    }
    QStringList logLines() const
    {
        return get<QPlainTextEdit>("mMessage")
            ->toPlainText()
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    /// The answer of a save dialog: "file" (path), "fail" (unwritable) or cancelled.
    void answerSave(const QString &how, const QString &path)
    {
        dialogs.saveAnswers << (how == "file" ? path : how == "fail" ? Unwritable : QString());
    }
    /// Scripts the answer ("save", "discard" or "cancel") to the question whether to save
    /// changes, and for "save" the save dialog's answer as answerSave() takes it.
    void answerSaveChanges(const QString &answer, const QString &save, const QString &path)
    {
        dialogs.saveChangesAnswers << (answer == "save"      ? Dialogs::SaveAnswer::Save
                                       : answer == "discard" ? Dialogs::SaveAnswer::Discard
                                                             : Dialogs::SaveAnswer::Cancel);
        if (answer == "save")
            answerSave(save, path);
    }
    /// The question whether to save changes was asked once, in `language`, with its buttons.
    void verifySaveQuestion(quint8 language) const
    {
        QCOMPARE(dialogs.callsOf(QStringLiteral("save changes")).size(), 1);
        const SaveQuestion &q = dialogs.lastSaveQuestion;
        const bool ru = language == 0;
        QCOMPARE(q.caption, ru ? QStringLiteral("Внимание") : QStringLiteral("Attention"));
        QCOMPARE(q.text, ru ? QStringLiteral("Параметры были изменены.\nСохранить?")
                            : QStringLiteral("Save changed parameters?"));
        QCOMPARE((QStringList{q.save, q.discard, q.cancel}),
                 ru ? QStringList({"Сохранить", "Не сохранять", "Отмена"})
                    : QStringList({"Save", "Don't save", "Cancel"}));
    }
};

/// A masses file in `dir` whose "Mass" section holds `lines` (records missing: all zero).
QString massesFile(const QTemporaryDir &dir, const QByteArray &lines)
{
    const QString path = dir.filePath(QStringLiteral("masses.zkv"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("[Mass]\r\n" + lines) < 0)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

/// The library as plain values: mass names, then per row mass, name and record bytes.
QStringList snapshot(const MassLibrary &library)
{
    QStringList out = library.massNames();
    for (int r = 0; r < library.layerTotal(); ++r) {
        const ProgParam::Payload bytes = library.record(r)->toPayload();
        out << QStringLiteral("%1/%2/")
                       .arg(library.storage().Row(r).mass)
                       .arg(library.storage().Row(r).name) +
                   QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(bytes.data()),
                                                  qsizetype(bytes.size()))
                                           .toHex());
    }
    return out;
}

bool fullView(const FiringCurveView *graph, const ProgParam &record)
{
    CurveViewState expected = graph->viewState();
    expected.TotalScale(record);
    const CurveViewState &now = graph->viewState();
    return now.ViewTempMin == expected.ViewTempMin && now.ViewTempMax == expected.ViewTempMax &&
           now.ViewTimeStart == expected.ViewTimeStart && now.ViewTimeEnd == expected.ViewTimeEnd;
}

void zoomIn(FiringCurveView *graph)
{
    graph->setZoomMode(ZoomMode::In);
    graph->pbGraphMouseDown(Qt::LeftButton, {}, 300, 100);
    graph->setZoomMode(ZoomMode::None);
}

} // namespace

#define VERIFY_NO_UNEXPECTED(c)                                                                    \
    QVERIFY2((c).dialogs.unexpected.isEmpty(),                                                     \
             qPrintable((c).dialogs.unexpected.join(QStringLiteral("; "))))

class TestLibraryUi : public QObject
{
    Q_OBJECT
private slots:
    void startUpOpensTheOfferedFile();
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
    void reclickingTheSelectedItem_data();
    void reclickingTheSelectedItem();
    void renameKeepsAnUntouchedName_data();
    void renameKeepsAnUntouchedName();
    void outOfRangeFieldsAreMarked_data();
    void outOfRangeFieldsAreMarked();
    void saveProposesTheLastFile();
    void longNamesShownCut();
};

void TestLibraryUi::startUpOpensTheOfferedFile()
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

void TestLibraryUi::selectingShowsRecord_data()
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

void TestLibraryUi::selectingShowsRecord()
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

void TestLibraryUi::graphReturnsToFullView()
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

void TestLibraryUi::typedEntry_data()
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

void TestLibraryUi::typedEntry()
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

void TestLibraryUi::wrongTimeFormat_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("kept"); // the value of the last right form typed on the way
    QTest::newRow("seconds 60") << 12 << "1:60" << 66;
    QTest::newRow("three second digits") << 12 << "1:123" << 72;
    QTest::newRow("vacuum off") << 19 << "0:75" << 7;
}

void TestLibraryUi::wrongTimeFormat()
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

void TestLibraryUi::pastedNonNumber_data()
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

void TestLibraryUi::pastedNonNumber()
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

void TestLibraryUi::leavingOutOfRangeFieldRefocuses_data()
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

void TestLibraryUi::leavingOutOfRangeFieldRefocuses()
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

void TestLibraryUi::leavingFieldDuringRunUpdatesProgram()
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

void TestLibraryUi::checkProgParams()
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

void TestLibraryUi::startButtonNeedsLinkAndNoRun()
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

void TestLibraryUi::addAndRenameMass()
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

void TestLibraryUi::deleteMass_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
}

void TestLibraryUi::deleteMass()
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

void TestLibraryUi::addLayerAndLayerLimit()
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

void TestLibraryUi::deleteLayer_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
}

void TestLibraryUi::deleteLayer()
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

void TestLibraryUi::renameLayer()
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

void TestLibraryUi::moves_data()
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

void TestLibraryUi::moves()
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

void TestLibraryUi::copyPaste()
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

void TestLibraryUi::bufferEmptiedWhenSourceGoes_data()
{
    QTest::addColumn<bool>("byOpen");
    QTest::newRow("layer deleted") << false;
    QTest::newRow("library replaced") << true;
}

void TestLibraryUi::bufferEmptiedWhenSourceGoes()
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

void TestLibraryUi::languageSwitchRecaptionsLibraryTexts()
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

void TestLibraryUi::structuralEditsMarkChanged_data()
{
    QTest::addColumn<QString>("edit");
    for (const char *edit : {"add mass", "delete mass", "rename mass", "add layer", "delete layer",
                             "rename layer", "move mass", "move layer", "paste", "add from file"})
        QTest::newRow(edit) << QString::fromLatin1(edit);
}

void TestLibraryUi::structuralEditsMarkChanged()
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

void TestLibraryUi::closing_data()
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

void TestLibraryUi::closing()
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

void TestLibraryUi::openWithUnsavedChanges_data()
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

void TestLibraryUi::openWithUnsavedChanges()
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

void TestLibraryUi::failedSaveIsReported()
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

void TestLibraryUi::saveRefusesNamesTheFileCannotHold()
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

void TestLibraryUi::unreadableRecordsAreLogged()
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

void TestLibraryUi::unreadableFileKeepsLibrary_data()
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

void TestLibraryUi::unreadableFileKeepsLibrary()
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

void TestLibraryUi::emptyFileOpensEmpty_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("open") << "mmOpen";
    QTest::newRow("add") << "mmAdd";
}

void TestLibraryUi::emptyFileOpensEmpty()
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

void TestLibraryUi::addFromFile()
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

void TestLibraryUi::saveThenReopenGivesSameLibrary()
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

void TestLibraryUi::reclickingTheSelectedItem_data()
{
    QTest::addColumn<bool>("layer");
    QTest::newRow("mass: back to moving the mass") << false;
    QTest::newRow("layer: shown again, in full view") << true;
}

void TestLibraryUi::reclickingTheSelectedItem()
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

void TestLibraryUi::renameKeepsAnUntouchedName_data()
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

void TestLibraryUi::renameKeepsAnUntouchedName()
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

void TestLibraryUi::outOfRangeFieldsAreMarked_data()
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

void TestLibraryUi::outOfRangeFieldsAreMarked()
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

void TestLibraryUi::saveProposesTheLastFile()
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

void TestLibraryUi::longNamesShownCut()
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

QTEST_MAIN(TestLibraryUi)

#include "tst_libraryui.moc"
