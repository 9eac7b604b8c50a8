// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/Unit2.h"

#include "common/textpair.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace
{

constexpr int MaxTextLength = 18;
constexpr TextPair Attention = {"Внимание", "Attention"};
constexpr TextPair FieldMustBeFilled = {"Необходимо заполнить поле!",
                                        "The field must be filled up!"};

/// The application's style, but a password is echoed as "*".
class StarEchoStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

TAddMass::TAddMass(Dialogs &dialogs, QWidget *parent)
    : QDialog(parent)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("AddMass"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    lblName = new QLabel(QStringLiteral("Название:"), this);
    lblName->setObjectName(QStringLiteral("lblName"));
    lblNote = new QLabel(this);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    QFont small = lblNote->font();
    if (small.pointSizeF() > 0) {
        small.setPointSizeF(small.pointSizeF() * 0.85);
        lblNote->setFont(small);
    }
    edtMass = new QLineEdit(this);
    edtMass->setObjectName(QStringLiteral("edtMass"));
    edtMass->setMaxLength(MaxTextLength);
    edtMass->installEventFilter(this);
    // Kept after the field among the children, so that it outlives the field.
    auto *stars = new StarEchoStyle;
    stars->setParent(this);
    edtMass->setStyle(stars);
    lblName->setBuddy(edtMass);
    btnMass = new QPushButton(QStringLiteral("O&K"), this);
    btnMass->setObjectName(QStringLiteral("btnMass"));
    btnMass->setAutoDefault(false);

    auto *layout = new QGridLayout(this);
    layout->addWidget(lblName, 0, 0, 1, 2);
    layout->addWidget(edtMass, 1, 0);
    layout->addWidget(btnMass, 1, 1);
    layout->addWidget(lblNote, 2, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnMass, &QPushButton::clicked, this, &TAddMass::btnMassClick);
    connect(edtMass, &QLineEdit::textEdited, this, &TAddMass::keepDigitsOnly);
    // Typing never makes the text longer than the limit, nor a longer preset longer still.
    connect(edtMass, &QLineEdit::textEdited, this, [this](const QString &text) {
        edtMass->setMaxLength(std::max(MaxTextLength, int(text.size())));
    });
}

void TAddMass::prepare(const NameRequest &request)
{
    m_language = request.language;
    m_validator = request.validate;
    setWindowTitle(request.caption);
    lblName->setText(request.prompt);
    lblNote->setText(request.note);
    m_numeric = request.numeric;
    m_trimBlanks = request.trimBlanks;
    m_preset = request.preset;
    // The limit is for typing: a longer preset (a name read from a file) is shown whole.
    edtMass->setMaxLength(
        std::max(MaxTextLength, request.preset ? int(request.preset->size()) : 0));
    if (request.preset)
        edtMass->setText(*request.preset);
    if (request.password) {
        edtMass->clear();
        edtMass->setEchoMode(QLineEdit::Password);
    }
    if (m_numeric)
        keepDigitsOnly();
}

std::optional<QString> TAddMass::ask(const NameRequest &request, Validator validator)
{
    prepare(request);
    if (validator)
        setValidator(std::move(validator));
    const int result = exec();
    setValidator({});
    const QString entered = text();
    if (request.password) {
        // Ready for the next use as a name dialog, whatever the answer.
        edtMass->clear();
        edtMass->setEchoMode(QLineEdit::Normal);
    }
    if (result != QDialog::Accepted)
        return std::nullopt;
    return entered;
}

QString TAddMass::text() const
{
    return edtMass->text();
}

void TAddMass::FormShow()
{
    edtMass->setFocus(Qt::OtherFocusReason);
}

void TAddMass::btnMassClick()
{
    if (m_trimBlanks && edtMass->text() != m_preset) {
        const QString trimmed = edtMass->text().trimmed();
        if (trimmed != edtMass->text())
            edtMass->setText(trimmed);
    }
    if (edtMass->text().isEmpty()) {
        m_dialogs.message(this, Dialogs::Icon::Error, Attention.text(m_language),
                          FieldMustBeFilled.text(m_language));
        edtMass->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (m_validator) {
        const QString error = m_validator(edtMass->text());
        if (!error.isEmpty()) {
            m_dialogs.message(this, Dialogs::Icon::Warning, Attention.text(m_language), error);
            edtMass->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    accept();
}

bool TAddMass::edtMassKeyPress(int key, const QString &text)
{
    if (key == Qt::Key_Escape) {
        edtMass->clear();
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        btnMassClick();
        return true;
    }
    if (!m_numeric || text.isEmpty() || key == Qt::Key_Backspace)
        return false;
    // Control characters are shortcuts (copy, paste, select all): pasted text is filtered
    // after the edit. Printable text passes only when it is digits.
    for (QChar c : text) {
        if (c.unicode() >= 0x20 && !isDigit(c))
            return true;
    }
    return false;
}

void TAddMass::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    FormShow();
}

void TAddMass::keyPressEvent(QKeyEvent *event)
{
    // Escape empties the field instead of closing; Enter is the OK button.
    if (edtMassKeyPress(event->key(), QString()))
        return;
    QDialog::keyPressEvent(event);
}

bool TAddMass::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == edtMass && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (edtMassKeyPress(key->key(), key->text()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAddMass::keepDigitsOnly()
{
    if (!m_numeric)
        return;
    const QString current = edtMass->text();
    QString digits;
    int cursor = edtMass->cursorPosition();
    for (qsizetype i = 0; i < current.size(); ++i) {
        if (isDigit(current.at(i)))
            digits.append(current.at(i));
        else if (i < cursor)
            --cursor;
    }
    if (digits != current) {
        edtMass->setText(digits);
        edtMass->setCursorPosition(cursor);
    }
}
