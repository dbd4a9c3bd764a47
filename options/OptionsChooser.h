#pragma once
// The two choosers of the options sheet: a folder, starting from a given one,
// and an existing sound file. The program shows Qt's dialogs; tests install a
// double that answers as the person would.

#include <QString>

#include <optional>

class QWidget;

namespace sonvelle {

class IOptionsChooser {
public:
    virtual ~IOptionsChooser() = default;
    // Nothing when the person cancels.
    virtual std::optional<QString> ChooseFolder(QWidget* owner, const QString& title, const QString& startFolder) = 0;
    virtual std::optional<QString> ChooseSoundFile(QWidget* owner, const QString& title) = 0;
};

// The process-wide chooser; the caller keeps ownership, null restores Qt's dialogs.
IOptionsChooser& OptionsChooser();
void SetOptionsChooser(IOptionsChooser* chooser);

}  // namespace sonvelle
