#include "platform/services/Automation.h"

#include "platform/win/window/TestSeams.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <mutex>
#include <set>

namespace {
std::mutex g_lock;
std::multiset<std::u16string> g_failing;
bool g_resetRegistered = false;
} // namespace

bool ms::AutomationCreateAllowed(const std::u16string& progId) {
    std::lock_guard lock(g_lock);
    auto it = g_failing.find(progId);
    if (it == g_failing.end())
        return true;
    g_failing.erase(it);
    return false;
}

void ms::test::FailNextAutomationCreate(const std::u16string& progId) {
    std::lock_guard lock(g_lock);
    if (!g_resetRegistered) {
        g_resetRegistered = true;
        ms::test::AddSeamReset([] {
            std::lock_guard inner(g_lock);
            g_failing.clear();
        });
    }
    g_failing.insert(progId);
}

ms::EmbeddedPicture ms::LoadPictureFile(const std::u16string& fileName) {
    QImage image = QImageReader(QString::fromStdU16String(fileName)).read();
    if (image.isNull())
        throw AutomationError("The file is not a picture or cannot be read.");
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw AutomationError("The picture cannot be embedded.");
    return {std::string(png.constData(), size_t(png.size())), image.width(), image.height()};
}
