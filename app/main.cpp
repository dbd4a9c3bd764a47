#include "app/MessageBoxPrompt.h"
#include "app/SettingsStore.h"
#include "app/UnattendedClose.h"
#include "mainwnd/MainDlg.h"
#include "platform/CloseSignals.h"
#include "platform/PrivateFiles.h"
#include "platform/Prompt.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QSessionManager>

int main(int argc, char* argv[])
{
    using namespace sonvelle;
    // Recordings and logs of raw audio are nobody else's business.
    KeepNewFilesPrivate();

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
        // A logout, `systemctl --user stop` or Ctrl-C closes as the Exit command
        // does, storing the running recording instead of losing it.
        CUnattendedClose unattended(&dlg);
        CCloseSignals closeSignals;
        QObject::connect(&closeSignals, &CCloseSignals::closeRequested, &unattended,
                         [&unattended](int number) { unattended.Request(QStringLiteral("segnale %1").arg(number)); });
        QObject::connect(&app, &QGuiApplication::commitDataRequest, &unattended,
                         [&unattended](QSessionManager&) { unattended.Request(QStringLiteral("fine sessione")); });
        dlg.exec();
    }
    SetPrompt(nullptr);
    return 0;
}
