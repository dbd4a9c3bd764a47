#include "operations/ImportRecordings.h"

#include "platform/FileOps.h"
#include "platform/Log.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/RecordingEntry.h"
#include "store/RecordingList.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include <memory>

namespace sonvelle {

namespace {

const QString kMp3 = QStringLiteral("mp3");

QString Folded(const QString& text)
{
    return text.toCaseFolded();
}

// Recording names compare as the catalogue compares them: case folded, trailing blanks ignored.
QString NameKey(const QString& name)
{
    qsizetype length = name.size();
    while (length > 0 && name[length - 1].isSpace())
        --length;
    return Folded(name.left(length));
}

}  // namespace

QStringList CQtImportFileChooser::ChooseFiles(QWidget* owner, const QString& title, const QString& startFolder)
{
    return QFileDialog::getOpenFileNames(owner, title, startFolder, QStringLiteral("mp3 Files (*.mp3)"));
}

bool CRecordingImport::IsTaken(const QString& name) const
{
    // A file the catalogue does not list is never replaced either.
    return m_takenNames.contains(NameKey(name)) || m_filesInFolder.contains(Folded(name + LoadText(IDS_EXT_MP3)));
}

QString CRecordingImport::FreeName(const QString& baseName) const
{
    QString candidate = baseName;
    for (int n = 1; IsTaken(candidate); ++n)
        candidate = QStringLiteral("%1(%2)").arg(baseName).arg(n);
    return candidate;
}

QString CRecordingImport::CopyIn(const QString& source, const QString& baseName)
{
    const QString folder = m_catalogue.Folder();
    // A name taken between the check and the copy (another program) costs one more try.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QString name = FreeName(baseName);
        const QString target = folder + name + LoadText(IDS_EXT_MP3);
        const FileError copied = CopyFileNoReplace(source, target);
        if (copied == FileError::None) {
            QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            m_filesInFolder << Folded(name + LoadText(IDS_EXT_MP3));
            m_takenNames << NameKey(name);
            return name;
        }
        if (copied != FileError::AccessDenied || !QFileInfo::exists(target))
            break;
        m_filesInFolder << Folded(name + LoadText(IDS_EXT_MP3));
    }
    WriteLog(QStringLiteral("Importazione non riuscita: %1").arg(source));
    return {};
}

ImportOutcome CRecordingImport::Run(const QStringList& chosen)
{
    ImportOutcome outcome;
    const QString folder = m_catalogue.Folder();
    // Read once: asking the catalogue after each added entry would rebuild its name table every time.
    m_filesInFolder.clear();
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
        m_filesInFolder << Folded(name);
    m_takenNames.clear();
    for (const auto& entry : m_catalogue.Entries())
        m_takenNames << NameKey(entry->m_strName);

    for (auto it = chosen.crbegin(); it != chosen.crend(); ++it) {
        const QString fileName = QFileInfo(*it).fileName();
        const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
        if (dot < 0 || fileName.mid(dot + 1).compare(kMp3, Qt::CaseInsensitive) != 0) {
            MessageBox(LoadText(IDS_IMPORT_WRONG_TYPE), PromptIcon::Exclamation);
            continue;
        }
        const QString baseName = fileName.left(dot);
        const QString name = baseName.isEmpty() ? QString() : CopyIn(*it, baseName);
        if (name.isEmpty()) {
            outcome.notCopied << fileName;
        } else {
            auto entry = std::make_unique<CRecordingEntry>();
            m_catalogue.ReadEntryTags(folder + name + LoadText(IDS_EXT_MP3), *entry, folder, false);
            m_catalogue.AddEntry(std::move(entry));
            ++outcome.created;
            outcome.lastCreated = name;
        }
        if (m_afterEachFile)
            m_afterEachFile();
    }
    m_catalogue.SavePending();
    if (!outcome.notCopied.isEmpty())
        MessageBox(FormatText(IDS_IMPORT_NOT_COPIED, outcome.notCopied.join(QLatin1Char('\n'))),
                   PromptIcon::Exclamation);
    return outcome;
}

}  // namespace sonvelle
