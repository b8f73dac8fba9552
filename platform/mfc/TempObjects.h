// The framework's temporary objects: wrappers it makes for handles nobody's object owns
// (CPen::FromHandle, the old objects CDC::SelectObject returns, CMenu::FromHandle, ...).
// Each thread has its own. They live until the thread's next quiet point: on the UI thread
// when its message loop goes idle outside every message handler, on another thread when it
// released its last window DC (the end of its frame), and at the latest when it ends. So a
// handler may keep any number of them until it returns. They never delete their handle.
#pragma once

#include <cstddef>

namespace ms::mfc {

namespace detail {
using Destroy = void (*)(void* object);
void* FindTemporary(const void* kind, const void* handle);
void KeepTemporary(const void* kind, const void* handle, void* object, Destroy destroy);
} // namespace detail

// The temporary `Obj` for handle `h` on this thread, made with `attach(obj, h)` on first use;
// `attach(obj, Handle{})` lets go of the handle before the object is deleted.
template <class Obj, class Handle, class Attach> Obj* Temporary(Handle h, Attach attach) {
    static const char kind = 0; // one per wrapper type
    if (void* found = detail::FindTemporary(&kind, h))
        return static_cast<Obj*>(found);
    auto* obj = new Obj;
    attach(*obj, h);
    detail::KeepTemporary(&kind, h, obj, [](void* p) {
        auto* o = static_cast<Obj*>(p);
        Attach{}(*o, Handle{});
        delete o;
    });
    return obj;
}

// How many temporaries this thread holds (tests).
std::size_t TemporaryCount();
// Deletes this thread's temporaries now.
void FreeTemporaries();

} // namespace ms::mfc
