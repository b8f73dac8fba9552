// One media of the library: a location (a stream URL or a file) with its options. A player
// takes its own reference, so the media may go as soon as the player is made.
#pragma once

#include <memory>
#include <string>

struct libvlc_media_t;
class StreamInstance;

class StreamMedia {
public:
    // Null when the library refuses the location.
    static std::unique_ptr<StreamMedia> FromLocation(StreamInstance& instance,
                                                     const std::string& url);
    // A local file, its path in UTF-8.
    static std::unique_ptr<StreamMedia> FromPath(StreamInstance& instance, const std::string& path);
    ~StreamMedia();
    StreamMedia(const StreamMedia&) = delete;
    StreamMedia& operator=(const StreamMedia&) = delete;

    // An option in the library's media form (":network-caching=10", ":sout=...").
    void AddOption(const std::string& option);
    libvlc_media_t* Handle() const { return m_media; }

private:
    explicit StreamMedia(libvlc_media_t* media) : m_media(media) {}
    libvlc_media_t* m_media;
};
