// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/Unit3_services.h"

#include "common/consolestate.h"
#include "common/dialogs.h"
#include "link/link.h"
#include "service/servicelogic.h"
#include "service/servicetexts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QToolTip>
#include <QVBoxLayout>

namespace T = ServiceTexts;

namespace
{

constexpr QSize DesignSize(332, 317);

QComboBox *numberList(const char *name, int first, int last, QWidget *parent)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    for (int i = first; i <= last; ++i)
        list->addItem(QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')));
    return list;
}

QLabel *fixedLabel(const QString &text, QWidget *parent)
{
    return new QLabel(text, parent);
}

} // namespace

TFormServices::TFormServices(Link &link, ConsoleState &console, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent)
    , m_link(link)
    , m_console(console)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("FormServices"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(ServiceWindowFont());
    build();

    connect(edtTsupport, &QLineEdit::textEdited, this, &TFormServices::edtTsupportChange);
    // A refused keystroke says why: the field never shows a temperature that was not sent.
    connect(edtTsupport, &QLineEdit::inputRejected, this, [this] {
        QToolTip::showText(edtTsupport->mapToGlobal(QPoint(0, edtTsupport->height())),
                           edtTsupport->toolTip(), edtTsupport);
    });
    edtTsupport->installEventFilter(this);
    connect(cmbTimeH, &QComboBox::currentIndexChanged, this, &TFormServices::cmbTimeHChange);
    connect(cmbTimeM, &QComboBox::currentIndexChanged, this, &TFormServices::cmbTimeMChange);
    connect(cmbDateD, &QComboBox::currentIndexChanged, this, &TFormServices::cmbDateDChange);
    connect(cmbDateM, &QComboBox::currentIndexChanged, this, &TFormServices::cmbDateMChange);
    connect(cmbDateY, &QComboBox::currentIndexChanged, this, &TFormServices::cmbDateYChange);
    // The user's choice, also of the entry already shown ("MAX" for an unknown mode).
    connect(cmbEconomMode, &QComboBox::activated, this, &TFormServices::cmbEconomModeChange);
    connect(udKvac, &UpDown::clicked, this, &TFormServices::udKvacClick);
    connect(udCorrectionT, &UpDown::clicked, this, &TFormServices::udCorrectionTClick);
    connect(btRunVacCalibr, &QPushButton::clicked, this, &TFormServices::btRunVacCalibrClick);
    connect(btDriveCalibr, &QPushButton::clicked, this, &TFormServices::btDriveCalibrClick);
    btRunVacCalibr->setProperty("tag", 0);
    btDriveCalibr->setProperty("tag", 0);
}

