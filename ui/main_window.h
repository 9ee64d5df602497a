#pragma once
// The one window of the program: title screen, solute menu, parameter panel,
// temperature and pressure input, and the results panel.

#include <QMainWindow>
#include <QString>

#include <functional>
#include <string>

#include "core/calc_state.h"
#include "core/errors.h"
#include "results/report.h"

class QAction;
class QApplication;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace aqvis {

class TitlePicture;
class ResultPicture;
struct PanelCaptions;

// Style, palette, names and icon shared by the program and its tests.
void Prepare_Application(QApplication& app);

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // A failure of a user action, as shown to the user: `title` is the kind of
    // error ("Type mismatch", "File error", ...), `text` says what went wrong
    // and what to do.  A modal report waits for the user; a passing one (the
    // pressure hint) does not.
    struct FailureReport {
        QString title;
        QString text;
        bool modal = true;
    };
    using FailureReporter = std::function<void(const FailureReport&)>;

    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Replaces the message box (and the passing tooltip) by `reporter`;
    // an empty function restores them.
    void setFailureReporter(FailureReporter reporter);

    const CalcState& state() const { return s_; }
    bool reportOpen() const { return report_.is_open(); }

public slots:
    void cmdContinue_Click();
    void mnuMain_Click();
    void mnuH2_Click();
    void mnuN2_Click();
    void mnuO2_Click();
    void mnuH2S_Click();
    void mnuCO2_Click();
    void mnuAr_Click();
    void mnuNe_Click();
    void mnuNH3_Click();
    void mnuSO2_Click();
    void mnuCH4_Click();
    void mnuC2H4_Click();
    void mnuC2H6_Click();
    void mnuC3H8_Click();
    void mnuC4H10_Click();
    void mnuC6H6_Click();
    void mnuHCl_Click();
    void mnuHF_Click();
    void mnuH3BO3_Click();
    void mnuH3AsO3_Click();
    void cmdAccept_Click();
    void txtPress_GotFocus();
    void txtPress_LostFocus();
    void cmdCalculate_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Build_Controls();
    void Build_Menu();
    void Set_Tab_Order();
    void Choose_Solute(const char* formula);
    void Show_Results(const PanelCaptions& captions);
    void Report_Failure(const FailureReport& report);
    QLabel* Result_Label(const char* name) const;

    // The caption over the pressure box, except while it is the saturation hint.
    static constexpr const char* kPressureCaption = "Pressure, bar";

    CalcState s_{};
    ReportFile report_;
    FailureReporter reporter_;

    // title screen
    QGroupBox* frameTitle = nullptr;
    TitlePicture* imgTitle = nullptr;
    QPushButton* cmdContinue = nullptr;
    // temperature and pressure
    QGroupBox* frmTP = nullptr;
    QLabel* lblTemp = nullptr;
    QLineEdit* txtTemp = nullptr;
    QLabel* lblPress = nullptr;
    QLineEdit* txtPress = nullptr;
    QPushButton* cmdCalculate = nullptr;
    // parameters of the equation of state
    QGroupBox* frmParms = nullptr;
    QLabel* lblXi = nullptr;
    QLineEdit* txtPrmXi = nullptr;
    QLabel* lblA = nullptr;
    QLineEdit* txtPrmA = nullptr;
    QLabel* lblB = nullptr;
    QLineEdit* txtPrmB = nullptr;
    QPushButton* cmdAccept = nullptr;
    // results
    QGroupBox* frmResult = nullptr;
    ResultPicture* imgResult = nullptr;
    QLabel* lbllnfH2O = nullptr;
    QLabel* lbldH2O = nullptr;
    QLabel* lblVH2O = nullptr;
    QLabel* lblCpH2O = nullptr;
    QLabel* lblCompr = nullptr;
    QLabel* lblExpan = nullptr;
    QLabel* lblFormula = nullptr;
    QLabel* lbllnkH = nullptr;
    QLabel* lblK0 = nullptr;
    QLabel* lblV = nullptr;
    QLabel* lblgcal = nullptr;
    QLabel* lblScal = nullptr;
    QLabel* lblCpcal = nullptr;
    QLabel* lblgJ = nullptr;
    QLabel* lblSJ = nullptr;
    QLabel* lblCpJ = nullptr;
    // menu
    QMenu* mnuMain = nullptr;
    QMenu* mnuHydrocarbons = nullptr;
    QAction* mnuH2 = nullptr;
    QAction* mnuN2 = nullptr;
    QAction* mnuO2 = nullptr;
    QAction* mnuH2S = nullptr;
    QAction* mnuCO2 = nullptr;
    QAction* mnuAr = nullptr;
    QAction* mnuNe = nullptr;
    QAction* mnuNH3 = nullptr;
    QAction* mnuSO2 = nullptr;
    QAction* mnuCH4 = nullptr;
    QAction* mnuC2H4 = nullptr;
    QAction* mnuC2H6 = nullptr;
    QAction* mnuC3H8 = nullptr;
    QAction* mnuC4H10 = nullptr;
    QAction* mnuC6H6 = nullptr;
    QAction* mnuHCl = nullptr;
    QAction* mnuHF = nullptr;
    QAction* mnuH3BO3 = nullptr;
    QAction* mnuH3AsO3 = nullptr;
};

}  // namespace aqvis
