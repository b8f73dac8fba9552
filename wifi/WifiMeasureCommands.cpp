// The main window's commands that open Wavenor's measurement dialogs.
#include "wifi/WifiMicroscopeDlg.h"
#include "wifi/WifiSettings.h"

#include "wifi_measure/WifiPenSettingDlg.h"

void CWifiMicroscopeDlg::OnMeasureSetting() {
    CWifiPenSettingDlg dlg({LoadWifiSettings, SaveWifiSettings}, this);
    dlg.DoModal();
}
