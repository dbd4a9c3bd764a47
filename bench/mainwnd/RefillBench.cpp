// Refilling the call log with 10,000 recordings: the time a user waits after
// F5 or a header click, and the memory the list's rows hold.

#include "mainwnd/CallLog.h"
#include "store/OleDateTime.h"
#include "store/RecordingEntry.h"
#include "store/RecordingList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using namespace sonvelle;

long ResidentKb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4 : -1;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int kRecordings = 10000;
    constexpr int kRuns = 5;

    QTreeView view;
    view.resize(720, 330);
    view.show();
    CCallLog log;
    log.Attach(&view);

    for (int i = 0; i < kRecordings; ++i) {
        auto entry = std::make_unique<CRecordingEntry>();
        entry->m_strFolder = QStringLiteral("/nonexistent/");
        entry->m_strName = QStringLiteral("Desk %1 - Recording %2").arg(i % 7).arg(i);
        entry->m_dtDate = COleDateTime(44000.0 + (i * 7919 % kRecordings) / 3.0);
        entry->m_dtDuration = COleDateTime::FromSeconds(i % 5000);
        entry->m_dwSize = static_cast<std::uint32_t>(4000 * (i % 5000));
        entry->m_strNotes = i % 3 ? QStringLiteral("Customer called about order %1\r\nCall back").arg(i) : QString();
        entry->m_strOperator = QStringLiteral("Desk %1").arg(i % 7);
        entry->m_bProtected = i % 11 == 0;
        log.Catalogue().AddEntry(std::move(entry));
    }

    QElapsedTimer parts;
    parts.start();
    log.Catalogue().Sort(2, false);
    const double sortMs = parts.nsecsElapsed() / 1e6;
    parts.restart();
    std::vector<CallLogRow> rows;
    for (const auto& entry : log.Catalogue().Entries())
        rows.push_back(log.MakeRow(*entry));
    const double rowsMs = parts.nsecsElapsed() / 1e6;
    rows.clear();

    const long before = ResidentKb();
    QElapsedTimer t;
    t.start();
    log.Refill();
    QApplication::processEvents();
    const double first = t.nsecsElapsed() / 1e6;
    const long after = ResidentKb();

    std::vector<double> rescan, click;
    for (int r = 0; r < kRuns; ++r) {
        log.SelectRow(kRecordings / 2);
        t.restart();
        log.Refill(-1, log.SelectedName());  // what F5 does after the reload
        QApplication::processEvents();
        rescan.push_back(t.nsecsElapsed() / 1e6);

        t.restart();
        log.OnColumnClick(r % 2 ? 1 : 4);  // name, then notes: the costliest keys
        QApplication::processEvents();
        click.push_back(t.nsecsElapsed() / 1e6);
    }

    std::printf("recordings                   %d\n", kRecordings);
    std::printf("first refill                 %.1f ms\n", first);
    std::printf("refill keeping selection     %.1f ms (median of %d)\n", Median(rescan), kRuns);
    std::printf("header click (sort + refill) %.1f ms (median of %d)\n", Median(click), kRuns);
    std::printf("  of which catalogue sort    %.1f ms\n", sortMs);
    std::printf("  of which row texts         %.1f ms\n", rowsMs);
    std::printf("goal                         150 ms\n");
    std::printf("resident memory for the rows %ld KB (%.0f bytes a row)\n", after - before,
                (after - before) * 1024.0 / kRecordings);
    return 0;
}
