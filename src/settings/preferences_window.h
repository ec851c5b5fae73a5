#pragma once

#include "settings/proxy_info.h"
#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class Desktop;
class OuterCentring;
class StartupChoices;

// The "General Preferences" window: automatic update, start-up location, automatic wallpaper,
// proxy and units. Every show reloads the fields from the store; "&Okay" writes them all and
// hands the proxy to the client. Created hidden at start-up; not modal.
class TfrmPref : public QWidget {
    Q_OBJECT
public:
    // client: the HTTP client's proxy properties that "&Okay" sets; startup_choices: the list
    // cboStartupLoc shows, which the preset rebuild sorts too.
    TfrmPref(Desktop& desktop, const ProxyProperties& client, StartupChoices& startup_choices,
             QWidget* parent);

    void btnOkayClick();
    void btnCancelClick();
    void btnHelpClick();
    void CheckBox1Click();
    void load_startup_choices();
    void load_cboAWoptions();

    QGroupBox* GroupBox2;
    QLabel* Label6;
    QRadioButton* radioYesupstat;
    QRadioButton* radioNoupstat;
    QLabel* lblstartuploc;
    QLabel* Label1;
    QComboBox* cboStartupLoc;
    QLabel* Label3;
    QLabel* Label4;
    QComboBox* cboAutoWallpaper;
    QGroupBox* GroupBox1;
    QCheckBox* CheckBox1;
    QLabel *lblProxy, *lblProxyPort, *lblProxyUserid, *lblProxyPass;
    QLineEdit *EditProxy, *EditProxyPort, *txtProxyUserid, *txtProxyPass;
    QGroupBox* GroupBox3;
    QLabel* lblMetric;
    QRadioButton* radioEnglish;
    QRadioButton* radioMetric;
    QCheckBox* chkWarnWatch; // "WarnWatch"
    QPushButton* btnOkay;
    QPushButton* btnCancel;
    QPushButton* btnHelp;

Q_SIGNALS:
    // "&Okay" has written the settings.
    void written();

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    void FormCreate();
    void create_unit_boxes();
    void create_proxy_box();
    void create_startup_choices();
    void create_buttons();
    void FormShow();
    // Enables or disables the four proxy fields: silver while disabled, the system's window
    // colour while enabled.
    void enable_proxy_fields(bool enabled);

    Desktop& desktop_;
    ProxyProperties client_;
    StartupChoices& startup_choices_;
    OuterCentring* centring_;
};
