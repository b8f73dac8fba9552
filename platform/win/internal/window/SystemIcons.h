// The system icons (LoadIcon with no instance) and the message-box icons, drawn by us: the
// desktop of a bare Linux system has no full-colour dialog icons, and Qt's fallbacks look
// foreign next to the programs' own artwork.
#pragma once
#ifndef MS_PLATFORM_INTERNAL
#error "internal to the platform layer; tests use platform/win/window/TestSeams.h"
#endif

#include "platform/win/window/WinUser.h"

#include <QImage>

class QMessageBox;

namespace ms {

// The picture of a system icon (IDI_APPLICATION, IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION,
// IDI_ASTERISK, as a number) at `size` x `size` pixels, ARGB32 with alpha; null image for
// an unknown id.
QImage SystemIconImage(ULONG_PTR id, int size);

// The shared 32 x 32 (or 16 x 16) icon handle of a system icon; nullptr for an unknown id.
// Never destroy it.
HICON SystemIcon(ULONG_PTR id, int size = 32);

// Gives a message box the icon its MB_ICON flags ask for (none for none).
void SetMessageBoxIcon(QMessageBox& box, UINT type);

} // namespace ms
