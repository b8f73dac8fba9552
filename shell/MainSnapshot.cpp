#include "shell/MicroscopeDlg.h"

// Nothing is composed yet: the compositor lands with the snapshot road.
int CMicroscopeDlg::SaveSnapshot(double, BYTE*, DWORD, int) { return 0; }
