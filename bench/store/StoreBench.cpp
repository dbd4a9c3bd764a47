// Catalogue load, sort and tag rewrite times on a work folder made here.
// Prints figures and ratios; asserts nothing.
#include "platform/ProgramFolder.h"
#include "platform/Registry.h"
#include "store/FolderListing.h"
#include "store/RecordingList.h"
#include "support/TagBytes.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

using namespace sonvelle;
using namespace sonvelle::test;

namespace {

constexpr int kRecordings = 10000;

double MedianMs(int runs, const std::function<void()>& run, const std::function<void()>& before = {})
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (before)
            before();
        QElapsedTimer t;
        t.start();
        run();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void SetIndexDisabled(bool disabled)
{
    CRegKey key;
    key.Create(Hive::CurrentUser, "Software\\Orsolan\\Sonvelle");
    key.WriteText("DisableIndex", disabled ? "1" : "0");
}

}  // namespace

int main()
{
    QTemporaryDir home;
    QTemporaryDir work;
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    SetProgramFolderForTesting(home.path() + "/");
    const QString folder = work.path() + "/";

    std::printf("Making %d recordings in %s\n", kRecordings, qPrintable(folder));
    const QByteArray audio = FakeAudio(2000);
    for (int i = 0; i < kRecordings; ++i) {
        const QString name = QString("Call %1").arg(i);
        const QByteArray notes = i % 3 ? QByteArray("notes of the call ") + QByteArray::number(i) : QByteArray();
        WriteBytes(folder + name + ".mp3",
                   TagBytes(FullFrames(name.toUtf8(), notes, i % 5 ? QByteArray() : QByteArray("Desk 2"), i % 7 == 0)) +
                       audio);
    }

    const double floorMs = MedianMs(5, [&] {
        qint64 total = 0;
        for (const ListedFile& file : ListRecordingFiles(folder))
            total += file.size;
        if (total == 0)
            std::abort();
    });

    CRecordingList list;
    SetIndexDisabled(true);
    const double tagsMs = MedianMs(3, [&] { list.Load(folder); }, [&] { list.Clear(); });
    if (list.GetCount() != kRecordings)
        std::printf("unexpected count %d\n", list.GetCount());

    SetIndexDisabled(false);
    list.Clear();
    QElapsedTimer cold;
    cold.start();
    list.Load(folder);
    const double coldMs = double(cold.nsecsElapsed()) / 1e6;
    const double indexMs = MedianMs(5, [&] { list.Load(folder); }, [&] { list.Clear(); });
    if (list.GetCount() != kRecordings || !list.IsIndexOpen())
        std::printf("unexpected count %d or no index\n", list.GetCount());

    std::printf("\nLoad of %d recordings (median)\n", kRecordings);
    std::printf("  floor (list and size the files): %8.1f ms\n", floorMs);
    std::printf("  warm index:                      %8.1f ms  (%.2fx the floor; goal <= 3x)\n", indexMs,
                indexMs / floorMs);
    std::printf("  no index (every tag read):       %8.1f ms  (%.1fx the index path; goal >= 10x)\n", tagsMs,
                tagsMs / indexMs);
    std::printf("  first load, building the index:  %8.1f ms\n", coldMs);

    std::printf("\nSort of %d entries (median of 5; goal < 50 ms each)\n", kRecordings);
    for (int column = 0; column <= 8; ++column) {
        bool ascending = false;
        const double ms = MedianMs(5, [&] {
            ascending = !ascending;
            list.Sort(column, ascending);
        });
        std::printf("  column %d: %6.2f ms\n", column, ms);
    }
    list.Clear();

    // A 60-minute recording at 32 kbit/s.
    const QString big = folder + "Long call.mp3";
    const qsizetype audioBytes = 60 * 60 * 32000 / 8;
    QByteArray longAudio(audioBytes, '\0');
    for (qsizetype i = 0; i < longAudio.size(); ++i)
        longAudio[i] = char((i * 131) >> 3);
    WriteBytes(big, TagBytes(FullFrames("Long call")) + longAudio);
    longAudio.clear();
    const QString copyCommand = QString("cp '%1' '%2'").arg(big, folder + "copy.bin");
    CRecordingEntry entry;
    entry.m_strName = "Long call";
    entry.m_strFolder = folder;
    double cpMs = 0;
    double rewriteMs = 0;
    for (int round = 0; round < 3; ++round) {
        cpMs += MedianMs(1, [&] {
            if (std::system(copyCommand.toUtf8().constData()) != 0)
                std::abort();
        });
        rewriteMs += MedianMs(1, [&] {
            entry.m_strNotes = QString("round %1").arg(round);
            if (!CRecordingList::WriteEntryTags(entry))
                std::abort();
        });
    }
    std::printf("\nTag rewrite of a 60-minute recording (%.1f MB, mean of 3, flushed to disk)\n",
                double(QFileInfo(big).size()) / 1e6);
    std::printf("  cp:          %7.1f ms\n", cpMs / 3);
    std::printf("  tag rewrite: %7.1f ms  (%.2fx cp; goal <= 1.5x)\n", rewriteMs / 3, rewriteMs / cpMs);
    SetProgramFolderForTesting({});
    return 0;
}
