#include "platform/win/gdi/Printing.h"

// No printer DC exists yet: every job is refused.
int StartDoc(HDC, const DOCINFO*) { return SP_ERROR; }
int StartPage(HDC) { return SP_ERROR; }
int EndPage(HDC) { return SP_ERROR; }
int EndDoc(HDC) { return SP_ERROR; }
int AbortDoc(HDC) { return SP_ERROR; }
