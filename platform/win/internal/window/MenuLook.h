// What popup menus and menu bars draw alike: colours, the menu font, a text's label, key
// name and mnemonic, and the kinds of item. Internal to the window layer.
#pragma once
#ifndef MS_PLATFORM_INTERNAL
#error "internal to the platform layer; tests use platform/win/window/TestSeams.h"
#endif

#include "platform/win/gdi/Gdi.h"
#include "platform/win/gdi/GdiQt.h"
#include "platform/win/window/Menu.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QString>
#include <utility>

namespace ms::menu {

inline COLORREF BrushColor(HBRUSH brush, COLORREF fallback) {
    LOGBRUSH lb{};
    if (brush && GetObject(brush, sizeof lb, &lb) == sizeof lb)
        return lb.lbColor;
    return fallback;
}

inline QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

inline QFont MenuFont() {
    NONCLIENTMETRICSW m{};
    m.cbSize = sizeof m;
    if (SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0))
        return QFontFromLogFont(m.lfMenuFont);
    return QApplication::font();
}

// Label and key name of a menu text ("&Open\tCtrl+O").
inline std::pair<QString, QString> SplitText(const std::u16string& text) {
    const QString all = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    const qsizetype tab = all.indexOf(QLatin1Char('\t'));
    if (tab < 0)
        return {all, QString()};
    return {all.left(tab), all.mid(tab + 1)};
}

// The character after a single '&', upper-cased; 0 when none.
inline QChar Mnemonic(const std::u16string& text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == u'&') {
            if (text[i + 1] == u'&') {
                ++i;
                continue;
            }
            return QChar(text[i + 1]).toUpper();
        }
    }
    return QChar();
}

inline bool IsSeparator(const MenuItemData& d) {
    return (d.flags & MF_SEPARATOR) != 0;
}
inline bool IsSelectable(const MenuItemData& d) {
    return !IsSeparator(d);
}
inline bool IsEnabledItem(const MenuItemData& d) {
    return !IsSeparator(d) && !(d.flags & (MF_GRAYED | MF_DISABLED));
}

} // namespace ms::menu
