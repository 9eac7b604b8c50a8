// SPDX-License-Identifier: GPL-3.0-or-later
// Main window: the record of each firing. Saved as CSV, exported as a one-page PDF report or
// printed from the File menu, saved by itself into the record folder when one was given, and
// an alert when a firing ends while the window is in the background.

#include "app/Unit1.h"

#include "app/firingreport.h"
#include "app/recordcsv.h"
#include "app/recordformat.h"
#include "app/texts.h"
#include "common/programstep.h"
#include "link/link.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QMenu>
#include <QPageSize>
#include <QPrinter>
#include <QStandardPaths>
#include <QSysInfo>
#include <QSystemTrayIcon>
#include <QTimer>

namespace
{

/// Hides the tray icon of an alert once the window is active again.
class ActivationWatcher : public QObject
{
public:
    ActivationWatcher(QWidget *window, std::function<void()> activated)
        : QObject(window)
        , m_activated(std::move(activated))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::WindowActivate)
            m_activated();
        return false;
    }

private:
    std::function<void()> m_activated;
};

constexpr TextPair FolderMissing{"папки «%1» нет", "the folder \"%1\" does not exist"};

/// A menu text without its trailing dots: the title of the dialog the item opens.
QString dialogTitle(const QString &menuText)
{
    QString title = menuText;
    while (title.endsWith(QLatin1Char('.')))
        title.chop(1);
    return title;
}

} // namespace

void TForm1::connectRecordHandlers()
{
    auto action = [this](const char *name, const QKeySequence &keys) {
        auto *a = new QAction(this);
        a->setObjectName(QString::fromLatin1(name));
        if (!keys.isEmpty())
            a->setShortcut(keys);
        a->setEnabled(false);
        return a;
    };
    mmSaveRecord = action("mmSaveRecord", {});
    mmRecordPdf = action("mmRecordPdf", {});
    mmPrintRecord = action("mmPrintRecord", QKeySequence::Print);
    // Between the masses items and Exit, in a section of their own.
    const QList<QAction *> items = mmFile->actions();
    const qsizetype exit = items.indexOf(mmExit);
    QAction *before = exit > 0 && items[exit - 1]->isSeparator() ? items[exit - 1] : mmExit;
    mmFile->insertSeparator(before);
    mmFile->insertActions(before, {mmSaveRecord, mmRecordPdf, mmPrintRecord});
    connect(mmSaveRecord, &QAction::triggered, this, &TForm1::mmSaveRecordClick);
    connect(mmRecordPdf, &QAction::triggered, this, &TForm1::mmRecordPdfClick);
    connect(mmPrintRecord, &QAction::triggered, this, &TForm1::mmPrintRecordClick);

    // A failed port is a lost link as much as a silent furnace.
    connect(m_link.get(), &Link::portFailed, this, [this] {
        m_firingRecord.addEvent(RecordEventKind::LinkLost, QDateTime::currentDateTime());
    });
    // A furnace that identifies itself only after the start is still the furnace that fired.
    connect(m_link.get(), &Link::replyDecoded, this, [this](const DecodeResult &result) {
        if (result.applied && result.type == Msg::Identify) {
            const FurnaceImage &image = m_link->image();
            m_firingRecord.noteFurnace(image.FurnaceModelName, image.VersionMajor,
                                       image.VersionMinor);
        }
    });
    new ActivationWatcher(this, [this] {
        if (m_trayIcon)
            m_trayIcon->hide();
    });
}

void TForm1::ReLanguageRecords()
{
    ReLanguageLogbook();
    ReLanguageHealth();
    ReLanguageWindows();
    mmSaveRecord->setText(tx(FiringTexts::SaveRecord));
    mmRecordPdf->setText(tx(FiringTexts::ReportPdf));
    mmPrintRecord->setText(tx(FiringTexts::Print));
}

void TForm1::enableRecordActions()
{
    const bool exists = m_firingRecord.exists();
    for (QAction *a : {mmSaveRecord, mmRecordPdf, mmPrintRecord})
        a->setEnabled(exists);
}

FiringFacts TForm1::firingFacts() const
{
    FiringFacts facts;
    facts.massName = m_library.massName(m_selection.CurrentMass);
    facts.layerName = m_library.layerNames(m_selection.CurrentMass).value(m_selection.CurrentLayer);
    if (m_selection.CurrentParams)
        facts.record = *m_selection.CurrentParams;
    facts.port = m_link->state().PortName;
    facts.host = QSysInfo::machineHostName();
    const FurnaceImage &image = m_link->image();
    facts.furnaceModel = image.FurnaceModelName;
    facts.versionMajor = image.VersionMajor;
    facts.versionMinor = image.VersionMinor;
    facts.operatorName = operatorName();
    facts.console = consoleName();
    return facts;
}

QString TForm1::consoleName() const
{
    return (QString::fromLatin1(Texts::ProgramTitle) + QLatin1Char(' ') +
            QCoreApplication::applicationVersion())
        .trimmed();
}

void TForm1::recordEnded(RecordEventKind kind, const QString &text)
{
    enableRecordActions();
    if (!m_options.recordDir.isEmpty())
        scheduleAutoSave();
    if (kind == RecordEventKind::Abort || isActiveWindow())
        return;
    if (kind == RecordEventKind::Fault)
        alertRunEnded(text);
    else if (kind == RecordEventKind::Interrupted)
        alertRunEnded(FiringTexts::Interrupted.text(m_console.Language).arg(text));
    else
        alertRunEnded(Texts::StageText(ProgramStep::Finished, m_firingRecord.facts().record,
                                       m_console.Language)
                          .value_or(QString()));
}

