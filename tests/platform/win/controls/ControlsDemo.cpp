// The controls test dialog as a program, to look at it on a real display:
//   DISPLAY=:99 build/tests/controls_demo
// It ends with the dialog (OK, Cancel, Esc or the close button).
#include "ControlsDialog.h"
#include "ControlsResource.h"

int main() {
    return static_cast<int>(DialogBoxParam(nullptr, MAKEINTRESOURCE(IDD_CONTROLS), nullptr,
                                           ctltest::ControlsDlgProc, 0));
}
