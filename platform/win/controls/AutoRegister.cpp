// Compiled into every target that links platform_controls (an interface source), so that the
// control classes are registered before main() even when the program names them only in its
// dialog templates.
#include "platform/win/controls/CommCtrl.h"

namespace {
const bool g_controlsRegistered = [] {
    ms::RegisterCommonControls();
    return true;
}();
} // namespace