void TForm1::alertRunEnded(const QString &what)
{
    // With several furnaces the alert says which one.
    const QString text = furnaceName() + QStringLiteral(": ") + what;
    if (m_options.endAlert) {
        m_options.endAlert(text);
        return;
    }
    QApplication::alert(this);
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    if (!m_trayIcon) {
        m_trayIcon = new QSystemTrayIcon(windowIcon(), this);
        m_trayIcon->setObjectName(QStringLiteral("RecordTrayIcon"));
        auto bringBack = [this] {
            showNormal();
            raise();
            activateWindow();
        };
        connect(m_trayIcon, &QSystemTrayIcon::activated, this, bringBack);
        connect(m_trayIcon, &QSystemTrayIcon::messageClicked, this, bringBack);
    }
    m_trayIcon->setToolTip(QString::fromLatin1(Texts::ProgramTitle));
    m_trayIcon->show();
    m_trayIcon->showMessage(QString::fromLatin1(Texts::ProgramTitle), text,
                            QSystemTrayIcon::Information);
}

void TForm1::autoSaveRecord(const FiringRecord &record, const QByteArray &hash)
{
    const quint8 lang = m_console.Language;
    const QString folder = m_options.recordDir;
    if (!QDir().mkpath(folder)) {
        log(FiringTexts::NotSaved.text(lang).arg(QDir::toNativeSeparators(folder),
                                                 FiringTexts::FolderFailed.text(lang)));
        return;
    }
    const QString console = consoleName();
    const std::pair<QString, QByteArray> files[] = {
        {QStringLiteral("csv"), RecordCsv::Encode(record, lang, console, hash)},
        {QStringLiteral("pdf"), FiringReport::Pdf(record, lang, console, hash)},
    };
    for (const auto &[suffix, bytes] : files) {
        const QString path = UniqueRecordPath(folder, ProposedRecordName(record, suffix));
        const QString error =
            bytes.isEmpty() ? tx(FiringTexts::PdfFailed) : SaveRecordFile(path, bytes);
        const QString shown = QDir::toNativeSeparators(path);
        log(error.isEmpty() ? FiringTexts::Saved.text(lang).arg(shown)
                            : FiringTexts::NotSaved.text(lang).arg(shown, error));
    }
}

QString TForm1::proposedRecordPath(const FiringRecord &record, const QString &suffix) const
{
    // The folder last saved into, then the record folder, the documents folder and the home
    // folder: the first that is there now (the documents folder is named even where it was
    // never made). With none, the name alone.
    const QString name = ProposedRecordName(record, suffix);
    for (const QString &folder :
         {m_lastRecordFolder, m_options.recordDir,
          QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), QDir::homePath()}) {
        if (!folder.isEmpty() && QFileInfo(folder).isAbsolute() && QFileInfo(folder).isDir())
            return QDir(folder).filePath(name);
    }
    return name;
}

bool TForm1::writeRecordFile(const QString &path, const QByteArray &bytes)
{
    const QString folder = QFileInfo(path).absolutePath();
    const QString error = bytes.isEmpty() ? tx(FiringTexts::PdfFailed)
                          : !QFileInfo(folder).isDir()
                              ? tx(FolderMissing).arg(QDir::toNativeSeparators(folder))
                              : SaveRecordFile(path, bytes);
    if (!error.isEmpty()) {
        m_dialogs.message(QApplication::activeWindow() ? QApplication::activeWindow() : this,
                          Dialogs::Icon::Error, tx(Texts::ErrorCaption),
                          tx(FiringTexts::SaveFailed).arg(QDir::toNativeSeparators(path), error));
        return false;
    }
    m_lastRecordFolder = QFileInfo(path).absolutePath();
    log(tx(FiringTexts::Saved).arg(QDir::toNativeSeparators(path)));
    return true;
}

void TForm1::mmSaveRecordClick()
{
    if (m_firingRecord.exists())
        saveRecordAs(m_firingRecord, m_firingHash);
}

void TForm1::mmRecordPdfClick()
{
    if (m_firingRecord.exists())
        reportPdfAs(m_firingRecord, m_firingHash);
}

void TForm1::mmPrintRecordClick()
{
    if (m_firingRecord.exists())
        printRecord(m_firingRecord, m_firingHash);
}

void TForm1::saveRecordAs(const FiringRecord &record, const QByteArray &hash)
{
    const QString path = m_dialogs.saveFileNameProposing(
        QApplication::activeWindow(), dialogTitle(tx(FiringTexts::SaveRecord)),
        tx(FiringTexts::CsvFilter), QStringLiteral("csv"),
        proposedRecordPath(record, QStringLiteral("csv")));
    if (path.isEmpty())
        return;
    writeRecordFile(path, RecordCsv::Encode(record, m_console.Language, consoleName(), hash));
}

void TForm1::reportPdfAs(const FiringRecord &record, const QByteArray &hash)
{
    const QString path = m_dialogs.saveFileNameProposing(
        QApplication::activeWindow(), dialogTitle(tx(FiringTexts::ReportPdf)),
        tx(FiringTexts::PdfFilter), QStringLiteral("pdf"),
        proposedRecordPath(record, QStringLiteral("pdf")));
    if (path.isEmpty())
        return;
    writeRecordFile(path, FiringReport::Pdf(record, m_console.Language, consoleName(), hash));
}

void TForm1::printRecord(const FiringRecord &record, const QByteArray &hash)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QWidget *parent = QApplication::activeWindow() ? QApplication::activeWindow() : this;
    if (!m_dialogs.choosePrinter(parent, printer))
        return;
    if (!FiringReport::Print(printer, record, m_console.Language, consoleName(), hash))
        m_dialogs.message(parent, Dialogs::Icon::Error, tx(Texts::ErrorCaption),
                          tx(FiringTexts::PrintFailed));
}
