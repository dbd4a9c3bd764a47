// The encoder library as the program meets it: loaded with dlopen and driven
// through its five entry points.

#include "encoder/EncoderInterface.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace {

class EncoderLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_module = dlopen(ENCODER_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_module, nullptr) << dlerror();
        init = reinterpret_cast<BEINITSTREAM>(dlsym(m_module, "beInitStream"));
        encode = reinterpret_cast<BEENCODECHUNK>(dlsym(m_module, "beEncodeChunk"));
        deinit = reinterpret_cast<BEDEINITSTREAM>(dlsym(m_module, "beDeinitStream"));
        close = reinterpret_cast<BECLOSESTREAM>(dlsym(m_module, "beCloseStream"));
        version = reinterpret_cast<BEVERSION>(dlsym(m_module, "beVersion"));
        ASSERT_TRUE(init && encode && deinit && close && version);
        cfg.dwConfig = BE_CONFIG_MP3;
        cfg.dwSampleRate = 32000;
        cfg.byMode = BE_MP3_MODE_MONO;
        cfg.wBitrate = 32;
    }
    void TearDown() override
    {
        if (m_module)
            dlclose(m_module);
    }
    // Encodes the samples chunk by chunk as the writer does; the bytes, or empty on a failure.
    QByteArray Encode(const std::vector<std::int16_t>& pcm)
    {
        std::uint32_t samples = 0, outSize = 0, produced = 0;
        HBE_STREAM stream = 0;
        // One frame a chunk, and room for the worst frame the format allows.
        if (init(&cfg, &samples, &outSize, &stream) != BE_ERR_SUCCESSFUL || samples != 1152 ||
            outSize < 1152 * 5 / 4 + 7200)
            return {};
        QByteArray mp3;
        std::vector<std::uint8_t> out(outSize);
        for (size_t pos = 0; pos < pcm.size(); pos += samples) {
            const auto n = static_cast<std::uint32_t>(std::min<size_t>(samples, pcm.size() - pos));
            if (encode(stream, n, pcm.data() + pos, out.data(), &produced) != BE_ERR_SUCCESSFUL || produced > outSize)
                return {};
            mp3.append(reinterpret_cast<const char*>(out.data()), produced);
        }
        if (deinit(stream, out.data(), &produced) != BE_ERR_SUCCESSFUL || close(stream) != BE_ERR_SUCCESSFUL)
            return {};
        return mp3.append(reinterpret_cast<const char*>(out.data()), produced);
    }

    BE_CONFIG cfg{};
    BEINITSTREAM init = nullptr;
    BEENCODECHUNK encode = nullptr;
    BEDEINITSTREAM deinit = nullptr;
    BECLOSESTREAM close = nullptr;
    BEVERSION version = nullptr;

private:
    void* m_module = nullptr;
};

// What the encoder makes of the sound is checked by the writer's tests, which decode its files.
TEST_F(EncoderLibrary, FullScaleNoiseFitsTheOutputBlock)
{
    version(nullptr);  // a caller without a record is ignored, not dereferenced
    // The worst case for the output size (checked inside Encode).
    std::vector<std::int16_t> noise(50 * 1152);
    unsigned seed = 12345;
    for (auto& s : noise)
        s = static_cast<std::int16_t>((seed = seed * 1103515245 + 12345) >> 16);
    EXPECT_FALSE(Encode(noise).isEmpty());
}

