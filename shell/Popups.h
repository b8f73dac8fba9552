// The right-click popups of Tessary's main window, built for one tracking (the caller deletes
// them, or TrackAndDelete does): the preview's (cancel, the four overlays and the snapshot
// format) and the strip's (the file actions on its selected item).
#pragma once

#include "platform/mfc/AfxWin.h"

class CSkinMenu;

CSkinMenu* BuildPreviewPopup();
CSkinMenu* BuildStripPopup();
// Tracks `menu` at screen point `at` with `owner` taking its commands, then deletes it.
void TrackAndDelete(CSkinMenu* menu, POINT at, CWnd* owner);
