#pragma once
// The two key word dialogs: 105 gives a recording (or several) a new key word,
// typed twice; 106 asks for the key word of a protected recording. Both are
// modal and run through RunKeyWordDialog, where tests put a stand-in for the
// person who types.

#include <QDialog>
#include <QString>

#include <functional>

class QLineEdit;
class QPushButton;

namespace sonvelle {

class CColorStatic;
class CRecordingEntry;

class CProtectDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 105;
    static constexpr int kKeyWordField = 1067;
    static constexpr int kRepeatField = 1064;
    static constexpr int kOkButton = 1066;
    static constexpr int kMinimumLength = 6;

    // entry may be null when several recordings get the key word; it stays the caller's.
    explicit CProtectDlg(CRecordingEntry* entry, QWidget* parent = nullptr);

    QString KeyWord() const { return m_result; }
    QLineEdit* KeyWordField() const { return m_keyWord; }
    QLineEdit* RepeatField() const { return m_repeat; }
    QPushButton* OkButton() const { return m_ok; }

private:
    void OnFieldsChanged();
    void OnOk();

    CRecordingEntry* m_entry;
    QString m_result;
    QLineEdit* m_keyWord = nullptr;
    QLineEdit* m_repeat = nullptr;
    QPushButton* m_ok = nullptr;
};

class CKeyWordDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 106;
    static constexpr int kKeyWordField = 1067;
    static constexpr int kOkButton = 1066;

    // OK gives the entry the typed key word; the entry stays the caller's.
    explicit CKeyWordDlg(CRecordingEntry& entry, QWidget* parent = nullptr);

    QLineEdit* KeyWordField() const { return m_keyWord; }
    QPushButton* OkButton() const { return m_ok; }

private:
    void OnOk();

    CRecordingEntry& m_entry;
    QLineEdit* m_keyWord = nullptr;
    QPushButton* m_ok = nullptr;
};

// Runs a key word dialog modally; QDialog::Accepted or Rejected.
int RunKeyWordDialog(QDialog& dialog);
// Null restores exec(). The stand-in fills the dialog's fields and presses its buttons.
void SetKeyWordDialogRunner(std::function<int(QDialog&)> runner);

}  // namespace sonvelle
