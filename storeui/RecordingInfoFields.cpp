#include "storeui/RecordingInfoFields.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextCursor>

namespace sonvelle {

CRecordingInfoFields::CRecordingInfoFields(QLineEdit* name, QPlainTextEdit* notes, QAbstractButton* save,
                                           RowRewriter rewriteRow, PlaybackStopper stopPlayback)
    : m_name(name), m_notes(notes), m_save(save), m_rewriteRow(std::move(rewriteRow)),
      m_stopPlayback(std::move(stopPlayback))
{
}

QString CRecordingInfoFields::FieldText(InfoField field) const
{
    if (field == InfoField::Name)
        return m_name ? m_name->text() : QString();
    return m_notes ? m_notes->toPlainText() : QString();
}

void CRecordingInfoFields::SetFieldText(InfoField field, const QString& text)
{
    if (field == InfoField::Name) {
        if (m_name)
            m_name->setText(text);
    } else if (m_notes) {
        // A text set by the program is no edit: the change handler need not run.
        const QSignalBlocker quiet(m_notes);
        m_notes->setPlainText(text);
    }
    SetFieldModified(field, false);
}

bool CRecordingInfoFields::IsFieldModified(InfoField field) const
{
    if (field == InfoField::Name)
        return m_name && m_name->isModified();
    return m_notes && m_notes->document()->isModified();
}

void CRecordingInfoFields::SetFieldModified(InfoField field, bool modified)
{
    if (field == InfoField::Name) {
        if (m_name)
            m_name->setModified(modified);
    } else if (m_notes) {
        m_notes->document()->setModified(modified);
    }
}

void CRecordingInfoFields::MoveCaretToEnd(InfoField field)
{
    if (field == InfoField::Name) {
        if (m_name)
            m_name->end(false);
    } else if (m_notes) {
        m_notes->moveCursor(QTextCursor::End);
    }
}

void CRecordingInfoFields::FocusField(InfoField field)
{
    QWidget* widget = field == InfoField::Name ? static_cast<QWidget*>(m_name) : static_cast<QWidget*>(m_notes);
    if (widget)
        widget->setFocus();
}

void CRecordingInfoFields::EnableSaveButton(bool enable)
{
    if (m_save)
        m_save->setEnabled(enable);
}

void CRecordingInfoFields::RewriteRow(const QString& oldName, const CRecordingEntry& entry)
{
    if (m_rewriteRow)
        m_rewriteRow(oldName, entry);
}

void CRecordingInfoFields::StopPlaybackOf(const CRecordingEntry& entry)
{
    if (m_stopPlayback)
        m_stopPlayback(entry);
}

}  // namespace sonvelle
