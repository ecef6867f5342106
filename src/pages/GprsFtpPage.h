// Page "SRateSBar": the data logger's connection parameters (GPRS access, FTP
// upload, HTTP host and error limit) and its file parameters. One "Read "
// switch turns the nine parameter buttons from writing into reading; in
// direct mode the module's "key: value" replies fill the edits back (the
// reply parser's rows for this page).
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QScrollBar>

#include "pages/Page.h"

namespace kt::app {

class GprsFtpPage : public Page {
    Q_OBJECT
  public:
    explicit GprsFtpPage(PageHost& host);

    // The parameter button of row 0..8 of the parameter table (APNbtnClick ..
    // HTTPhostBtnClick): the row's read command, or its write command with
    // the edit's value.
    void ParameterClick(int row);
    void ReadGPRS1Click();
    // The HTTP error limit: the bar's position shown, and written as "ESKTD".
    void MaxErrorSB();
    void MaxErrorClick();
    // Each file-parameter bar shows its own position; the window mirrors the
    // bars to their twins on "IO control".
    void eSRateSBChange();
    void eDLoggerTmSBChange();

    void AddSettings(SettingsTable& table) override;

    QCheckBox* ReadGPRS1 = nullptr;
    QScrollBar* MaxErrorScrollBar = nullptr;
    QLineEdit* MaxError = nullptr;
    QScrollBar* eSRateSB = nullptr;
    QLineEdit* eSRate = nullptr;
    QScrollBar* eDLoggerTmSB = nullptr;
    QLineEdit* eDLoggerTm = nullptr;

  private:
    void BuildParameters();
    void BuildFiles();
};

}  // namespace kt::app
