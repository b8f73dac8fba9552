// The media-player library's instance, shared by the live view and the video player: one
// libvlc instance made with the options this system needs everywhere. No X11 window is ever
// given to the library (frames come through the player's callbacks), so it runs without a
// display; the on-screen title and the snapshot preview that it would draw over the picture
// are off.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct libvlc_instance_t;

class StreamInstance {
public:
    // Null when the library cannot start (no plugins, bad options). `extraOptions` go after
    // the system's own command-line options (tests add "--aout=dummy" and the like).
    static std::unique_ptr<StreamInstance>
    Create(const std::vector<std::string>& extraOptions = {});
    ~StreamInstance();
    StreamInstance(const StreamInstance&) = delete;
    StreamInstance& operator=(const StreamInstance&) = delete;

    libvlc_instance_t* Handle() const { return m_instance; }

private:
    explicit StreamInstance(libvlc_instance_t* instance) : m_instance(instance) {}
    libvlc_instance_t* m_instance;
};
