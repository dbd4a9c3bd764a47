// The Send command: the selected recording to the user's e-mail program.

#include "mainwnd/MainDlg.h"
#include "operations/MailSender.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/RecordingEntry.h"

namespace sonvelle {

CMailSender& CMainDlg::MailSender()
{
    if (!m_mailSender) {
        m_mailSender = new CMailSender(this);
        connect(m_mailSender, &CMailSender::failed, this,
                [] { MessageBox(LoadText(IDS_MAIL_FAILED), PromptIcon::Exclamation); });
    }
    return *m_mailSender;
}

void CMainDlg::OnSend()
{
    CRecordingEntry* entry = m_callLog.SelectedEntry();
    if (!entry)
        return;
    if (entry->IsInUse()) {
        MessageBox(LoadText(IDS_IN_USE_SEND), PromptIcon::Stop);
        return;
    }
    if (!MailSender().SendRecording(*entry))
        MessageBox(LoadText(IDS_MAIL_FAILED), PromptIcon::Exclamation);
}

}  // namespace sonvelle
