#include "mainwnd/MainDlg.h"

#include "app/RecordingNotices.h"
#include "app/SettingsStore.h"
#include "app/StartupSequence.h"
#include "audio/Mixer.h"
#include "audio/RecordSound.h"
#include "mainwnd/CallLogFormat.h"
#include "mainwnd/ControlRules.h"
#include "mainwnd/KeyboardTable.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/AppRecordingSettings.h"
#include "mainwnd/CallLogCatalogue.h"
#include "mainwnd/MainWindowStartupHost.h"
#include "mainwnd/PlayCommandWindow.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingEngine.h"
#include "mainwnd/RecordingWindowAdapter.h"
#include "mainwnd/SpeakerLine.h"
#include "mainwnd/TrayMenuRules.h"
#include "store/RecordingInfoEditor.h"
#include "storeui/RecordingInfoFields.h"
#include "storeui/SaveProgressDlg.h"
#include "platform/Message.h"
#include "resources/StringTable.h"
#include "resources/art/Art.h"
#include "skin/CColorStatic.h"
#include "skin/CLevelMeter.h"
#include "skin/CPositionBar.h"
#include "skin/CSkinButton.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimerEvent>
#include <QTreeView>

namespace sonvelle {

namespace {

constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 560;
constexpr int kMargin = 10;
constexpr int kNameNotesLimit = 260;
constexpr const char* kFace = "Tahoma";

struct ButtonSpec {
    int id;
    const char* caption;
};

// The order the bitmaps are loaded in at start.
constexpr ButtonSpec kBitmapButtons[] = {
    {IDC_AUTO_RECORD, "REG_AUTO"},   {IDC_RECORD, "REGISTRA"},     {IDC_STOP, "STOPREC"},
    {IDC_PLAY, "PLAYREC"},           {IDC_FAST_FORWARD, "AVANTIVELOCE"}, {IDC_STOP_PLAY, "STOPPLAY"},
    {IDC_PAUSE, "PAUSA"},            {IDC_SAVE, "SALVA"},          {IDC_FAST_REWIND, "INDIETROVELOCE"},
    {IDC_HELP, "HELP"},              {IDC_FIND, "CERCA"},          {IDC_DELETE, "ELIMINA"},
    {IDC_SEND, "SEND"},              {IDC_OPTIONS, "IMPOSTAZIONI"},
};

// Left to right as the transport row shows them.
constexpr int kTransportRow[] = {IDC_RECORD, IDC_AUTO_RECORD, IDC_STOP, IDC_PLAY,
                                 IDC_PAUSE,  IDC_FAST_REWIND, IDC_FAST_FORWARD};

struct SideButton {
    int id;
    int captionText;
};
constexpr SideButton kSideButtons[] = {
    {IDC_FIND, IDS_BUTTON_FIND}, {IDC_DELETE, IDS_BUTTON_DELETE}, {IDC_SEND, IDS_BUTTON_SEND}, {IDC_OPTIONS, IDS_BUTTON_OPTIONS}, {IDC_HELP, IDS_BUTTON_HELP},
};

constexpr int kToolsItems[] = {ID_TOOLS_FIND, ID_TOOLS_DELETE, ID_TOOLS_SEND, ID_TOOLS_PROTECT, ID_TOOLS_JOIN};

}  // namespace

CMainDlg::CMainDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CMainDlg"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kWindowWidth, kWindowHeight);
    // The dialog font; its height in pixels tells a large-fonts display.
    setFont(QFont(QString::fromLatin1(kFace), 8));
    m_bLargeFonts = QFontMetrics(font()).height() > 16;
    CreateMenus();
    CreateControls();
    CreateInfoEditor();
    m_settingsStore = std::make_unique<CSettingsStore>(m_appSettings);
    m_engine = std::make_unique<CRecordingEngine>(*this, m_appSettings);
    m_catalogue = std::make_unique<CCallLogCatalogue>(m_callLog, m_appSettings);
    m_recordingSettings = std::make_unique<CAppRecordingSettings>(m_appSettings, *m_settingsStore);
    m_recordingWindow = std::make_unique<CRecordingWindowAdapter>(*this, *m_catalogue, m_appSettings);
    m_control = std::make_unique<CRecordingControl>(*m_recordingWindow, *m_catalogue, m_engine->RecordingsPort(),
                                                    m_engine->WarningPort(), *m_engine, *m_recordingSettings);
    m_playWindow = std::make_unique<CPlayCommandWindow>(*m_control, *m_recordingWindow, m_callLog, m_appSettings);
    m_playWindow->SetUnlock([this] { return ProtectCurrent(true); });
    m_callLog.AddBeforeClear([this] {
        m_control->OnCatalogueCleared();
        m_recordingWindow->OnCatalogueCleared();
    });
    m_startupHost = std::make_unique<CMainWindowStartupHost>(*this, *m_engine, *m_control);
    m_startup = std::make_unique<CStartupSequence>(*m_startupHost, m_appSettings);
    m_startupHost->SetSequence(m_startup.get());
}

