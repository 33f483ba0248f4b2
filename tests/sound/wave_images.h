// Building WAVE images for the tests: RIFF files from a list of chunks, with the size fields,
// pad bytes and file length under the test's control, so that malformed resources can be
// written as plainly as well-formed ones.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct Chunk {
    Chunk(std::string id, Bytes contents, bool pad = true, std::optional<uint32_t> sizeField = {})
        : id(std::move(id)), contents(std::move(contents)), pad(pad), sizeField(sizeField) {}

    std::string id;                     // four characters
    Bytes contents;
    bool pad;                           // a pad byte after odd contents
    std::optional<uint32_t> sizeField;  // the size written, when it is not the contents' size
};

inline void putWord(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

// A RIFF WAVE image of the chunks; the RIFF size is the image size - 8 unless given.
inline Bytes waveImage(const std::vector<Chunk>& chunks, std::optional<uint32_t> riffSize = {},
                       const char* magic = "RIFF", const char* form = "WAVE") {
    Bytes b(magic, magic + 4);
    putWord(b, 0);
    b.insert(b.end(), form, form + 4);
    for (const Chunk& c : chunks) {
        b.insert(b.end(), c.id.begin(), c.id.end());
        putWord(b, c.sizeField.value_or(uint32_t(c.contents.size())));
        b.insert(b.end(), c.contents.begin(), c.contents.end());
        if (c.pad && c.contents.size() % 2) b.push_back(0);
    }
    uint32_t size = riffSize.value_or(uint32_t(b.size() - 8));
    for (int i = 0; i < 4; ++i) b[4 + i] = uint8_t(size >> (8 * i));
    return b;
}

// PCM format contents of `bytes` bytes (14, 16 or 18; fewer for malformed cases).
inline Bytes pcmFormat(uint16_t channels, uint32_t rate, uint16_t bits, size_t bytes = 16) {
    uint16_t align = uint16_t(channels * bits / 8);
    Bytes f;
    auto put16 = [&](uint16_t v) {
        f.push_back(uint8_t(v));
        f.push_back(uint8_t(v >> 8));
    };
    put16(1);
    put16(channels);
    putWord(f, rate);
    putWord(f, rate * align);
    put16(align);
    put16(bits);
    put16(0);
    f.resize(bytes, 0);
    return f;
}

// Recognisable sample bytes: i * 7 + seed.
inline Bytes samplePattern(size_t n, uint8_t seed) {
    Bytes s(n);
    for (size_t i = 0; i < n; ++i) s[i] = uint8_t(i * 7 + seed);
    return s;
}

inline Chunk fmtChunk(size_t bytes = 16) { return {"fmt ", pcmFormat(1, 11025, 8, bytes)}; }
inline Chunk dataChunk(const Bytes& samples, bool pad = true) { return {"data", samples, pad}; }
inline Chunk factChunk() { return {"fact", {0x10, 0, 0, 0}}; }
