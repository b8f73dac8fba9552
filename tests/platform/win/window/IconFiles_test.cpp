// Icon and cursor files come from outside: PNG data in them (a picture used as an icon, or an
// icon's PNG-compressed image) costs no more than our own PNG codec allows, whatever its chunk
// lengths claim.
#include "platform/win/gdi/Gdi.h"
#include "platform/win/window/WinUser.h"

#include <QBuffer>
#include <QImage>
#include <atomic>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

// The sanitizers' allocation hook, when the tests run under one.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*))
    __attribute__((weak));

namespace {

std::atomic<size_t> g_largest{0};

void OnMalloc(const volatile void*, size_t size) {
    size_t seen = g_largest.load();
    while (size > seen && !g_largest.compare_exchange_weak(seen, size)) {
    }
}
void OnFree(const volatile void*) {}

QByteArray PngWithText() {
    QImage picture(4, 4, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    picture.setText("Title", "microscope");
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return png;
}

// An icon file holding one PNG-compressed image.
QByteArray IconOf(const QByteArray& png) {
    const unsigned char header[22] = {0,
                                      0,
                                      1,
                                      0,
                                      1,
                                      0,
                                      4,
                                      4,
                                      0,
                                      0,
                                      1,
                                      0,
                                      32,
                                      0,
                                      static_cast<unsigned char>(png.size()),
                                      static_cast<unsigned char>(png.size() >> 8),
                                      static_cast<unsigned char>(png.size() >> 16),
                                      0,
                                      22,
                                      0,
                                      0,
                                      0};
    return QByteArray(reinterpret_cast<const char*>(header), sizeof header) + png;
}

} // namespace

TEST(IconFiles, PngChunksMustFitTheFile) {
    const bool measured = __sanitizer_install_malloc_and_free_hooks != nullptr &&
                          __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
    const QByteArray png = PngWithText();
    QByteArray hostile = png; // the text chunk claims 1.7 GB
    const qsizetype text = hostile.indexOf("tEXt");
    ASSERT_GT(text, 4);
    hostile[text - 4] = 0x66;
    hostile[text - 3] = hostile[text - 2] = hostile[text - 1] = 0;
    struct Case {
        const char* name;
        QByteArray bytes;
        bool loads;
    } cases[] = {
        {"picture", png, true},
        {"icon with a PNG image", IconOf(png), true},
        {"picture claiming a huge text", hostile, false},
        {"icon with a PNG image claiming a huge text", IconOf(hostile), false},
    };
    const auto file = std::filesystem::temp_directory_path() /
                      ("iconfiles-" + std::to_string(::getpid()) + ".cur");
    for (const Case& c : cases) {
        std::ofstream(file, std::ios::binary).write(c.bytes.constData(), c.bytes.size());
        g_largest = 0;
        HCURSOR cursor = LoadCursorFromFile(file.u16string().c_str());
        EXPECT_EQ(cursor != nullptr, c.loads) << c.name;
        if (measured) {
            EXPECT_LT(g_largest.load(), size_t{64} << 20) << c.name;
        }
        if (cursor)
            DestroyCursor(cursor);
    }
    std::filesystem::remove(file);
}
