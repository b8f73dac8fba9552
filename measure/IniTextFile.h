// CIniTextFile: a small INI-style text file held as an array of lines, for the calibration
// file that both programs share.
//
// The file is plain 8-bit text: each byte is one character (bytes other than ASCII survive
// a read and write unchanged). A leading UTF-8 byte-order mark is no part of the first line
// and is written back as it was. Lines are read without their line end (CR LF, LF or CR) and
// written back each followed by CR LF. The lines are written back when the
// object is destroyed (or on Flush), and only when a line changed; the write replaces the
// file atomically, so a crash or a full disk never leaves half a file.
#pragma once

#include "platform/win/WinTypes.h"
#include "platform/win/core/CString.h"

#include <vector>

class CIniTextFile {
public:
    CIniTextFile() = default;
    virtual ~CIniTextFile();
    CIniTextFile(const CIniTextFile&) = delete;
    CIniTextFile& operator=(const CIniTextFile&) = delete;

    // Reads the file's lines. 1 when it could be read (an empty file gives no lines); 0 when
    // it cannot be opened, and then every read finds nothing and every write returns 0.
    int Load(const WCHAR* path);
    // As Load, but a file that does not exist counts as loaded and empty: it is created when a
    // value is stored. An existing file that cannot be read still gives 0.
    int LoadForWriting(const WCHAR* path);

    // 1-based number of the key's line in the section; -1 when the section or the key is not
    // found, -2 when another section begins before the key.
    int FindKey(const WCHAR* section, const WCHAR* key) const;

    // 1 and the text after the line's first '=' (untrimmed) when found; else 0, value untouched.
    int GetString(const WCHAR* section, const WCHAR* key, CString& value) const {
        return ReadString(section, key, value);
    }
    // Stores key=value in the section (replacing the key's line, inserting it before the next
    // section, or appending the section); 1 when stored, 0 when the file was not loaded.
    // With noCreate, a missing key or section is not added and the result is 0.
    int SetString(const WCHAR* section, const WCHAR* key, const WCHAR* value, int noCreate = 0) {
        return WriteString(section, key, value, noCreate);
    }

    // Writes the lines back now when a line changed. True when nothing needed writing or the
    // file was written; false when it could not be.
    bool Flush();

    const std::vector<CString>& Lines() const { return m_lines; }

protected:
    int ReadString(const WCHAR* section, const WCHAR* key, CString& value) const;
    int WriteString(const WCHAR* section, const WCHAR* key, const WCHAR* value, int noCreate);

private:
    int LoadFile(const WCHAR* path, bool missingIsEmpty);
    int FindSectionLine(const WCHAR* section, bool needBracket) const;

    std::vector<CString> m_lines;
    int m_loaded = 0;
    CString m_path;
    bool m_changed = false;
    bool m_byteOrderMark = false;
};

// The calibration file "CalibrationIni.ini": one section per calibrated magnification, named
// by the magnification text exactly as typed, holding one line text=value with the calibrated
// magnification in full (CalibrationValueText), so that a calibration read back measures the
// typed length as the calibration did.
//
// Magnification texts are accepted only when they are digits and points (not empty), so that
// a typed text can never break the file's structure.

// The stored value text for the magnification text; false (value untouched) when the text is
// not accepted or the file, section or key is missing.
bool ReadCalibration(const WCHAR* path, const WCHAR* magnification, CString& value);

// Stores CalibrationValueText of the calibrated magnification under the magnification text,
// creating the file when it does not exist. False when the text is not accepted, the value is
// not a finite number, or the file cannot be written.
bool StoreCalibration(const WCHAR* path, const WCHAR* magnification, double calibrated);

// A calibrated magnification as the file keeps it: a plain decimal number (no exponent, at
// least one decimal, trailing zeros dropped) of 15 significant digits, which reads back as the
// same value to far more digits than any label shows; 190 gives "190.0", as files written with
// one decimal have it, and 3.1496062992125984 gives "3.1496062992126".
CString CalibrationValueText(double calibrated);

// The calibrated magnification of a field, which shows it to one decimal ("%.1f") while the
// measurements use it in full: Show gives the field's text and keeps the value; Read gives
// that value back while the field still shows that text, so that a value typed over it counts
// as typed.
class CalibratedZoomField {
public:
    CString Show(double calibrated);
    // True and the kept value when `text` is the text Show gave last.
    bool Read(const CString& text, double& calibrated) const;
    void Forget() { m_shown.Empty(); }

private:
    double m_value = 0.0;
    CString m_shown;
};
