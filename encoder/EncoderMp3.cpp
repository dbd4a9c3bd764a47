// encodermp3.so: the encoder library behind EncoderInterface.h, over libmp3lame.
// Streams are looked up by number so that a stale or forged handle is an error
// result, never a dangling pointer. A call holds its stream by shared
// ownership, so a close overlapping an encode ends the stream only after it.

#include "encoder/EncoderInterface.h"

#include <lame/lame.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace {

struct Stream {
    lame_t lame = nullptr;
    std::uint32_t samplesPerChunk = 0;
    std::uint32_t minOutputBytes = 0;
    std::mutex mutex;  // one call at a time per stream
    ~Stream()
    {
        if (lame)
            lame_close(lame);
    }
};

std::mutex g_streamsMutex;
std::map<HBE_STREAM, std::shared_ptr<Stream>> g_streams;
HBE_STREAM g_nextHandle = 1;

// lame's own bound for one call: 1.25 × samples + 7200; the flush needs at most 7200.
std::uint32_t OutputBound(std::uint32_t samples) { return samples + samples / 4 + 7200; }

bool IsValidRate(std::uint32_t rate)
{
    static constexpr std::array<std::uint32_t, 9> rates = {8000, 11025, 12000, 16000, 22050,
                                                           24000, 32000, 44100, 48000};
    return std::find(rates.begin(), rates.end(), rate) != rates.end();
}

bool IsValidBitrate(std::uint32_t rate, std::uint32_t kbps)
{
    static constexpr std::array<std::uint32_t, 14> mpeg1 = {32, 40, 48, 56, 64, 80, 96,
                                                            112, 128, 160, 192, 224, 256, 320};
    static constexpr std::array<std::uint32_t, 14> mpeg2 = {8, 16, 24, 32, 40, 48, 56,
                                                            64, 80, 96, 112, 128, 144, 160};
    if (rate >= 32000)
        return std::find(mpeg1.begin(), mpeg1.end(), kbps) != mpeg1.end();
    return std::find(mpeg2.begin(), mpeg2.end(), kbps) != mpeg2.end();
}

// The stream, kept alive for the caller; null when unknown.
std::shared_ptr<Stream> FindStream(HBE_STREAM handle)
{
    std::lock_guard lock(g_streamsMutex);
    const auto it = g_streams.find(handle);
    return it == g_streams.end() ? nullptr : it->second;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) BE_ERR beInitStream(const BE_CONFIG* config, std::uint32_t* samplesPerChunk,
                                                           std::uint32_t* minOutputBytes, HBE_STREAM* stream)
{
    if (!config || !samplesPerChunk || !minOutputBytes || !stream)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    BE_CONFIG cfg;
    std::memcpy(&cfg, config, sizeof cfg);
    if (cfg.dwConfig != BE_CONFIG_MP3)
        return BE_ERR_INVALID_FORMAT;
    // The input is one channel of samples; the other modes would need interleaved input.
    if (cfg.byMode != BE_MP3_MODE_MONO || !IsValidRate(cfg.dwSampleRate) ||
        !IsValidBitrate(cfg.dwSampleRate, cfg.wBitrate))
        return BE_ERR_INVALID_FORMAT_PARAMETERS;

    lame_t lame = lame_init();
    if (!lame)
        return BE_ERR_NO_MORE_HANDLES;
    lame_set_num_channels(lame, 1);
    lame_set_in_samplerate(lame, static_cast<int>(cfg.dwSampleRate));
    lame_set_out_samplerate(lame, static_cast<int>(cfg.dwSampleRate));
    lame_set_mode(lame, MONO);
    lame_set_brate(lame, cfg.wBitrate);
    lame_set_VBR(lame, vbr_off);
    lame_set_extension(lame, cfg.bPrivate ? 1 : 0);
    lame_set_error_protection(lame, cfg.bCRC ? 1 : 0);
    lame_set_copyright(lame, cfg.bCopyright ? 1 : 0);
    lame_set_original(lame, cfg.bOriginal ? 1 : 0);
    // Files are appended to and tagged by the program; no info frame of our own.
    lame_set_bWriteVbrTag(lame, 0);
    lame_set_write_id3tag_automatic(lame, 0);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }

    auto s = std::make_shared<Stream>();
    s->lame = lame;
    s->samplesPerChunk = static_cast<std::uint32_t>(lame_get_framesize(lame));
    s->minOutputBytes = OutputBound(s->samplesPerChunk);
    {
        std::lock_guard lock(g_streamsMutex);
        if (g_nextHandle == 0)
            g_nextHandle = 1;
        *stream = g_nextHandle++;
        g_streams[*stream] = s;
    }
    *samplesPerChunk = s->samplesPerChunk;
    *minOutputBytes = s->minOutputBytes;
    return BE_ERR_SUCCESSFUL;
}

__attribute__((visibility("default"))) BE_ERR beEncodeChunk(HBE_STREAM stream, std::uint32_t samples,
                                                            const std::int16_t* pcm, std::uint8_t* output,
                                                            std::uint32_t* outputBytes)
{
    if (!output || !outputBytes || (samples > 0 && !pcm))
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    *outputBytes = 0;
    const std::shared_ptr<Stream> s = FindStream(stream);
    if (!s)
        return BE_ERR_INVALID_HANDLE;
    std::lock_guard lock(s->mutex);
    // The caller's block is only known to hold the size we reported.
    if (samples > s->samplesPerChunk)
        return BE_ERR_BUFFER_TOO_SMALL;
    if (samples == 0)
        return BE_ERR_SUCCESSFUL;
    const int n = lame_encode_buffer(s->lame, pcm, nullptr, static_cast<int>(samples), output,
                                     static_cast<int>(s->minOutputBytes));
    if (n < 0)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    *outputBytes = static_cast<std::uint32_t>(n);
    return BE_ERR_SUCCESSFUL;
}

__attribute__((visibility("default"))) BE_ERR beDeinitStream(HBE_STREAM stream, std::uint8_t* output,
                                                             std::uint32_t* outputBytes)
{
    if (!output || !outputBytes)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    *outputBytes = 0;
    const std::shared_ptr<Stream> s = FindStream(stream);
    if (!s)
        return BE_ERR_INVALID_HANDLE;
    std::lock_guard lock(s->mutex);
    const int n = lame_encode_flush(s->lame, output, static_cast<int>(s->minOutputBytes));
    if (n < 0)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    *outputBytes = static_cast<std::uint32_t>(n);
    return BE_ERR_SUCCESSFUL;
}

__attribute__((visibility("default"))) BE_ERR beCloseStream(HBE_STREAM stream)
{
    std::shared_ptr<Stream> s;
    {
        std::lock_guard lock(g_streamsMutex);
        const auto it = g_streams.find(stream);
        if (it == g_streams.end())
            return BE_ERR_INVALID_HANDLE;
        s = std::move(it->second);
        g_streams.erase(it);
    }
    // The encoder ends when the last call still holding the stream returns.
    return BE_ERR_SUCCESSFUL;
}

__attribute__((visibility("default"))) void beVersion(BE_VERSION* version)
{
    if (!version)
        return;
    std::memset(version, 0, sizeof *version);
    version->byDLLMajorVersion = 1;
    version->byDLLMinorVersion = 0;
    const char* engine = get_lame_short_version();
    int major = 0, minor = 0;
    if (engine && std::sscanf(engine, "%d.%d", &major, &minor) == 2) {
        version->byMajorVersion = static_cast<std::uint8_t>(major);
        version->byMinorVersion = static_cast<std::uint8_t>(minor);
    }
}

}  // extern "C"
