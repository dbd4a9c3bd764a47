#pragma once
// A work folder of real recordings (MP3 audio made by the lame tool, tags
// written by the store), and the real main window over one, its message boxes recorded.

#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "platform/Prompt.h"
#include "store/OleDateTime.h"
#include "store/RecordingEntry.h"
#include "store/RecordingList.h"
#include "support/SoundFiles.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>

namespace sonvelle::testing {

struct DemoRecording {
    DemoRecording(QString n, COleDateTime d, double s, QString no = {}, bool prot = false)
        : name(std::move(n)), date(d), seconds(s), notes(std::move(no)), isProtected(prot)
    {
    }
    QString name;
    COleDateTime date;
    double seconds = 60.0;
    QString notes;
    bool isProtected = false;
};

// One second of a 440 Hz tone as the recorder encodes it, made once per run.
inline const QByteArray& ToneMp3()
{
    static const QByteArray mp3 = [] {
        QTemporaryDir dir;
        QFile f(test::MakeToneMp3(dir.path(), QStringLiteral("tone"), 1.0));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    return mp3;
}

class WorkFolder {
public:
    WorkFolder() { EXPECT_TRUE(m_dir.isValid()); }
    QString Path() const { return m_dir.path() + QLatin1Char('/'); }
    // The audio first, then the store puts the tag in front of it.
    void Add(const DemoRecording& r)
    {
        CRecordingEntry entry;
        entry.m_strFolder = Path();
        entry.m_strName = r.name;
        entry.m_dtDate = r.date;
        entry.m_dtDuration = COleDateTime::FromSeconds(r.seconds);
        entry.m_strNotes = r.notes;
        entry.m_bProtected = r.isProtected;
        QFile file(entry.FilePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(ToneMp3()) == ToneMp3().size()) << r.name.toStdString();
        file.close();
        ASSERT_TRUE(CRecordingList::WriteEntryTags(entry)) << r.name.toStdString();
    }

private:
    QTemporaryDir m_dir;
};

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override { SetPrompt(&prompt); }
    void TearDown() override
    {
        dlg.reset();
        SetPrompt(nullptr);
    }
    // `adjust` sees the settings before the window reads them.
    void OpenWindow(const std::function<void(CAppSettings&)>& adjust = {})
    {
        dlg = std::make_unique<CMainDlg>();
        dlg->AppSettings().WorkDir = folder.Path();
        if (adjust)
            adjust(dlg->AppSettings());
        dlg->InitialiseWindowOnly();
    }
    // What the message boxes showed so far; `clear` starts afresh.
    QStringList Shown(bool clear = false)
    {
        QStringList texts;
        for (const auto& shown : prompt.ShownSoFar())
            texts << shown.text;
        if (clear)
            prompt.Clear();
        return texts;
    }
    QStringList Names() const
    {
        QStringList names;
        for (int row = 0; row < dlg->CallLog().Model().Count(); ++row)
            names << dlg->CallLog().Model().Row(row).text[COL_NAME];
        return names;
    }
    CRecordingEntry* Entry(const QString& name) const { return dlg->CallLog().Catalogue().FindByName(name); }

    WorkFolder folder;
    CScriptedPrompt prompt;
    std::unique_ptr<CMainDlg> dlg;
};

}  // namespace sonvelle::testing