void TFormServices::build()
{
    auto group = [this](const char *name) {
        auto *g = new QGroupBox(this);
        g->setObjectName(QString::fromLatin1(name));
        return g;
    };
    auto readOnlyNumber = [](const char *name, QWidget *parent) {
        auto *e = new QLineEdit(parent);
        e->setObjectName(QString::fromLatin1(name));
        e->setReadOnly(true);
        e->setFixedWidth(48);
        e->setAlignment(Qt::AlignRight);
        return e;
    };

    gbTsupport = group("gbTsupport");
    edtTsupport = new QLineEdit(gbTsupport);
    edtTsupport->setObjectName(QStringLiteral("edtTsupport"));
    edtTsupport->setFixedWidth(48);
    edtTsupport->setMaxLength(4);
    edtTsupport->setValidator(new SupportTempValidator(edtTsupport));
    edtTsupport->setAlignment(Qt::AlignRight);
    auto *tsRow = new QHBoxLayout(gbTsupport);
    tsRow->addWidget(fixedLabel(QStringLiteral("T="), gbTsupport));
    tsRow->addWidget(edtTsupport);
    tsRow->addWidget(fixedLabel(QStringLiteral("°C"), gbTsupport));
    tsRow->addStretch();

    gbTimeDate = group("gbTimeDate");
    cmbTimeH = numberList("cmbTimeH", 0, 23, gbTimeDate);
    cmbTimeM = numberList("cmbTimeM", 0, 59, gbTimeDate);
    lblTimeSec = fixedLabel(QStringLiteral(": 00"), gbTimeDate);
    lblTimeSec->setObjectName(QStringLiteral("lblTimeSec"));
    cmbDateD = numberList("cmbDateD", 1, 31, gbTimeDate);
    cmbDateM = numberList("cmbDateM", 1, 12, gbTimeDate);
    cmbDateY = numberList("cmbDateY", 0, 50, gbTimeDate);
    auto *clock = new QGridLayout(gbTimeDate);
    clock->setHorizontalSpacing(2);
    clock->addWidget(cmbTimeH, 0, 0);
    clock->addWidget(fixedLabel(QStringLiteral(":"), gbTimeDate), 0, 1);
    clock->addWidget(cmbTimeM, 0, 2);
    clock->addWidget(lblTimeSec, 0, 3, 1, 2);
    clock->addWidget(cmbDateD, 1, 0);
    clock->addWidget(fixedLabel(QStringLiteral("/"), gbTimeDate), 1, 1);
    clock->addWidget(cmbDateM, 1, 2);
    clock->addWidget(fixedLabel(QStringLiteral("/20"), gbTimeDate), 1, 3);
    clock->addWidget(cmbDateY, 1, 4);

    gpVacuumTract = group("gpVacuumTract");
    gbVacCalibrate = new QGroupBox(gpVacuumTract);
    gbVacCalibrate->setObjectName(QStringLiteral("gbVacCalibrate"));
    edtKvac = readOnlyNumber("edtKvac", gbVacCalibrate);
    udKvac = new UpDown(QStringLiteral("udKvac"), gbVacCalibrate);
    btRunVacCalibr = new QPushButton(gbVacCalibrate);
    btRunVacCalibr->setObjectName(QStringLiteral("btRunVacCalibr"));
    auto *kvacRow = new QHBoxLayout(gbVacCalibrate);
    kvacRow->addWidget(fixedLabel(QStringLiteral("Кв="), gbVacCalibrate));
    kvacRow->addWidget(edtKvac);
    kvacRow->addWidget(udKvac);
    kvacRow->addStretch();
    kvacRow->addWidget(btRunVacCalibr);
    gbEconomMode = new QGroupBox(gpVacuumTract);
    gbEconomMode->setObjectName(QStringLiteral("gbEconomMode"));
    cmbEconomMode = new QComboBox(gbEconomMode);
    cmbEconomMode->setObjectName(QStringLiteral("cmbEconomMode"));
    for (const char *entry : T::EconomyEntries)
        cmbEconomMode->addItem(QString::fromLatin1(entry));
    (new QHBoxLayout(gbEconomMode))->addWidget(cmbEconomMode);
    auto *tract = new QHBoxLayout(gpVacuumTract);
    tract->addWidget(gbVacCalibrate, 1);
    tract->addWidget(gbEconomMode);

    gbCorrectionT = group("gbCorrectionT");
    edtCorrectionT = readOnlyNumber("edtCorrectionT", gbCorrectionT);
    udCorrectionT = new UpDown(QStringLiteral("udCorrectionT"), gbCorrectionT);
    auto *corrRow = new QHBoxLayout(gbCorrectionT);
    corrRow->addWidget(fixedLabel(QStringLiteral("dT="), gbCorrectionT));
    corrRow->addWidget(edtCorrectionT);
    corrRow->addWidget(udCorrectionT);
    corrRow->addStretch();

    gbDriveCalibr = group("gbDriveCalibr");
    lblTimeOpen = new QLabel(gbDriveCalibr);
    lblTimeOpen->setObjectName(QStringLiteral("lblTimeOpen"));
    lblTimeClose = new QLabel(gbDriveCalibr);
    lblTimeClose->setObjectName(QStringLiteral("lblTimeClose"));
    btDriveCalibr = new QPushButton(gbDriveCalibr);
    btDriveCalibr->setObjectName(QStringLiteral("btDriveCalibr"));
    auto *drive = new QGridLayout(gbDriveCalibr);
    drive->addWidget(lblTimeOpen, 0, 0);
    drive->addWidget(lblTimeClose, 1, 0);
    drive->addWidget(btDriveCalibr, 0, 1, 2, 1, Qt::AlignVCenter);
    drive->setColumnStretch(0, 1);

    gbWorkTime = group("gbWorkTime");
    lblWorkTime = new QLabel(gbWorkTime);
    lblWorkTime->setObjectName(QStringLiteral("lblWorkTime"));
    (new QHBoxLayout(gbWorkTime))->addWidget(lblWorkTime);
    gbCntrTen = group("gbCntrTen");
    lblCntrTen = new QLabel(gbCntrTen);
    lblCntrTen->setObjectName(QStringLiteral("lblCntrTen"));
    (new QHBoxLayout(gbCntrTen))->addWidget(lblCntrTen);

    auto *grid = new QGridLayout(FixedSizeBody(this, DesignSize));
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setSpacing(4);
    grid->addWidget(gbTsupport, 0, 0);
    grid->addWidget(gbTimeDate, 0, 1);
    grid->addWidget(gpVacuumTract, 1, 0, 1, 2);
    grid->addWidget(gbCorrectionT, 2, 0);
    grid->addWidget(gbDriveCalibr, 2, 1);
    grid->addWidget(gbWorkTime, 3, 0);
    grid->addWidget(gbCntrTen, 3, 1);
    grid->setColumnStretch(1, 1);
}