CMainDlg::~CMainDlg()
{
    // Players and worker threads end before the controls they report to.
    m_engine.reset();
    // The list's model lives in m_callLog; the view must let go of it first.
    if (m_list)
        m_list->setModel(nullptr);
}

int CMainDlg::exec()
{
    if (!m_bInitialised)
        OnInitDialog();
    // Not QDialog::exec(): its loop ends whenever the window is hidden, and hiding
    // into the notification area must not end the program; only the close does.
    QEventLoop loop;
    m_runLoop = &loop;
    show();
    if (!m_bCloseDone)
        loop.exec(QEventLoop::DialogExec);
    m_runLoop = nullptr;
    return result();
}

// ---------------------------------------------------------------------------
// Controls

void CMainDlg::CreateMenus()
{
    m_menuBar = new QMenuBar(this);
    auto add = [this](QMenu* menu, int id) {
        QAction* action = menu->addAction(QString());
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        m_commands[id] = action;
    };
    QMenu* file = m_menuBar->addMenu(QString());
    file->setObjectName(QStringLiteral("menuFile"));
    add(file, ID_FILE_IMPORT);
    file->addSeparator();
    add(file, ID_FILE_EXIT);

    m_toolsMenu = m_menuBar->addMenu(QString());
    m_toolsMenu->setObjectName(QStringLiteral("menuTools"));
    add(m_toolsMenu, ID_TOOLS_DELETE);
    add(m_toolsMenu, ID_TOOLS_FIND);
    m_toolsMenu->addSeparator();
    add(m_toolsMenu, ID_TOOLS_OPTIONS);
    m_toolsMenu->addSeparator();
    add(m_toolsMenu, ID_TOOLS_SEND);
    add(m_toolsMenu, ID_TOOLS_PROTECT);
    add(m_toolsMenu, ID_TOOLS_JOIN);

    QMenu* help = m_menuBar->addMenu(QString());
    help->setObjectName(QStringLiteral("menuHelp"));
    add(help, ID_HELP_CONTENTS);
    help->addSeparator();
    add(help, ID_HELP_ONLINE);
}

