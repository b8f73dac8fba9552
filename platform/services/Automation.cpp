#include "platform/services/Automation.h"

#include "platform/win/window/TestSeams.h"

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
