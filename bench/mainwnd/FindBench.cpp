// One press of Find over a call log of 10,000 recordings, at its worst: the
// only match is the last row and the notes are searched too.

#include "mainwnd/CallLog.h"
#include "operations/FindDlg.h"
#include "platform/Prompt.h"
#include "store/OleDateTime.h"
#include "store/RecordingEntry.h"
#include "store/RecordingList.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace sonvelle;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int kRecordings = 10000;
    constexpr int kPresses = 40;
    CScriptedPrompt prompt;
    SetPrompt(&prompt);

    QTreeView view;
    view.resize(720, 330);
    view.setUniformRowHeights(true);  // as the main window's list
    view.show();
    CCallLog log;
    log.Attach(&view);
    for (int i = 0; i < kRecordings; ++i) {
        auto entry = std::make_unique<CRecordingEntry>();
        entry->m_strFolder = QStringLiteral("/nonexistent/");
        entry->m_strName = QStringLiteral("Desk %1 - Recording %2").arg(i % 7).arg(i);
        entry->m_strNotes = QStringLiteral("Rückruf wegen Angebot Nummer %1, bitte Preise prüfen").arg(i);
        entry->m_dtDate = COleDateTime(44000.0 + i / 3.0);
        entry->m_dtDuration = COleDateTime::FromSeconds(60);
        log.Catalogue().AddEntry(std::move(entry));
    }
    log.Refill();  // newest first: "Recording 0" is the last row

    CFindDlg find(&view);
    find.SetList(&view);
    auto* text = qobject_cast<QLineEdit*>(find.Control(CFindDlg::IDC_FIND_TEXT));
    std::vector<double> ms, matchMs, noMatchMs;
    for (int i = 0; i < kPresses; ++i) {
        // A press without a match starts the next one at the top; then, timed, alternately
        // the whole list without a match and the last row's match.
        text->setText(QStringLiteral("ärzte"));
        find.OnFindNext();
        text->setText(i % 2 ? QStringLiteral("RECORDING 0") : QStringLiteral("ärzte"));
        QElapsedTimer timer;
        timer.start();
        find.OnFindNext();
        ms.push_back(timer.nsecsElapsed() / 1e6);
        (i % 2 ? matchMs : noMatchMs).push_back(ms.back());
    }
    std::printf("first match press %.2f ms; later ones median %.2f ms; no match median %.2f ms\n", matchMs[0],
                matchMs[matchMs.size() / 2], noMatchMs[noMatchMs.size() / 2]);
    std::sort(ms.begin(), ms.end());
    std::printf("find over %d rows, notes searched: median %.2f ms, worst %.2f ms a press (goal < 20 ms)\n",
                kRecordings, ms[ms.size() / 2], ms.back());
    std::printf("selected after the last press: %s\n", qPrintable(log.SelectedName()));
    SetPrompt(nullptr);
    return 0;
}
