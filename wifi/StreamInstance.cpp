#include "wifi/StreamInstance.h"

#include <vlc/vlc.h>

std::unique_ptr<StreamInstance>
StreamInstance::Create(const std::vector<std::string>& extraOptions) {
    std::vector<const char*> argv = {
        "--no-xlib", "--quiet",   "--no-video-title-show", "--no-snapshot-preview",
        "--no-osd",  "--no-stats"};
    for (const std::string& option : extraOptions)
        argv.push_back(option.c_str());
    libvlc_instance_t* instance = libvlc_new(static_cast<int>(argv.size()), argv.data());
    if (!instance)
        return nullptr;
    return std::unique_ptr<StreamInstance>(new StreamInstance(instance));
}

StreamInstance::~StreamInstance() {
    libvlc_release(m_instance);
}
