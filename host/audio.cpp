// The run's sound track.
#include "audio.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

namespace host {

namespace {
constexpr uint32_t rate = 22050;

// Sample i of a sound, as a value in -32768..32767 (mono: the channels averaged).
int sampleAt(const soundhooks::SoundStart& s, size_t frame) {
    size_t bytes = s.bitsPerSample / 8;
    size_t frameBytes = bytes * s.channels;
    if (!frameBytes || (frame + 1) * frameBytes > s.samples.size()) return 0;
    int sum = 0;
    for (size_t c = 0; c < s.channels; ++c) {
        const uint8_t* p = s.samples.data() + frame * frameBytes + c * bytes;
        sum += bytes == 1 ? (int(p[0]) - 128) * 256 : int(int16_t(uint16_t(p[0] | (p[1] << 8))));
    }
    return sum / int(s.channels);
}

void put32(FILE* f, uint32_t v) {
    uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    std::fwrite(b, 1, 4, f);
}
void put16(FILE* f, uint16_t v) {
    uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
    std::fwrite(b, 1, 2, f);
}
}  // namespace

bool writeRunAudio(const Panel& panel, double updatesPerSecond, const std::string& path) {
    const auto& sounds = panel.sounds;
    std::vector<size_t> starts(sounds.size()), ends(sounds.size());
    size_t total = rate / 2;
    for (size_t i = 0; i < sounds.size(); ++i) {
        const auto& s = sounds[i].sound;
        // Clicks a scenario makes between two updates come a fifth of a second apart, so
        // each one is heard.
        size_t at = size_t(double(sounds[i].updateCount) / updatesPerSecond * rate);
        starts[i] = i == 0 ? at : std::max(at, starts[i - 1] + rate / 5);
        size_t frameBytes = size_t(s.bitsPerSample / 8) * s.channels;
        double seconds = frameBytes && s.samplesPerSecond ? double(s.samples.size() / frameBytes) / s.samplesPerSecond : 0;
        ends[i] = starts[i] + size_t(seconds * rate);
    }
    // A later start of the same sound cuts the earlier one.
    for (size_t i = 0; i < sounds.size(); ++i)
        for (size_t j = i + 1; j < sounds.size(); ++j)
            if (sounds[j].sound.id == sounds[i].sound.id && sounds[j].sound.samples == sounds[i].sound.samples) {
                ends[i] = std::min(ends[i], starts[j]);
                break;
            }
    for (size_t e : ends) total = std::max(total, e + rate / 4);
    std::vector<int32_t> mix(total, 0);
    for (size_t i = 0; i < sounds.size(); ++i) {
        const auto& s = sounds[i].sound;
        for (size_t t = starts[i]; t < ends[i] && t < total; ++t)
            mix[t] += sampleAt(s, size_t(double(t - starts[i]) * s.samplesPerSecond / rate));
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    uint32_t dataBytes = uint32_t(total * 2);
    std::fwrite("RIFF", 1, 4, f);
    put32(f, 36 + dataBytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    put32(f, 16);
    put16(f, 1);
    put16(f, 1);
    put32(f, rate);
    put32(f, rate * 2);
    put16(f, 2);
    put16(f, 16);
    std::fwrite("data", 1, 4, f);
    put32(f, dataBytes);
    for (int32_t v : mix) put16(f, uint16_t(int16_t(std::clamp(v, -32768, 32767))));
    return std::fclose(f) == 0;
}

}  // namespace host
