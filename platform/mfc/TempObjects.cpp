#include "platform/mfc/TempObjects.h"

#include "platform/win/window/Framework.h"

#include <map>
#include <utility>

namespace ms::mfc {

namespace {

struct Entry {
    void* object;
    detail::Destroy destroy;
};

struct Temps {
    std::map<std::pair<const void*, const void*>, Entry> entries;
    Temps() = default;
    Temps(const Temps&) = delete;
    Temps& operator=(const Temps&) = delete;
    ~Temps() { Free(); }
    void Free() {
        // A destructor may make a temporary of its own: free until none is left.
        while (!entries.empty()) {
            auto all = std::exchange(entries, {});
            for (auto& [key, e] : all)
                e.destroy(e.object);
        }
    }
};

Temps& Mine() {
    static const bool hooked = [] {
        ms::AddIdleHandler([] { FreeTemporaries(); });
        return true;
    }();
    (void)hooked;
    thread_local Temps temps;
    return temps;
}

} // namespace

namespace detail {

void* FindTemporary(const void* kind, const void* handle) {
    auto& e = Mine().entries;
    auto it = e.find({kind, handle});
    return it == e.end() ? nullptr : it->second.object;
}

void KeepTemporary(const void* kind, const void* handle, void* object, Destroy destroy) {
    Mine().entries[{kind, handle}] = Entry{object, destroy};
}

} // namespace detail

std::size_t TemporaryCount() {
    return Mine().entries.size();
}

void FreeTemporaries() {
    Mine().Free();
}

} // namespace ms::mfc
