#pragma once
// The encoder library's C interface: the program loads encodermp3.so at run
// time and calls these five entry points. The configuration record is packed
// to exactly 27 bytes, little-endian, the layout the program writes.

#include <cstddef>
#include <cstdint>

extern "C" {

using BE_ERR = std::uint32_t;
using HBE_STREAM = std::uint32_t;

constexpr BE_ERR BE_ERR_SUCCESSFUL = 0;
constexpr BE_ERR BE_ERR_INVALID_FORMAT = 1;
constexpr BE_ERR BE_ERR_INVALID_FORMAT_PARAMETERS = 2;
constexpr BE_ERR BE_ERR_NO_MORE_HANDLES = 3;
constexpr BE_ERR BE_ERR_INVALID_HANDLE = 4;
constexpr BE_ERR BE_ERR_BUFFER_TOO_SMALL = 5;

constexpr std::uint32_t BE_CONFIG_MP3 = 0;
constexpr std::uint8_t BE_MP3_MODE_STEREO = 0;
constexpr std::uint8_t BE_MP3_MODE_JSTEREO = 1;
constexpr std::uint8_t BE_MP3_MODE_DUALCHANNEL = 2;
constexpr std::uint8_t BE_MP3_MODE_MONO = 3;

#pragma pack(push, 1)
struct BE_CONFIG {
    std::uint32_t dwConfig;      // kind: BE_CONFIG_MP3
    std::uint32_t dwSampleRate;
    std::uint8_t byMode;
    std::uint16_t wBitrate;      // kbit/s
    std::int32_t bPrivate;
    std::int32_t bCRC;
    std::int32_t bCopyright;
    std::int32_t bOriginal;
};

struct BE_VERSION {
    std::uint8_t byDLLMajorVersion;
    std::uint8_t byDLLMinorVersion;
    std::uint8_t byMajorVersion;   // of the encoding engine
    std::uint8_t byMinorVersion;
    std::uint8_t byDay;
    std::uint8_t byMonth;
    std::uint16_t wYear;
    char zHomepage[129];
};
#pragma pack(pop)

static_assert(sizeof(BE_CONFIG) == 27, "the configuration record is 27 bytes");

using BEINITSTREAM = BE_ERR (*)(const BE_CONFIG* config, std::uint32_t* samplesPerChunk,
                                std::uint32_t* minOutputBytes, HBE_STREAM* stream);
using BEENCODECHUNK = BE_ERR (*)(HBE_STREAM stream, std::uint32_t samples, const std::int16_t* pcm,
                                 std::uint8_t* output, std::uint32_t* outputBytes);
using BEDEINITSTREAM = BE_ERR (*)(HBE_STREAM stream, std::uint8_t* output, std::uint32_t* outputBytes);
using BECLOSESTREAM = BE_ERR (*)(HBE_STREAM stream);
using BEVERSION = void (*)(BE_VERSION* version);

}  // extern "C"
