// Checks the committed WAVE sounds under resources/sounds: the exact byte layout the sound
// modules' players rely on (sizes, format block, chunk order, the deliberately missing pad
// byte of long_toggle_sound), sensible sample levels, and that gensounds still reproduces
// every committed file byte for byte.

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t u16At(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b.at(at) | (b.at(at + 1) << 8));
}
std::uint32_t u32At(const Bytes& b, std::size_t at) { return u16At(b, at) | (u16At(b, at + 2) << 16); }
std::string tagAt(const Bytes& b, std::size_t at) {
    return std::string(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + 4));
}

// One chunk as it must appear in the file. `padded`: a pad byte follows odd contents.
struct ExpectedChunk {
    const char* id;
    std::uint32_t size;
    bool padded;
};

struct SoundCase {
    const char* file;
    const char* reason;
    std::size_t fileBytes;
    std::uint32_t channels;
    std::uint32_t rate;
    std::uint32_t bits;
    std::vector<ExpectedChunk> chunks;  // in file order, after the "WAVE" form type
};

const std::vector<SoundCase> kCases = {
    {"switch_click.wav", "16-bit click with a fact chunk between format and data", 1590, 1,
     11025, 16, {{"fmt ", 16, true}, {"fact", 4, true}, {"data", 1534, true}}},
    {"magneto_click.wav", "16-bit click, plain format and data", 1578, 1, 11025, 16,
     {{"fmt ", 16, true}, {"data", 1534, true}}},
    {"knob_click.wav", "stereo 8-bit tick with an 18-byte format block and a fact chunk", 686,
     2, 22050, 8, {{"fmt ", 18, true}, {"fact", 4, true}, {"data", 628, true}}},
    {"selector_sound.wav", "8-bit motor run, even data length", 60354, 1, 11025, 8,
     {{"fmt ", 16, true}, {"data", 60310, true}}},
    {"long_toggle_sound.wav",
     "odd data length with no pad byte, the metadata list starting at the odd offset", 122089,
     1, 11025, 8, {{"fmt ", 16, true}, {"data", 121885, false}, {"LIST", 152, true}}},
    {"ignition_cut_sound.wav", "the longest sample block, 16-bit", 182042, 1, 11025, 16,
     {{"fmt ", 16, true}, {"data", 181998, true}}},
    {"short_toggle_sound.wav", "8000 Hz, odd data length ending the file with no pad byte",
     17623, 1, 8000, 8, {{"fmt ", 16, true}, {"data", 17579, false}}},
};

// Test names and failure messages show the file and why the case is there.
void PrintTo(const SoundCase& c, std::ostream* os) { *os << c.file << " (" << c.reason << ")"; }

std::string committedPath(const SoundCase& c) {
    return std::string(RESOURCE_DIR) + "/sounds/" + c.file;
}

// Offset of the contents of the first chunk with this id, walking the chunks as laid out in
// the case's table (so the missing pad byte is honoured).
std::size_t contentsOf(const SoundCase& c, const std::string& id) {
    std::size_t at = 12;
    for (const ExpectedChunk& chunk : c.chunks) {
        if (id == chunk.id) return at + 8;
        at += 8 + chunk.size + ((chunk.padded && chunk.size % 2 != 0) ? 1 : 0);
    }
    return 0;
}

class SoundResource : public ::testing::TestWithParam<SoundCase> {
protected:
    void SetUp() override {
        bytes = readFile(committedPath(GetParam()));
        ASSERT_FALSE(bytes.empty()) << "cannot read " << committedPath(GetParam());
    }
    Bytes bytes;
};

TEST_P(SoundResource, RiffHeaderCoversTheWholeFile) {
    const SoundCase& c = GetParam();
    ASSERT_EQ(bytes.size(), c.fileBytes) << c.reason;
    EXPECT_EQ(tagAt(bytes, 0), "RIFF");
    EXPECT_EQ(u32At(bytes, 4), c.fileBytes - 8) << "RIFF size must be the file size - 8";
    EXPECT_EQ(tagAt(bytes, 8), "WAVE");
}

