#pragma once
// Dialog 288: the small window that shows the catalogue writing changed tags.

#include "store/RecordingList.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;

namespace sonvelle {

class CSaveProgressDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 288;
    static constexpr int kSavingText = 1161;

    // Modeless over parent; its top-left corner goes to the screen point of
    // half the parent's client width and height.
    explicit CSaveProgressDlg(QWidget* parent);

    void SetRange(int range);
    void StepIt();
    QProgressBar* Bar() const { return m_bar; }
    QLabel* SavingLabel() const { return m_label; }

private:
    QLabel* m_label = nullptr;
    QProgressBar* m_bar = nullptr;
};

// What the catalogue's SavePending drives: the window exists from Begin to End.
class CSaveProgress : public ISaveProgress {
public:
    explicit CSaveProgress(QWidget* mainWindow) : m_mainWindow(mainWindow) {}
    ~CSaveProgress() override;

    void Begin(int range) override;
    void Step() override;
    void End() override;

    CSaveProgressDlg* Window() const { return m_window; }

private:
    QPointer<QWidget> m_mainWindow;
    QPointer<CSaveProgressDlg> m_window;
};

}  // namespace sonvelle
