// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/dialogs.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

/// The name dialog: one text field for a mass or layer name, the transfer's start slot or the
/// access code. One instance is kept and reused; the field keeps its text between uses unless
/// the caller presets it. Message boxes go through the Dialogs given at construction.
class TAddMass : public QDialog
{
    Q_OBJECT

public:
    /// Returns an error text to refuse the entered text (the dialog stays open), or empty.
    using Validator = std::function<QString(const QString &)>;

    explicit TAddMass(Dialogs &dialogs, QWidget *parent = nullptr);

    /// Sets caption, prompt, note, numeric mode, the preset text (when given), the language of
    /// the dialog's own messages and the request's validator.
    void prepare(const NameRequest &request);
    /// Language of the dialog's own messages (0 Russian, 1 English), after prepare().
    void setLanguage(quint8 language) { m_language = language; }
    /// Replaces the validator set by prepare().
    void setValidator(Validator validator) { m_validator = std::move(validator); }

    /// prepare(), then shows the dialog modally; the entered text, or nothing when cancelled.
    /// `validator`, when given, is used instead of the request's.
    std::optional<QString> ask(const NameRequest &request, Validator validator = {});

    QString text() const;
    bool numeric() const { return m_numeric; }

    void FormShow();
    void btnMassClick();
    /// Handles a key typed into edtMass; true when the key was consumed or dropped.
    bool edtMassKeyPress(int key, const QString &text);

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void keepDigitsOnly();

    Dialogs &m_dialogs;
    quint8 m_language = 1;
    bool m_numeric = false;
    /// Blanks at the ends of an entered name are dropped, unless it is the untouched preset.
    bool m_trimBlanks = false;
    std::optional<QString> m_preset;
    Validator m_validator;

    QLabel *lblName = nullptr;
    QLabel *lblNote = nullptr;
    QLineEdit *edtMass = nullptr;
    QPushButton *btnMass = nullptr;
};
