// Renders the main window offscreen over a work folder and writes it as a
// PNG, so the window can be reviewed without a desktop; then the options
// sheet on each of its pages, beside it (OUT-options-general.png,
// OUT-options-advanced.png). Run by scripts/screenshot; with an audio file it
// first fills the folder with a few demo recordings.

#include "mainwnd/MainDlg.h"
#include "options/CDlgImpostazioniAvanzate.h"
#include "options/CDlgSetImpostazioni.h"
#include "options/COpzionePropertySheet.h"
#include "platform/Prompt.h"
#include "mainwnd/MainWindowTray.h"
#include "mainwnd/RecordingControl.h"
#include "resources/StringTable.h"
#include "resources/art/Art.h"
#include "skin/CBalloonWnd.h"
#include "platform/Registry.h"
#include "platform/ProgramFolder.h"
#include "store/OleDateTime.h"
#include "store/RecordingEntry.h"
#include "store/RecordingList.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QElapsedTimer>
#include <QPainter>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QPixmap>
#include <QTextStream>

#include <cstdio>

namespace {

using namespace sonvelle;

struct Demo {
    const char* name;
    int y, mo, d, h, mi, s;
    int seconds;
    const char* notes;
    const char* operatorName;
    bool isProtected;
};

const Demo kDemo[] = {
    {"Call with the bank", 2026, 12, 4, 9, 12, 40, 312, "Mortgage rate confirmed\r\nCall back Friday", "Desk 2", false},
    {"Supplier - delivery dates", 2026, 12, 3, 16, 5, 11, 547, "Pallets arrive on the 14th", "Desk 2", false},
    {"Dictation: weekly report", 2026, 12, 2, 8, 30, 0, 1265, "Draft for the Monday meeting", "", false},
    {"Contract negotiation", 2026, 11, 28, 11, 47, 23, 4512, "Confidential", "Anna", true},
    {"Recording 7", 2026, 11, 27, 14, 2, 9, 48, "", "", false},
    {"Customer complaint #1182", 2026, 11, 25, 10, 15, 55, 731, "Refund agreed\r\nSend written confirmation", "Anna", false},
    {"Interview notes", 2026, 11, 20, 17, 40, 2, 2405, "", "", false},
};

bool WriteDemo(const QString& folder, const QByteArray& audio)
{
    for (const Demo& d : kDemo) {
        CRecordingEntry entry;
        entry.m_strFolder = folder;
        entry.m_strName = QString::fromUtf8(d.name);
        entry.m_dtDate = COleDateTime(d.y, d.mo, d.d, d.h, d.mi, d.s);
        entry.m_dtDuration = COleDateTime::FromSeconds(d.seconds);
        entry.m_strNotes = QString::fromUtf8(d.notes);
        entry.m_strOperator = QString::fromUtf8(d.operatorName);
        entry.m_bProtected = d.isProtected;
        QFile file(entry.FilePath());
        if (!file.open(QIODevice::WriteOnly) || file.write(audio) != audio.size())
            return false;
        file.close();
        if (!CRecordingList::WriteEntryTags(entry))
            return false;
    }
    return true;
}

class CToolCatalogue : public IOptionsCatalogue {
public:
    bool UsesIndexFile() const override { return true; }
    void RecreateIndex() override {}
};

bool Save(QWidget& widget, const QString& out, QTextStream& err)
{
    QApplication::processEvents();
    const QPixmap shot = widget.grab();
    if (shot.isNull() || !shot.save(out, "PNG")) {
        err << "cannot write " << out << "\n";
        return false;
    }
    err << "wrote " << out << " (" << shot.width() << "x" << shot.height() << ")\n";
    return true;
}

// The sheet as the Options command shows it; a message a page would show goes to stderr.
bool SaveOptionsSheet(const QString& out, const QString& programFolder, QTextStream& err)
{
    CScriptedPrompt prompt;
    SetPrompt(&prompt);
    CDlgSetImpostazioni general;
    CDlgImpostazioniAvanzate advanced;
    CToolCatalogue catalogue;
    advanced.SetContext(programFolder, &catalogue);
    COpzionePropertySheet sheet(general, advanced);
    sheet.Begin();
    sheet.show();
    QString base = out;
    if (base.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        base.chop(4);
    bool ok = Save(sheet, base + QStringLiteral("-options-general.png"), err);
    sheet.ShowPage(1);
    ok = Save(sheet, base + QStringLiteral("-options-advanced.png"), err) && ok;
    for (const auto& shown : prompt.ShownSoFar())
        err << "the sheet said: " << shown.text << "\n";
    sheet.PressCancel();
    SetPrompt(nullptr);
    return ok;
}

// The tray menu in a recording state and the balloon, beside the window's picture.
bool WriteTrayPictures(CMainDlg& dlg, const QString& out)
{
    const QString stem = out.endsWith(QStringLiteral(".png")) ? out.chopped(4) : out;
    dlg.RecordingControl().SetState(RecorderState::Listening);
    QMenu& menu = dlg.Tray().PreparedMenu();
    menu.popup(QPoint(0, 0));
    QApplication::processEvents();
    const bool menuSaved = menu.grab().save(stem + QStringLiteral("-traymenu.png"), "PNG");
    menu.hide();
    dlg.RecordingControl().SetState(RecorderState::Idle);

    CBalloonWnd balloon;
    balloon.Show(QPoint(0, 0), LoadText(IDS_TRAY_RESTORE_TIP));
    QApplication::processEvents();
    // What the desktop shows: the shape only, on a grey desktop.
    QPixmap shot(balloon.size());
    shot.fill(QColor(96, 96, 96));
    QPainter p(&shot);
    p.setClipRegion(balloon.Shape().isEmpty() ? QRegion(balloon.rect()) : balloon.Shape());
    p.drawPixmap(0, 0, balloon.grab());
    p.end();
    return menuSaved && shot.save(stem + QStringLiteral("-balloon.png"), "PNG");
}

// On a real display with a notification area: the whole screen with the icon
// and the balloon pointing at it.
bool WriteDesktopPicture(CMainDlg& dlg, const QString& out)
{
    QElapsedTimer waited;
    waited.start();
    while (!QSystemTrayIcon::isSystemTrayAvailable() && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    dlg.Tray().GoToNotificationArea();
    // The host embeds the icon asynchronously; let it settle before the balloon is placed again.
    for (waited.restart(); waited.elapsed() < 1000;)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    dlg.Tray().GoToNotificationArea();
    for (waited.restart(); waited.elapsed() < 500;)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    const QString stem = out.endsWith(QStringLiteral(".png")) ? out.chopped(4) : out;
    return QGuiApplication::primaryScreen()->grabWindow(0).save(stem + QStringLiteral("-desktop.png"), "PNG");
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() < 3) {
        err << "usage: sonvelle-screenshot OUT.png WORK_FOLDER [DEMO_AUDIO.mp3]\n";
        return 2;
    }
    const QString out = args[1];
    const QString folder = WithTrailingSlash(QDir(args[2]).absolutePath());
    if (!QDir().mkpath(folder)) {
        err << "cannot create " << folder << "\n";
        return 1;
    }
    if (args.size() > 3) {
        QFile audio(args[3]);
        if (!audio.open(QIODevice::ReadOnly) || !WriteDemo(folder, audio.readAll())) {
            err << "cannot write the demo recordings into " << folder << "\n";
            return 1;
        }
    }

    // The settings the window starts from point at that folder.
    CRegKey key;
    if (key.Create(Hive::CurrentUser, QStringLiteral("Software\\Orsolan\\Sonvelle")))
        key.WriteText(QStringLiteral("WorkDir"), folder);
    key.Close();

    CMainDlg dlg;
    dlg.AppSettings().WorkDir = folder;
    dlg.AppSettings().SogliaAttivazioneRegAuto = QStringLiteral("15000");
    dlg.InitialiseWindowOnly();
    dlg.show();
    if (!Save(dlg, out, err))
        return 1;
    if (qEnvironmentVariableIsSet("SONVELLE_SCREENSHOT_TRAY") && !WriteTrayPictures(dlg, out)) {
        err << "cannot write the tray menu and balloon pictures\n";
        return 1;
    }
    if (qEnvironmentVariableIsSet("SONVELLE_SCREENSHOT_DESKTOP") && !WriteDesktopPicture(dlg, out)) {
        err << "cannot write the desktop picture\n";
        return 1;
    }
    return SaveOptionsSheet(out, ProgramFolder(), err) ? 0 : 1;
}
