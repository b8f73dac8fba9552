// PlaySound: the wave is checked and copied on the caller's thread, then one player thread
// feeds it to ALSA. A new sound or PlaySound(NULL) stops the one playing at the next period.
#include "platform/services/Sound.h"
#include "platform/services/ServiceSeams.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"
#include "platform/win/window/Resources.h"
#include "platform/win/window/TestSeams.h"

#include <alsa/asoundlib.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <optional>
#include <thread>

namespace ms {

namespace {

struct Wave {
    unsigned channels = 0;
    unsigned rate = 0;
    unsigned bits = 0;
    std::vector<unsigned char> pcm;
};

std::uint32_t Le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Le16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// A RIFF WAVE image with PCM samples of 8 or 16 bits; every chunk is checked against the
// image's end, so a damaged file is refused instead of read past.
std::optional<Wave> ParseWave(std::span<const unsigned char> b) {
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
        std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        return std::nullopt;
    Wave w;
    bool haveFormat = false;
    std::size_t pos = 12;
    while (pos + 8 <= b.size()) {
        const unsigned char* h = b.data() + pos;
        const std::size_t size = Le32(h + 4);
        const std::size_t body = pos + 8;
        if (size > b.size() - body) {
            // A data chunk longer than the file: take what is there, as players do.
            if (std::memcmp(h, "data", 4) != 0)
                return std::nullopt;
        }
        const std::size_t avail = std::min(size, b.size() - body);
        if (std::memcmp(h, "fmt ", 4) == 0) {
            if (avail < 16)
                return std::nullopt;
            const unsigned char* f = b.data() + body;
            if (Le16(f) != 1) // PCM only
                return std::nullopt;
            w.channels = Le16(f + 2);
            w.rate = Le32(f + 4);
            w.bits = Le16(f + 14);
            haveFormat = true;
        } else if (std::memcmp(h, "data", 4) == 0) {
            if (!haveFormat)
                return std::nullopt;
            w.pcm.assign(b.begin() + static_cast<long>(body),
                         b.begin() + static_cast<long>(body + avail));
            break;
        }
        pos = body + avail + (avail & 1);
    }
    if (!haveFormat || w.channels < 1 || w.channels > 8 || w.rate < 1000 || w.rate > 384000 ||
        (w.bits != 8 && w.bits != 16))
        return std::nullopt;
    const std::size_t frame = w.channels * w.bits / 8;
    w.pcm.resize(w.pcm.size() / frame * frame);
    return w;
}

bool Headless() {
    const char* p = std::getenv("QT_QPA_PLATFORM");
    return p && std::strcmp(p, "offscreen") == 0;
}

void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

// The one player thread.
class Player {
public:
    static Player& Instance() {
        static Player p;
        return p;
    }

    // Replaces what plays (or waits) by `w`; null stops. Returns a ticket for Wait.
    std::uint64_t Play(std::shared_ptr<Wave> w, bool loop) {
        std::lock_guard lock(m_);
        next_ = std::move(w);
        loop_ = loop;
        ++generation_;
        if (!thread_.joinable())
            thread_ = std::thread([this] { Run(); });
        cv_.notify_all();
        return generation_;
    }

    void Wait(std::uint64_t ticket) {
        std::unique_lock lock(m_);
        doneCv_.wait(lock, [&] { return finished_ >= ticket || generation_ != ticket; });
    }

    ~Player() {
        {
            std::lock_guard lock(m_);
            quit_ = true;
            ++generation_;
            cv_.notify_all();
        }
        if (thread_.joinable())
            thread_.join();
    }

private:
    Player() = default;

    void Run() {
        snd_lib_error_set_handler(SilentAlsaError);
        for (;;) {
            std::shared_ptr<Wave> w;
            bool loop = false;
            std::uint64_t gen = 0;
            {
                std::unique_lock lock(m_);
                cv_.wait(lock, [&] { return quit_ || next_ || generation_ != played_; });
                if (quit_)
                    return;
                w = std::move(next_);
                loop = loop_;
                gen = generation_;
                played_ = gen;
            }
            if (w)
                Output(*w, loop, gen);
            std::lock_guard lock(m_);
            finished_ = std::max(finished_, gen);
            doneCv_.notify_all();
        }
    }

    bool Stopped(std::uint64_t gen) {
        std::lock_guard lock(m_);
        return quit_ || generation_ != gen;
    }