TEST_F(EncoderLibrary, RefusesWhatItCannotHonourAndUnknownHandles)
{
    std::uint32_t samples = 7, outSize = 7, produced = 99;
    HBE_STREAM stream = 0;
    EXPECT_NE(init(nullptr, &samples, &outSize, &stream), BE_ERR_SUCCESSFUL);
    EXPECT_NE(init(&cfg, nullptr, &outSize, &stream), BE_ERR_SUCCESSFUL);
    EXPECT_NE(init(&cfg, &samples, nullptr, &stream), BE_ERR_SUCCESSFUL);
    EXPECT_NE(init(&cfg, &samples, &outSize, nullptr), BE_ERR_SUCCESSFUL);
    const std::function<void(BE_CONFIG&)> unsupported[] = {
        [](BE_CONFIG& c) { c.dwConfig = 1; }, [](BE_CONFIG& c) { c.byMode = BE_MP3_MODE_STEREO; },
        [](BE_CONFIG& c) { c.wBitrate = 8; }};  // 8 kbit/s: only an MPEG-2 rate
    for (const auto& change : unsupported) {
        BE_CONFIG bad = cfg;
        change(bad);
        EXPECT_NE(init(&bad, &samples, &outSize, &stream), BE_ERR_SUCCESSFUL);
    }

    std::vector<std::int16_t> pcm(1153);
    std::vector<std::uint8_t> out(9000);
    EXPECT_EQ(encode(0xDEAD, 1152, pcm.data(), out.data(), &produced), BE_ERR_INVALID_HANDLE);
    EXPECT_EQ(produced, 0u);
    EXPECT_EQ(deinit(0xDEAD, out.data(), &produced), BE_ERR_INVALID_HANDLE);
    EXPECT_EQ(close(0xDEAD), BE_ERR_INVALID_HANDLE);

    ASSERT_EQ(init(&cfg, &samples, &outSize, &stream), BE_ERR_SUCCESSFUL);
    out.resize(outSize);
    // Longer than a chunk could overflow the caller's block: refused, the stream lives on.
    EXPECT_NE(encode(stream, samples + 1, pcm.data(), out.data(), &produced), BE_ERR_SUCCESSFUL);
    EXPECT_NE(encode(stream, samples, nullptr, out.data(), &produced), BE_ERR_SUCCESSFUL);
    EXPECT_NE(encode(stream, samples, pcm.data(), nullptr, &produced), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(encode(stream, samples, pcm.data(), out.data(), &produced), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(close(stream), BE_ERR_SUCCESSFUL);
    // A closed stream is gone: a second close or a late chunk is an error, not a crash.
    EXPECT_EQ(close(stream), BE_ERR_INVALID_HANDLE);
    EXPECT_EQ(encode(stream, samples, pcm.data(), out.data(), &produced), BE_ERR_INVALID_HANDLE);
}

TEST_F(EncoderLibrary, ACloseOverlappingAnEncodeNeverFreesTheStreamUnderIt)
{
    // Every encode either finishes on a live stream or is refused as an unknown
    // handle; under the address sanitizer a stream freed under a call is reported.
    std::uint32_t samples = 0, outSize = 0;
    HBE_STREAM first = 0;
    ASSERT_EQ(init(&cfg, &samples, &outSize, &first), BE_ERR_SUCCESSFUL);
    std::atomic<HBE_STREAM> current{first};
    std::atomic<bool> done{false};
    std::atomic<long> refused{0}, wrong{0};
    std::thread encoder([&] {
        std::vector<short> pcm(samples, 1000);
        std::vector<std::uint8_t> out(outSize);
        while (!done.load()) {
            std::uint32_t produced = 0;
            const BE_ERR r = encode(current.load(), 16, pcm.data(), out.data(), &produced);
            refused += r == BE_ERR_INVALID_HANDLE;
            wrong += r != BE_ERR_SUCCESSFUL && r != BE_ERR_INVALID_HANDLE;
        }
    });
    for (int i = 0; i < 3000; ++i) {
        HBE_STREAM next = 0;
        ASSERT_EQ(init(&cfg, &samples, &outSize, &next), BE_ERR_SUCCESSFUL);
        EXPECT_EQ(close(current.exchange(next)), BE_ERR_SUCCESSFUL);
    }
    done = true;
    encoder.join();
    EXPECT_EQ(close(current.load()), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_GT(refused.load(), 0);  // the race was met at all, or this case proves nothing
}

}  // namespace
