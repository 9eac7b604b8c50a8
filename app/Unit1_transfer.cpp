// SPDX-License-Identifier: GPL-3.0-or-later
// Main window: the upload of masses into the controller.

#include "app/Unit1.h"

#include "app/texts.h"
#include "library/transferblocks.h"
#include "link/link.h"
#include "link/transfersequence.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

namespace
{

// Texts of the upload that the text store does not hold.
constexpr TextPair SlotNote{"*№=1...10", "*№=1...10"};
constexpr TextPair SendHint{"Программировать пульт", "Program the CC"};
constexpr TextPair ProgressName{"Передача масс в пульт", "Masses transfer to the CC"};
constexpr TextPair NotANumber{"«%1» не является номером ячейки пульта.",
                              "\"%1\" is not a slot number of the CC."};
constexpr TextPair NothingSent{"В пульт ничего не передано:\n%1",
                               "Nothing was sent to the CC:\n%1"};
constexpr TextPair NoLayerToSend{" В пульт ничего не передано: в библиотеке нет ни одного слоя.",
                                 " Nothing sent to the CC: the library holds no layer."};
constexpr TextPair SlotOutOfRange{" В пульт ничего не передано: ячейка %1 вне диапазона 1...10.",
                                  " Nothing sent to the CC: slot %1 is outside 1...10."};
constexpr TextPair LayerNumberHint{
    "Номер выбранного слоя: его место среди всех слоёв библиотеки, "
    "считая с 1 (после открытия файла — номер его программы)",
    "Number of the selected layer: its place among all layers of "
    "the library, from 1 (after opening a file, its program number)"};
constexpr TextPair LayerNumberName{"Номер слоя: %1", "Layer number: %1"};
constexpr TextPair TransferRuns{"Идёт передача масс в пульт. Дождитесь её окончания.",
                                "The masses are being transferred to the CC. Please wait until "
                                "the transfer has ended."};

} // namespace

void TForm1::connectTransferHandlers()
{
    connect(btnSend, &QPushButton::clicked, this, &TForm1::btnSendClick);
    m_transfer = std::make_unique<TransferSequence>(
        *m_link,
        [this](int row) -> std::optional<ProgParam> {
            // The record as it is at the moment it goes out.
            if (const std::shared_ptr<ProgParam> record = m_library.record(row))
                return *record;
            return std::nullopt;
        },
        [this] { return m_console.Language; });

    pbTransfer = new QProgressBar;
    pbTransfer->setObjectName(QStringLiteral("pbTransfer"));
    pbTransfer->setFixedWidth(120);
    pbTransfer->setTextVisible(true);
    pbTransfer->setVisible(false);
    StatusLine->addPermanentWidget(pbTransfer);

    connect(m_transfer.get(), &TransferSequence::logLine, this, &TForm1::log);
    connect(m_transfer.get(), &TransferSequence::progressChanged, pbTransfer,
            [this](int done, int total) {
                pbTransfer->setRange(0, qMax(total, 1));
                pbTransfer->setValue(done);
            });
    connect(m_transfer.get(), &TransferSequence::finished, this, [this] {
        pbTransfer->setVisible(false);
        btnSend->setEnabled(!m_console.ProgramRunning);
    });
}

void TForm1::ReLanguageTransfer()
{
    setHint(btnSend, tx(SendHint));
    // Read by its caption ("progr CC") and what it does.
    btnSend->setAccessibleName(AccessibleValueName(tx(SendHint), ShownText(btnSend)));
    pbTransfer->setAccessibleName(tx(ProgressName));
    pbTransfer->setToolTip(tx(ProgressName));
    setHint(lblMassSel, tx(LayerNumberHint));
    showLayerNumber(lblMassSel->text());
}

void TForm1::showLayerNumber(const QString &text)
{
    lblMassSel->setText(text);
    lblMassSel->setAccessibleName(tx(LayerNumberName).arg(text).trimmed());
}

bool TForm1::refusedDuringTransfer()
{
    if (!m_transfer || !m_transfer->running())
        return false;
    m_dialogs.message(this, Dialogs::Icon::Warning, tx(Texts::Attention), tx(TransferRuns));
    return true;
}

void TForm1::btnSendClick()
{
    // One upload at a time, none during a firing.
    if (m_transfer->running() || m_console.ProgramRunning)
        return;
    if (m_library.layerTotal() == 0) {
        log(tx(NoLayerToSend));
        return;
    }
    NameRequest request;
    request.caption = tx(Texts::TransferCaption);
    request.prompt = tx(Texts::TransferPrompt);
    request.note = tx(SlotNote);
    request.numeric = true;
    request.preset = QStringLiteral("1");
    request.language = m_console.Language;
    const std::optional<QString> answer = m_dialogs.askName(this, request);
    if (!answer)
        return;
    // The slot is asked for as text: one that is no number (empty, or too large) is refused.
    bool ok = false;
    const uint slot = answer->trimmed().toUInt(&ok);
    if (!ok) {
        m_dialogs.message(this, Dialogs::Icon::Error, tx(Texts::ErrorCaption),
                          tx(NotANumber).arg(*answer));
        return;
    }
    if (slot == 0 || slot > uint(ControllerLayout::SlotCount)) {
        log(tx(SlotOutOfRange).arg(slot));
        return;
    }
    const int first = int(slot);
    const int count = TransferMassCount(m_library, first);
    if (count <= 0) {
        log(tx(NoLayerToSend));
        return;
    }
    // Names that do not fit the controller's slots, or too many layers, refuse it all.
    const QList<TransferProblem> problems = CheckTransfer(m_library, count);
    if (!problems.isEmpty()) {
        QStringList lines;
        for (const TransferProblem &problem : problems)
            lines << TransferProblemText(problem, m_console.Language);
        m_dialogs.message(this, Dialogs::Icon::Error, tx(Texts::ErrorCaption),
                          tx(NothingSent).arg(lines.join(QLatin1Char('\n'))));
        return;
    }
    // btnSend stays disabled until the upload ends.
    btnSend->setEnabled(false);
    const std::optional<TransferBlocks> blocks = BuildTransferBlocks(m_library, first);
    if (!blocks) {
        btnSend->setEnabled(true);
        return;
    }
    log(tx(Texts::LogTransferStart));
    pbTransfer->setValue(0);
    pbTransfer->setVisible(true);
    m_transfer->start(*blocks);
}
