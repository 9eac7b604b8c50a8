// SPDX-License-Identifier: GPL-3.0-or-later
// Main window: library editing, parameter fields and masses files.

#include "app/Unit1.h"

#include "app/filedialogsettings.h"
#include "app/librarylists.h"
#include "app/texts.h"
#include "graph/firingcurveview.h"
#include "library/massesfile.h"
#include "library/namerules.h"
#include "library/paramentry.h"
#include "link/link.h"

#include <QAction>
#include <QBoxLayout>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QToolButton>

#include <algorithm>
#include <tuple>

namespace
{

// Texts of this half of the window that the text store does not hold.
constexpr TextPair FileNotRead{"Файл масс «%1» не прочитан.\n%2",
                               "The masses file \"%1\" could not be read.\n%2"};
constexpr TextPair SaveFailed{"Массы не сохранены в файл «%1».\n%2",
                              "The masses could not be saved to \"%1\".\n%2"};
constexpr TextPair NamesNotSaved{
    "Массы не сохранены: файл масс не может хранить эти названия:\n%1",
    "The masses were not saved: a masses file cannot hold these names:\n%1"};
constexpr TextPair MoreNames{"… и ещё %1", "… and %1 more"};
constexpr TextPair LayerLimit{"В массе может быть не более 11 слоёв.",
                              "A mass can hold at most 11 layers."};
constexpr TextPair SaveButton{"Сохранить", "Save"};
constexpr TextPair DiscardButton{"Не сохранять", "Don't save"};
constexpr TextPair CancelButton{"Отмена", "Cancel"};
constexpr TextPair MassesFileShown{"Файл: %1", "File: %1"};
constexpr TextPair NoMassesFile{"Файл: нет", "File: none"};
constexpr TextPair MassesFileDescription{"Открытый файл масс: %1", "Masses file open: %1"};
constexpr TextPair NoMassesFileDescription{"Файл масс не открыт и не сохранён",
                                           "No masses file opened or saved"};
constexpr TextPair OpenedNoMasses{" В файле масс «%1» нет масс: библиотека пуста.",
                                  " The masses file \"%1\" holds no masses: the library is empty."};
constexpr TextPair AddedNoMasses{" В файле масс «%1» нет масс: ничего не добавлено.",
                                 " The masses file \"%1\" holds no masses: nothing was added."};

/// Names listed in the refusal of a save; the rest are counted.
constexpr qsizetype ListedNameProblems = 10;

QString namesNotSavedText(const QList<NameProblem> &problems, quint8 language)
{
    QStringList lines;
    for (qsizetype i = 0; i < problems.size() && i < ListedNameProblems; ++i)
        lines << NameProblemText(problems[i], language);
    if (problems.size() > ListedNameProblems)
        lines << MoreNames.text(language).arg(problems.size() - ListedNameProblems);
    return NamesNotSaved.text(language).arg(lines.join(QLatin1Char('\n')));
}

/// Reads a masses file; an unreadable one is reported in an error box and gives nothing.
std::optional<MassesFile::FileContents> readMasses(Dialogs &dialogs, QWidget *parent,
                                                   quint8 language, const QString &path)
{
    MassesFile::FileContents contents = MassesFile::ReadFile(path);
    if (contents.error == MassesFile::ReadError::None)
        return contents;
    dialogs.message(parent, Dialogs::Icon::Error, Texts::ErrorCaption.text(language),
                    FileNotRead.text(language).arg(QDir::toNativeSeparators(path),
                                                   MassesFile::ReadErrorText(contents, language)));
    return std::nullopt;
}

/// The twenty parameter fields' key filter and leave check (Edit1KeyPress, Edit1Exit).
class ParamFieldWatcher : public QObject
{
public:
    explicit ParamFieldWatcher(TForm1 *form)
        : m_form(form)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *field = qobject_cast<QLineEdit *>(watched);
        if (!field)
            return false;
        if (event->type() == QEvent::KeyPress)
            return filterKey(field, *static_cast<QKeyEvent *>(event));
        if (event->type() == QEvent::FocusOut) {
            // Leaving the field for another control of the window; a box or menu opening, or
            // another window activated, is not leaving it.
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
                return false;
            // The field finishes losing the focus before the check may give it back.
            static_cast<QObject *>(field)->event(event);
            m_form->Edit1Exit();
            return true;
        }
        return false;
    }

private:
    /// True when the key is dropped or replaced; editing and navigation keys pass.
    bool filterKey(QLineEdit *field, const QKeyEvent &key)
    {
        const QString text = key.text();
        if (text.size() != 1 || !text.front().isPrint() ||
            (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            return false;
        const std::optional<QChar> accepted = m_form->Edit1KeyPress(field, text.front());
        if (!accepted)
            return true;
        if (*accepted == text.front())
            return false;
        field->insert(QString(*accepted));
        return true;
    }

    TForm1 *m_form;
};

} // namespace

void TForm1::connectLibraryHandlers()
{
    for (auto [button, action, handler] :
         {std::tuple{sbOpenFile, mmOpen, &TForm1::sbOpenFileClick},
          std::tuple{sbAddFile, mmAdd, &TForm1::sbAddFileClick},
          std::tuple{sbSaveFile, mmSave, &TForm1::sbSaveFileClick}}) {
        connect(button, &QToolButton::clicked, this, handler);
        connect(action, &QAction::triggered, this, handler);
    }
    connect(lbNames, &QListWidget::currentRowChanged, this, &TForm1::lbNamesClick);
    connect(lbLayers, &QListWidget::currentRowChanged, this, &TForm1::lbLayersClick);
    connect(lbNames, &QListWidget::itemDoubleClicked, this, &TForm1::lbNamesDblClick);
    connect(lbLayers, &QListWidget::itemDoubleClicked, this, &TForm1::lbLayersDblClick);
    // Items are one line each: the lists need not measure every one (files may hold many).
    lbNames->setUniformItemSizes(true);
    lbLayers->setUniformItemSizes(true);
    // The masses file open, at the top of the Mass group.
    lblMassesFile = new ElidedLabel;
    lblMassesFile->setObjectName(QStringLiteral("lblMassesFile"));
    if (auto *column = qobject_cast<QBoxLayout *>(gbMass->layout()))
        column->insertWidget(0, lblMassesFile);
    // Every click runs the handler, also one on the item already selected.
    LibraryLists::OnReclick(lbNames, [this] { lbNamesClick(); });
    LibraryLists::OnReclick(lbLayers, [this] { lbLayersClick(); });
    connect(btnAddMass, &QPushButton::clicked, this, &TForm1::btnAddMassClick);
    connect(btnDelMass, &QPushButton::clicked, this, &TForm1::btnDelMassClick);
    connect(btnAddLayer, &QPushButton::clicked, this, &TForm1::btnAddLayerClick);
    connect(btnDelLayer, &QPushButton::clicked, this, &TForm1::btnDelLayerClick);
    connect(sbUpMass, &QToolButton::clicked, this, &TForm1::sbUpMassClick);
    connect(sbDnMass, &QToolButton::clicked, this, &TForm1::sbDnMassClick);
    connect(mmCopy, &QAction::triggered, this, &TForm1::mmCopyClick);
    connect(mmPaste, &QAction::triggered, this, &TForm1::mmPasteClick);

    m_fieldWatcher = std::make_unique<ParamFieldWatcher>(this);
    for (QLineEdit *field : m_fields) {
        field->installEventFilter(m_fieldWatcher.get());
        // Programmatic changes arrive here too; ChangeTracking tells them apart.
        connect(field, &QLineEdit::textChanged, this, &TForm1::Edit1Change);
    }
}

void TForm1::FormCreateLibrary()
{
    m_selection = LibrarySelection{};
    ReLanguageLibrary();
}

void TForm1::showMassesFile()
{
    const QString path = QDir::toNativeSeparators(m_lastMassesFile);
    const QString shown = m_lastMassesFile.isEmpty()
                              ? tx(NoMassesFile)
                              : tx(MassesFileShown).arg(QFileInfo(m_lastMassesFile).fileName());
    lblMassesFile->setFullText(shown);
    lblMassesFile->setToolTip(path.isEmpty() ? shown : path);
    lblMassesFile->setAccessibleName(shown);
    lblMassesFile->setAccessibleDescription(path.isEmpty() ? tx(NoMassesFileDescription)
                                                           : tx(MassesFileDescription).arg(path));
}

void TForm1::ReLanguageLibrary()
{
    showMassesFile();
    const bool layer = m_selection.hasLayer();
    setHint(sbUpMass, tx(layer ? Texts::MoveLayerUp : Texts::MoveMassUp));
    setHint(sbDnMass, tx(layer ? Texts::MoveLayerDown : Texts::MoveMassDown));
    if (layer)
        setVacOffForm(m_selection.CurrentParams->VacOffByTime == 1);
    markFieldRanges();
}

void TForm1::setVacOffForm(bool byTime)
{
    lblVacDimension->setText(tx(byTime ? Texts::UnitMmSs : Texts::DegC));
    setHint(m_fields[ProgParam::fVacOff],
            tx(byTime ? Texts::VacOffTimeHint : Texts::VacOffTempHint));
}

// --- Lists and selection -------------------------------------------------------------------

void TForm1::fillMassList()
{
    const QSignalBlocker blocker(lbNames);
    lbNames->clear();
    for (const QString &name : m_library.massNames())
        LibraryLists::SetItemName(new QListWidgetItem(lbNames), name);
    lbNames->setCurrentRow(m_selection.CurrentMass);
}

void TForm1::fillLayerList()
{
    const QSignalBlocker blocker(lbLayers);
    lbLayers->clear();
    for (int row : m_library.layerRows(m_selection.CurrentMass)) {
        auto *item = new QListWidgetItem(lbLayers);
        LibraryLists::SetItemName(item, m_library.storage().Row(row).name);
        item->setData(Qt::UserRole, row);
    }
    lbLayers->setCurrentRow(m_selection.CurrentLayer);
}

void TForm1::enableLayerControls(bool layerSelected)
{
    // Fields of no layer show nothing (not the values of a layer no longer selected).
    const QScopedValueRollback tracking(m_selection.ChangeTracking, false);
    for (QLineEdit *field : m_fields) {
        field->setEnabled(layerSelected);
        if (!layerSelected)
            field->clear();
    }
    sbFullView->setEnabled(layerSelected);
    sbStartPrg->setEnabled(layerSelected && m_link->isRunning() && !m_console.ProgramRunning);
    if (!layerSelected)
        pbGraph->setRecord(nullptr);
}

void TForm1::lbNamesClick()
{
    // The graph lets go of the record before the selection may release it.
    pbGraph->setRecord(nullptr);
    SelectMass(m_library, m_selection, lbNames->currentRow());
    enableLayerControls(false);
    fillLayerList();
    ReLanguageLibrary();
}

void TForm1::lbLayersClick()
{
    const int position = lbLayers->currentRow();
    if (position < 0)
        return;
    if (!SelectLayer(m_library, m_selection, position)) {
        enableLayerControls(false);
        return;
    }
    enableLayerControls(true);
    ReLanguageLibrary();
    showLayerNumber(QString::number(m_selection.CurrentRow + 1));
    showRecord();
}

void TForm1::showRecord()
{
    const ProgParam &record = *m_selection.CurrentParams;
    const auto texts = RecordTexts(record);
    {
        const QScopedValueRollback tracking(m_selection.ChangeTracking, false);
        for (size_t k = 0; k < texts.size(); ++k)
            m_fields[k]->setText(texts[k]);
        setVacOffForm(record.VacOffByTime == 1);
    }
    pbGraph->setRecord(&record);
    pbGraph->TotalScale();
    markFieldRanges();
}

// --- Masses and layers ---------------------------------------------------------------------

std::optional<QString> TForm1::askLibraryName(const QString &caption, std::optional<QString> preset,
                                              std::function<QString(const QString &)> check)
{
    // A name left as it was changes nothing, whatever it holds (names read from files are
    // taken whole); a typed one obeys the rules, without blanks at its ends.
    const auto validate = [check = std::move(check), preset](const QString &text) {
        return text == preset ? QString() : check(text);
    };
    NameRequest request;
    request.caption = caption;
    request.prompt = tx(Texts::NamePrompt);
    request.preset = preset;
    request.validate = validate;
    request.language = m_console.Language;
    request.trimBlanks = true;
    std::optional<QString> name = m_dialogs.askName(this, request);
    if (!name)
        return std::nullopt;
    // Whichever dialog answered, the library takes only names its file can hold.
    if (*name != preset)
        *name = name->trimmed();
    const QString refusal = validate(*name);
    if (!refusal.isEmpty()) {
        m_dialogs.message(this, Dialogs::Icon::Warning, tx(Texts::Attention), refusal);
        return std::nullopt;
    }
    return name;
}

void TForm1::btnAddMassClick()
{
    if (refusedDuringTransfer())
        return;
    const std::optional<QString> name =
        askLibraryName(tx(Texts::AddMassCaption), std::nullopt, [this](const QString &text) {
            return tx(NameFaultText(CheckMassName(m_library, text)));
        });
    if (!name)
        return;
    m_library.addMass(*name);
    m_selection.ParamsChanged = true;
    fillMassList();
    log(tx(Texts::LogMassAdded));
}

void TForm1::btnDelMassClick()
{
    if (refusedDuringTransfer())
        return;
    const int mass = m_selection.CurrentMass;
    if (mass < 0 || !m_dialogs.question(this, tx(Texts::Attention), tx(Texts::ConfirmDeleteMass)))
        return;
    pbGraph->setRecord(nullptr);
    if (!DeleteSelectedMass(m_library, m_selection))
        return;
    m_selection.ParamsChanged = true;
    fillMassList();
    lbNamesClick();
    showLayerNumber(QString::number(mass));
    log(tx(Texts::LogMassDeleted));
}

void TForm1::btnAddLayerClick()
{
    if (refusedDuringTransfer())
        return;
    const int mass = m_selection.CurrentMass;
    if (mass < 0) {
        m_dialogs.message(this, Dialogs::Icon::Warning, tx(Texts::Attention),
                          tx(Texts::MassMustBeSelected));
        return;
    }
    // Refused before a name is asked for, so that no typed name is dropped unannounced.
    if (m_library.layerCount(mass) >= MassLibrary::MaxLayers) {
        m_dialogs.message(this, Dialogs::Icon::Warning, tx(Texts::Attention), tx(LayerLimit));
        return;
    }
    const std::optional<QString> name =
        askLibraryName(tx(Texts::AddLayerCaption), std::nullopt, [this](const QString &text) {
            return tx(NameFaultText(CheckLayerName(text)));
        });
    if (!name || m_library.addLayer(mass, *name) < 0)
        return;
    m_selection.ParamsChanged = true;
    fillLayerList();
    log(tx(Texts::LogLayerAdded));
}

void TForm1::btnDelLayerClick()
{
    if (refusedDuringTransfer())
        return;
    if (m_selection.hasLayer() &&
        m_dialogs.question(this, tx(Texts::Attention), tx(Texts::ConfirmDeleteLayer))) {
        pbGraph->setRecord(nullptr);
        if (DeleteSelectedLayer(m_library, m_selection)) {
            m_selection.ParamsChanged = true;
            log(tx(Texts::LogLayerDeleted));
        }
    }
    lbNamesClick();
}

void TForm1::lbNamesDblClick()
{
    if (refusedDuringTransfer())
        return;
    const int mass = m_selection.CurrentMass;
    if (mass < 0)
        return;
    const std::optional<QString> name = askLibraryName(
        tx(Texts::RenameMassCaption), m_library.massName(mass), [this, mass](const QString &text) {
            return tx(NameFaultText(CheckMassName(m_library, text, mass)));
        });
    if (!name || *name == m_library.massName(mass))
        return;
    m_library.renameMass(mass, *name);
    m_selection.ParamsChanged = true;
    fillMassList();
}

void TForm1::lbLayersDblClick()
{
    if (refusedDuringTransfer())
        return;
    if (!m_selection.hasLayer())
        return;
    const int row = m_selection.CurrentRow;
    const QString old = m_library.storage().Row(row).name;
    const std::optional<QString> name =
        askLibraryName(tx(Texts::RenameLayerCaption), old, [this](const QString &text) {
            return tx(NameFaultText(CheckLayerName(text)));
        });
    if (!name)
        return;
    if (*name != old) {
        m_library.renameLayer(row, *name);
        m_selection.ParamsChanged = true;
    }
    lbNamesClick();
}

void TForm1::showMoved(bool layerMoved)
{
    m_selection.ParamsChanged = true;
    fillMassList();
    if (layerMoved) {
        fillLayerList();
        lbLayersClick();
    } else {
        lbNamesClick();
    }
}

void TForm1::sbUpMassClick()
{
    if (refusedDuringTransfer())
        return;
    const MoveOutcome outcome = MoveUp(m_library, m_selection);
    if (outcome.moved)
        showMoved(outcome.layerMoved);
}

void TForm1::sbDnMassClick()
{
    if (refusedDuringTransfer())
        return;
    const MoveOutcome outcome = MoveDown(m_library, m_selection);
    if (outcome.moved)
        showMoved(outcome.layerMoved);
}

void TForm1::mmCopyClick()
{
    if (!CopyLayer(m_selection))
        m_dialogs.message(this, Dialogs::Icon::Error, tx(Texts::Attention),
                          tx(Texts::ProgramMustBeSelected));
}

void TForm1::mmPasteClick()
{
    if (refusedDuringTransfer())
        return;
    switch (PasteLayer(m_library, m_selection)) {
    case PasteOutcome::BufferEmpty:
        m_dialogs.message(this, Dialogs::Icon::Error, tx(Texts::Attention), tx(Texts::BufferEmpty));
        return;
    case PasteOutcome::NoLayerSelected:
        m_dialogs.message(this, Dialogs::Icon::Error, tx(Texts::Attention),
                          tx(Texts::ProgramMustBeSelected));
        return;
    case PasteOutcome::Pasted:
        m_selection.ParamsChanged = true;
        lbLayersClick();
        return;
    }
}

// --- Parameter fields ----------------------------------------------------------------------

std::optional<QChar> TForm1::Edit1KeyPress(QLineEdit *sender, QChar key)
{
    const auto field = std::find(m_fields.begin(), m_fields.end(), sender);
    return FilterParamKey(key, int(field - m_fields.begin()));
}

void TForm1::Edit1Change()
{
    std::array<QString, ProgParam::FieldCount> texts;
    for (size_t k = 0; k < texts.size(); ++k)
        texts[k] = m_fields[k]->text();
    const std::optional<ApplyResult> result = ApplyEdits(m_selection, texts);
    if (!result)
        return;
    if (result->firingForm != EntryForm::Unchanged)
        lblFiringDimension->setText(
            tx(result->firingForm == EntryForm::MinutesSeconds ? Texts::UnitMmSs : Texts::UnitSec));
    if (result->vacOffForm != EntryForm::Unchanged)
        setVacOffForm(result->vacOffForm == EntryForm::MinutesSeconds);
    pbGraph->setRecord(m_selection.CurrentParams.get());
    pbGraph->TotalScale();

    if (result->focusField >= 0)
        m_fields[size_t(result->focusField)]->setFocus(Qt::OtherFocusReason);
    for (const FieldIssue &issue : result->issues) {
        if (issue.kind == FieldIssue::WrongTimeFormat) {
            m_dialogs.message(this, Dialogs::Icon::Warning, tx(Texts::Attention),
                              tx(Texts::WrongTimeFormat));
            continue;
        }
        // A value too large to store is out of range: marked, and silent like any other.
        if (issue.kind == FieldIssue::TooLarge)
            continue;
        // A pasted text that is no number gives way to the value the field kept.
        {
            const QScopedValueRollback tracking(m_selection.ChangeTracking, false);
            m_fields[size_t(issue.field)]->setText(
                FieldText(*m_selection.CurrentParams, issue.field));
        }
        m_dialogs.message(this, Dialogs::Icon::Warning, tx(Texts::Attention),
                          NotANumberMessage(issue, m_console.Language));
    }
    markFieldRanges();
}

void TForm1::Edit1Exit()
{
    if (m_inFieldExit || !m_selection.hasLayer())
        return;
    std::array<QString, ProgParam::FieldCount> texts;
    for (size_t k = 0; k < texts.size(); ++k)
        texts[k] = m_fields[k]->text();
    const int field = FirstFieldOutOfRange(*m_selection.CurrentParams, texts);
    if (field >= 0) {
        const QScopedValueRollback guard(m_inFieldExit, true);
        m_fields[size_t(field)]->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (m_console.ProgramRunning)
        m_link->request(RequestKind::ProgramUpdate);
}

bool TForm1::CheckProgParams()
{
    if (!m_selection.CurrentParams) {
        ParamErrorField = 0;
        return true;
    }
    const ParamCheck check = ::CheckProgParams(*m_selection.CurrentParams);
    ParamErrorField = check.ParamErrorField;
    return check.refused;
}

// --- Masses files --------------------------------------------------------------------------

QString TForm1::askMassesFile(const QString &title)
{
    OpenDialog1->title = title;
    return m_dialogs.openFileName(this, OpenDialog1->title, OpenDialog1->filter,
                                  OpenDialog1->defaultSuffix);
}

void TForm1::sbOpenFileClick()
{
    if (refusedDuringTransfer())
        return;
    // Unsaved work is offered for saving first; a save that does not happen keeps everything.
    if (!offerToSaveChanges())
        return;
    const QString path = askMassesFile(tx(Texts::OpenMassesTitle));
    if (!path.isEmpty())
        openMassesFile(path);
}

void TForm1::openMassesFile(const QString &path)
{
    const auto contents = readMasses(m_dialogs, this, m_console.Language, path);
    if (!contents)
        return;
    pbGraph->setRecord(nullptr);
    const MassesFile::LoadReport report = MassesFile::Open(m_library, *contents);
    m_lastMassesFile = QFileInfo(path).absoluteFilePath();
    ResetAfterOpen(m_selection);
    fillMassList();
    lbNamesClick();
    if (report.massCount == 0)
        log(tx(OpenedNoMasses).arg(QDir::toNativeSeparators(path)));
    for (const MassesFile::BadRecord &bad : report.badRecords)
        log(MassesFile::BadRecordLogText(bad, m_console.Language));
}

void TForm1::sbAddFileClick()
{
    if (refusedDuringTransfer())
        return;
    // The library as it stands may be saved before another file is merged into it.
    if (!offerToSaveChanges())
        return;
    const QString path = askMassesFile(tx(Texts::AddMassesTitle));
    if (path.isEmpty())
        return;
    const auto contents = readMasses(m_dialogs, this, m_console.Language, path);
    if (!contents)
        return;
    const MassesFile::LoadReport report = MassesFile::Add(m_library, *contents);
    if (report.massCount > 0)
        m_selection.ParamsChanged = true;
    else
        log(tx(AddedNoMasses).arg(QDir::toNativeSeparators(path)));
    fillMassList();
    if (!report.renamed.isEmpty())
        log(MassesFile::RenamedMassesLogText(report.renamed, m_console.Language));
    for (const MassesFile::BadRecord &bad : report.badRecords)
        log(MassesFile::BadRecordLogText(bad, m_console.Language));
}

void TForm1::sbSaveFileClick()
{
    saveLibrary();
}

bool TForm1::saveLibrary()
{
    const quint8 language = m_console.Language;
    // Names the file cannot hold are refused before a file is asked for.
    const QList<NameProblem> problems = CheckLibraryNames(m_library);
    if (!problems.isEmpty()) {
        m_dialogs.message(this, Dialogs::Icon::Error, tx(Texts::ErrorCaption),
                          namesNotSavedText(problems, language));
        return false;
    }
    const QString path =
        m_dialogs.saveFileNameProposing(this, SaveDialog1->title, SaveDialog1->filter,
                                        SaveDialog1->defaultSuffix, m_lastMassesFile);
    if (path.isEmpty())
        return false;
    const MassesFile::SaveResult result = MassesFile::Save(m_library, path);
    if (!result.saved) {
        m_dialogs.message(
            this, Dialogs::Icon::Error, tx(Texts::ErrorCaption),
            result.nameProblems.isEmpty()
                ? SaveFailed.text(language).arg(QDir::toNativeSeparators(path), result.error)
                : namesNotSavedText(result.nameProblems, language));
        return false;
    }
    m_selection.ParamsChanged = false;
    m_lastMassesFile = QFileInfo(path).absoluteFilePath();
    showMassesFile();
    return true;
}

bool TForm1::offerToSaveChanges()
{
    if (!m_selection.ParamsChanged)
        return true;
    const SaveQuestion question{tx(Texts::Attention), tx(Texts::SaveChangedParameters),
                                tx(SaveButton), tx(DiscardButton), tx(CancelButton)};
    switch (m_dialogs.askToSave(this, question)) {
    case Dialogs::SaveAnswer::Save:
        return saveLibrary();
    case Dialogs::SaveAnswer::Discard:
        return true;
    case Dialogs::SaveAnswer::Cancel:
        break;
    }
    return false;
}
