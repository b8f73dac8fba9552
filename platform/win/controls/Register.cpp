// Registration of the control classes and the common-control initialisation calls.
#include "controls/ControlsInternal.h"

#include <mutex>

namespace ms {

void RegisterCommonControls() {
    static std::once_flag once;
    std::call_once(once, [] {
        ctl::RegisterNativeControls();
        ctl::RegisterCustomControls();
        ctl::RegisterToolTips();
    });
}

} // namespace ms

void InitCommonControls() {
    ms::RegisterCommonControls();
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* icc) {
    if (!icc || icc->dwSize != sizeof(INITCOMMONCONTROLSEX))
        return FALSE;
    ms::RegisterCommonControls();
    return TRUE;
}