void CMainDlg::CreateControls()
{
    auto colorStatic = [this](int id) {
        auto* field = new CColorStatic(this);
        field->setObjectName(QStringLiteral("static%1").arg(id));
        m_controls[id] = field;
        return field;
    };
    // The frame first, so the displays are drawn over it.
    m_displayFrame = colorStatic(IDC_DISPLAY_FRAME);

    for (const ButtonSpec& spec : kBitmapButtons) {
        auto* button = new CSkinButton(spec.id, this);
        button->setObjectName(QString::fromLatin1(spec.caption));
        button->setFocusPolicy(Qt::TabFocus);
        m_controls[spec.id] = button;
        if (spec.id != IDC_FAST_FORWARD && spec.id != IDC_FAST_REWIND)
            connect(button, &QAbstractButton::clicked, this, [this, id = spec.id] { OnCommand(id); });
        // Handled once the control's own mouse or timer event is over, as a posted notice would be.
        connect(button, &CSkinButton::repeated, this, &CMainDlg::OnButtonRepeat, Qt::QueuedConnection);
    }
    Button(IDC_STOP_PLAY)->hide();

    m_recStatus = colorStatic(IDC_REC_STATUS);
    m_recMinutes = colorStatic(IDC_REC_MINUTES);
    m_recColon = colorStatic(IDC_REC_COLON);
    m_recSeconds = colorStatic(IDC_REC_SECONDS);
    m_playStatus = colorStatic(IDC_PLAY_STATUS);
    m_playMinutes = colorStatic(IDC_PLAY_MINUTES);
    m_playColon = colorStatic(IDC_PLAY_COLON);
    m_playSeconds = colorStatic(IDC_PLAY_SECONDS);
    m_listTitle = colorStatic(IDC_LIST_TITLE);
    m_volumeLabel = colorStatic(IDC_VOLUME_LABEL);

    m_levelMeter = new CLevelMeter(this);
    m_levelMeter->setObjectName(QStringLiteral("levelMeter"));
    m_controls[IDC_LEVEL_METER] = m_levelMeter;
    connect(m_levelMeter, &CLevelMeter::thresholdChanged, this, &CMainDlg::OnThresholdChanged, Qt::QueuedConnection);
    m_positionBar = new CPositionBar(this);
    m_positionBar->setObjectName(QStringLiteral("positionBar"));
    m_controls[IDC_POSITION_BAR] = m_positionBar;
    connect(m_positionBar, &CPositionBar::positionChosen, this, &CMainDlg::OnSeekPosition, Qt::QueuedConnection);

    m_volume = new QSlider(Qt::Horizontal, this);
    m_volume->setObjectName(QStringLiteral("volume"));
    m_volume->setRange(0, 100);
    m_controls[IDC_VOLUME] = m_volume;
    connect(m_volume, &QSlider::sliderReleased, this, &CMainDlg::OnVolumeReleased);

    m_list = new QTreeView(this);
    m_list->setObjectName(QStringLiteral("callLog"));
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // F2 or a click on the selected row's name renames in place.
    m_list->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    m_list->setIconSize(QSize(18, 18));
    m_list->setAlternatingRowColors(true);
    m_list->header()->setSectionsMovable(true);
    m_list->header()->setSectionsClickable(true);
    m_list->header()->setSortIndicatorShown(false);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_list->installEventFilter(this);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_controls[IDC_CALL_LOG] = m_list;
    m_callLog.Attach(m_list);
    connect(m_list->header(), &QHeaderView::sectionClicked, this, &CMainDlg::OnListColumnClick);
    connect(m_list, &QTreeView::doubleClicked, this, [this](const QModelIndex& i) { OnListDoubleClick(i.row()); });
    connect(m_list, &QTreeView::clicked, this, [this](const QModelIndex& i) { OnListClick(i.row()); });
    connect(m_list, &QWidget::customContextMenuRequested, this, &CMainDlg::OnListRightClick);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CMainDlg::OnListSelectionChanged);

    m_nameLabel = new QLabel(this);
    m_controls[IDC_NAME_LABEL] = m_nameLabel;
    m_nameEdit = new QLineEdit(this);
    m_nameEdit->setObjectName(QStringLiteral("nameEdit"));
    m_nameEdit->setMaxLength(kNameNotesLimit);
    m_nameEdit->installEventFilter(this);
    m_nameLabel->setBuddy(m_nameEdit);
    m_controls[IDC_NAME_EDIT] = m_nameEdit;
    connect(m_nameEdit, &QLineEdit::textEdited, this, &CMainDlg::OnNameChanged);

    m_notesLabel = new QLabel(this);
    m_controls[IDC_NOTES_LABEL] = m_notesLabel;
    m_notesEdit = new QPlainTextEdit(this);
    m_notesEdit->setObjectName(QStringLiteral("notesEdit"));
    m_notesEdit->setTabChangesFocus(true);
    m_notesEdit->installEventFilter(this);
    m_notesLabel->setBuddy(m_notesEdit);
    m_controls[IDC_NOTES_EDIT] = m_notesEdit;
    connect(m_notesEdit, &QPlainTextEdit::textChanged, this, [this] {
        // A plain-text edit has no length limit of its own.
        if (m_notesEdit->toPlainText().size() > kNameNotesLimit) {
            const QSignalBlocker block(m_notesEdit);
            m_notesEdit->setPlainText(m_notesEdit->toPlainText().left(kNameNotesLimit));
            m_notesEdit->moveCursor(QTextCursor::End);
        }
        OnNotesChanged();
    });

    setTabOrder(m_list, m_nameEdit);
    setTabOrder(m_nameEdit, m_notesEdit);
}

