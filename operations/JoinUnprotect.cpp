#include "operations/JoinUnprotect.h"

#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/RecordingList.h"
#include "store/RecordingProtection.h"
#include "storeui/KeyWordDialogs.h"

#include <QGuiApplication>

namespace sonvelle {

namespace {

const QString kNoKeyWord = QStringLiteral("***");

}  // namespace

bool UnprotectForJoining(CRecordingList& catalogue, CRecordingEntry& entry, QWidget* parent)
{
    entry.m_strKeyWord = kNoKeyWord;
    CKeyWordDlg dialog(entry, parent);
    RunKeyWordDialog(dialog);
    if (entry.m_strKeyWord == kNoKeyWord)
        return false;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    // The check block sits right after the tag: its length must be the file's, not an old one.
    catalogue.RefreshEntry(entry);
    const bool unprotected = Unprotect(entry, false);
    if (unprotected)
        catalogue.SavePending();
    QGuiApplication::restoreOverrideCursor();
    if (!unprotected)
        MessageBox(LoadText(IDS_KEYWORD_WRONG), PromptIcon::Exclamation);
    return unprotected;
}

}  // namespace sonvelle
