#pragma once
// The options sheet opened as the Options command opens it, over settings of
// the test's own, with the message boxes recorded and the choosers answered.

#include "app/SettingsStore.h"
#include "options/CDlgImpostazioniAvanzate.h"
#include "options/CDlgSetImpostazioni.h"
#include "options/COpzionePropertySheet.h"
#include "options/OptionsChooser.h"
#include "options/OptionsPageIds.h"
#include "options/OptionsRegistry.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"

#include "support/TestFolders.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <deque>

namespace sonvelle::test {

class CAnsweringChooser : public IOptionsChooser {
public:
    std::optional<QString> ChooseFolder(QWidget*, const QString&, const QString& start) override
    {
        folderStarts << start;
        return folder;
    }
    std::optional<QString> ChooseSoundFile(QWidget*, const QString&) override
    {
        ++fileCalls;
        auto answer = files.empty() ? std::nullopt : files.front();
        if (!files.empty())
            files.pop_front();
        return answer;
    }
    std::optional<QString> folder;
    QStringList folderStarts;
    std::deque<std::optional<QString>> files;
    int fileCalls = 0;
};

class SheetFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetPrompt(&prompt);
        SetOptionsChooser(&chooser);
        CAppSettings settings;
        CSettingsStore(settings).LoadAtStartup(folders.ProgramDir());  // the key and its defaults
        QDir().mkpath(folders.WorkDir());
        Store(ESetting::WorkDir, folders.WorkDir());
    }
    void TearDown() override
    {
        sheet.reset();
        SetOptionsChooser(nullptr);
        SetPrompt(nullptr);
    }
    void Open(int page = 0)
    {
        sheet.reset();
        general = std::make_unique<CDlgSetImpostazioni>();
        general->SetMixerSwitches(&switches);
        advanced = std::make_unique<CDlgImpostazioniAvanzate>();
        advanced->SetContext(folders.ProgramDir(), nullptr);
        sheet = std::make_unique<COpzionePropertySheet>(*general, *advanced);
        sheet->Begin();
        sheet->ShowPage(page);
    }
    template <class T> T* G(int id) { return qobject_cast<T*>(general->Control(id)); }
    template <class T> T* A(int id) { return qobject_cast<T*>(advanced->Control(id)); }
    static std::optional<QString> Stored(ESetting setting)
    {
        COptionsKey key;
        return key.Open() ? key.Read(setting, 100000) : std::nullopt;
    }
    static void Store(ESetting setting, const QString& text)
    {
        COptionsKey key;
        ASSERT_TRUE(key.Open());
        key.Write(setting, text);
    }
    QStringList Shown() const
    {
        QStringList texts;
        for (const auto& shown : prompt.ShownSoFar())
            texts << shown.text;
        return texts;
    }
    QString MakeFile(const QString& name)
    {
        QFile f(folders.Path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return f.fileName();
    }

    CTestFolders folders;
    CScriptedPrompt prompt;
    CAnsweringChooser chooser;
    std::vector<std::uint32_t> switches;
    std::unique_ptr<CDlgSetImpostazioni> general;
    std::unique_ptr<CDlgImpostazioniAvanzate> advanced;
    std::unique_ptr<COpzionePropertySheet> sheet;  // goes first: it lets go of the pages
};

}  // namespace sonvelle::test
