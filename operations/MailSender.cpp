#include "operations/MailSender.h"

#include "platform/FileOps.h"
#include "platform/Log.h"
#include "platform/PrivateFiles.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/Id3Frame.h"
#include "store/Id3Tag.h"
#include "store/RecordingEntry.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>

namespace sonvelle {

CMailSender::CMailSender(QObject* parent) : QObject(parent) {}

CMailSender::~CMailSender()
{
    // xdg-email may run the user's mail program in the foreground: deleting its
    // QProcess would kill the message being written. It is left to run on.
    for (QProcess* process : m_running) {
        process->disconnect(this);
        process->setParent(nullptr);
    }
}

// One folder per send: the attachment keeps the recording's own name, and a
// second send of the same recording cannot overwrite the first one's file.
QString CMailSender::NewAttachmentFolder()
{
    if (!m_folder) {
        const QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        m_folder = std::make_unique<QTemporaryDir>((base.isEmpty() ? QDir::tempPath() : base) +
                                                   QStringLiteral("/sonvelle-mail-XXXXXX"));
        if (!m_folder->isValid()) {
            m_folder.reset();
            return {};
        }
        QFile::setPermissions(m_folder->path(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    const QString folder = m_folder->filePath(QString::number(++m_sends)) + QLatin1Char('/');
    return MakePrivatePath(folder) ? folder : QString();
}

bool CMailSender::SendRecording(const CRecordingEntry& entry)
{
    const QString folder = NewAttachmentFolder();
    if (folder.isEmpty())
        return false;
    const QString attachment = folder + entry.m_strName + LoadText(IDS_EXT_MP3);
    auto discard = [&] {
        QDir(folder).removeRecursively();
        return false;
    };
    if (CopyFileNoReplace(entry.FilePath(), attachment) != FileError::None)
        return discard();
    QFile::setPermissions(attachment, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    bool withNotes = false;
    {
        CId3Tag tag;
        if (!tag.Open(attachment) || tag.Read() != 1)
            return discard();
        CId3Frame notes;
        tag.GetFrame("COMM", notes);
        if (!notes.GetText().isEmpty()) {
            withNotes = MessageBox(LoadText(IDS_MAIL_ATTACH_NOTES), PromptIcon::Question, PromptButtons::YesNo) ==
                        PromptResult::Yes;
            if (!withNotes) {
                tag.SetTextFrame("COMM", QString());
                if (!tag.Write())
                    return discard();
            }
        }
    }

    const QString subject = FormatText(IDS_MAIL_SUBJECT, entry.m_strName);
    QString body = FormatText(IDS_MAIL_BODY, entry.m_strName, entry.m_dtDate.Format(LoadText(IDS_FORMAT_DATE)),
                              entry.m_dtDate.Format(LoadText(IDS_FORMAT_HOUR_MINUTE)));
    if (withNotes)
        body += FormatText(IDS_MAIL_NOTES, entry.m_strNotes);

    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (program.isEmpty()) {
        WriteLog(QStringLiteral("xdg-email non trovato"));
        return discard();
    }
    auto* process = new QProcess(this);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    m_running.push_back(process);
    auto finish = [this, process](bool ok) {
        m_running.erase(std::remove(m_running.begin(), m_running.end(), process), m_running.end());
        process->deleteLater();
        if (!ok)
            emit failed();
    };
    connect(process, &QProcess::errorOccurred, this, [finish](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish(false);
    });
    connect(process, &QProcess::finished, this, [finish](int exitCode, QProcess::ExitStatus status) {
        if (exitCode != 0 || status != QProcess::NormalExit)
            WriteLog(QStringLiteral("xdg-email terminato con errore %1").arg(exitCode));
        finish(exitCode == 0 && status == QProcess::NormalExit);
    });
    process->start(program, {QStringLiteral("--subject"), subject, QStringLiteral("--body"), body,
                             QStringLiteral("--attach"), attachment});
    m_lastAttachment = attachment;
    return true;
}

}  // namespace sonvelle
