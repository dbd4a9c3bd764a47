#include "UnattendedClose.h"

#include "platform/Log.h"
#include "platform/Prompt.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace sonvelle {

namespace {
constexpr int kRetryMs = 200;
}

CUnattendedClose::CUnattendedClose(QWidget* window, QObject* parent) : QObject(parent), m_window(window) {}

void CUnattendedClose::Request(const QString& why)
{
    if (m_requested)
        return;
    m_requested = true;
    WriteLog(QStringLiteral("Chiusura richiesta dal sistema: ") + why);
    SetUnattended();
    QTimer::singleShot(0, this, &CUnattendedClose::CloseWhenFree);
}

void CUnattendedClose::CloseWhenFree()
{
    if (!m_window)
        return;
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != m_window) {
        // A message box waits for an answer nobody will give; a dialog of
        // ours ends on its own, and the close must not run inside it.
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            box->reject();
        QTimer::singleShot(kRetryMs, this, &CUnattendedClose::CloseWhenFree);
        return;
    }
    m_window->close();
}

}  // namespace sonvelle
