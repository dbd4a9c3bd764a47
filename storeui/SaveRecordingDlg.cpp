#include "storeui/SaveRecordingDlg.h"

#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "resources/art/Art.h"
#include "skin/CSkinButton.h"
#include "store/RecordingEntry.h"
#include "store/RecordingNameField.h"
#include "store/RecordingSave.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimerEvent>

namespace sonvelle {

CSaveRecordingDlg::CSaveRecordingDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dialog%1").arg(kDialogId));
    // Topmost from the start: changing the flag of a shown window hides it.
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    m_nameLabel = new QLabel(this);
    m_notesLabel = new QLabel(this);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QString::number(kNameField));
    m_notes = new QPlainTextEdit(this);
    m_notes->setObjectName(QString::number(kNotesField));
    m_notes->setTabChangesFocus(true);
    m_confirm = new QPushButton(this);
    m_confirm->setObjectName(QString::number(kConfirmButton));
    m_confirm->setDefault(true);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QString::number(kCancelButton));
    m_play = new CSkinButton(kPlayButton, this);
    m_play->setObjectName(QString::number(kPlayButton));
    m_play->setFocusPolicy(Qt::StrongFocus);
    m_nameLabel->setBuddy(m_name);
    m_notesLabel->setBuddy(m_notes);

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_nameLabel, 0, 0);
    layout->addWidget(m_name, 1, 0);
    layout->addWidget(m_play, 1, 1);
    layout->addWidget(m_notesLabel, 2, 0);
    layout->addWidget(m_notes, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_confirm);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons, 4, 0, 1, 2);

    connect(m_name, &QLineEdit::textChanged, this, &CSaveRecordingDlg::OnNameChanged);
    connect(m_play, &QAbstractButton::clicked, this, &CSaveRecordingDlg::OnPlayRec);
    connect(m_confirm, &QPushButton::clicked, this, &CSaveRecordingDlg::OnConfirm);
    connect(m_cancel, &QPushButton::clicked, this, &CSaveRecordingDlg::reject);

    ShowPlayBitmaps(QStringLiteral("PLAYREC"));
}

CSaveRecordingDlg::~CSaveRecordingDlg()
{
    if (m_playing)
        m_player.Stop();
}

void CSaveRecordingDlg::Setup(CRecordingEntry* entry, const QString& folder, bool alternativePlay)
{
    m_entry = entry;
    m_folder = folder;
    m_alternative = alternativePlay;
    m_strName = entry ? entry->m_strName : QString();
}

void CSaveRecordingDlg::showEvent(QShowEvent* event)
{
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
    // A recording that just ended must not hide behind other windows.
    QApplication::alert(this, 1000);
    activateWindow();
    raise();
}

void CSaveRecordingDlg::OnInitDialog()
{
    setWindowTitle(LoadText(IDS_SAVE_TITLE));
    setWindowIcon(LoadIconResource(kIconProgram));
    m_nameLabel->setText(LoadText(IDS_SAVE_NAME_LABEL));
    m_notesLabel->setText(LoadText(IDS_SAVE_NOTES_LABEL));
    m_confirm->setText(LoadText(IDS_SAVE_BUTTON));
    m_cancel->setText(LoadText(IDS_SAVE_CANCEL));
    m_name->setText(m_strName);
    m_notes->setPlainText(m_entry ? m_entry->m_strNotes : QString());
    OnNameChanged(m_name->text());
    m_name->setFocus();
}

void CSaveRecordingDlg::OnNameChanged(const QString& text)
{
    if (m_filtering)
        return;
    const FilteredName filtered = FilterSaveDialogName(text, m_entry ? m_entry->m_strFolder : m_folder);
    m_confirm->setEnabled(filtered.confirmEnabled);
    if (filtered.changed) {
        m_filtering = true;
        m_name->setText(filtered.text);
        m_name->setCursorPosition(static_cast<int>(filtered.text.size()));
        m_filtering = false;
    }
}

void CSaveRecordingDlg::ShowPlayBitmaps(const QString& caption)
{
    m_playBitmaps = caption;
    if (!m_play->LoadBitmaps(caption))
        m_play->setText(caption);
    m_play->SizeToContent();
}

void CSaveRecordingDlg::StopPlaying()
{
    m_timer.stop();
    m_player.Stop();
    if (m_playing) {
        m_playing = false;
        ShowPlayBitmaps(QStringLiteral("PLAYREC"));
    }
}

void CSaveRecordingDlg::OnPlayRec()
{
    m_confirm->setFocus();
    m_timer.stop();
    if (m_playing) {
        StopPlaying();
        return;
    }
    ShowPlayBitmaps(QStringLiteral("STOPPLAY"));
    const QString path = m_entry ? RecordingFileOf(*m_entry, m_recordingFile) : m_recordingFile;
    if (m_player.Play(path, this, m_alternative)) {
        m_playing = true;
        m_timer.start(kPlayTimerMs, this);
        return;
    }
    m_player.Stop();
    MessageBox(LoadText(IDS_RECORDING_FILE_MISSING), PromptIcon::Stop);
    ShowPlayBitmaps(QStringLiteral("PLAYREC"));
}

void CSaveRecordingDlg::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timer.timerId()) {
        QDialog::timerEvent(event);
        return;
    }
    std::uint32_t length = 0;
    std::uint32_t position = 0;
    m_player.GetStatus(length, position);
    if (position >= length)
        OnPlayRec();
}

void CSaveRecordingDlg::OnConfirm()
{
    StopPlaying();
    if (!m_entry)
        return;
    if (ConfirmSaveRecording(*m_entry, m_folder, m_recordingFile, m_name->text(), m_notes->toPlainText()))
        accept();
}

void CSaveRecordingDlg::reject()
{
    StopPlaying();
    if (m_entry)
        MarkRecordingDiscarded(*m_entry);
    QDialog::reject();
}

}  // namespace sonvelle