void CMainDlg::SetupControls()
{
    for (const ButtonSpec& spec : kBitmapButtons)
        Button(spec.id)->LoadBitmaps(QString::fromLatin1(spec.caption));
    for (int id : {IDC_FAST_FORWARD, IDC_FAST_REWIND})
        Button(id)->EnableAutoRepeat(TIMER_AUTO_REPEAT);

    const QList<QAction*> menus = m_menuBar->actions();
    const int popupTexts[] = {IDS_MENU_FILE, IDS_MENU_TOOLS, IDS_MENU_ABOUT};
    for (int i = 0; i < menus.size() && i < 3; ++i)
        menus[i]->setText(LoadText(popupTexts[i]));
    const std::pair<int, int> itemTexts[] = {
        {ID_FILE_IMPORT, IDS_MENU_IMPORT},   {ID_FILE_EXIT, IDS_MENU_EXIT},    {ID_TOOLS_DELETE, IDS_MENU_DELETE}, {ID_TOOLS_FIND, IDS_MENU_FIND},
        {ID_TOOLS_OPTIONS, IDS_MENU_OPTIONS}, {ID_TOOLS_SEND, IDS_MENU_SEND},   {ID_TOOLS_PROTECT, IDS_MENU_PROTECT}, {ID_TOOLS_JOIN, IDS_MENU_JOIN},
        {ID_HELP_CONTENTS, IDS_MENU_HELP}, {ID_HELP_ONLINE, IDS_MENU_ONLINE},
    };
    for (auto [id, text] : itemTexts)
        m_commands[id]->setText(LoadText(text));
    SetCaption(MainWindowCaption(m_appSettings.Operatore));

    for (int id : {IDC_RECORD, IDC_AUTO_RECORD, IDC_STOP, IDC_PLAY, IDC_STOP_PLAY, IDC_PAUSE, IDC_FAST_FORWARD,
                   IDC_FAST_REWIND}) {
        Button(id)->ApplyTransportStyle();
    }
    Button(IDC_SAVE)->ApplySmallStyle();
    for (const SideButton& side : kSideButtons)
        Button(side.id)->ApplyCaptionedStyle(LoadText(side.captionText));

    m_callLog.SetHeadings({QString(), LoadText(IDS_COLUMN_NAME), LoadText(IDS_COLUMN_DATE), LoadText(IDS_COLUMN_TIME), LoadText(IDS_COLUMN_NOTES), LoadText(IDS_COLUMN_DURATION),
                           LoadText(IDS_COLUMN_SIZE), LoadText(IDS_COLUMN_PROTECTED), LoadText(IDS_COLUMN_OPERATOR)});
    m_callLog.SetImages({LoadBitmapResource(kBitmapListImage0), LoadBitmapResource(kBitmapListImage1),
                         LoadBitmapResource(kBitmapListRecording), LoadBitmapResource(kBitmapListProtected)});
    m_list->header()->setMinimumSectionSize(18);
    const int widths[CALL_LOG_COLUMNS] = {22, 135, 70, 60, 110, 60, 70, 60, 120};
    for (int c = 0; c < CALL_LOG_COLUMNS; ++c)
        m_list->header()->resizeSection(c, widths[c]);

    ApplyFontsAndColours();
    m_levelMeter->SetThreshold(m_appSettings.ActivationThreshold());
    m_nameLabel->setText(LoadText(IDS_LABEL_NAME));
    m_notesLabel->setText(LoadText(IDS_LABEL_NOTES));
    PlaceControls();
    SetupKeyboardAndNames();
}

void CMainDlg::ApplyFontsAndColours()
{
    const QString face = QString::fromLatin1(kFace);
    const QColor text = palette().color(QPalette::WindowText);
    const QColor face_ = palette().color(QPalette::Window);

    auto plain = [&](CColorStatic* f, const QString& caption) {
        f->SetFont(face, DisplayPoints(8), true, false);
        f->SetTextColor(text);
        f->SetBackColor(face_);
        f->AlignLeft();
        f->SetCaption(caption);
    };
    plain(m_listTitle, LoadText(IDS_LIST_TITLE));
    plain(m_volumeLabel, LoadText(IDS_VOLUME_LABEL));

    m_displayFrame->SetBackColor(kDisplayBackground);
    m_displayFrame->SetCaption(QString());

    auto display = [&](CColorStatic* f, int points, bool bold, const QString& caption) {
        f->SetFont(face, DisplayPoints(points), bold, false);
        f->SetTextColor(kDisplayText);
        f->SetBackColor(kDisplayBackground);
        f->AlignLeft();
        f->SetCaption(caption);
    };
    display(m_recStatus, 11, false, LoadText(IDS_STATUS_STOP));
    display(m_recMinutes, 11, true, LoadText(IDS_TIME_BLANK));
    display(m_recColon, 11, false, LoadText(IDS_TIME_COLON));
    display(m_recSeconds, 11, true, LoadText(IDS_TIME_BLANK));
    display(m_playStatus, 8, false, QString());
    display(m_playMinutes, 8, false, LoadText(IDS_TIME_BLANK));
    display(m_playColon, 8, false, LoadText(IDS_TIME_COLON));
    display(m_playSeconds, 8, false, LoadText(IDS_TIME_BLANK));
    m_recMinutes->AlignRight();
    m_playMinutes->AlignRight();

    QFont labelFont(face, DisplayPoints(8));
    m_nameLabel->setFont(labelFont);
    m_notesLabel->setFont(labelFont);
}