TEST_P(SoundResource, ChunksAppearInOrderWithTheirSizes) {
    const SoundCase& c = GetParam();
    ASSERT_EQ(bytes.size(), c.fileBytes);
    std::size_t at = 12;
    for (const ExpectedChunk& chunk : c.chunks) {
        ASSERT_LE(at + 8, bytes.size()) << chunk.id << " header runs past the end";
        EXPECT_EQ(tagAt(bytes, at), chunk.id) << "at offset " << at << ": " << c.reason;
        EXPECT_EQ(u32At(bytes, at + 4), chunk.size) << chunk.id << ": " << c.reason;
        at += 8 + chunk.size + ((chunk.padded && chunk.size % 2 != 0) ? 1 : 0);
    }
    EXPECT_EQ(at, bytes.size()) << "nothing may follow the last chunk: " << c.reason;
}

TEST_P(SoundResource, FormatBlockAndFrameCountDescribePcm) {
    const SoundCase& c = GetParam();
    ASSERT_EQ(bytes.size(), c.fileBytes);
    const std::size_t fmt = contentsOf(c, "fmt ");
    const std::uint32_t blockAlign = c.channels * c.bits / 8;
    EXPECT_EQ(u16At(bytes, fmt), 1u) << "format tag: PCM";
    EXPECT_EQ(u16At(bytes, fmt + 2), c.channels);
    EXPECT_EQ(u32At(bytes, fmt + 4), c.rate);
    EXPECT_EQ(u32At(bytes, fmt + 8), c.rate * blockAlign) << "average bytes per second";
    EXPECT_EQ(u16At(bytes, fmt + 12), blockAlign);
    EXPECT_EQ(u16At(bytes, fmt + 14), c.bits);
    if (u32At(bytes, fmt - 4) == 18) {
        EXPECT_EQ(u16At(bytes, fmt + 16), 0u) << "extra-size field of the 18-byte block";
    }
    const std::size_t fact = contentsOf(c, "fact");
    if (fact != 0) {
        const std::uint32_t data = u32At(bytes, contentsOf(c, "data") - 4);
        EXPECT_EQ(u32At(bytes, fact), data / blockAlign) << "fact chunk: sample frame count";
    }
}

// Decoded samples of the data chunk, every channel, as signed values on the file's own scale.
std::vector<int> samplesOf(const SoundCase& c, const Bytes& bytes) {
    const std::size_t data = contentsOf(c, "data");
    const std::uint32_t length = u32At(bytes, data - 4);
    std::vector<int> out;
    for (std::size_t i = 0; i + c.bits / 8 <= length; i += c.bits / 8) {
        if (c.bits == 8) {
            out.push_back(static_cast<int>(bytes.at(data + i)) - 128);
        } else {
            out.push_back(static_cast<std::int16_t>(u16At(bytes, data + i)));
        }
    }
    return out;
}

TEST_P(SoundResource, LevelsAreAudibleAndNeverClip) {
    const SoundCase& c = GetParam();
    ASSERT_EQ(bytes.size(), c.fileBytes);
    const std::vector<int> samples = samplesOf(c, bytes);
    const int fullScale = c.bits == 8 ? 128 : 32768;
    int peak = 0;
    for (int s : samples) peak = std::max(peak, s < 0 ? -s : s);
    EXPECT_LT(peak, fullScale - 1) << "a sample at full scale means the sound clipped";
    EXPECT_GT(peak, fullScale / 2) << "the sound is too quiet to hear over the engines";
    // Starting and ending on silence: no click from the edges of the buffer.
    for (std::uint32_t ch = 0; ch < c.channels; ++ch) {
        EXPECT_EQ(samples.at(ch), 0) << "first frame, channel " << ch;
        EXPECT_EQ(samples.at(samples.size() - c.channels + ch), 0) << "last frame, channel " << ch;
    }
}

