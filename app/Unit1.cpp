// SPDX-License-Identifier: GPL-3.0-or-later
// Main window: creation, layout, closing and the language switch.

#include "app/Unit1.h"

#include "app/filedialogsettings.h"
#include "app/glyphlist.h"
#include "app/parametercolumns.h"
#include "app/runpanel.h"
#include "app/stalelook.h"
#include "app/texts.h"
#include "common/logtime.h"
#include "graph/firingcurveview.h"
#include "link/dropdowncombobox.h"
#include "link/link.h"
#include "link/portreconnector.h"
#include "link/transfersequence.h"
#include "logbook/logbook.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

static void initConsoleResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace
{

const QString AppTitle = QString::fromLatin1(Texts::ProgramTitle);

} // namespace

TForm1::TForm1(ConsoleOptions options, Dialogs &dialogs, QWidget *parent)
    : QMainWindow(parent)
    , m_options(std::move(options))
    , m_dialogs(dialogs)
    , m_link(std::make_unique<Link>())
{
    initConsoleResources();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(AppTitle);
    setWindowIcon(QIcon(QStringLiteral(":/icons/app.svg")));
    QFont font(QStringLiteral("Verdana"));
    font.setPointSize(8);
    setFont(font);

    OpenDialog1 = new FileDialogSettings(QStringLiteral("OpenDialog1"),
                                         QStringLiteral("ZKV4.6 masses (*.zkv);;All files (*)"),
                                         QStringLiteral("zkv"), this);
    SaveDialog1 = new FileDialogSettings(QStringLiteral("SaveDialog1"),
                                         QStringLiteral("Массы для ZKV4.6 (*.zkv);;All files (*)"),
                                         QStringLiteral("zkv"), this);
    ImageList1 = new GlyphList(this);
    ImageList1->setObjectName(QStringLiteral("ImageList1"));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(TimerInterval);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

    buildActions();
    buildMenus();

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto *outer = new QVBoxLayout(central);
    outer->setContentsMargins(2, 2, 2, 2);
    outer->setSpacing(4);
    outer->addWidget(buildToolBar());
    auto *body = new QHBoxLayout;
    body->setSpacing(6);
    body->addWidget(buildLeftColumn());
    auto *right = new QVBoxLayout;
    right->addWidget(buildParameterGroups());
    right->addWidget(buildGraphArea(), 1);
    body->addLayout(right, 1);
    outer->addLayout(body, 1);
    setCentralWidget(central);
    buildStatusBar();

    connectLibraryHandlers();
    connectRunHandlers();
    connectTransferHandlers();
    connectServiceHandlers();
    connectRunView();
    connectRecordHandlers();
    connectLogbookHandlers();
    connectHealthHandlers();
    connectWindowsHandlers();
    connect(m_link.get(), &Link::portFailed, this, &TForm1::onPortFailed);
    // Every request sent restarts the watchdog: its tick comes 800 ms after the last send.
    connect(m_link.get(), &Link::requestSent, Timer1, qOverload<>(&QTimer::start));
    connect(m_link.get(), &Link::replyDecoded, this, &TForm1::onReplyDecoded);
    connectReconnectHandlers();

    resize(774, 657);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        resize(OpeningSize(screen->availableGeometry()));
        move(screen->availableGeometry().center() - rect().center());
    }

    // The timer runs from the window's creation, so that a port opened during start-up is
    // polled while the start-up dialogs wait for the user.
    Timer1->start();
    FormCreate();
}

TForm1::~TForm1()
{
    // The logbook's windows read the logbook: they go before it does.
    closeLogbookWindows();
    FormDestroy();
}

