// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/Unit5_offices.h"

#include "common/consolestate.h"
#include "common/dialogs.h"
#include "link/link.h"
#include "service/servicelogic.h"
#include "service/servicetexts.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace T = ServiceTexts;

namespace
{

constexpr QSize DesignSize(437, 416);

struct AdcRow {
    const char *nameLabel;
    const char *valueLabel;
    TextPair caption;
    int channel; ///< one of Service::AdcChannel
};
constexpr std::array<AdcRow, 6> AdcRows = {{
    {"lblNameColdJunc", "lblColdJunc", T::ColdJunction, Service::AdcChannel::ColdJunction},
    {"lblNameVacuumSensor", "lblVacuumSensor", T::VacuumSensor, Service::AdcChannel::VacuumSensor},
    {"lblNameReperSensor", "lblReperSensor", T::ReperSensor, Service::AdcChannel::ReperSensor},
    {"lblNamePower5V", "lblPower5V", T::Power5V, Service::AdcChannel::NegativeSupply},
    {"lblNameThermocoupleUnSharp", "lblThermocoupleUnSharp", T::ThermocoupleCoarse,
     Service::AdcChannel::ThermocoupleCoarse},
    {"lblNameThermocoupleSharp", "lblThermocoupleSharp", T::ThermocoupleFine,
     Service::AdcChannel::ThermocoupleFine},
}};

/// The first nine settings fields sit in the settings group, the last four with the sensor.
constexpr int EepromFieldCount = 9;

QLabel *namedLabel(const QString &name, QWidget *parent)
{
    auto *l = new QLabel(parent);
    l->setObjectName(name);
    return l;
}

} // namespace

TFormOffices::TFormOffices(Link &link, ConsoleState &console, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent)
    , m_link(link)
    , m_console(console)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("FormOffices"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(ServiceWindowFont());
    build();

    connect(udTambient, &UpDown::clicked, this, &TFormOffices::udTambientClick);
    for (int i = 0; i < FieldCount; ++i) {
        m_fields[size_t(i)]->installEventFilter(this);
        connect(m_fields[size_t(i)], &QLineEdit::textEdited, this, [this, i] { edtChange(i); });
    }
    connect(btnRstWorkTime, &QPushButton::clicked, this, &TFormOffices::btnRstWorkTimeClick);
    connect(btnRstResourse, &QPushButton::clicked, this, &TFormOffices::btnRstResourseClick);
    connect(sbWorkTime, &QToolButton::clicked, this, &TFormOffices::sbWorkTimeClick);
    connect(sbCntrTen, &QToolButton::clicked, this, &TFormOffices::sbCntrTenClick);
    connect(btnStartOverheatAdjust, &QPushButton::clicked, this,
            &TFormOffices::btnStartOverheatAdjustClick);
    connect(btnRunTreper, &QPushButton::clicked, this, &TFormOffices::btnRunTreperClick);
}

