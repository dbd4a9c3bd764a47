#pragma once
// The options sheet: the General and Advanced pages, OK and Cancel. A page
// reads the settings when it is first shown; OK confirms every page shown so
// far, in page order, and a page that refuses keeps the sheet open on itself.

#include <QDialog>

class QTabWidget;

namespace sonvelle {

class CDlgImpostazioniAvanzate;
class CDlgSetImpostazioni;

class COpzionePropertySheet : public QDialog {
    Q_OBJECT
public:
    COpzionePropertySheet(CDlgSetImpostazioni& general, CDlgImpostazioniAvanzate& advanced, QWidget* parent = nullptr);
    ~COpzionePropertySheet() override;

    // Shows the first page, initialised, then runs modally.
    int exec() override;
    // The first page initialised and shown, without a modal loop (tools and tests).
    void Begin();

    // Switches to a page, initialising it the first time.
    void ShowPage(int index);
    int CurrentPage() const;
    bool WasShown(int index) const { return m_shown[index]; }

    // The buttons: OK closes only when every shown page accepted.
    bool PressOK();
    void PressCancel();

protected:
    void accept() override;
    void reject() override;

private:
    CDlgSetImpostazioni& m_general;
    CDlgImpostazioniAvanzate& m_advanced;
    QTabWidget* m_tabs = nullptr;
    bool m_shown[2] = {false, false};
};

}  // namespace sonvelle