QString TFormServices::tx(const TextPair &pair) const
{
    return pair.text(m_console.Language);
}

void TFormServices::fillFromImage()
{
    FurnaceImage &image = m_link.image();
    const ServiceBlock &block = image.Block;
    const QSignalBlocker b1(edtTsupport), b2(cmbTimeH), b3(cmbTimeM), b4(cmbDateD), b5(cmbDateM),
        b6(cmbDateY), b7(cmbEconomMode);
    edtTsupport->setText(QString::number(image.SupportTempRead));
    // ClockSet starts as the lists show the clock: a change of one list sends the others as shown.
    cmbTimeH->setCurrentIndex(image.ClockHour);
    cmbTimeM->setCurrentIndex(image.ClockMinute);
    cmbDateD->setCurrentIndex(image.ClockDay - 1);
    cmbDateM->setCurrentIndex(image.ClockMonth - 1);
    cmbDateY->setCurrentIndex(image.ClockYear);
    image.ClockSet.hour = image.ClockHour;
    image.ClockSet.minute = image.ClockMinute;
    image.ClockSet.day = image.ClockDay;
    image.ClockSet.month = image.ClockMonth;
    image.ClockSet.year = image.ClockYear;
    // Kvac is adjustable only during a vacuum calibration.
    setKvacAdjustable(false);
    edtKvac->setText(QString::number(block.Kvac()));
    cmbEconomMode->setCurrentIndex(Service::EconomyIndex(image.VacEconomyMode));
    lblWorkTime->setText(Service::WorkTimeText(block));
    lblCntrTen->setText(Service::ResourceText(block));
    edtCorrectionT->setText(QString::number(Service::CorrectionDt(block)));
    lblTimeOpen->setText(Service::OpeningText(block, m_console.Language));
    lblTimeClose->setText(Service::ClosingText(block, m_console.Language));
    nameValues();
}

