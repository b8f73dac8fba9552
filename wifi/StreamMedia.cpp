#include "wifi/StreamMedia.h"

#include "wifi/StreamInstance.h"

#include <vlc/vlc.h>

std::unique_ptr<StreamMedia> StreamMedia::FromLocation(StreamInstance& instance,
                                                       const std::string& url) {
    libvlc_media_t* media = libvlc_media_new_location(instance.Handle(), url.c_str());
    if (!media)
        return nullptr;
    return std::unique_ptr<StreamMedia>(new StreamMedia(media));
}

std::unique_ptr<StreamMedia> StreamMedia::FromPath(StreamInstance& instance,
                                                   const std::string& path) {
    libvlc_media_t* media = libvlc_media_new_path(instance.Handle(), path.c_str());
    if (!media)
        return nullptr;
    return std::unique_ptr<StreamMedia>(new StreamMedia(media));
}

StreamMedia::~StreamMedia() {
    libvlc_media_release(m_media);
}

void StreamMedia::AddOption(const std::string& option) {
    libvlc_media_add_option(m_media, option.c_str());
}
