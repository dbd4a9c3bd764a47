// Protecting recordings with a key word and removing the protection (the
// Tools command), and the key word asked before a protected recording plays.

#include "mainwnd/MainDlg.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingWindowAdapter.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/RecordingEntry.h"
#include "store/RecordingList.h"
#include "store/RecordingProtection.h"
#include "storeui/KeyWordDialogs.h"

#include <QApplication>
#include <QFile>

namespace sonvelle {

namespace {

const QString kNoKeyWord = QStringLiteral("***");

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

void CMainDlg::OnProtect()
{
    ProtectSelected();
}

// The file is about to be replaced: its player lets go of it first.
void CMainDlg::StopPlayingRecording(const CRecordingEntry& entry)
{
    if (m_control->IsPlayingOrPaused() && m_control->PlayingRecording() == &entry)
        m_control->OnStopPlaying();
}

void CMainDlg::ShowProtectionChange(CRecordingEntry& entry)
{
    m_callLog.SavePending();
    m_recordingWindow->UpdateRow(entry);
}

bool CMainDlg::ProtectCurrent(bool forPlaying)
{
    CRecordingEntry* entry = m_callLog.SelectedEntry();
    if (!entry)
        return false;
    if (entry->IsInUse()) {
        MessageBox(LoadText(IDS_IN_USE_PROTECT), PromptIcon::Stop);
        return false;
    }
    CRecordingList& catalogue = m_callLog.Catalogue();
    entry->m_strKeyWord = kNoKeyWord;

    if (!entry->m_bProtected) {
        CProtectDlg dialog(entry, this);
        RunKeyWordDialog(dialog);
        if (entry->m_strKeyWord == kNoKeyWord)
            return true;
        StopPlayingRecording(*entry);
        catalogue.RefreshEntry(*entry);
        bool done = false;
        {
            WaitCursor wait;
            done = Protect(*entry);
        }
        if (!done) {
            MessageBox(LoadText(IDS_PROTECT_FAILED), PromptIcon::Stop);
        } else if (!forPlaying) {
            ShowProtectionChange(*entry);
        }
        return true;
    }

    for (;;) {
        CKeyWordDlg dialog(*entry, this);
        if (RunKeyWordDialog(dialog) != QDialog::Accepted)
            return false;
        StopPlayingRecording(*entry);
        catalogue.RefreshEntry(*entry);
        bool done = false;
        {
            WaitCursor wait;
            done = Unprotect(*entry, forPlaying);
        }
        if (done)
            break;
        MessageBox(LoadText(IDS_KEYWORD_WRONG), PromptIcon::Stop);
    }
    if (!forPlaying)
        ShowProtectionChange(*entry);
    return true;
}

void CMainDlg::ProtectSelected()
{
    CRecordingList& catalogue = m_callLog.Catalogue();
    const QStringList names = SelectedNames();
    std::vector<CRecordingEntry*> candidates;
    for (const QString& name : names) {
        CRecordingEntry* entry = catalogue.FindByName(name);
        if (entry && !entry->m_bProtected && !entry->IsInUse())
            candidates.push_back(entry);
    }
    if (names.size() <= 1 || candidates.empty()) {
        ProtectCurrent(false);
        return;
    }
    CProtectDlg dialog(nullptr, this);
    if (RunKeyWordDialog(dialog) != QDialog::Accepted)
        return;
    for (CRecordingEntry* entry : candidates) {
        StopPlayingRecording(*entry);
        // The tag length an entry holds may be stale or never read: the tag stays in clear only when it is right.
        catalogue.RefreshEntry(*entry);
        entry->m_strKeyWord = dialog.KeyWord();
        bool done = false;
        {
            WaitCursor wait;
            done = Protect(*entry);
        }
        if (!done) {
            MessageBox(LoadText(IDS_PROTECT_FAILED), PromptIcon::Stop);
            continue;
        }
        ShowProtectionChange(*entry);
    }
}

// The deciphered copies are the recordings in clear: none outlives the program.
void CMainDlg::RemoveWorkingCopies()
{
    for (const auto& entry : m_callLog.Catalogue().Entries()) {
        if (entry->m_bProtected)
            QFile::remove(WorkingCopyPath(*entry));
    }
}

}  // namespace sonvelle