void TFormOffices::build()
{
    auto group = [this](const char *name) {
        auto *g = new QGroupBox(this);
        g->setObjectName(QString::fromLatin1(name));
        return g;
    };
    int unit = 0;
    auto mvUnit = [&](QWidget *parent) {
        QLabel *l = namedLabel(QStringLiteral("lblUnitMv%1").arg(unit), parent);
        m_mvUnits[size_t(unit++)] = l;
        return l;
    };
    for (int i = 0; i < FieldCount; ++i) {
        auto *e = new QLineEdit;
        e->setObjectName(QString::fromLatin1(Service::ParameterFields[size_t(i)].name));
        e->setFixedWidth(52);
        e->setAlignment(Qt::AlignRight);
        m_fields[size_t(i)] = e;
    }

    gbTambient = group("gbTambient");
    edtTambient = new QLineEdit(gbTambient);
    edtTambient->setObjectName(QStringLiteral("edtTambient"));
    edtTambient->setReadOnly(true);
    edtTambient->setFixedWidth(44);
    edtTambient->setAlignment(Qt::AlignRight);
    udTambient = new UpDown(QStringLiteral("udTambient"), gbTambient);
    auto *ambient = new QHBoxLayout(gbTambient);
    ambient->addWidget(new QLabel(QStringLiteral("T="), gbTambient));
    ambient->addWidget(edtTambient);
    ambient->addWidget(udTambient);
    ambient->addWidget(new QLabel(QStringLiteral("°C"), gbTambient));
    ambient->addStretch();

    gbADCMeasures = group("gbADCMeasures");
    auto *adc = new QGridLayout(gbADCMeasures);
    adc->setVerticalSpacing(2);
    for (size_t i = 0; i < AdcRows.size(); ++i) {
        m_adcNames[i] = namedLabel(QString::fromLatin1(AdcRows[i].nameLabel), gbADCMeasures);
        m_adcValues[i] = namedLabel(QString::fromLatin1(AdcRows[i].valueLabel), gbADCMeasures);
        m_adcValues[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_adcValues[i]->setMinimumWidth(40);
        adc->addWidget(m_adcNames[i], int(i), 0);
        adc->addWidget(m_adcValues[i], int(i), 1);
        adc->addWidget(mvUnit(gbADCMeasures), int(i), 2);
    }
    adc->setColumnStretch(0, 1);

    auto counterGroup = [&](const char *name, QToolButton *&show, const char *showName,
                            QPushButton *&reset, const char *resetName) {
        QGroupBox *g = group(name);
        show = new QToolButton(g);
        show->setObjectName(QString::fromLatin1(showName));
        show->setAutoRaise(true);
        reset = new QPushButton(g);
        reset->setObjectName(QString::fromLatin1(resetName));
        auto *row = new QHBoxLayout(g);
        row->addWidget(show, 1);
        row->addWidget(reset);
        return g;
    };
    gbWorkTime =
        counterGroup("gbWorkTime", sbWorkTime, "sbWorkTime", btnRstWorkTime, "btnRstWorkTime");
    gbCntrTen = counterGroup("gbCntrTen", sbCntrTen, "sbCntrTen", btnRstResourse, "btnRstResourse");

    gbEEPROM = group("gbEEPROM");
    auto *eeprom = new QGridLayout(gbEEPROM);
    eeprom->setVerticalSpacing(2);
    for (int i = 0; i < EepromFieldCount; ++i) {
        m_eepromLabels[size_t(i)] = namedLabel(QStringLiteral("Label%1").arg(7 + i), gbEEPROM);
        m_eepromLabels[size_t(i)]->setBuddy(m_fields[size_t(i)]);
        eeprom->addWidget(m_eepromLabels[size_t(i)], i, 0);
        eeprom->addWidget(m_fields[size_t(i)], i, 1);
    }
    eeprom->setColumnStretch(0, 1);

    gbOverheatAdjustment = group("gbOverheatAdjustment");
    btnStartOverheatAdjust = new QPushButton(gbOverheatAdjustment);
    btnStartOverheatAdjust->setObjectName(QStringLiteral("btnStartOverheatAdjust"));
    (new QHBoxLayout(gbOverheatAdjustment))->addWidget(btnStartOverheatAdjust);

    gbReperSensor = group("gbReperSensor");
    auto *reper = new QGridLayout(gbReperSensor);
    reper->setVerticalSpacing(2);
    for (int i = 0; i < 4; ++i) {
        QLineEdit *e = m_fields[size_t(EepromFieldCount + i)];
        m_reperLabels[size_t(i)] = namedLabel(QStringLiteral("Label%1").arg(16 + i), gbReperSensor);
        m_reperLabels[size_t(i)]->setBuddy(e);
        reper->addWidget(m_reperLabels[size_t(i)], i, 0);
        reper->addWidget(e, i, 1);
        reper->addWidget(
            i < 3 ? mvUnit(gbReperSensor) : new QLabel(QStringLiteral("°C"), gbReperSensor), i, 2);
    }
    lblReper = namedLabel(QStringLiteral("lblReper"), gbReperSensor);
    lblTuneReper = namedLabel(QStringLiteral("lblTuneReper"), gbReperSensor);
    btnRunTreper = new QPushButton(gbReperSensor);
    btnRunTreper->setObjectName(QStringLiteral("btnRunTreper"));
    reper->addWidget(lblReper, 4, 0, 1, 3);
    reper->addWidget(lblTuneReper, 5, 0, 1, 2);
    reper->addWidget(btnRunTreper, 5, 2);
    reper->setColumnStretch(0, 1);

    auto *left = new QVBoxLayout;
    left->addWidget(gbTambient);
    left->addWidget(gbADCMeasures);
    left->addWidget(gbWorkTime);
    left->addWidget(gbCntrTen);
    left->addStretch();
    auto *right = new QVBoxLayout;
    right->addWidget(gbEEPROM);
    right->addWidget(gbOverheatAdjustment);
    right->addWidget(gbReperSensor);
    right->addStretch();
    auto *columns = new QHBoxLayout(FixedSizeBody(this, DesignSize));
    columns->setContentsMargins(6, 6, 6, 6);
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
}

QString TFormOffices::tx(const TextPair &pair) const
{
    return pair.text(m_console.Language);
}

int TFormOffices::fieldIndex(const QObject *object) const
{
    for (int i = 0; i < FieldCount; ++i) {
        if (m_fields[size_t(i)] == object)
            return i;
    }
    return -1;
}

void TFormOffices::fillFromBlock()
{
    const ServiceBlock &block = m_link.image().Block;
    for (int i = 0; i < FieldCount; ++i) {
        const QSignalBlocker blocker(m_fields[size_t(i)]);
        m_fields[size_t(i)]->setText(
            Service::FieldText(block, Service::ParameterFields[size_t(i)]));
    }
    m_editedField = -1;
    m_reperResultPending = false;
    lblReper->setText(Service::ReperCountText(block, m_console.Language));
    lblTuneReper->clear();
    nameValues();
}

void TFormOffices::FormShow()
{
    setWindowTitle(tx(T::OfficesCaption));
    const std::pair<QGroupBox *, TextPair> groups[] = {
        {gbTambient, T::TambientGroup},      {gbADCMeasures, T::AdcGroup},
        {gbEEPROM, T::EepromGroup},          {gbWorkTime, T::WorkTimeGroup},
        {gbCntrTen, T::HeaterResourceGroup}, {gbOverheatAdjustment, T::OverheatGroup},
        {gbReperSensor, T::ReperGroup},
    };
    for (const auto &[box, caption] : groups)
        box->setTitle(tx(caption));
    for (size_t i = 0; i < AdcRows.size(); ++i)
        m_adcNames[i]->setText(tx(AdcRows[i].caption));
    for (QLabel *l : m_mvUnits)
        l->setText(tx(T::Millivolt));
    for (size_t i = 0; i < m_eepromLabels.size(); ++i) {
        m_eepromLabels[i]->setText(tx(T::EepromLabels[i]));
        m_fields[i]->setAccessibleName(tx(T::EepromLabels[i]));
    }
    for (size_t i = 0; i < m_reperLabels.size(); ++i) {
        m_reperLabels[i]->setText(tx(T::ReperLabels[i]));
        m_fields[EepromFieldCount + i]->setAccessibleName(tx(T::ReperLabels[i]));
    }
    btnRstWorkTime->setText(tx(T::Reset));
    btnRstResourse->setText(tx(T::Reset));
    btnStartOverheatAdjust->setText(
        tx(m_console.ConsoleMode == ConsoleMode::OverheatAdjust ? T::Stop : T::Start));
    btnRunTreper->setText(tx(m_console.ConsoleMode == ConsoleMode::ReperRun ? T::Stop : T::Start));
    sbWorkTime->setToolTip(tx(T::Refresh));
    sbCntrTen->setToolTip(tx(T::Refresh));
    btnStartOverheatAdjust->setToolTip(tx(T::OverheatHint));
    btnRunTreper->setToolTip(tx(T::TreperHint));

    edtTambient->setAccessibleName(tx(T::AmbientName));
    udTambient->setAccessibleNames(tx(T::AmbientOffsetArrows),
                                   tx(T::AmbientOffsetArrows) + tx(T::Increase),
                                   tx(T::AmbientOffsetArrows) + tx(T::Decrease));
    btnRstWorkTime->setAccessibleName(tx(T::ResetWorkTimeName));
    btnRstResourse->setAccessibleName(tx(T::ResetResourceName));

    updateProcedureButtons();
    refreshLive();
}

void TFormOffices::nameValues()
{
    // The counters' hint, "Refresh", is their accessible description; lblReper carries its
    // own words and is read as it shows.
    for (size_t i = 0; i < AdcRows.size(); ++i)
        SetValueName(m_adcValues[i],
                     ValueName(tx(AdcRows[i].caption),
                               m_adcValues[i]->text() + QLatin1Char(' ') + tx(T::Millivolt)));
    SetValueName(sbWorkTime, ValueName(tx(T::WorkTimeGroup), sbWorkTime->text()));
    SetValueName(sbCntrTen, ValueName(tx(T::HeaterResourceGroup), sbCntrTen->text()));
    SetValueName(btnStartOverheatAdjust,
                 ValueName(tx(T::OverheatGroup), btnStartOverheatAdjust->text()));
    SetValueName(btnRunTreper, ValueName(tx(T::ReperGroup), btnRunTreper->text()));
    SetValueName(lblTuneReper, ValueName(tx(T::ReperGroup), lblTuneReper->text()));
}

void TFormOffices::setVisible(bool visible)
{
    if (visible && !isVisible())
        FormShow();
    QDialog::setVisible(visible);
}

bool TFormOffices::FormClose()
{
    const quint8 mode = m_console.ConsoleMode;
    if (mode == ConsoleMode::OverheatAdjust || mode == ConsoleMode::ReperRun) {
        m_dialogs.message(this, Dialogs::Icon::Error, tx(T::Attention), tx(T::ProcessInProgress));
        return false;
    }
    // A field still being typed into counts as left: its value goes to the furnace.
    if (m_editedField >= 0)
        edtExit(m_editedField);
    m_console.OfficesWindowOpen = false;
    return true;
}

void TFormOffices::done(int result)
{
    if (!FormClose())
        return;
    QDialog::done(result);
}

bool TFormOffices::eventFilter(QObject *watched, QEvent *event)
{
    const int i = fieldIndex(watched);
    if (i >= 0) {
        // edtEE_KeyPress: digits and backspace only.
        if (event->type() == QEvent::KeyPress && DropsNonDigitKey(static_cast<QKeyEvent *>(event)))
            return true;
        // edtExit: the field is left for another control of the window; a switch to another
        // window, a box or a menu is not leaving it.
        if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                edtExit(i);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormOffices::refreshLive()
{
    const FurnaceImage &image = m_link.image();
    edtTambient->setText(QString::number(image.AmbientTemp));
    for (size_t i = 0; i < AdcRows.size(); ++i)
        m_adcValues[i]->setText(QString::number(image.AdcMeasures[size_t(AdcRows[i].channel)]));
    sbWorkTime->setText(Service::WorkTimeText(image.Block));
    sbCntrTen->setText(Service::ResourceText(image.Block));
    if (m_reperResultPending) {
        showReperResult();
        QLineEdit *trep = m_fields[Service::TrepField];
        if (!trep->hasFocus() && m_editedField != Service::TrepField) {
            const QSignalBlocker blocker(trep);
            trep->setText(QString::number(image.Block.Trep()));
        }
    }
    updateProcedureButtons();
    nameValues();
}

void TFormOffices::udTambientClick(UpDown::Button button)
{
    if (!ServiceBlockKnown(m_link, m_dialogs, this, m_console.Language))
        return;
    FurnaceImage &image = m_link.image();
    Service::AmbientArrow(image.Block, image.AdcMeasures[Service::AdcChannel::ThermocoupleFine],
                          button == UpDown::Button::Up);
    // The arrows replace the two offsets: their fields show what is sent, so that leaving one
    // stores that again, not what was typed into it before.
    for (int i : {Service::AmbientOffsetField, Service::TcoupleOffsetField}) {
        const QSignalBlocker blocker(m_fields[size_t(i)]);
        m_fields[size_t(i)]->setText(
            Service::FieldText(image.Block, Service::ParameterFields[size_t(i)]));
    }
    m_link.request(RequestKind::WriteServiceBlock);
}

void TFormOffices::edtChange(int field)
{
    const Service::ParameterField &f = Service::ParameterFields[size_t(field)];
    QLineEdit *edit = m_fields[size_t(field)];
    m_editedField = field;
    const Service::FieldEntry entry = Service::EnterField(m_link.image().Block, f, edit->text());
    if (entry.outcome == Service::FieldEntry::Clamped) {
        const QSignalBlocker blocker(edit);
        edit->setText(QString::number(entry.value));
    }
}

void TFormOffices::edtExit(int field)
{
    if (m_inExit)
        return;
    m_inExit = true;
    QLineEdit *edit = m_fields[size_t(field)];
    const Service::ParameterField &f = Service::ParameterFields[size_t(field)];
    const bool edited = m_editedField == field;
    if (edited) {
        // Again from the text: a settings block read while the user typed may have replaced
        // the value stored by the typing.
        edtChange(field);
        m_editedField = -1;
        const auto outcome = Service::ParseFieldText(f, edit->text()).outcome;
        if (outcome == Service::FieldEntry::NotANumber)
            m_dialogs.message(this, Dialogs::Icon::Error, tx(T::ErrorCaption),
                              tx(T::NotANumber).arg(edit->accessibleName()));
        // Nothing was stored: the field shows again the value that is sent.
        if (outcome == Service::FieldEntry::NotANumber || outcome == Service::FieldEntry::Ignored) {
            const QSignalBlocker blocker(edit);
            edit->setText(Service::FieldText(m_link.image().Block, f));
        }
    }
    // Nothing to send for a field only passed through before the block is known.
    if (m_link.image().BlockRead ||
        (edited && ServiceBlockKnown(m_link, m_dialogs, this, m_console.Language)))
        m_link.request(RequestKind::WriteServiceBlock);
    m_inExit = false;
}

void TFormOffices::btnRstWorkTimeClick()
{
    if (!ServiceBlockKnown(m_link, m_dialogs, this, m_console.Language))
        return;
    if (!m_dialogs.question(this, tx(T::Attention), tx(T::SaveChangedParameters)))
        return;
    sbWorkTime->setText(QStringLiteral("0:00:00"));
    nameValues();
    m_link.image().Block.setHeaterWorkTime(0);
    m_link.request(RequestKind::WriteServiceBlock);
}

void TFormOffices::btnRstResourseClick()
{
    if (!ServiceBlockKnown(m_link, m_dialogs, this, m_console.Language))
        return;
    if (!m_dialogs.question(this, tx(T::Attention), tx(T::SaveChangedParameters)))
        return;
    sbCntrTen->setText(QStringLiteral("0"));
    nameValues();
    m_link.image().Block.resetHeaterResource();
    m_link.request(RequestKind::WriteServiceBlock);
}

void TFormOffices::sbWorkTimeClick()
{
    m_link.request(RequestKind::ReadServiceBlock);
}

void TFormOffices::sbCntrTenClick()
{
    m_link.request(RequestKind::ReadServiceBlock);
}

void TFormOffices::btnStartOverheatAdjustClick()
{
    if (m_console.ConsoleMode == ConsoleMode::OverheatAdjust) {
        m_link.request(RequestKind::Stop);
        endOverheatAdjust();
        return;
    }
    m_link.request(RequestKind::StartOverheatAdjust);
    m_console.ConsoleMode = ConsoleMode::OverheatAdjust;
    // The step of an earlier procedure must not end this one before the controller reports.
    m_link.image().ServiceStep = 0;
    m_reperResultPending = false;
    btnStartOverheatAdjust->setText(tx(T::Stop));
    // edtKoverheat: the controller adjusts it now.
    m_fields[Service::KoverheatField]->setReadOnly(true);
    updateProcedureButtons();
    nameValues();
}

void TFormOffices::endOverheatAdjust()
{
    m_console.ConsoleMode = ConsoleMode::Idle;
    btnStartOverheatAdjust->setText(tx(T::Start));
    m_fields[Service::KoverheatField]->setReadOnly(false);
    updateProcedureButtons();
    nameValues();
}

void TFormOffices::OverheatAdjustStep()
{
    FurnaceImage &image = m_link.image();
    m_link.request(RequestKind::OverheatAdjustProgress);
    // The block is read while the controller adjusts Koverheat, but not over a write of ours
    // that has still to go out.
    if (!m_link.requests().Pending.isSet(RequestKind::WriteServiceBlock))
        m_link.request(RequestKind::ReadServiceBlock);
    {
        QLineEdit *koverheat = m_fields[Service::KoverheatField];
        const QSignalBlocker blocker(koverheat);
        koverheat->setText(QString::number(image.Block.Koverheat()));
    }
    if (image.ServiceStep > Service::OverheatAdjustLastStep) {
        m_link.request(RequestKind::Stop);
        endOverheatAdjust();
    }
}

void TFormOffices::btnRunTreperClick()
{
    if (m_console.ConsoleMode == ConsoleMode::ReperRun) {
        m_link.request(RequestKind::Stop);
        m_console.ConsoleMode = ConsoleMode::Idle;
        btnRunTreper->setText(tx(T::Start));
        lblTuneReper->setText(tx(T::Aborted));
        updateProcedureButtons();
        nameValues();
        return;
    }
    m_link.request(RequestKind::StartReperRun);
    m_console.ConsoleMode = ConsoleMode::ReperRun;
    m_link.image().ServiceStep = 0;
    m_reperResultPending = false;
    btnRunTreper->setText(tx(T::Stop));
    updateProcedureButtons();
    nameValues();
}

void TFormOffices::ReperRunStep()
{
    FurnaceImage &image = m_link.image();
    if (const std::optional<TextPair> phase = Service::ReperRunPhase(image.ServiceStep)) {
        lblTuneReper->setText(tx(*phase));
    } else {
        showReperResult();
        btnRunTreper->setText(tx(T::Start));
        image.ServiceStep = 0;
        m_console.ConsoleMode = ConsoleMode::Idle;
        updateProcedureButtons();
        // The controller has stored the new operation temperature and count: read them, and
        // show them as they arrive.
        if (!m_link.requests().Pending.isSet(RequestKind::WriteServiceBlock))
            m_link.request(RequestKind::ReadServiceBlock);
        m_reperResultPending = true;
    }
    nameValues();
    m_link.request(RequestKind::ReperValues);
}

void TFormOffices::showReperResult()
{
    const ServiceBlock &block = m_link.image().Block;
    lblTuneReper->setText(Service::TOperationText(block, m_console.Language));
    lblReper->setText(Service::ReperCountText(block, m_console.Language));
}

void TFormOffices::updateProcedureButtons()
{
    const quint8 mode = m_console.ConsoleMode;
    btnStartOverheatAdjust->setEnabled(mode == ConsoleMode::Idle ||
                                       mode == ConsoleMode::OverheatAdjust);
    btnRunTreper->setEnabled(mode == ConsoleMode::Idle || mode == ConsoleMode::ReperRun);
}
