// Protecting and unprotecting a 60-minute recording (32 kbit/s, about 14 MB)
// against copying the same file with cp. Prints figures; asserts nothing.
#include "store/RecordingEntry.h"
#include "store/RecordingProtection.h"
#include "support/TagBytes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace sonvelle;

namespace {

double MedianMs(int runs, const std::function<bool()>& run)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        if (!run()) {
            std::fprintf(stderr, "run failed\n");
            return -1;
        }
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    QTemporaryDir dir(base.isEmpty() ? QDir::tempPath() + "/protect-bench-XXXXXX" : base + "/protect-bench-XXXXXX");
    const QString folder = dir.path() + "/";
    const qsizetype audioBytes = 32000 / 8 * 3600;
    QByteArray audio(audioBytes, Qt::Uninitialized);
    QRandomGenerator random(7);
    for (qsizetype i = 0; i < audio.size(); ++i)
        audio[i] = char(random.generate());
    const QByteArray tag = test::TagBytes(test::FullFrames("Long call", "notes", "Desk"));
    if (!test::WriteBytes(folder + "Long call.mp3", tag + audio))
        return 1;

    CRecordingEntry entry;
    entry.m_strFolder = folder;
    entry.m_strName = "Long call";
    entry.m_dwTagSize = std::uint32_t(tag.size());
    entry.m_strKeyWord = "secret key";
    const int runs = 5;

    const double cp = MedianMs(runs, [&] {
        QFile::remove(folder + "copy.mp3");
        return QProcess::execute("cp", {folder + "Long call.mp3", folder + "copy.mp3"}) == 0;
    });
    const double cpSync = MedianMs(runs, [&] {
        QFile::remove(folder + "copy.mp3");
        return QProcess::execute("sh", {"-c", "cp \"$0\" \"$1\" && sync \"$1\"", folder + "Long call.mp3", folder + "copy.mp3"}) == 0;
    });
    std::vector<double> protect, unprotect, workingCopy;
    for (int i = 0; i < runs; ++i) {
        protect.push_back(MedianMs(1, [&] { return Protect(entry); }));
        workingCopy.push_back(MedianMs(1, [&] { return Unprotect(entry, true); }));
        QFile::remove(WorkingCopyPath(entry));
        unprotect.push_back(MedianMs(1, [&] { return Unprotect(entry, false); }));
        // Back to the tagged clear file for the next round.
        test::WriteBytes(folder + "Long call.mp3", tag + audio);
        entry.m_dwTagSize = std::uint32_t(tag.size());
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("file: %.1f MB (60 minutes at 32 kbit/s)\n", double(tag.size() + audio.size()) / 1e6);
    std::printf("cp:                 %8.1f ms\n", cp);
    std::printf("cp + sync:          %8.1f ms\n", cpSync);
    std::printf("Protect:            %8.1f ms  (%.2fx cp, %.2fx cp + sync)\n", median(protect), median(protect) / cp,
                median(protect) / cpSync);
    std::printf("Unprotect (file):   %8.1f ms  (%.2fx cp, %.2fx cp + sync)\n", median(unprotect), median(unprotect) / cp,
                median(unprotect) / cpSync);
    std::printf("Unprotect (copy):   %8.1f ms  (%.2fx cp)\n", median(workingCopy), median(workingCopy) / cp);
    return 0;
}
