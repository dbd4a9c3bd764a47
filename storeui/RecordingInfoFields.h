#pragma once
// The main window's name edit, notes edit and save button as the recording
// information editor sees them. The list rows and the playback stay the
// window's: it passes them in as two callbacks.

#include "store/RecordingInfoView.h"

#include <QPointer>

#include <functional>

class QAbstractButton;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace sonvelle {

class CRecordingInfoFields : public IRecordingInfoView {
public:
    using RowRewriter = std::function<void(const QString& oldName, const CRecordingEntry& entry)>;
    using PlaybackStopper = std::function<void(const CRecordingEntry& entry)>;

    CRecordingInfoFields(QLineEdit* name, QPlainTextEdit* notes, QAbstractButton* save, RowRewriter rewriteRow,
                         PlaybackStopper stopPlayback);

    QString FieldText(InfoField field) const override;
    void SetFieldText(InfoField field, const QString& text) override;
    bool IsFieldModified(InfoField field) const override;
    void SetFieldModified(InfoField field, bool modified) override;
    void MoveCaretToEnd(InfoField field) override;
    void FocusField(InfoField field) override;
    void EnableSaveButton(bool enable) override;
    void RewriteRow(const QString& oldName, const CRecordingEntry& entry) override;
    void StopPlaybackOf(const CRecordingEntry& entry) override;

private:
    QPointer<QLineEdit> m_name;
    QPointer<QPlainTextEdit> m_notes;
    QPointer<QAbstractButton> m_save;
    RowRewriter m_rewriteRow;
    PlaybackStopper m_stopPlayback;
};

}  // namespace sonvelle