std::string caseName(const ::testing::TestParamInfo<SoundCase>& info) {
    // switch_click.wav -> SwitchClick
    std::string name;
    bool upper = true;
    for (const char* p = info.param.file; *p != '\0' && *p != '.'; ++p) {
        if (*p == '_') {
            upper = true;
            continue;
        }
        name.push_back(upper ? static_cast<char>(*p - 'a' + 'A') : *p);
        upper = false;
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Committed, SoundResource, ::testing::ValuesIn(kCases), caseName);

// The metadata list after long_toggle_sound's data: an INFO list whose text fields fill its
// 152 bytes exactly, each field NUL-terminated.
TEST(LongToggleSound, MetadataListIsAWellFormedInfoList) {
    const SoundCase& c = kCases.at(4);
    ASSERT_STREQ(c.file, "long_toggle_sound.wav");
    const Bytes bytes = readFile(committedPath(c));
    ASSERT_EQ(bytes.size(), c.fileBytes);
    const std::size_t dataEnd = contentsOf(c, "data") + u32At(bytes, contentsOf(c, "data") - 4);
    EXPECT_EQ(dataEnd % 2, 1u) << "the list must start at the odd offset right after the data";
    EXPECT_EQ(tagAt(bytes, dataEnd), "LIST") << "no pad byte between data and list";

    const std::size_t list = contentsOf(c, "LIST");
    const std::size_t end = list + u32At(bytes, list - 4);
    ASSERT_EQ(end, bytes.size());
    EXPECT_EQ(tagAt(bytes, list), "INFO");
    std::vector<std::string> ids;
    std::size_t at = list + 4;
    while (at + 8 <= end) {
        const std::string id = tagAt(bytes, at);
        const std::uint32_t size = u32At(bytes, at + 4);
        ASSERT_LE(at + 8 + size, end) << id << " runs past the list";
        ASSERT_GT(size, 1u) << id << " holds no text";
        EXPECT_NE(bytes.at(at + 8), 0) << id << " text is empty";
        EXPECT_EQ(bytes.at(at + 8 + size - 1), 0) << id << " text is not NUL-terminated";
        ids.push_back(id);
        at += 8 + size + size % 2;
    }
    EXPECT_EQ(at, end) << "the fields must fill the list exactly";
    EXPECT_EQ(ids, (std::vector<std::string>{"INAM", "ICMT", "ISFT"}));
}

// gensounds, run into a fresh directory, writes exactly the committed bytes.
class Regeneration : public ::testing::TestWithParam<SoundCase> {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/gensounds-XXXXXX";
        if (mkdtemp(pattern) == nullptr) return;
        dir = pattern;
        const std::string command =
            std::string("'") + GENSOUNDS_PATH + "' '" + dir + "' > /dev/null";
        generated = std::system(command.c_str()) == 0;
    }
    static void TearDownTestSuite() {
        if (dir.empty()) return;
        for (const SoundCase& c : kCases) std::remove((dir + "/" + c.file).c_str());
        rmdir(dir.c_str());
    }
    static std::string dir;
    static bool generated;
};
std::string Regeneration::dir;
bool Regeneration::generated = false;

TEST_P(Regeneration, ReproducesTheCommittedBytes) {
    ASSERT_TRUE(generated) << "gensounds did not run into " << dir;
    const Bytes fresh = readFile(dir + "/" + GetParam().file);
    const Bytes committed = readFile(committedPath(GetParam()));
    ASSERT_EQ(fresh.size(), committed.size());
    EXPECT_TRUE(fresh == committed) << GetParam().file << " differs from a fresh synthesis";
}

INSTANTIATE_TEST_SUITE_P(Committed, Regeneration, ::testing::ValuesIn(kCases), caseName);

}  // namespace
