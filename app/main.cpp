#include "app/MessageBoxPrompt.h"
#include "app/SettingsStore.h"
#include "mainwnd/MainDlg.h"
#include "platform/Prompt.h"
#include "platform/SingleInstance.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    using namespace sonvelle;
    // A second instance ends at once, silently; the first keeps the lock until it ends.
    CSingleInstanceGuard guard;
    if (!guard.Acquire())
        return 0;

    CSettingsStore::MigrateFromMachineKey();

    QApplication app(argc, argv);  // no command-line option is used
    CMessageBoxPrompt prompt;
    SetPrompt(&prompt);
    {
        CMainDlg dlg;
        dlg.exec();
    }
    SetPrompt(nullptr);
    return 0;
}
