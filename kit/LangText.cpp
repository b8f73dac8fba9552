#include "kit/LangText.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/Profile.h"
#include "platform/win/core/WString.h"

#include <string>
#include <string_view>

WCHAR g_langFilePath[MAX_PATH] = {};

void ProgramFilePath(WCHAR (&target)[MAX_PATH], LPCWSTR fileName) {
    std::u16string path = ms::ProgramDir();
    path += u'/';
    path += fileName;
    ms::CopyBounded(target, MAX_PATH, path);
}

UINT LanguageFileCodePage(LPCWSTR path) {
    std::u16string_view name = path ? std::u16string_view(path) : std::u16string_view();
    if (const auto slash = name.find_last_of(u"/\\"); slash != std::u16string_view::npos)
        name.remove_prefix(slash + 1);
    if (const auto dot = name.find_last_of(u'.'); dot != std::u16string_view::npos)
        name = name.substr(0, dot);
    size_t digits = 0;
    while (digits < name.size() && digits < 5 && name[name.size() - 1 - digits] >= u'0' &&
           name[name.size() - 1 - digits] <= u'9')
        ++digits;
    UINT codePage = 0;
    for (char16_t c : name.substr(name.size() - digits))
        codePage = codePage * 10 + (c - u'0');
    // Two names carry a number that is no code page of their script.
    if (codePage == 442)
        return 1251; // Bulgarian: Cyrillic
    if (codePage == 874 && name.substr(0, 7) == u"Persian")
        return 1256; // Persian: Arabic script
    return codePage ? codePage : 1252;
}

int GetLangText(LPCWSTR key, LPWSTR buffer, int capacity, LPCWSTR defaultText) {
    if (!buffer || capacity <= 0)
        return 0;
    buffer[0] = 0;
    if (!defaultText)
        defaultText = u"";
    if (!key || !g_langFilePath[0])
        return static_cast<int>(
            ms::CopyBounded(buffer, static_cast<size_t>(capacity), defaultText));
    // A file without a byte-order mark is read in the code page its name carries; files with a
    // mark (as shipped: UTF-8) read by the mark.
    ms::SetProfileCodePage(g_langFilePath, LanguageFileCodePage(g_langFilePath));
    return static_cast<int>(GetPrivateProfileString(u"Rontage", key, defaultText, buffer,
                                                    static_cast<DWORD>(capacity), g_langFilePath));
}

std::u16string LangString(LPCWSTR key, LPCWSTR defaultText, int capacity) {
    if (capacity <= 0)
        return {};
    std::u16string text(static_cast<size_t>(capacity), u'\0');
    text.resize(static_cast<size_t>(GetLangText(key, text.data(), capacity, defaultText)));
    return text;
}
