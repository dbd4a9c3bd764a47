#pragma once
// Send by e-mail: a copy of a recording goes to the user's e-mail program as
// the attachment of a new message, which the user completes and sends there.
// The mail program is reached with xdg-email; it may read the attachment
// long after the call returns, so every copy stays (owner-only, each send in
// its own folder) until this object ends with the program.

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QProcess;
class QTemporaryDir;

namespace sonvelle {

class CRecordingEntry;

class CMailSender : public QObject {
    Q_OBJECT
public:
    explicit CMailSender(QObject* parent = nullptr);
    ~CMailSender() override;

    // Copies the recording, asks whether its notes go with the mail and
    // starts the mail program. False when any of that failed; a mail program
    // that fails later is reported by `failed`.
    bool SendRecording(const CRecordingEntry& entry);

    // The attachment of the last send; empty before any.
    const QString& LastAttachment() const { return m_lastAttachment; }

signals:
    // The mail program ended with an error, or could not be started.
    void failed();

private:
    QString NewAttachmentFolder();

    std::unique_ptr<QTemporaryDir> m_folder;
    int m_sends = 0;
    QString m_lastAttachment;
    std::vector<QProcess*> m_running;
};

}  // namespace sonvelle
