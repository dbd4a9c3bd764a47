#pragma once
// A work folder of real recordings: MP3 audio made by the lame tool, tags
// written by the store, as the program finds them on disk.

#include "store/OleDateTime.h"
#include "store/RecordingEntry.h"
#include "store/RecordingList.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace sonvelle::testing {

struct DemoRecording {
    DemoRecording(QString n, COleDateTime d, double s, QString no = {}, QString op = {}, bool prot = false)
        : name(std::move(n)), date(d), seconds(s), notes(std::move(no)), operatorName(std::move(op)),
          isProtected(prot)
    {
    }
    QString name;
    COleDateTime date;
    double seconds = 60.0;  // negative: leave the duration to be measured
    QString notes;
    QString operatorName;
    bool isProtected = false;
};

// A 440 Hz tone of the given length, 32 kHz mono, encoded by lame as the recorder encodes.
inline QByteArray EncodeToneMp3(double seconds)
{
    QTemporaryDir dir;
    const QString raw = dir.filePath(QStringLiteral("tone.raw"));
    const QString mp3Path = dir.filePath(QStringLiteral("tone.mp3"));
    QByteArray pcm;
    for (int i = 0; i < static_cast<int>(32000 * seconds); ++i) {
        const auto s = static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * 440.0 * i / 32000.0));
        pcm.append(char(s & 0xff)).append(char((s >> 8) & 0xff));
    }
    QFile f(raw);
    if (!f.open(QIODevice::WriteOnly) || f.write(pcm) != pcm.size())
        return QByteArray();
    f.close();
    QProcess lame;
    lame.start(QStringLiteral("lame"), {"--quiet", "-r", "-s", "32", "--bitwidth", "16", "--signed",
                                        "--little-endian", "-m", "m", "-b", "32", raw, mp3Path});
    if (!lame.waitForFinished(30000) || lame.exitCode() != 0)
        return QByteArray();
    QFile out(mp3Path);
    return out.open(QIODevice::ReadOnly) ? out.readAll() : QByteArray();
}

// One second of the tone, encoded once per run.
inline const QByteArray& ToneMp3()
{
    static const QByteArray mp3 = EncodeToneMp3(1.0);
    return mp3;
}

// Writes the recording's audio and lets the store put the tag in front of it.
inline bool WriteRecording(const QString& folder, const DemoRecording& r)
{
    CRecordingEntry entry;
    entry.m_strFolder = folder;
    entry.m_strName = r.name;
    entry.m_dtDate = r.date;
    entry.m_dtDuration = r.seconds < 0 ? COleDateTime(-1.0) : COleDateTime::FromSeconds(r.seconds);
    entry.m_strNotes = r.notes;
    entry.m_strOperator = r.operatorName;
    entry.m_bProtected = r.isProtected;
    QFile file(entry.FilePath());
    if (!file.open(QIODevice::WriteOnly) || file.write(ToneMp3()) != ToneMp3().size())
        return false;
    file.close();
    return CRecordingList::WriteEntryTags(entry);
}

class WorkFolder {
public:
    WorkFolder() { EXPECT_TRUE(m_dir.isValid()); }
    QString Path() const { return m_dir.path() + QLatin1Char('/'); }
    void Add(const DemoRecording& r) { ASSERT_TRUE(WriteRecording(Path(), r)) << r.name.toStdString(); }

private:
    QTemporaryDir m_dir;
};

}  // namespace sonvelle::testing
