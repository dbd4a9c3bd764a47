#pragma once
// Import: MP3 files from elsewhere copied into the work folder and added to
// the catalogue as recordings, each under a name no recording or file there
// has yet (letter case ignored).

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace sonvelle {

class CRecordingList;

// The person choosing the files; tests stand in for them.
class IImportFileChooser {
public:
    virtual ~IImportFileChooser() = default;
    // The chosen files in the dialog's order; empty when cancelled. An empty
    // start folder leaves the choice of folder to the platform.
    virtual QStringList ChooseFiles(QWidget* owner, const QString& title, const QString& startFolder) = 0;
};

// Qt's file dialog: several existing MP3 files.
class CQtImportFileChooser : public IImportFileChooser {
public:
    QStringList ChooseFiles(QWidget* owner, const QString& title, const QString& startFolder) override;
};

struct ImportOutcome {
    int created = 0;
    QString lastCreated;      // the name to select afterwards; empty when nothing was created
    QStringList notCopied;    // file names that could not be copied (already told to the user)
};

class CRecordingImport {
public:
    explicit CRecordingImport(CRecordingList& catalogue) : m_catalogue(catalogue) {}

    // Called after each file, so that the window can show it is alive.
    void SetAfterEachFile(std::function<void()> afterEachFile) { m_afterEachFile = std::move(afterEachFile); }

    // Imports the chosen files, last chosen first: a file that is not an MP3
    // is refused with a message of its own, the files that could not be
    // copied are named in one message at the end. Saves the catalogue.
    ImportOutcome Run(const QStringList& chosen);

    // "Call", "Call(1)", "Call(2)" ... : the first name free in the catalogue
    // and in the folder, letter case ignored.
    QString FreeName(const QString& baseName) const;

private:
    bool IsTaken(const QString& name) const;
    // Copies to a free name; empty when the copy failed.
    QString CopyIn(const QString& source, const QString& baseName);

    CRecordingList& m_catalogue;
    std::function<void()> m_afterEachFile;
    // Case-folded names of the folder's files and of the catalogue's recordings.
    QSet<QString> m_filesInFolder;
    QSet<QString> m_takenNames;
};

}  // namespace sonvelle