void TFormServices::FormShow()
{
    setWindowTitle(tx(T::ServicesCaption));
    const std::pair<QGroupBox *, TextPair> groups[] = {
        {gbTsupport, T::TsupportGroup},       {gbTimeDate, T::TimeDateGroup},
        {gpVacuumTract, T::VacuumTractGroup}, {gbVacCalibrate, T::VacCalibrateGroup},
        {gbEconomMode, T::EconomModeGroup},   {gbCorrectionT, T::CorrectionTGroup},
        {gbDriveCalibr, T::DriveCalibrGroup}, {gbWorkTime, T::WorkTimeGroup},
        {gbCntrTen, T::ResourceGroup},
    };
    for (const auto &[box, caption] : groups)
        box->setTitle(tx(caption));
    // A calibration started before the window was closed shows that it still runs.
    setRunning(btRunVacCalibr, m_console.ConsoleMode == ConsoleMode::VacuumCalibration);
    setRunning(btDriveCalibr, m_console.ConsoleMode == ConsoleMode::DriveCalibration);

    edtTsupport->setAccessibleName(tx(T::SupportTempName));
    edtTsupport->setToolTip(tx(T::SupportTempHint));
    const std::pair<QComboBox *, TextPair> lists[] = {
        {cmbTimeH, T::HourName},  {cmbTimeM, T::MinuteName}, {cmbDateD, T::DayName},
        {cmbDateM, T::MonthName}, {cmbDateY, T::YearName},   {cmbEconomMode, T::EconomModeGroup}};
    for (const auto &[list, name] : lists)
        list->setAccessibleName(tx(name));
    edtKvac->setAccessibleName(tx(T::KvacName));
    udKvac->setAccessibleNames(tx(T::KvacName), tx(T::KvacName) + tx(T::Increase),
                               tx(T::KvacName) + tx(T::Decrease));
    edtCorrectionT->setAccessibleName(tx(T::CorrectionName));
    udCorrectionT->setAccessibleNames(tx(T::CorrectionName),
                                      tx(T::CorrectionName) + tx(T::Increase),
                                      tx(T::CorrectionName) + tx(T::Decrease));
    nameValues();

    m_console.ServicesWindowOpen = true;
}

void TFormServices::nameValues()
{
    // The drive's labels carry their own words and are read as they show.
    SetValueName(btRunVacCalibr, ValueName(tx(T::VacCalibrationName), btRunVacCalibr->text()));
    SetValueName(btDriveCalibr, ValueName(tx(T::DriveCalibrationName), btDriveCalibr->text()));
    SetValueName(lblWorkTime, ValueName(tx(T::WorkTimeGroup), lblWorkTime->text()));
    SetValueName(lblCntrTen, ValueName(tx(T::HeaterResourceGroup), lblCntrTen->text()));
}

void TFormServices::FormClose()
{
    m_console.ServicesWindowOpen = false;
}

void TFormServices::setVisible(bool visible)
{
    if (visible && !isVisible())
        FormShow();
    QDialog::setVisible(visible);
}

void TFormServices::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TFormServices::done(int result)
{
    FormClose();
    QDialog::done(result);
}