void CMainDlg::PlaceControls()
{
    const int top = m_menuBar->sizeHint().height();
    m_menuBar->setGeometry(0, 0, width(), top);

    // Display panel: recording time above, playing time below.
    const QRect panel(kMargin, top + kMargin, 230, 84);
    m_displayFrame->setGeometry(panel);
    const int x0 = panel.x() + 12;
    const int row1 = panel.y() + 10, row2 = panel.y() + 52;
    const int secondsX = panel.right() - 12 - 40;
    m_recStatus->setGeometry(x0, row1, 90, 26);
    m_recMinutes->setGeometry(secondsX - 12 - 52, row1, 52, 26);
    m_recColon->setGeometry(secondsX - 10, row1, 8, 26);
    m_recSeconds->setGeometry(secondsX, row1, 40, 26);
    m_playStatus->setGeometry(x0, row2, 90, 20);
    m_playMinutes->setGeometry(secondsX - 12 - 52, row2, 52, 20);
    m_playColon->setGeometry(secondsX - 10, row2, 8, 20);
    m_playSeconds->setGeometry(secondsX, row2, 40, 20);

    // Side buttons down the right edge.
    int sideWidth = 0;
    for (const SideButton& side : kSideButtons)
        sideWidth = std::max(sideWidth, Button(side.id)->width());
    const int sideX = width() - kMargin - sideWidth;
    int y = top + kMargin;
    for (const SideButton& side : kSideButtons) {
        CSkinButton* b = Button(side.id);
        b->move(sideX + (sideWidth - b->width()) / 2, y);
        y += b->height() + 6;
    }

    // Transport row right of the panel, then the meter and the position bar under it.
    int x = panel.right() + 14;
    int rowHeight = 0;
    for (int id : kTransportRow)
        rowHeight = std::max(rowHeight, Button(id)->height());
    for (int id : kTransportRow) {
        CSkinButton* b = Button(id);
        b->move(x, panel.y() + (rowHeight - b->height()) / 2);
        x += b->width() + 4;
    }
    Button(IDC_STOP_PLAY)->move(Button(IDC_STOP)->pos());
    const int transportLeft = panel.right() + 14;
    const int transportRight = sideX - 16;
    m_levelMeter->setGeometry(transportLeft, panel.y() + rowHeight + 8, transportRight - transportLeft, 16);
    m_positionBar->setGeometry(transportLeft, panel.bottom() - 9, transportRight - transportLeft, 10);

    // Volume right of the transport row.
    const int volumeX = x + 10;
    m_volumeLabel->setGeometry(volumeX, panel.y() + 2, std::max(60, transportRight - volumeX), 18);
    m_volume->setGeometry(volumeX, panel.y() + 22, std::max(60, transportRight - volumeX), 22);

    // The call log fills the middle; name and notes below it.
    const int listTop = panel.bottom() + 14;
    const int listRight = sideX - 12;
    m_listTitle->setGeometry(kMargin, listTop, 200, 18);
    const int editsTop = height() - kMargin - 56;
    m_list->setGeometry(kMargin, listTop + 20, listRight - kMargin, editsTop - 10 - (listTop + 20));

    const int labelWidth = 52;
    m_nameLabel->setGeometry(kMargin, editsTop + 2, labelWidth, 22);
    m_nameEdit->setGeometry(kMargin + labelWidth, editsTop, 230, 24);
    CSkinButton* save = Button(IDC_SAVE);
    save->move(kMargin + labelWidth + 234, editsTop + (24 - save->height()) / 2);
    const int notesX = kMargin + labelWidth + 234 + save->width() + 14;
    m_notesLabel->setGeometry(notesX, editsTop + 2, labelWidth, 22);
    m_notesEdit->setGeometry(notesX + labelWidth, editsTop, listRight - notesX - labelWidth, 56);
}

