// Wavenor's "Setting" dialog of the measurements: unit, decimals, and the style, colour and
// width of the pen of new measurements, as five sets of check boxes that the dialog keeps
// exclusive. A click takes effect at once in the process-wide settings; Apply stores all of
// them, Cancel leaves the store as it was (the next opening reads it again). Existing
// measurements keep their own pens and labels.
#pragma once

#include "platform/mfc/AfxWin.h"

#include <functional>

// Where Wavenor keeps its settings: reading the stored values into the globals and writing
// the globals back (the program passes LoadWifiSettings and SaveWifiSettings).
struct WifiSettingsStore {
    std::function<void()> load;
    std::function<void()> save;
};

class CWifiPenSettingDlg : public CDialog {
public:
    CWifiPenSettingDlg(WifiSettingsStore store, CWnd* parent = nullptr);

    // Reads the store again, so that choices of an earlier cancelled run are replaced by the
    // stored values, and ticks one box per set; a value that no box stands for ticks the
    // set's last box.
    BOOL OnInitDialog() override;
    // Apply: stores every setting, then closes with IDOK.
    void OnOK() override;
    // The clicks on the boxes, by control id.
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;

private:
    void LoadLangTexts();

    WifiSettingsStore m_store;
};
