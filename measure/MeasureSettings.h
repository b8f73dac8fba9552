// Pen, label and unit settings of new measurements, and their persistence.
//
// The numbers and the unit live in the current user's registry, HKEY_CURRENT_USER
// "SOFTWARE\varazizuziVe\font" and "...\Units"; the two fonts as private-profile structures
// (hex bytes and a checksum) in "logfont.ini" and "Measurefont.ini" in the program folder.
// The readers and writers only open existing keys (the first-run defaults create them). A
// failed read leaves the global as it was and a failed write is silent: the operator's work
// never stops over a setting.
#pragma once

#include "measure/Units.h"
#include "platform/win/WinTypes.h"

// g_unitName, g_decimalPlaces and g_fontSize are declared in Units.h.
extern COLORREF g_lineColor;        // line colour of new measurements
extern int g_lineWidth;             // pen width in pixels
extern int g_lineType;              // pen style
extern COLORREF g_measureTextColor; // colour of measurement labels
extern COLORREF g_textColor;        // colour of text annotations
extern LOGFONTW g_measureFont;      // font of measurement labels
extern LOGFONTW g_textFont;         // font of text annotations

// Not stored: they last while the program runs.
// Half size in pixels of the square the automatic circle, arc and line tools search for an
// edge around a click; 20 at start, changed only by the pen and unit setting dialog.
extern int g_detectRange;
// The real length typed in the calibration or Length-Line dialog, in the current unit.
extern double g_actualDistance;

// "unit" (REG_SZ, terminated within 12 characters) and "decimal" (2 to 5).
void ReadUnitSettings();
void ReadLineColor();        // "LineColor"
void ReadLineWidth();        // "Linewidth", 1 to 3
void ReadLineType();         // "Linetype"
void ReadMeasureTextColor(); // "MeasureTxtColor"
void ReadFontSize();         // "fontsize"
void ReadTextColor();        // "fontcolor"

// "unit" as exactly 12 bytes (the text, its terminator, zero padding) and "decimal".
void WriteUnitSettings();
void WriteFontSize();
void WriteTextColor();
// The pen setting dialog's writers: they store the dialog's values, not the globals.
void WriteLineColor(COLORREF color);
void WriteLineWidth(int width);
void WriteLineType(int style);
void WriteMeasureTextColor(COLORREF color);

// Zero the font, then read it from "logfont.ini" / "Measurefont.ini"; 1 when read, 0 when the
// file, entry, length or checksum is wrong (the font then stays all zero). The face name
// read is always terminated.
int ReadTextFont();
int ReadMeasureFont();
void WriteTextFont();
void WriteMeasureFont();

// The label and text font used when none is stored: Arial of height 14, weight 400,
// character set 134, output precision 3, clip precision 2, quality 1, pitch and family 0x32.
LOGFONTW DefaultLabelFont();