CSkinButton* CMainDlg::Button(int id) const
{
    return qobject_cast<CSkinButton*>(Control(id));
}

QWidget* CMainDlg::Control(int id) const
{
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

QAction* CMainDlg::MenuCommand(int commandId) const
{
    auto it = m_commands.find(commandId);
    return it == m_commands.end() ? nullptr : it->second;
}

bool CMainDlg::IsEnabled(int id) const
{
    QWidget* w = Control(id);
    return w && w->isEnabled();
}

void CMainDlg::SetToolsItemsEnabled(bool enable)
{
    for (int id : kToolsItems)
        m_commands[id]->setEnabled(enable);
}

// ---------------------------------------------------------------------------
// Operations other parts call

void CMainDlg::UpdateRecordButtons()
{
    setUpdatesEnabled(false);
    const RecordButtonsLook look = RecordButtonsFor(m_control->State(), m_bSoundCardPresent);
    CSkinButton* autoButton = Button(IDC_AUTO_RECORD);
    autoButton->setEnabled(look.autoRecordingEnabled);
    if (look.autoRecordingImages)
        autoButton->SetBitmap(LoadBitmapResource(kBitmapAutoRecordingOn));
    else
        autoButton->LoadBitmaps(QStringLiteral("REG_AUTO"));
    autoButton->update();
    EnableControl(IDC_RECORD, look.recordEnabled);
    if (look.disableStop)
        EnableControl(IDC_STOP, false);
    SetTextIfChanged(m_recMinutes, LoadText(IDS_TIME_BLANK));
    SetTextIfChanged(m_recSeconds, LoadText(IDS_TIME_BLANK));
    SetTextIfChanged(m_recStatus, LoadText(IDS_STATUS_STOP));
    for (CColorStatic* f : {m_recStatus, m_recMinutes, m_recColon, m_recSeconds})
        f->SetTextColorAndRedraw(kDisplayText);
    setUpdatesEnabled(true);
}

void CMainDlg::UpdateListDependentControls()
{
    ListControlsNow now;
    now.itemCount = m_callLog.Model().Count();
    now.recordingState = m_control ? m_control->State() : RecorderState::Idle;
    now.soundCardPresent = m_bSoundCardPresent;
    now.noSend = m_appSettings.NoSend;
    now.playEnabled = IsEnabled(IDC_PLAY);
    now.findEnabled = IsEnabled(IDC_FIND);
    now.deleteEnabled = IsEnabled(IDC_DELETE);
    now.sendEnabled = IsEnabled(IDC_SEND);
    const ListControlChanges changes = ListDependentChanges(now);

    if (changes.forgetSelection)
        m_callLog.ForgetSelection();
    if (changes.clearEdits) {
        const QSignalBlocker blockName(m_nameEdit);
        const QSignalBlocker blockNotes(m_notesEdit);
        m_nameEdit->clear();
        m_notesEdit->clear();
    }
    if (changes.editsEnabled) {
        m_nameEdit->setEnabled(*changes.editsEnabled);
        m_notesEdit->setEnabled(*changes.editsEnabled);
    }
    const std::pair<const std::optional<bool>*, int> buttons[] = {
        {&changes.saveEnabled, IDC_SAVE},     {&changes.playEnabled, IDC_PLAY},
        {&changes.findEnabled, IDC_FIND},     {&changes.deleteEnabled, IDC_DELETE},
        {&changes.sendEnabled, IDC_SEND},
    };
    for (auto [change, id] : buttons) {
        if (*change)
            EnableControl(id, **change);
    }
    if (changes.toolsItemsEnabled) {
        SetToolsItemsEnabled(*changes.toolsItemsEnabled);
        if (*changes.toolsItemsEnabled) {
            const std::pair<int, int> texts[] = {{ID_TOOLS_FIND, IDS_MENU_FIND}, {ID_TOOLS_DELETE, IDS_MENU_DELETE}, {ID_TOOLS_SEND, IDS_MENU_SEND},
                                                 {ID_TOOLS_PROTECT, IDS_MENU_PROTECT}, {ID_TOOLS_JOIN, IDS_MENU_JOIN}};
            for (auto [id, text] : texts)
                m_commands[id]->setText(LoadText(text));
        }
    }
}

void CMainDlg::SetTextIfChanged(CColorStatic* field, const QString& text)
{
    if (field->Caption() != text)
        field->SetCaption(text);
}

void CMainDlg::ShowRecordingTime(std::chrono::seconds elapsed)
{
    const MinutesSeconds shown = SplitElapsed(elapsed.count());
    SetTextIfChanged(m_recMinutes, shown.minutes);
    SetTextIfChanged(m_recSeconds, shown.seconds);
}

void CMainDlg::ShowPlayingTime(std::chrono::seconds position)
{
    const MinutesSeconds shown = SplitElapsed(position.count());
    SetTextIfChanged(m_playMinutes, shown.minutes);
    SetTextIfChanged(m_playSeconds, shown.seconds);
}

void CMainDlg::RedrawDisplays()
{
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_displayFrame, m_recStatus, m_recMinutes, m_recColon, m_recSeconds, m_playStatus, m_playMinutes,
             m_playColon, m_playSeconds, m_levelMeter, m_listTitle, m_volumeLabel})
        w->update();
}

