#include "options/OptionsChooser.h"

#include <QDir>
#include <QFileDialog>

namespace sonvelle {

namespace {

class CQtOptionsChooser : public IOptionsChooser {
public:
    std::optional<QString> ChooseFolder(QWidget* owner, const QString& title, const QString& startFolder) override
    {
        const QString folder = QFileDialog::getExistingDirectory(owner, title, startFolder,
                                                                 QFileDialog::ShowDirsOnly);
        if (folder.isEmpty())
            return std::nullopt;
        return folder;
    }

    std::optional<QString> ChooseSoundFile(QWidget* owner, const QString& title) override
    {
        QFileDialog dialog(owner, title);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setNameFilters({QStringLiteral("wave Files (*.wav)"), QStringLiteral("mp3 Files (*.mp3)")});
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().constFirst();
    }
};

CQtOptionsChooser g_qtChooser;
IOptionsChooser* g_chooser = nullptr;

}  // namespace

IOptionsChooser& OptionsChooser()
{
    return g_chooser ? *g_chooser : g_qtChooser;
}

void SetOptionsChooser(IOptionsChooser* chooser)
{
    g_chooser = chooser;
}

}  // namespace sonvelle
