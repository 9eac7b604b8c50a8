// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/runpanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QVBoxLayout>

RunPanel::RunPanel(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("pnlRun"));
    setFrameShape(QFrame::StyledPanel);
    auto label = [this](const char *name, int pointSize, bool bold) {
        auto *l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        QFont f = font();
        f.setPointSize(pointSize);
        f.setBold(bold);
        l->setFont(f);
        return l;
    };
    lblRunStage = label("lblRunStage", 12, true);
    // The stage text never widens the window: it is shortened to the panel's width.
    lblRunStage->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblRunStep = label("lblRunStep", 10, false);
    lblRunRemaining = label("lblRunRemaining", 10, true);
    lblRunEnd = label("lblRunEnd", 10, true);
    lblRunElapsed = label("lblRunElapsed", 10, false);
    pbRunProgress = new QProgressBar(this);
    pbRunProgress->setObjectName(QStringLiteral("pbRunProgress"));
    pbRunProgress->setRange(0, 1000);
    pbRunProgress->setValue(0);
    pbRunProgress->setMinimumWidth(120);
    pbRunProgress->setMaximumWidth(220);

    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(8, 3, 8, 3);
    v->setSpacing(1);
    v->addWidget(lblRunStage);
    auto *row = new QHBoxLayout;
    row->setSpacing(18);
    for (QLabel *l : {lblRunStep, lblRunRemaining, lblRunEnd, lblRunElapsed})
        row->addWidget(l);
    row->addStretch(1);
    row->addWidget(pbRunProgress, 1);
    v->addLayout(row);

    // The furnace's health: drift found at the end of a firing, checks that are due.
    for (QLabel **l : {&lblRunHealth, &lblRunChecks}) {
        *l = new QLabel(this);
        (*l)->setWordWrap(true);
        (*l)->setTextFormat(Qt::PlainText);
        (*l)->hide();
        v->addWidget(*l);
    }
    lblRunHealth->setObjectName(QStringLiteral("lblRunHealth"));
    lblRunHealth->setStyleSheet(QStringLiteral("color: #b00000"));
    lblRunChecks->setObjectName(QStringLiteral("lblRunChecks"));
    lblRunChecks->setStyleSheet(QStringLiteral("color: #9a5b00"));

    m_notesRow = new QWidget(this);
    auto *notes = new QHBoxLayout(m_notesRow);
    notes->setContentsMargins(0, 2, 0, 0);
    lblCaseRef = new QLabel(m_notesRow);
    lblCaseRef->setObjectName(QStringLiteral("lblCaseRef"));
    edCaseRef = new QLineEdit(m_notesRow);
    edCaseRef->setObjectName(QStringLiteral("edCaseRef"));
    edCaseRef->setMaxLength(100);
    lblNote = new QLabel(m_notesRow);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    edNote = new QLineEdit(m_notesRow);
    edNote->setObjectName(QStringLiteral("edNote"));
    edNote->setMaxLength(1000);
    lblCaseRef->setBuddy(edCaseRef);
    lblNote->setBuddy(edNote);
    notes->addWidget(lblCaseRef);
    notes->addWidget(edCaseRef, 1);
    notes->addSpacing(12);
    notes->addWidget(lblNote);
    notes->addWidget(edNote, 3);
    v->addWidget(m_notesRow);
    m_notesRow->hide();
    // Taken when the user leaves the field, not at every key: a note half typed is no amendment.
    connect(edCaseRef, &QLineEdit::editingFinished, this, [this] {
        if (edCaseRef->isModified()) {
            edCaseRef->setModified(false);
            nameNotes();
            emit caseReferenceEdited(edCaseRef->text());
        }
    });
    connect(edNote, &QLineEdit::editingFinished, this, [this] {
        if (edNote->isModified()) {
            edNote->setModified(false);
            nameNotes();
            emit noteEdited(edNote->text());
        }
    });
    setLanguage(m_language);
}

void RunPanel::showNotes(bool shown, const QString &caseReference, const QString &note)
{
    m_notesRow->setVisible(shown);
    // What the user is typing stays; setText clears the modified flag of a finished edit.
    if (!edCaseRef->isModified())
        edCaseRef->setText(caseReference);
    if (!edNote->isModified())
        edNote->setText(note);
    nameNotes();
}

void RunPanel::showHealth(const QString &drift, const QString &checks)
{
    const std::pair<QLabel *, const QString *> labels[] = {{lblRunHealth, &drift},
                                                           {lblRunChecks, &checks}};
    for (const auto &[label, text] : labels) {
        if (label->text() != *text) {
            label->setText(*text);
            label->setAccessibleName(*text);
        }
        label->setVisible(!text->isEmpty());
    }
}

QString RunPanel::healthText() const
{
    return (lblRunHealth->text() + QLatin1Char('\n') + lblRunChecks->text()).trimmed();
}

void RunPanel::nameNotes()
{
    edCaseRef->setAccessibleName(RunTexts::CaseName.text(m_language).arg(edCaseRef->text()));
    edNote->setAccessibleName(RunTexts::NoteName.text(m_language).arg(edNote->text()));
}

void RunPanel::showFigures(const RunFigures &f)
{
    if (f.headline != m_headline) {
        m_headline = f.headline;
        showHeadline();
    }
    lblRunStep->setText(f.step);
    lblRunRemaining->setText(f.remaining);
    lblRunEnd->setText(f.endsAt);
    lblRunElapsed->setText(f.elapsed);
    pbRunProgress->setValue(f.progress < 0 ? 0 : f.progress);
    pbRunProgress->setTextVisible(f.progress >= 0);
    pbRunProgress->setVisible(!f.step.isEmpty());
}

void RunPanel::setStale(bool stage, bool remaining)
{
    for (QWidget *w : std::initializer_list<QWidget *>{lblRunStage, lblRunStep})
        SetStaleLook(w, stage);
    for (QWidget *w : std::initializer_list<QWidget *>{lblRunRemaining, lblRunEnd, pbRunProgress})
        SetStaleLook(w, remaining);
}

void RunPanel::setLanguage(quint8 language)
{
    m_language = language;
    setAccessibleName(RunTexts::PanelName.text(language));
    pbRunProgress->setAccessibleName(RunTexts::ProgressName.text(language));
    lblCaseRef->setText(RunTexts::CaseLabel.text(language));
    lblNote->setText(RunTexts::NoteLabel.text(language));
    edCaseRef->setToolTip(RunTexts::CaseHint.text(language));
    edNote->setToolTip(RunTexts::NoteHint.text(language));
    nameNotes();
}

void RunPanel::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    showHeadline();
}

void RunPanel::showHeadline()
{
    const int room = lblRunStage->contentsRect().width();
    const QString shown =
        room > 0 ? lblRunStage->fontMetrics().elidedText(m_headline, Qt::ElideRight, room)
                 : m_headline;
    lblRunStage->setText(shown);
    lblRunStage->setToolTip(shown == m_headline ? QString() : m_headline);
    lblRunStage->setAccessibleName(m_headline);
}
