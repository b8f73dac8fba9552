// What the benchmarks of the thumbnail lists share: a folder of many copies of one picture
// with a gradient, made once and kept in the temporary folder, and a plain parent window for
// the list under test. Header only, so that each program's benchmark builds it over its own
// image library.
#pragma once

#include "imaging/DibImage.h"
#include "platform/win/core/WString.h"
#include "platform/win/window/WinUser.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace msbench {

// `count` copies of one width x height picture of `type`, named "img0000<ext>" onwards, in
// <temp>/<folder>/Picture.
inline std::filesystem::path PictureFolder(const char* folder, int count, int width, int height,
                                           DWORD type, const char* ext) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / folder / "Picture";
    char last[32];
    std::snprintf(last, sizeof last, "img%04d%s", count - 1, ext);
    if (fs::exists(dir / last))
        return dir;
    fs::create_directories(dir);
    CDibImage img(static_cast<DWORD>(width), static_cast<DWORD>(height), 24);
    for (DWORD y = 0; y < static_cast<DWORD>(height); ++y) {
        BYTE* row = img.GetBits(y);
        for (DWORD x = 0; x < static_cast<DWORD>(width); ++x) {
            row[3 * x] = static_cast<BYTE>(x / 7);
            row[3 * x + 1] = static_cast<BYTE>(y / 5);
            row[3 * x + 2] = static_cast<BYTE>((x + y) / 11);
        }
    }
    const fs::path first = dir / (std::string("img0000") + ext);
    img.SaveToFile(ms::FromUtf8(first.string()).c_str(), type);
    for (int i = 1; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "img%04d%s", i, ext);
        fs::copy_file(first, dir / name, fs::copy_options::overwrite_existing);
    }
    return dir;
}

inline LRESULT PlainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProc(hwnd, msg, wp, lp);
}

// A visible pop-up window of width x height that does nothing of its own.
inline HWND ParentWindow(int width, int height) {
    static const bool registered = [] {
        WNDCLASSW c{};
        c.lpfnWndProc = PlainProc;
        c.lpszClassName = u"BenchParent";
        return RegisterClass(&c) != 0;
    }();
    (void)registered;
    return CreateWindowEx(0, u"BenchParent", u"", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                          nullptr, nullptr, nullptr, nullptr);
}

} // namespace msbench
