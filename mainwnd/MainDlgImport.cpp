// The Import command, and the import that start-up runs when the earlier work
// folder is reachable again: its dialog then starts in the fallback folder.

#include "app/SettingsStore.h"
#include "app/StartupSequence.h"
#include "mainwnd/MainDlg.h"
#include "mainwnd/MainWindowStartupHost.h"
#include "operations/ImportRecordings.h"
#include "platform/ProgramFolder.h"
#include "resources/StringTable.h"

#include <QElapsedTimer>

namespace sonvelle {

void CMainDlg::OnImport()
{
    ImportRecordings(m_startup->RealignPending() ? CSettingsStore::FallbackWorkFolder(DataFolder()) : QString());
}

void CMainDlg::ImportRecordings(const QString& startFolder)
{
    static CQtImportFileChooser qtChooser;
    IImportFileChooser& chooser = m_importChooser ? *m_importChooser : qtChooser;
    const QStringList chosen = chooser.ChooseFiles(this, LoadText(IDS_IMPORT_TITLE), startFolder);
    // Whatever the answer: the next import starts where the platform chooses.
    m_startup->ClearRealignPending();
    if (chosen.isEmpty())
        return;

    m_startupHost->BeginWaitCursor();
    CRecordingImport import(m_callLog.Catalogue());
    // Repainted a few times a second, not per file: a thousand repaints would cost more than the copies.
    QElapsedTimer sinceRepaint;
    sinceRepaint.start();
    import.SetAfterEachFile([this, &sinceRepaint] {
        if (sinceRepaint.elapsed() >= 200) {
            repaint();
            sinceRepaint.restart();
        }
    });
    const ImportOutcome outcome = import.Run(chosen);
    if (outcome.created > 0) {
        m_callLog.Refill(-1, outcome.lastCreated);
        UpdateListDependentControls();
    }
    m_startupHost->EndWaitCursor();
}

void CMainWindowStartupHost::ImportAfterRealignment(const QString& fallbackFolder)
{
    m_window.ImportRecordings(fallbackFolder);
}

}  // namespace sonvelle