bool TFormServices::eventFilter(QObject *watched, QEvent *event)
{
    // edtTsupportKeyPress: digits and backspace only.
    if (watched == edtTsupport && event->type() == QEvent::KeyPress &&
        DropsNonDigitKey(static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TFormServices::edtTsupportChange()
{
    const std::optional<quint16> value = Service::SupportTempToSend(edtTsupport->text());
    if (!value)
        return;
    m_link.image().SupportTempSet = *value;
    m_link.request(RequestKind::WriteSupportTemp);
}

void TFormServices::storeClockSet()
{
    if (!m_console.ServicesWindowOpen)
        return;
    auto &c = m_link.image().ClockSet;
    // A list the controller's clock left without a selection keeps its value.
    if (cmbTimeH->currentIndex() >= 0)
        c.hour = quint8(cmbTimeH->currentIndex());
    if (cmbTimeM->currentIndex() >= 0)
        c.minute = quint8(cmbTimeM->currentIndex());
    if (cmbDateD->currentIndex() >= 0)
        c.day = quint8(cmbDateD->currentIndex() + 1);
    if (cmbDateM->currentIndex() >= 0)
        c.month = quint8(cmbDateM->currentIndex() + 1);
    if (cmbDateY->currentIndex() >= 0)
        c.year = quint8(cmbDateY->currentIndex());
    m_link.request(RequestKind::SetClock);
}

void TFormServices::cmbEconomModeChange()
{
    m_link.image().VacEconomyMode = Service::EconomyModeOf(cmbEconomMode->currentIndex());
    m_link.request(RequestKind::WriteEconomyMode);
}

void TFormServices::udKvacClick(UpDown::Button button)
{
    if (!ServiceBlockKnown(m_link, m_dialogs, this, m_console.Language))
        return;
    const quint8 kvac = Service::KvacArrow(m_link.image().Block, edtKvac->text().toInt(),
                                           button == UpDown::Button::Up);
    edtKvac->setText(QString::number(kvac));
    m_link.request(RequestKind::WriteServiceBlock);
}

void TFormServices::udCorrectionTClick(UpDown::Button button)
{
    if (!ServiceBlockKnown(m_link, m_dialogs, this, m_console.Language))
        return;
    const int dT = Service::CorrectionArrow(m_link.image().Block, edtCorrectionT->text().toInt(),
                                            button == UpDown::Button::Up);
    edtCorrectionT->setText(QString::number(dT));
    m_link.request(RequestKind::WriteServiceBlock);
}

void TFormServices::btRunVacCalibrClick()
{
    const bool running = btRunVacCalibr->property("tag").toInt() == 1;
    m_link.request(running ? RequestKind::Stop : RequestKind::StartVacuumCalibration);
    m_console.ConsoleMode = running ? ConsoleMode::Idle : ConsoleMode::VacuumCalibration;
    m_link.image().ServiceStep = 0;
    setRunning(btRunVacCalibr, !running);
    if (running)
        setKvacAdjustable(false);
}

void TFormServices::btDriveCalibrClick()
{
    const bool running = btDriveCalibr->property("tag").toInt() == 1;
    m_link.request(running ? RequestKind::Stop : RequestKind::StartDriveCalibration);
    m_console.ConsoleMode = running ? ConsoleMode::Idle : ConsoleMode::DriveCalibration;
    m_link.image().ServiceStep = 0;
    setRunning(btDriveCalibr, !running);
}

void TFormServices::VacuumCalibrationStep()
{
    FurnaceImage &image = m_link.image();
    if (image.ServiceStep > Service::VacuumCalibrationLastStep) {
        image.ServiceStep = 0;
        m_console.ConsoleMode = ConsoleMode::Idle;
        setRunning(btRunVacCalibr, false);
        setKvacAdjustable(false);
        reloadBlock();
        return;
    }
    m_link.request(RequestKind::VacuumCalibrationProgress);
    if (image.ServiceStep >= Service::KvacAdjustableStep) {
        if (!m_kvacAdjustable) {
            // The controller has settled Kvac by now: the arrows start from its value.
            setKvacAdjustable(true);
            reloadBlock();
        }
        edtKvac->setText(QString::number(image.Block.Kvac()));
    }
}

void TFormServices::DriveCalibrationStep()
{
    FurnaceImage &image = m_link.image();
    if (image.ServiceStep <= Service::DriveCalibrationLastStep) {
        m_link.request(RequestKind::DriveCalibrationProgress);
        return;
    }
    // The procedure is over before the box opens, so that no later tick ends it again.
    image.ServiceStep = 0;
    m_console.ConsoleMode = ConsoleMode::Idle;
    setRunning(btDriveCalibr, false);
    reloadBlock();
    QWidget *owner = isVisible() ? static_cast<QWidget *>(this) : parentWidget();
    m_dialogs.messageLater(owner, Dialogs::Icon::Question, tx(T::Attention),
                           tx(T::DriveCalibrationComplete), {});
}

void TFormServices::setRunning(QPushButton *button, bool running)
{
    button->setProperty("tag", running ? 1 : 0);
    button->setText(tx(running ? T::CalibrationBreak : T::Calibration));
    nameValues();
    updateCalibrationButtons();
}

void TFormServices::updateCalibrationButtons()
{
    // While one procedure runs the other cannot be started.
    const quint8 mode = m_console.ConsoleMode;
    btRunVacCalibr->setEnabled(mode == ConsoleMode::Idle || mode == ConsoleMode::VacuumCalibration);
    btDriveCalibr->setEnabled(mode == ConsoleMode::Idle || mode == ConsoleMode::DriveCalibration);
}

void TFormServices::setKvacAdjustable(bool adjustable)
{
    m_kvacAdjustable = adjustable;
    edtKvac->setEnabled(adjustable);
    udKvac->setEnabled(adjustable);
}

void TFormServices::reloadBlock()
{
    if (!m_link.requests().Pending.isSet(RequestKind::WriteServiceBlock))
        m_link.request(RequestKind::ReadServiceBlock);
}