    void Output(const Wave& w, bool loop, std::uint64_t gen) {
        snd_pcm_t* pcm = nullptr;
        // Opening without blocking: a busy or missing device fails at once.
        if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
            return;
        snd_pcm_nonblock(pcm, 0);
        const snd_pcm_format_t format = w.bits == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
        if (snd_pcm_set_params(pcm, format, SND_PCM_ACCESS_RW_INTERLEAVED, w.channels, w.rate, 1,
                               200000) < 0) {
            snd_pcm_close(pcm);
            return;
        }
        const std::size_t frameBytes = w.channels * w.bits / 8;
        const snd_pcm_uframes_t total = w.pcm.size() / frameBytes;
        const snd_pcm_uframes_t period = std::max<snd_pcm_uframes_t>(w.rate / 20, 64);
        do {
            snd_pcm_uframes_t done = 0;
            while (done < total && !Stopped(gen)) {
                const snd_pcm_uframes_t n = std::min(period, total - done);
                snd_pcm_sframes_t r = snd_pcm_writei(pcm, w.pcm.data() + done * frameBytes, n);
                if (r < 0)
                    r = snd_pcm_recover(pcm, static_cast<int>(r), 1);
                if (r < 0)
                    break;
                done += static_cast<snd_pcm_uframes_t>(r);
            }
        } while (loop && total > 0 && !Stopped(gen));
        if (Stopped(gen))
            snd_pcm_drop(pcm);
        else
            snd_pcm_drain(pcm);
        snd_pcm_close(pcm);
    }

    std::mutex m_;
    std::condition_variable cv_;
    std::condition_variable doneCv_;
    std::shared_ptr<Wave> next_;
    bool loop_ = false;
    bool quit_ = false;
    std::uint64_t generation_ = 0;
    std::uint64_t played_ = 0;
    std::uint64_t finished_ = 0;
    std::thread thread_;
};

std::vector<test::PlayedSound>& SoundLog() {
    static std::vector<test::PlayedSound> log;
    return log;
}
std::mutex& SoundLogMutex() {
    static std::mutex m;
    return m;
}

void RecordSound(test::PlayedSound s) {
    static std::once_flag once;
    std::call_once(once, [] {
        test::AddSeamReset([] {
            std::lock_guard lock(SoundLogMutex());
            SoundLog().clear();
        });
    });
    std::lock_guard lock(SoundLogMutex());
    SoundLog().push_back(std::move(s));
}

std::vector<unsigned char> ReadWholeFile(const std::u16string& path) {
    std::ifstream in(ToUtf8(path), std::ios::binary);
    if (!in)
        return {};
    in.seekg(0, std::ios::end);
    const auto size = in.tellg();
    // Sounds are short; a huge file is no sound of ours.
    if (size <= 0 || size > 64 * 1024 * 1024)
        return {};
    std::vector<unsigned char> b(static_cast<std::size_t>(size));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(b.data()), size);
    return in ? b : std::vector<unsigned char>{};
}

} // namespace

} // namespace ms

using namespace ms;

BOOL PlaySound(LPCWSTR sound, HMODULE, DWORD flags) {
    test::PlayedSound rec;
    rec.flags = flags;
    if (!sound || (flags & SND_PURGE)) {
        if (!Headless())
            Player::Instance().Play(nullptr, false);
        rec.ok = true;
        RecordSound(std::move(rec));
        return TRUE;
    }
    std::vector<unsigned char> bytes;
    if ((flags & SND_RESOURCE) == SND_RESOURCE) {
        std::span<const unsigned char> data;
        if (IS_INTRESOURCE(sound)) {
            const UINT id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(sound));
            rec.name = u"#" + FromUtf8(std::to_string(id));
            data = res::FindFile(u"WAVE", id);
        } else {
            rec.name = sound;
            data = res::FindFile(u"WAVE", std::u16string_view(sound));
        }
        bytes.assign(data.begin(), data.end());
    } else if (flags & SND_MEMORY) {
        // A memory image carries its own length in the RIFF header.
        const auto* p = reinterpret_cast<const unsigned char*>(sound);
        rec.name = u"<memory>";
        if (std::memcmp(p, "RIFF", 4) == 0)
            bytes.assign(p, p + 8 + Le32(p + 4));
    } else {
        rec.name = sound;
        bytes = ReadWholeFile(rec.name);
    }
    rec.bytes = bytes.size();
    std::optional<Wave> wave = ParseWave(bytes);
    rec.ok = wave.has_value();
    const bool ok = rec.ok;
    RecordSound(std::move(rec));
    if (!ok)
        return FALSE;
    if (Headless())
        return TRUE;
    const std::uint64_t ticket =
        Player::Instance().Play(std::make_shared<Wave>(std::move(*wave)), (flags & SND_LOOP) != 0);
    if (!(flags & SND_ASYNC) && !(flags & SND_LOOP))
        Player::Instance().Wait(ticket);
    return TRUE;
}

namespace ms::test {

const std::vector<PlayedSound>& PlayedSounds() {
    return SoundLog();
}

} // namespace ms::test