QToolButton *TForm1::toolButton(const char *name, const char *icon)
{
    auto *b = new QToolButton;
    b->setObjectName(QString::fromLatin1(name));
    if (icon)
        b->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QString::fromLatin1(icon))));
    b->setIconSize(QSize(28, 28));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QLabel *TForm1::label(const char *name, const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

void TForm1::setHint(QWidget *widget, const QString &hint)
{
    // Hints show as tool tips and, through the status-tip event, in status-bar panel 4.
    widget->setToolTip(hint);
    widget->setStatusTip(hint);
    // A tool button is read out by its hint (most show only a glyph).
    if (qobject_cast<QToolButton *>(widget))
        widget->setAccessibleName(hint);
}

void TForm1::buildActions()
{
    auto action = [this](const char *name, const QString &text, const QKeySequence &keys) {
        auto *a = new QAction(text, this);
        a->setObjectName(QString::fromLatin1(name));
        if (!keys.isEmpty())
            a->setShortcut(keys);
        return a;
    };
    mmOpen = action("mmOpen", QStringLiteral("Open"), QKeySequence(Qt::CTRL | Qt::Key_O));
    mmAdd = action("mmAdd", QStringLiteral("Add"), QKeySequence(Qt::CTRL | Qt::Key_A));
    mmSave = action("mmSave", QStringLiteral("Save"), QKeySequence(Qt::CTRL | Qt::Key_S));
    mmExit = action("mmExit", QStringLiteral("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_X));
    mmCopy = action("mmCopy", QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C));
    mmPaste = action("mmPaste", QStringLiteral("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V));
    mmServiceBasic = action("mmServiceBasic", QString(), {});
    mmServiceTuneReper = action("mmServiceTuneReper", QString(), {});
    mmOffice = action("mmOffice", QString(), {});
    mmRussian = action("mmRussian", QStringLiteral("&Русский"), {});
    mmEnglish = action("mmEnglish", QStringLiteral("&English"), {});
    mmAbout1 = action("mmAbout1", QStringLiteral("&About"), {});

    auto *languages = new QActionGroup(this);
    languages->setObjectName(QStringLiteral("LanguageGroup"));
    languages->setExclusive(true);
    for (QAction *a : {mmRussian, mmEnglish}) {
        a->setCheckable(true);
        languages->addAction(a);
    }
    mmEnglish->setChecked(true);

    connect(mmExit, &QAction::triggered, this, &TForm1::mmExitClick);
    connect(mmAbout1, &QAction::triggered, this, &TForm1::mmAbout1Click);
    connect(mmRussian, &QAction::triggered, this, &TForm1::mmRussianClick);
    connect(mmEnglish, &QAction::triggered, this, &TForm1::mmEnglishClick);
}

void TForm1::buildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    auto menu = [](QWidget *parent, const char *name, const QString &title) {
        auto *m = new QMenu(title, parent);
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Item"));
        return m;
    };
    mmFile = menu(bar, "mmFile", QStringLiteral("&File"));
    mmFile->addAction(mmOpen);
    mmFile->addAction(mmAdd);
    mmFile->addAction(mmSave);
    mmFile->addSeparator();
    mmFile->addAction(mmExit);
    bar->addMenu(mmFile);

    mmEdit = menu(bar, "mmEdit", QStringLiteral("E&dit"));
    mmEdit->addAction(mmCopy);
    mmEdit->addAction(mmPaste);
    bar->addMenu(mmEdit);

    mmAddition = menu(bar, "mmAddition", QStringLiteral("&Settings"));
    mmService = menu(mmAddition, "mmService", QString());
    mmService->addAction(mmServiceBasic);
    mmService->addAction(mmServiceTuneReper);
    mmAddition->addMenu(mmService);
    mmAddition->addAction(mmOffice);
    mmLanguage = menu(mmAddition, "mmLanguage", QStringLiteral("&Language"));
    mmLanguage->addAction(mmRussian);
    mmLanguage->addAction(mmEnglish);
    mmAddition->addMenu(mmLanguage);
    bar->addMenu(mmAddition);

    mmHelp1 = menu(bar, "mmHelp1", QStringLiteral("&Help"));
    mmHelp1->addAction(mmAbout1);
    bar->addMenu(mmHelp1);
}

QWidget *TForm1::buildToolBar()
{
    SpeedBar = new QWidget;
    SpeedBar->setObjectName(QStringLiteral("SpeedBar"));
    SpeedBar->setFixedHeight(45);
    auto *row = new QHBoxLayout(SpeedBar);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(2);

    sbOpenFile = toolButton("sbOpenFile", "open");
    sbAddFile = toolButton("sbAddFile", "add");
    sbSaveFile = toolButton("sbSaveFile", "save");
    sbStartPrg = toolButton("sbStartPrg", "start");
    sbStopPrg = toolButton("sbStopPrg", "stop");
    sbExit = toolButton("sbExit", "exit");
    for (QToolButton *b : {sbOpenFile, sbAddFile, sbSaveFile})
        row->addWidget(b);
    row->addSpacing(8);
    row->addWidget(sbStartPrg);
    row->addWidget(sbStopPrg);
    row->addSpacing(8);
    row->addWidget(sbExit);
    row->addSpacing(12);

    // Display buttons with their small labels above them.
    auto displayButton = [this](const char *name, const QString &caption, int pointSize) {
        auto *b = new LiveValueButton;
        b->setObjectName(QString::fromLatin1(name));
        b->setFocusPolicy(Qt::NoFocus);
        b->setText(caption);
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b->setIconSize(QSize(GlyphList::Width, 24));
        b->setAutoRaise(false);
        QFont f = b->font();
        f.setPointSize(pointSize);
        b->setFont(f);
        return b;
    };
    sbTemperature = displayButton("sbTemperature", QStringLiteral("T=0000°C"), 12);
    sbTemperature->setIcon(ImageList1->icon(GlyphList::HeaterOff));
    sbPressure = displayButton("sbPressure", QStringLiteral("*P=00%"), 10);
    sbPressure->setIcon(ImageList1->icon(GlyphList::VacuumOff));
    QFont small = font();
    small.setPointSize(7);
    lblTsupport = label("lblTsupport", QStringLiteral("Тподдер = 0°C"));
    lblVacEconMode = label("lblVacEconMode", QStringLiteral("MAX"));
    for (QLabel *l : {lblTsupport, lblVacEconMode})
        l->setFont(small);
    auto stacked = [](QLabel *top, QWidget *bottom) {
        auto *box = new QWidget;
        auto *v = new QVBoxLayout(box);
        v->setContentsMargins(0, 0, 0, 0);
        v->setSpacing(0);
        v->addWidget(top);
        v->addWidget(bottom);
        return box;
    };
    row->addWidget(stacked(lblTsupport, sbTemperature));
    row->addWidget(stacked(lblVacEconMode, sbPressure));

    lblChamberState = label("lblChamberState", QString());
    QFont bold = font();
    bold.setBold(true);
    lblChamberState->setFont(bold);
    // Green through the palette, so that the text can be greyed while the link is lost.
    QPalette chamberPalette = lblChamberState->palette();
    chamberPalette.setColor(QPalette::WindowText, QColor(0, 128, 0));
    lblChamberState->setPalette(chamberPalette);
    lblChamberState->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblChamberState->setMinimumWidth(90);
    row->addWidget(lblChamberState);

    sbChamberOpen = toolButton("sbChamberOpen", "chamber-open");
    sbChamberClose = toolButton("sbChamberClose", "chamber-close");
    sbRst = toolButton("sbRst", "reset");
    for (QToolButton *b : {sbChamberOpen, sbChamberClose, sbRst}) {
        b->setEnabled(false);
        row->addWidget(b);
    }
    row->addStretch(1);

    lblTime = label("lblTime", QStringLiteral("0:00:00"));
    lblDate = label("lblDate", QStringLiteral("0/00/2000"));
    auto *clock = new QWidget;
    auto *cv = new QVBoxLayout(clock);
    cv->setContentsMargins(0, 0, 0, 0);
    cv->setSpacing(0);
    for (QLabel *l : {lblTime, lblDate}) {
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        cv->addWidget(l);
    }
    // The furnace's clock changes every second: at a size of its own, as wide as the widest
    // time, it does not lay the whole window out again each time.
    lblTime->setText(QStringLiteral("00:00:00"));
    lblTime->setFixedSize(lblTime->sizeHint());
    lblTime->setText(QStringLiteral("0:00:00"));
    row->addWidget(clock);

    connect(sbExit, &QToolButton::clicked, this, &TForm1::mmExitClick);
    return SpeedBar;
}

QWidget *TForm1::buildLeftColumn()
{
    auto *column = new QWidget;
    column->setObjectName(QStringLiteral("LeftColumn"));
    column->setFixedWidth(210);
    auto *v = new QVBoxLayout(column);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(3);

    auto *top = new QHBoxLayout;
    lblMassSel = label("lblMassSel", QString());
    lblMassSel->setMinimumWidth(40);
    sbUpMass = toolButton("sbUpMass", "up");
    sbDnMass = toolButton("sbDnMass", "down");
    for (QToolButton *b : {sbUpMass, sbDnMass})
        b->setIconSize(QSize(20, 20));
    top->addWidget(lblMassSel, 1);
    top->addWidget(sbUpMass);
    top->addWidget(sbDnMass);
    v->addLayout(top);

    auto *combo = new DropDownComboBox;
    combo->aboutToShow = [this] { SelPortClick(); };
    cmbSelPort = combo;
    cmbSelPort->setObjectName(QStringLiteral("cmbSelPort"));
    cmbSelPort->setEditable(false);
    cmbSelPort->setVisible(false);
    connect(cmbSelPort, &QComboBox::activated, this, [this] {
        cmbSelPortClick();
        cmbSelPortChange();
    });
    v->addWidget(cmbSelPort);

    btnSend = new QPushButton(QStringLiteral("прогр ПУ"));
    btnSend->setObjectName(QStringLiteral("btnSend"));
    btnSend->setEnabled(false);
    v->addWidget(btnSend);

    auto listGroup = [this](QGroupBox *&group, const char *groupName, QListWidget *&list,
                            const char *listName, QPushButton *&add, const char *addName,
                            QPushButton *&del, const char *delName) {
        group = new QGroupBox;
        group->setObjectName(QString::fromLatin1(groupName));
        auto *g = new QVBoxLayout(group);
        g->setContentsMargins(4, 4, 4, 4);
        list = new QListWidget;
        list->setObjectName(QString::fromLatin1(listName));
        setHint(list, QStringLiteral("Double click to rename"));
        g->addWidget(list, 1);
        auto *buttons = new QHBoxLayout;
        add = new QPushButton;
        add->setObjectName(QString::fromLatin1(addName));
        del = new QPushButton;
        del->setObjectName(QString::fromLatin1(delName));
        buttons->addWidget(add);
        buttons->addWidget(del);
        g->addLayout(buttons);
        return group;
    };
    v->addWidget(listGroup(gbMass, "gbMass", lbNames, "lbNames", btnAddMass, "btnAddMass",
                           btnDelMass, "btnDelMass"),
                 2);
    v->addWidget(listGroup(gbLayer, "gbLayer", lbLayers, "lbLayers", btnAddLayer, "btnAddLayer",
                           btnDelLayer, "btnDelLayer"),
                 2);
    setHint(btnAddMass, QStringLiteral("Добавить массу"));
    setHint(btnDelMass, QStringLiteral("Удалить массу"));
    setHint(btnAddLayer, QStringLiteral("Добавить слой"));
    setHint(btnDelLayer, QStringLiteral("Удалить слой"));

    gbMessage = new QGroupBox;
    gbMessage->setObjectName(QStringLiteral("gbMessage"));
    auto *m = new QVBoxLayout(gbMessage);
    m->setContentsMargins(4, 4, 4, 4);
    mMessage = new QPlainTextEdit;
    mMessage->setObjectName(QStringLiteral("mMessage"));
    mMessage->setReadOnly(true);
    mMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mMessage->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m->addWidget(mMessage);
    v->addWidget(gbMessage, 2);

    lblPacketErr = label("lblPacketErr", QStringLiteral("PacketERR=0"));
    v->addWidget(lblPacketErr);
    return column;
}

QWidget *TForm1::buildParameterGroups()
{
    // Each row: name label, edit field (record field index), unit label.
    struct Row {
        const char *nameLabel;
        int field;
        const char *unitLabel;
        const char *unitText;
    };
    struct Group {
        const char *name;
        std::vector<Row> rows;
    };
    const char *const min = "мин";
    const std::array<Group, 8> groups = {{
        {"gbPreDry", {{"Label1", 0, "Label2", "°C"}, {"Label3", 1, "Label4", min}}},
        {"gbDry",
         {{"Label9", 2, "Label10", "%"},
          {"Label11", 3, "Label12", min},
          {"Label5", 4, "Label6", "°C"},
          {"Label7", 5, "Label8", min}}},
        {"gbPreHeat",
         {{"Label13", 6, "Label14", "%"},
          {"Label15", 7, "Label16", min},
          {"Label17", 8, "Label18", "°C"},
          {"Label19", 9, "Label20", min}}},
        {"gbHeat",
         {{"Label21", 10, "Label22", "°C"},
          {"Label23", 11, "Label24", "°C/мин"},
          {"Label27", 12, "lblFiringDimension", "мм:сс"}}},
        {"gbCool", {{"Label29", 13, "Label30", "°C"}, {"Label31", 14, "Label32", min}}},
        {"gbTempering", {{"Label33", 15, "Label34", min}}},
        {"gbOpen", {{"Label35", 16, "Label36", "°C"}, {"Label37", 17, "Label38", min}}},
        {"gbVacuum", {{"Label39", 18, "Label40", "°C"}, {"Label41", 19, "lblVacDimension", "°C"}}},
    }};

    // Two columns at the design size; more when the window is wide enough.
    auto *area = new ParameterColumns;
    area->setObjectName(QStringLiteral("ParameterArea"));
    for (const Group &g : groups) {
        auto *box = new QGroupBox;
        box->setObjectName(QString::fromLatin1(g.name));
        auto *grid = new QGridLayout(box);
        grid->setContentsMargins(6, 4, 6, 4);
        grid->setVerticalSpacing(2);
        int r = 0;
        for (const Row &row : g.rows) {
            auto *name = label(row.nameLabel, QString(), box);
            auto *edit = new QLineEdit(box);
            edit->setObjectName(QStringLiteral("Edit%1").arg(row.field + 1));
            edit->setFixedWidth(60);
            // A field out of range is drawn by a style sheet: its height must not follow.
            edit->setFixedHeight(edit->sizeHint().height());
            edit->setMaxLength(12);
            m_fields[size_t(row.field)] = edit;
            auto *unit = label(row.unitLabel, QString::fromUtf8(row.unitText), box);
            grid->addWidget(name, r, 0);
            grid->addWidget(edit, r, 1);
            grid->addWidget(unit, r, 2);
            ++r;
        }
        if (qstrcmp(g.name, "gbVacuum") == 0)
            grid->addWidget(label("Label25", QStringLiteral("мм:сс <-> °C"), box), r, 0, 1, 3);
        grid->setColumnStretch(0, 1);
        area->addGroup(box);
    }
    lblFiringDimension = area->findChild<QLabel *>(QStringLiteral("lblFiringDimension"));
    lblVacDimension = area->findChild<QLabel *>(QStringLiteral("lblVacDimension"));
    return area;
}

QWidget *TForm1::buildGraphArea()
{
    auto *area = new QWidget;
    area->setObjectName(QStringLiteral("GraphArea"));
    auto *h = new QHBoxLayout(area);
    h->setContentsMargins(0, 0, 0, 0);
    auto *buttons = new QVBoxLayout;
    sbZoomIn = toolButton("sbZoomIn", "zoom-in");
    sbZoomOut = toolButton("sbZoomOut", "zoom-out");
    for (QToolButton *b : {sbZoomIn, sbZoomOut}) {
        b->setCheckable(true);
        b->setIconSize(QSize(22, 22));
        buttons->addWidget(b);
    }
    // Toggle group: both may be up, at most one is down.
    connect(sbZoomIn, &QToolButton::toggled, this, [this](bool down) {
        if (down)
            sbZoomOut->setChecked(false);
    });
    connect(sbZoomOut, &QToolButton::toggled, this, [this](bool down) {
        if (down)
            sbZoomIn->setChecked(false);
    });
    sbFullView = new QPushButton(QStringLiteral("[]"));
    sbFullView->setObjectName(QStringLiteral("sbFullView"));
    sbFullView->setFixedWidth(32);
    buttons->addWidget(sbFullView);
    buttons->addStretch(1);
    h->addLayout(buttons);

    pbGraph = new FiringCurveView;
    pbGraph->setObjectName(QStringLiteral("pbGraph"));
    // The run panel stands above the curve.
    pnlRun = new RunPanel;
    auto *plot = new QVBoxLayout;
    plot->addWidget(pnlRun);
    plot->addWidget(pbGraph, 1);
    h->addLayout(plot, 1);
    auto zoomMode = [this] {
        pbGraph->setZoomMode(sbZoomIn->isChecked()    ? ZoomMode::In
                             : sbZoomOut->isChecked() ? ZoomMode::Out
                                                      : ZoomMode::None);
    };
    connect(sbZoomIn, &QToolButton::toggled, this, zoomMode);
    connect(sbZoomOut, &QToolButton::toggled, this, zoomMode);
    connect(sbFullView, &QPushButton::clicked, this, &TForm1::sbFullViewClick);
    return area;
}

void TForm1::buildStatusBar()
{
    StatusLine = new QStatusBar(this);
    StatusLine->setObjectName(QStringLiteral("StatusLine"));
    StatusLine->setSizeGripEnabled(true);
    const int widths[PanelCount] = {NoFurnacePanelWidth, 120, 35, 50, 50};
    const char *texts[PanelCount] = {"No furnace", "mode", "zone", "timezone", ""};
    for (int i = 0; i < PanelCount; ++i) {
        auto *p = new QLabel(QString::fromLatin1(texts[i]));
        p->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        p->setFrameShape(QFrame::Panel);
        p->setFrameShadow(QFrame::Sunken);
        p->setFixedWidth(widths[i]);
        m_panels[size_t(i)] = p;
        // The last panel takes what the others leave.
        if (i == PanelCount - 1) {
            p->setMinimumWidth(widths[i]);
            p->setMaximumWidth(QWIDGETSIZE_MAX);
            // A long hint is cut at the window's edge; it never widens the window.
            p->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            StatusLine->addWidget(p, 1);
        } else {
            StatusLine->addWidget(p);
        }
    }
    setStatusBar(StatusLine);
}

void TForm1::fillControlTables()
{
    m_labelTable.clear();
    m_groupTable.clear();
    m_buttonTable.clear();
    m_menuTable.clear();
    m_hintTable.clear();
    auto find = [this](const char *name) {
        QObject *o = findChild<QObject *>(QString::fromLatin1(name));
        Q_ASSERT_X(o, "TForm1", name);
        return o;
    };
    for (const auto &c : Texts::LabelCaptions)
        m_labelTable.push_back(qobject_cast<QLabel *>(find(c.control)));
    for (const auto &c : Texts::GroupCaptions)
        m_groupTable.push_back(qobject_cast<QGroupBox *>(find(c.control)));
    for (const auto &c : Texts::ButtonCaptions)
        m_buttonTable.push_back(qobject_cast<QPushButton *>(find(c.control)));
    for (const auto &c : Texts::MenuCaptions)
        m_menuTable.push_back(find(c.control));
    for (const auto &c : Texts::ToolHints)
        m_hintTable.push_back(qobject_cast<QWidget *>(find(c.control)));
}

void TForm1::FormCreate()
{
    // Hints go to the status bar (see event()); the log starts empty.
    mMessage->clear();
    // A fresh console: idle, in English, no link running.
    m_console = ConsoleState{};
    m_link->state().LinkRunning = false;
    m_console.Language = 1;
    mmEnglish->setChecked(true);
    fillControlTables();
    FormCreateLibrary();
    // The parameter fields, the full view and the start come alive when a layer is selected.
    for (QLineEdit *e : m_fields)
        e->setEnabled(false);
    sbFullView->setEnabled(false);
    sbStartPrg->setEnabled(false);
    openStartPort();
    // A masses file to start with: given on the command line, or asked for.
    if (m_options.massesFile)
        openMassesFile(*m_options.massesFile);
    else if (m_options.askForMassesFile)
        sbOpenFileClick();
    ReLanguageForm1();
}

void TForm1::openStartPort()
{
    if (m_options.port) {
        cmbSelPort->setVisible(false);
        m_link->state().PortName = *m_options.port;
        cmbSelPortChange();
        return;
    }
    quint8 language = m_console.Language;
    PortWindowHooks hooks;
    hooks.listPorts = [this] { return portList(); };
    hooks.droppedDown = [this] { showLayerNumber(QStringLiteral("click")); };
    const std::optional<QString> port = m_dialogs.selectPort(this, language, hooks);
    // The port window has its own language switch.
    if (language != m_console.Language)
        setLanguage(language);
    if (port) {
        cmbSelPort->setVisible(false);
        m_link->state().PortName = *port;
        cmbSelPortChange();
    } else {
        // No port chosen: the port list stays in the window for a later choice.
        cmbSelPort->setVisible(true);
    }
}

void TForm1::FormDestroy()
{
    m_link->close();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (m_console.ProgramRunning) {
        m_dialogs.message(this, Dialogs::Icon::Error, tx(Texts::Attention),
                          tx(Texts::ProgramInProgress));
        event->ignore();
        return;
    }
    // Unsaved work is dealt with while the link still runs: a cancelled or failed save keeps
    // the window, and the furnace link, as they were.
    if (!offerToSaveChanges()) {
        event->ignore();
        return;
    }
    Timer1->stop();
    m_link->close();
    event->accept();
}

bool TForm1::event(QEvent *event)
{
    if (event->type() == QEvent::StatusTip) {
        // ShowHint: the hint of the control under the mouse goes to panel 4, on one line so
        // that the status bar keeps its height (the tool tip shows it as written).
        QString tip = static_cast<QStatusTipEvent *>(event)->tip();
        tip.replace(QLatin1Char('\n'), QStringLiteral("  "));
        m_panels[4]->setText(tip);
        return true;
    }
    return QMainWindow::event(event);
}

void TForm1::mmExitClick()
{
    close();
}

void TForm1::mmAbout1Click()
{
    m_dialogs.message(this, Dialogs::Icon::Information, tx(Texts::AboutCaption),
                      Texts::AboutText(m_console.Language, QCoreApplication::applicationVersion(),
                                       QString::fromLatin1(qVersion())));
}

void TForm1::log(const QString &text)
{
    mMessage->appendPlainText(LogLine(text));
}

void TForm1::mmRussianClick()
{
    setLanguage(0);
}

void TForm1::mmEnglishClick()
{
    setLanguage(1);
}

void TForm1::setLanguage(quint8 language)
{
    // The radio group has already checked the item when it was clicked; what decides whether
    // anything changes is the language in force.
    if (m_console.Language == language) {
        (language == 0 ? mmRussian : mmEnglish)->setChecked(true);
        return;
    }
    m_console.Language = language;
    (language == 0 ? mmRussian : mmEnglish)->setChecked(true);
    ReLanguageForm1();
}

void TForm1::ReLanguageForm1()
{
    const quint8 lang = m_console.Language;
    m_toolkitTranslation.setLanguage(lang);
    for (size_t i = 0; i < m_labelTable.size(); ++i)
        m_labelTable[i]->setText(Texts::LabelCaptions[i].text.text(lang));
    for (size_t i = 0; i < m_fields.size(); ++i)
        setHint(m_fields[i], Texts::FieldHint(int(i), lang));
    for (size_t i = 0; i < m_groupTable.size(); ++i)
        m_groupTable[i]->setTitle(Texts::GroupCaptions[i].text.text(lang));
    for (size_t i = 0; i < m_buttonTable.size(); ++i)
        m_buttonTable[i]->setText(Texts::ButtonCaptions[i].text.text(lang));
    for (size_t i = 0; i < m_menuTable.size(); ++i) {
        const QString caption = Texts::MenuCaptions[i].text.text(lang);
        if (auto *menu = qobject_cast<QMenu *>(m_menuTable[i]))
            menu->setTitle(caption);
        else if (auto *action = qobject_cast<QAction *>(m_menuTable[i]))
            action->setText(caption);
    }
    for (size_t i = 0; i < m_hintTable.size(); ++i)
        setHint(m_hintTable[i], Texts::ToolHints[i].text.text(lang));
    ReLanguageLibrary();
    ReLanguageTransfer();
    ReLanguageRunView();
    ReLanguageRecords();
    m_accessibleValues.refresh();
}

void TForm1::sbFullViewClick()
{
    pbGraph->TotalScale();
}

void TForm1::setPanel(int i, const QString &text, int width)
{
    if (width >= 0)
        m_panels[size_t(i)]->setFixedWidth(width);
    m_panels[size_t(i)]->setText(text);
}
