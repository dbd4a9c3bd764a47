#include "MessageBoxPrompt.h"

#include <QApplication>
#include <QMessageBox>

namespace sonvelle {

namespace {

QMessageBox::Icon ToIcon(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::Stop: return QMessageBox::Critical;
    case PromptIcon::Exclamation: return QMessageBox::Warning;
    case PromptIcon::Question: return QMessageBox::Question;
    case PromptIcon::Information: return QMessageBox::Information;
    case PromptIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToButtons(PromptButtons buttons)
{
    switch (buttons) {
    case PromptButtons::Ok: return QMessageBox::Ok;
    case PromptButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case PromptButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case PromptButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

}  // namespace

PromptResult CMessageBoxPrompt::Show(const QString& text, const QString& caption, PromptIcon icon,
                                     PromptButtons buttons)
{
    QMessageBox box(ToIcon(icon), caption, text, ToButtons(buttons), QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    switch (box.exec()) {
    case QMessageBox::Yes: return PromptResult::Yes;
    case QMessageBox::No: return PromptResult::No;
    case QMessageBox::Ok: return PromptResult::Ok;
    default: break;
    }
    // Closing the box is the answer that changes nothing.
    return buttons == PromptButtons::Ok ? PromptResult::Ok
           : buttons == PromptButtons::YesNo ? PromptResult::No
                                             : PromptResult::Cancel;
}

}  // namespace sonvelle
