// Help and the maker's page, opened by whatever the desktop uses for local
// pages and for web addresses.

#include "mainwnd/MainDlg.h"
#include "platform/Log.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace sonvelle {

void CMainDlg::OnHelp()
{
    const QString path = ProgramFolder() + LoadText(IDS_HELP_FILE);
    if (!QFileInfo(path).isFile()) {
        MessageBox(LoadText(IDS_HELP_MISSING), PromptIcon::Stop);
        return;
    }
    // Without a program for local pages there is nothing to say that would help.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        WriteLog(QStringLiteral("Nessun programma per la guida"));
}

void CMainDlg::OnOnlinePage()
{
    // The empty page beside the program stands for "a web page" to the desktop;
    // the address itself is opened by the scheme's handler.
    QFile page(DataFolder() + QStringLiteral("Orsolan.htm"));
    if (page.open(QIODevice::WriteOnly))
        page.close();
    if (!QDesktopServices::openUrl(QUrl(LoadText(IDS_ONLINE_URL))))
        WriteLog(QStringLiteral("Nessun programma per la pagina in linea"));
}

}  // namespace sonvelle
