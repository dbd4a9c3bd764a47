// Writes the default warning sound, "Beep1.wav": a short two-tone beep,
// 16-bit mono PCM, so that the program folder carries no sound of unknown origin.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

void Put32(std::vector<unsigned char>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void Put16(std::vector<unsigned char>& out, std::uint16_t v)
{
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.wav\n", argv[0]);
        return 2;
    }
    constexpr std::uint32_t rate = 32000;
    constexpr double pi = 3.14159265358979323846;
    std::vector<std::int16_t> samples;
    // Two 120 ms tones with 60 ms between them; 5 ms ramps avoid clicks.
    for (double frequency : {880.0, 1320.0}) {
        const int n = static_cast<int>(rate * 0.12);
        const int ramp = static_cast<int>(rate * 0.005);
        for (int i = 0; i < n; ++i) {
            double gain = 0.35;
            if (i < ramp)
                gain *= double(i) / ramp;
            else if (i > n - ramp)
                gain *= double(n - i) / ramp;
            samples.push_back(static_cast<std::int16_t>(32767 * gain * std::sin(2 * pi * frequency * i / rate)));
        }
        samples.insert(samples.end(), rate * 6 / 100, 0);
    }
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<unsigned char> wav;
    wav.insert(wav.end(), {'R', 'I', 'F', 'F'});
    Put32(wav, 36 + dataBytes);
    wav.insert(wav.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(wav, 16);
    Put16(wav, 1);
    Put16(wav, 1);
    Put32(wav, rate);
    Put32(wav, rate * 2);
    Put16(wav, 2);
    Put16(wav, 16);
    wav.insert(wav.end(), {'d', 'a', 't', 'a'});
    Put32(wav, dataBytes);
    for (std::int16_t s : samples)
        Put16(wav, static_cast<std::uint16_t>(s));
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f)
        return 1;
    const bool ok = std::fwrite(wav.data(), 1, wav.size(), f) == wav.size();
    return (std::fclose(f) == 0 && ok) ? 0 : 1;
}