// ---------------------------------------------------------------------------
// Message map

bool CMainDlg::event(QEvent* event)
{
    if (event->type() == CMessage::EventType()) {
        OnMessage(static_cast<CMessage&>(*event));
        return true;
    }
    return QDialog::event(event);
}

void CMainDlg::OnMessage(CMessage& message)
{
    switch (message.Message()) {
    case WM_CLOSE: close(); break;
    case WM_COMMAND: OnCommand(static_cast<int>(message.WParam() & 0xFFFF)); break;
    case WM_VOICE_DETECTED: OnVoiceDetected(); break;
    case WM_RECORDING_FILE_READY: OnRecordingFileReady(message); break;
    case WM_CAPTURE_STATE: OnCaptureState(message.WParam(), message.LParam()); break;
    case WM_RECORDING_CUT_SHORT: {
        const std::unique_ptr<QString> reason = message.TakePayload<QString>();
        TellRecordingCutShort(reason ? *reason : QString());
        break;
    }
    case WM_INPUT_LEVEL: OnInputLevel(message.WParam(), message.LParam()); break;
    case WM_TRAY_NOTIFY: OnTrayNotify(message.WParam(), message.LParam()); break;
    case MM_MIXM_CONTROL_CHANGE: OnMixerControlChange(message.WParam(), message.LParam()); break;
    default: break;
    }
}

void CMainDlg::OnCommand(int id)
{
    if (IsTrayCommand(id)) {
        OnTrayCommand(id);
        return;
    }
    switch (id) {
    case IDC_RECORD: OnRecord(); break;
    case IDC_STOP: OnStop(); break;
    case IDC_PLAY: OnPlay(); break;
    case IDC_STOP_PLAY: OnStopPlaying(); break;
    case IDC_PAUSE: OnPause(); break;
    case IDC_AUTO_RECORD: OnAutoRecording(); break;
    case IDC_SAVE: OnSave(); break;
    case IDC_DELETE:
    case ID_TOOLS_DELETE: OnDelete(); break;
    case IDC_FIND:
    case ID_TOOLS_FIND: OnFind(); break;
    case IDC_SEND:
    case ID_TOOLS_SEND: OnSend(); break;
    case IDC_OPTIONS:
    case ID_TOOLS_OPTIONS: OnOptions(); break;
    case IDC_HELP:
    case ID_HELP_CONTENTS: OnHelp(); break;
    case ID_FILE_EXIT: OnExit(); break;
    case ID_FILE_IMPORT: OnImport(); break;
    case ID_TOOLS_PROTECT: OnProtect(); break;
    case ID_TOOLS_JOIN: OnJoin(); break;
    case ID_HELP_ONLINE: OnOnlinePage(); break;
    case ID_NO_ACTION: OnNoAction(); break;
    default: break;
    }
}

void CMainDlg::SetTimer(int id, int ms)
{
    KillTimer(id);
    m_timers[id] = startTimer(ms);
}

void CMainDlg::KillTimer(int id)
{
    auto it = m_timers.find(id);
    if (it == m_timers.end())
        return;
    killTimer(it->second);
    m_timers.erase(it);
}

bool CMainDlg::IsTimerRunning(int id) const
{
    return m_timers.count(id) != 0;
}

void CMainDlg::timerEvent(QTimerEvent* event)
{
    for (const auto& [id, running] : m_timers) {
        if (running == event->timerId()) {
            OnTimer(id);
            return;
        }
    }
    QDialog::timerEvent(event);
}

