// SPDX-License-Identifier: GPL-3.0-or-later
// The main window with a masses file open, as the library tests drive it: scripted dialogs,
// clicks and keys by objectName, snapshots of the library.

#pragma once

#include "app/Unit1.h"
#include "app/consolelines.h"
#include "app/texts.h"
#include "graph/curveviewstate.h"
#include "graph/firingcurveview.h"
#include "library/massesfile.h"
#include "library/namerules.h"
#include "link/link.h"
#include "sim/furnacecontroller.h"
#include "sim/simulatorline.h"
#include "tests/support/scripteddialogs.h"

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

inline const QString DemoFile = QStringLiteral(ZKV_SOURCE_DIR "/examples/demo.zkv");
inline const QString Unwritable = QStringLiteral("/nonexistent-zkv-dir/masses.zkv");

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
inline QString massesFile(const QTemporaryDir &dir, const QByteArray &lines)
{
    const QString path = dir.filePath(QStringLiteral("masses.zkv"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("[Mass]\r\n" + lines) < 0)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

/// The library as plain values: mass names, then per row mass, name and record bytes.
inline QStringList snapshot(const MassLibrary &library)
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

inline bool fullView(const FiringCurveView *graph, const ProgParam &record)
{
    CurveViewState expected = graph->viewState();
    expected.TotalScale(record);
    const CurveViewState &now = graph->viewState();
    return now.ViewTempMin == expected.ViewTempMin && now.ViewTempMax == expected.ViewTempMax &&
           now.ViewTimeStart == expected.ViewTimeStart && now.ViewTimeEnd == expected.ViewTimeEnd;
}

inline void zoomIn(FiringCurveView *graph)
{
    graph->setZoomMode(ZoomMode::In);
    graph->pbGraphMouseDown(Qt::LeftButton, {}, 300, 100);
    graph->setZoomMode(ZoomMode::None);
}

#define VERIFY_NO_UNEXPECTED(c)                                                                    \
    QVERIFY2((c).dialogs.unexpected.isEmpty(),                                                     \
             qPrintable((c).dialogs.unexpected.join(QStringLiteral("; "))))