void CMainDlg::OnTimer(int id)
{
    switch (id) {
    case TIMER_RECORDING_TIME: OnRecordingTimeTimer(); break;
    case TIMER_PLAYING_POSITION: OnPlayingPositionTimer(); break;
    case TIMER_BALLOON_CLOSE: OnBalloonTimer(); break;
    case TIMER_WARNING_SOUND: OnWarningSoundTimer(); break;
    case TIMER_WARNING_SOUND_END: OnWarningSoundEndTimer(); break;
    case TIMER_FALLBACK_NOTICE: OnFallbackNoticeTimer(); break;
    case TIMER_REALIGN_NOTICE: OnRealignNoticeTimer(); break;
    case CStartupSequence::kTimerSalvageNotice: KillTimer(id); m_startup->OnTimer(id); break;
    default: break;
    }
}

// ---------------------------------------------------------------------------
// Keyboard, mouse and window events

bool CMainDlg::HandleKey(int key, bool withModifiers)
{
    switch (KeyActionFor(key, withModifiers)) {
    case KeyAction::PassOn: return false;
    case KeyAction::Swallow: return true;
    case KeyAction::CloseFindWindow:
        if (m_findWindow)
            m_findWindow->close();
        return true;
    case KeyAction::PlaySelected: PlaySelected(); return true;
    case KeyAction::Rescan: OnRescan(); return true;
    }
    return false;
}

bool CMainDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool modified = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        // Line breaks are typed into the notes, not taken as "play".
        const bool enterInNotes = watched == m_notesEdit &&
                                  (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter);
        if (!enterInNotes && (HandleWindKey(*key) || HandleKey(key->key(), modified)))
            return true;
        if (watched == m_list)
            OnListKeyDown(key->key());
    } else if (event->type() == QEvent::FocusOut) {
        if (watched == m_nameEdit)
            OnNameKillFocus();
        else if (watched == m_notesEdit)
            OnNotesKillFocus();
    }
    return QDialog::eventFilter(watched, event);
}

void CMainDlg::keyPressEvent(QKeyEvent* event)
{
    const bool modified = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (HandleWindKey(*event) || HandleKey(event->key(), modified)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CMainDlg::reject()
{
    // Esc and the dialog's cancel path never close the main window; closing goes through OnClose.
}

void CMainDlg::closeEvent(QCloseEvent* event)
{
    if (!m_bCloseDone)
        OnClose();
    event->accept();
    QDialog::done(0);
    if (m_runLoop)
        m_runLoop->exit();
}

void CMainDlg::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized))
        OnMinimizeRequested();
    QDialog::changeEvent(event);
}

void CMainDlg::OnListRightClick(const QPoint& pos)
{
    if (m_toolsMenu)
        m_toolsMenu->popup(m_list->viewport()->mapToGlobal(pos));
}

void CMainDlg::OnListColumnClick(int column)
{
    m_callLog.OnColumnClick(column);
}

void CMainDlg::OnRescan()
{
    // A paused play counts as playing: its recording must stay in the list.
    m_callLog.Rescan(IsRecordingOrPlaying(m_control->State()) || m_control->IsPlayingOrPaused());
    UpdateListDependentControls();
}

void CMainDlg::OnVolumeReleased()
{
    if (m_speakers)
        m_speakers->SetVolume(static_cast<std::uint32_t>(m_volume->value()));
}

void CMainDlg::OnMixerControlChange(WPARAM mixer, LPARAM controlId)
{
    if (!m_speakers || !m_speakers->IsOwnVolumeControl(mixer, controlId))
        return;
    std::uint32_t volume = 0;
    if (m_speakers->GetVolume(volume)) {
        const QSignalBlocker block(m_volume);
        m_volume->setValue(static_cast<int>(volume));
    }
}

void CMainDlg::SetSpeakerLine(ISpeakerLine* line)
{
    m_speakers = line;
    m_recordingWindow->SetSpeakerLine(line);
    if (!line)
        return;
    const QSignalBlocker block(m_volume);
    m_volume->setRange(static_cast<int>(line->Minimum()), static_cast<int>(line->Maximum()));
    std::uint32_t volume = 0;
    if (line->GetVolume(volume))
        m_volume->setValue(static_cast<int>(volume));
}

void CMainDlg::OnNoAction() {}

void CMainDlg::OnExit()
{
    PostCloseToSelf();
}

}  // namespace sonvelle
