// gensounds: synthesises the seven cockpit sounds carried as WAVE resources by the sound
// modules and writes them, as complete RIFF WAVE files, into the directory given as the first
// argument.
//
// Every sample is computed in integer fixed-point arithmetic (a home-made sine table, an
// xorshift noise source with a fixed seed, one-pole filters and envelopes), so the output is
// byte-identical on every run, compiler and machine. Each sound is normalised to a fixed peak
// below full scale, so nothing clips.
//
// The byte layout of each file (sample rate, width, channel count, data length and the
// chunks around the data) is fixed: the modules' players create their buffers exactly as long
// as the data chunk, and the resource reader is expected to cope with every variant written
// here (a "fact" chunk before the data, an 18-byte format block, an odd data length without
// its pad byte, a metadata list after the data).

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using i64 = std::int64_t;
using u64 = std::uint64_t;
using u32 = std::uint32_t;

constexpr i64 kOne = i64{1} << 30;  // unity in the Q30 envelopes and coefficients

// floor(v / 2^s) for either sign, independent of how the compiler shifts negative numbers.
i64 shr(i64 v, int s) { return v >= 0 ? (v >> s) : -(((-v) - 1) >> s) - 1; }

// a / b rounded to the nearest integer, halves away from zero; b > 0.
i64 divRound(i64 a, i64 b) { return a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b); }

// ---------------------------------------------------------------------------------------------
// Oscillators and noise

// One full sine cycle in 4096 steps (plus a guard entry), amplitude 32767, built from a
// fixed-point Taylor series of the first quarter.
class SineTable {
public:
    SineTable() {
        constexpr i64 halfPiQ30 = 1686629713;  // pi / 2 in Q30
        i64 quarter[1025];
        for (int i = 0; i <= 1024; ++i) {
            const i64 x = halfPiQ30 * i / 1024;
            const i64 x2 = shr(x * x, 30);
            i64 term = x;
            i64 sum = x;
            for (int k = 1; k <= 5; ++k) {
                term = -shr(term * x2, 30) / ((2 * k) * (2 * k + 1));
                sum += term;
            }
            quarter[i] = divRound(sum * 32767, kOne);
        }
        for (int i = 0; i < 4096; ++i) {
            const int q = i / 1024;
            const int r = i % 1024;
            const i64 v = (q % 2 == 0) ? quarter[r] : quarter[1024 - r];
            table_[i] = q < 2 ? v : -v;
        }
        table_[4096] = table_[0];
    }

    // Sine of a 32-bit phase (2^32 = one cycle), linearly interpolated, range +-32767.
    i64 operator()(u32 phase) const {
        const u32 index = phase >> 20;
        const i64 frac = (phase >> 4) & 0xFFFF;
        const i64 a = table_[index];
        const i64 b = table_[index + 1];
        return a + shr((b - a) * frac, 16);
    }

private:
    i64 table_[4097];
};

const SineTable sine;

// Phase step per sample for a frequency given in millihertz.
u32 phaseStep(i64 milliHz, int rate) {
    return static_cast<u32>((static_cast<u64>(milliHz) << 32) / (static_cast<u64>(rate) * 1000));
}

// xorshift32 white noise, range -32768..32767.
class Noise {
public:
    explicit Noise(u32 seed) : state_(seed) {}
    i64 operator()() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<i64>((state_ >> 16) & 0xFFFF) - 32768;
    }

private:
    u32 state_;
};

// Per-sample factor (Q30) of an exponential decay with the given time constant.
i64 decayFactor(i64 tauUs, int rate) { return kOne - kOne * 1000000 / (tauUs * rate); }

// Smoothing coefficient (Q30) of a one-pole low-pass with the given corner frequency.
i64 lowPassCoef(i64 cornerHz, int rate) {
    return kOne * 6283 * cornerHz / (static_cast<i64>(rate) * 1000 + 6283 * cornerHz);
}

// Smoothing coefficient (Q30) that follows a target with the given time constant.
i64 followCoef(i64 tauUs, int rate) { return kOne * 1000000 / (tauUs * rate); }

struct OnePole {
    i64 coef;
    i64 y = 0;
    i64 operator()(i64 x) {
        y += shr((x - y) * coef, 30);
        return y;
    }
};

// Band of noise between two corners: a low-pass at the upper corner minus a low-pass at the
// lower one.
struct NoiseBand {
    OnePole upper;
    OnePole lower;
    NoiseBand(int lowHz, int highHz, int rate)
        : upper{lowPassCoef(highHz, rate)}, lower{lowPassCoef(lowHz, rate)} {}
    i64 operator()(i64 x) {
        const i64 u = upper(x);
        return u - lower(u);
    }
};

using Track = std::vector<i64>;  // samples on a +-32767 scale before normalisation

int samplesAt(i64 us, int rate) { return static_cast<int>(us * rate / 1000000); }

// ---------------------------------------------------------------------------------------------
// Mechanical contacts

struct Partial {
    int milliHz;
    int amp;    // peak on the +-32767 scale
    int tauUs;  // decay time constant
};

// One mechanical contact: a sharp impulse, a burst of band-limited noise and the ringing of
// the struck parts, all starting at the same moment.
struct Hit {
    int atUs;
    int impulse;
    int noiseAmp;
    int noiseTauUs;
    int noiseLowHz;
    int noiseHighHz;
    std::vector<Partial> ring;
};

void addHit(Track& track, int rate, const Hit& hit, Noise& noise) {
    const int start = samplesAt(hit.atUs, rate);
    const int n = static_cast<int>(track.size());
    const i64 doublet[3] = {hit.impulse, -hit.impulse * 6 / 10, hit.impulse * 2 / 10};
    for (int i = 0; i < 3 && start + i < n; ++i) track[start + i] += doublet[i];

    NoiseBand band(hit.noiseLowHz, hit.noiseHighHz, rate);
    const i64 noiseDecay = decayFactor(hit.noiseTauUs, rate);
    i64 env = kOne;
    for (int i = start; i < n && env > (kOne >> 12); ++i) {
        track[i] += shr(shr(band(noise()) * hit.noiseAmp, 15) * env, 30);
        env = shr(env * noiseDecay, 30);
    }

    for (const Partial& p : hit.ring) {
        const u32 step = phaseStep(p.milliHz, rate);
        const i64 decay = decayFactor(p.tauUs, rate);
        u32 phase = 0;
        env = kOne;
        for (int i = start; i < n && env > (kOne >> 12); ++i) {
            track[i] += shr(shr(sine(phase) * p.amp, 15) * env, 30);
            phase += step;
            env = shr(env * decay, 30);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Motors

struct Harmonic {
    int num;  // frequency = shaft rate * num / den
    int den;
    int amp;
};

// An electric motor (or the pump it drives) switched on at `onUs` and off at `offUs`. The
// shaft speed follows the switch with exponential spin-up and run-down; every tone is a
// multiple of the shaft rate, so pitch and level rise and fall with the speed.
struct Motor {
    int onUs;
    int offUs;
    int upTauUs;
    int downTauUs;
    int shaftMilliHz;             // shaft rate at full speed
    std::vector<Harmonic> tones;  // shaft harmonics, gear mesh and commutator whine
    int pulseNum;                 // pumping pulsation at pulseNum * shaft rate
    int pulseDepth;               // depth of that pulsation, 0..32768
    int noiseAmp;                 // brush or flow noise
    int noiseLowHz;
    int noiseHighHz;
    int commutatorNum;            // brush noise swells at commutatorNum * shaft rate
    int commutatorDepth;          // 0..32768
    int jitter;                   // slow random speed wander, fraction of full speed in Q15
};

void addMotor(Track& track, int rate, const Motor& m, Noise& noise) {
    const int n = static_cast<int>(track.size());
    const int on = samplesAt(m.onUs, rate);
    const int off = samplesAt(m.offUs, rate);
    const i64 upCoef = followCoef(m.upTauUs, rate);
    const i64 downCoef = followCoef(m.downTauUs, rate);

    std::vector<u32> steps;
    for (const Harmonic& h : m.tones)
        steps.push_back(phaseStep(static_cast<i64>(m.shaftMilliHz) * h.num / h.den, rate));
    std::vector<u32> phases(m.tones.size(), 0);
    const u32 pulseStep = phaseStep(static_cast<i64>(m.shaftMilliHz) * m.pulseNum, rate);
    const u32 commutatorStep = phaseStep(static_cast<i64>(m.shaftMilliHz) * m.commutatorNum, rate);
    u32 pulsePhase = 0;
    u32 commutatorPhase = 0;

    NoiseBand band(m.noiseLowHz, m.noiseHighHz, rate);
    OnePole wander{lowPassCoef(6, rate)};
    i64 speed = 0;  // Q30

    for (int i = 0; i < n; ++i) {
        const i64 target = (i >= on && i < off) ? kOne : 0;
        speed += shr((target - speed) * (target != 0 ? upCoef : downCoef), 30);
        // The wander low-pass leaves only a few per cent of the noise; scale it back up.
        const i64 drift = wander(noise()) * 8;
        const i64 eff = speed + shr(shr(speed * drift, 15) * m.jitter, 15);

        i64 tone = 0;
        for (std::size_t k = 0; k < m.tones.size(); ++k) {
            tone += sine(phases[k]) * m.tones[k].amp;
            phases[k] += static_cast<u32>(shr(static_cast<i64>(steps[k]) * eff, 30));
        }
        tone = shr(tone, 15);

        const i64 swell = 32768 - m.commutatorDepth +
                          shr(m.commutatorDepth * (sine(commutatorPhase) + 32767), 16);
        const i64 brush = shr(shr(band(noise()) * m.noiseAmp, 15) * swell, 15);
        commutatorPhase += static_cast<u32>(shr(static_cast<i64>(commutatorStep) * eff, 30));

        i64 v = tone + brush;
        const i64 pulse = 32768 - shr(m.pulseDepth * (32767 - sine(pulsePhase)), 16);
        v = shr(v * pulse, 15);
        pulsePhase += static_cast<u32>(shr(static_cast<i64>(pulseStep) * eff, 30));

        track[i] += shr(v * eff, 30);
    }
}

// ---------------------------------------------------------------------------------------------
// Finishing

// Removes any standing offset (one-pole high-pass at about 20 Hz).
void blockDc(Track& track, int rate) {
    const i64 r = kOne - kOne * 6283 * 20 / (static_cast<i64>(rate) * 1000);
    i64 prevIn = 0;
    i64 prevOut = 0;
    for (i64& s : track) {
        const i64 out = s - prevIn + shr(r * prevOut, 30);
        prevIn = s;
        prevOut = out;
        s = out;
    }
}

// Fades linearly to silence over the last `us` microseconds.
void fadeOut(Track& track, int rate, int us) {
    const i64 len = samplesAt(us, rate);
    const i64 n = static_cast<i64>(track.size());
    for (i64 i = 0; i < len && i < n; ++i) {
        i64& s = track[n - 1 - i];
        s = divRound(s * i, len);
    }
}

// Scales the track so that its largest magnitude becomes `peak` (on the +-32767 scale).
void normalise(Track& track, i64 peak) {
    i64 largest = 1;
    for (i64 s : track) largest = std::max(largest, s < 0 ? -s : s);
    for (i64& s : track) s = divRound(s * peak, largest);
}

// ---------------------------------------------------------------------------------------------
// RIFF WAVE writing

class Bytes {
public:
    void u8(int v) { data_.push_back(static_cast<std::uint8_t>(v)); }
    void u16(u32 v) {
        u8(v & 0xFF);
        u8((v >> 8) & 0xFF);
    }
    void u32le(u32 v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void tag(const char* t) {
        for (int i = 0; i < 4; ++i) u8(t[i]);
    }
    void append(const std::vector<std::uint8_t>& more) {
        data_.insert(data_.end(), more.begin(), more.end());
    }
    std::size_t size() const { return data_.size(); }
    const std::vector<std::uint8_t>& data() const { return data_; }

private:
    std::vector<std::uint8_t> data_;
};

struct Format {
    int channels;
    int rate;
    int bits;
    bool extendedBlock;  // 18-byte format block with a zero extra-size field
    bool factChunk;      // "fact" chunk with the frame count between format and data
};

// Samples on the +-32767 scale, channels interleaved, in the file's own sample form:
// 8-bit unsigned around 128, 16-bit signed.
std::vector<std::uint8_t> encode(const Track& interleaved, int bits) {
    std::vector<std::uint8_t> out;
    for (i64 s : interleaved) {
        if (bits == 8) {
            const i64 v = std::min<i64>(255, std::max<i64>(0, 128 + divRound(s, 256)));
            out.push_back(static_cast<std::uint8_t>(v));
        } else {
            const i64 v = std::min<i64>(32767, std::max<i64>(-32768, s));
            const u32 w = static_cast<u32>(v) & 0xFFFF;
            out.push_back(static_cast<std::uint8_t>(w & 0xFF));
            out.push_back(static_cast<std::uint8_t>(w >> 8));
        }
    }
    return out;
}

// The metadata list that follows the data of the long toggle sound: name, comment and the
// writing program. The comment is padded with NULs so the whole list is `totalBytes` long,
// its 8-byte header included.
std::vector<std::uint8_t> infoList(const std::string& name, const std::string& comment,
                                   const std::string& software, std::size_t totalBytes) {
    auto field = [](std::string text) {
        text.push_back('\0');
        if (text.size() % 2 != 0) text.push_back('\0');
        return text;
    };
    const std::string nameField = field(name);
    const std::string softwareField = field(software);
    const std::size_t fixed = 8 + 4 + (8 + nameField.size()) + (8 + softwareField.size()) + 8;
    std::string commentField = field(comment);
    if (commentField.size() + fixed > totalBytes) return {};
    commentField.resize(totalBytes - fixed, '\0');
    if (commentField.size() % 2 != 0) return {};

    Bytes list;
    list.tag("LIST");
    list.u32le(static_cast<u32>(totalBytes - 8));
    list.tag("INFO");
    auto put = [&list](const char* id, const std::string& text) {
        list.tag(id);
        list.u32le(static_cast<u32>(text.size()));
        for (char c : text) list.u8(static_cast<unsigned char>(c));
    };
    put("INAM", nameField);
    put("ICMT", commentField);
    put("ISFT", softwareField);
    return list.data();
}

std::vector<std::uint8_t> waveFile(const Format& f, const Track& interleaved,
                                   const std::vector<std::uint8_t>& trailer) {
    const std::vector<std::uint8_t> samples = encode(interleaved, f.bits);
    const u32 blockAlign = static_cast<u32>(f.channels * f.bits / 8);

    Bytes body;
    body.tag("WAVE");
    body.tag("fmt ");
    body.u32le(f.extendedBlock ? 18 : 16);
    body.u16(1);  // PCM
    body.u16(static_cast<u32>(f.channels));
    body.u32le(static_cast<u32>(f.rate));
    body.u32le(static_cast<u32>(f.rate) * blockAlign);
    body.u16(blockAlign);
    body.u16(static_cast<u32>(f.bits));
    if (f.extendedBlock) body.u16(0);
    if (f.factChunk) {
        body.tag("fact");
        body.u32le(4);
        body.u32le(static_cast<u32>(samples.size() / blockAlign));
    }
    body.tag("data");
    body.u32le(static_cast<u32>(samples.size()));
    body.append(samples);
    // An odd data length is deliberately left without its pad byte: the players read no
    // further than the data chunk.
    body.append(trailer);

    Bytes file;
    file.tag("RIFF");
    file.u32le(static_cast<u32>(body.size()));
    file.append(body.data());
    return file.data();
}

// ---------------------------------------------------------------------------------------------
// The sounds

Track switchClick(int rate, int frames) {
    Track t(frames, 0);
    Noise noise(0x5EED0001u);
    // The toggle snaps over centre, then its lever settles against the stop.
    addHit(t, rate,
           {2000, 26000, 20000, 1200, 1500, 5000,
            {{1190000, 5000, 6000}, {2380000, 9000, 14000}, {3615000, 6000, 10000},
             {4470000, 4000, 7000}}},
           noise);
    addHit(t, rate, {10000, 9000, 8000, 800, 1800, 5000, {{2380000, 3000, 10000}}}, noise);
    blockDc(t, rate);
    fadeOut(t, rate, 8000);
    normalise(t, 27800);
    return t;
}

Track magnetoClick(int rate, int frames) {
    Track t(frames, 0);
    Noise noise(0x5EED0002u);
    // The detent ball lifts out of its notch with a soft tick, then the heavy rotary switch
    // drops into the next position.
    addHit(t, rate, {2000, 5000, 6000, 800, 800, 3000, {{1650000, 2500, 5000}}}, noise);
    addHit(t, rate,
           {18000, 26000, 18000, 1800, 600, 4000,
            {{340000, 12000, 9000}, {820000, 7000, 8000}, {1730000, 6000, 16000},
             {2910000, 3500, 11000}, {4105000, 2000, 7000}}},
           noise);
    blockDc(t, rate);
    fadeOut(t, rate, 10000);
    normalise(t, 27800);
    return t;
}

// Stereo: the left channel, and the right channel one frame later and slightly softer.
Track knobClick(int rate, int frames) {
    Track mono(frames, 0);
    Noise noise(0x5EED0003u);
    addHit(mono, rate,
           {500, 20000, 14000, 400, 3000, 9000, {{5230000, 6000, 2000}, {7810000, 3500, 1400}}},
           noise);
    blockDc(mono, rate);
    fadeOut(mono, rate, 2500);
    normalise(mono, 24000);
    Track stereo;
    for (int i = 0; i < frames; ++i) {
        stereo.push_back(mono[i]);
        stereo.push_back(i > 0 ? mono[i - 1] * 7 / 8 : 0);
    }
    return stereo;
}

// A geared selector drive: a mid-pitched motor with a pronounced gear-mesh whine.
Track selectorSound(int rate, int frames) {
    Track t(frames, 0);
    Noise noise(0x5EED0004u);
    const int lengthUs = static_cast<int>(static_cast<i64>(frames) * 1000000 / rate);
    addMotor(t, rate,
             {60000, lengthUs - 1000000, 260000, 230000, 48000,
              {{1, 1, 9000}, {2, 1, 14000}, {3, 1, 6000}, {4, 1, 3500}, {14, 1, 11000},
               {28, 1, 3500}},
              0, 0, 7000, 1500, 4000, 8, 18000, 700},
             noise);
    blockDc(t, rate);
    fadeOut(t, rate, 120000);
    normalise(t, 22900);
    return t;
}

// A hydraulic pump: slow shaft, nine pistons pulsing, low flow noise.
Track longToggleSound(int rate, int frames) {
    Track t(frames, 0);
    Noise noise(0x5EED0005u);
    const int lengthUs = static_cast<int>(static_cast<i64>(frames) * 1000000 / rate);
    addMotor(t, rate,
             {80000, lengthUs - 2300000, 450000, 500000, 24000,
              {{1, 1, 7000}, {2, 1, 10000}, {3, 1, 8000}, {9, 1, 15000}, {18, 1, 7000},
               {27, 1, 3500}, {41, 1, 2000}},
              9, 12000, 10000, 200, 1200, 9, 8000, 900},
             noise);
    blockDc(t, rate);
    fadeOut(t, rate, 150000);
    normalise(t, 22900);
    return t;
}

// A fast, whining motor that spins up slowly and coasts down for a long time.
Track ignitionCutSound(int rate, int frames) {
    Track t(frames, 0);
    Noise noise(0x5EED0006u);
    const int lengthUs = static_cast<int>(static_cast<i64>(frames) * 1000000 / rate);
    addMotor(t, rate,
             {50000, lengthUs - 3400000, 700000, 900000, 95000,
              {{1, 1, 10000}, {2, 1, 6000}, {3, 1, 3000}, {17, 1, 9000}, {34, 1, 2500}},
              0, 0, 4500, 2000, 5000, 17, 20000, 500},
             noise);
    blockDc(t, rate);
    fadeOut(t, rate, 150000);
    normalise(t, 22900);
    return t;
}

// A small actuator: its relay pulls in, the motor buzzes briefly, the relay drops out and
// the motor stops.
Track shortToggleSound(int rate, int frames) {
    Track t(frames, 0);
    Noise noise(0x5EED0007u);
    const int lengthUs = static_cast<int>(static_cast<i64>(frames) * 1000000 / rate);
    const int offUs = lengthUs - 500000;
    addMotor(t, rate,
             {30000, offUs, 80000, 110000, 60000,
              {{1, 1, 8000}, {2, 1, 12000}, {3, 1, 7000}, {4, 1, 6000}, {5, 1, 3000},
               {6, 1, 3500}, {13, 1, 8000}, {26, 1, 3000}},
              2, 6000, 8000, 1000, 3000, 13, 14000, 900},
             noise);
    const std::vector<Partial> relayRing = {{1900000, 4000, 6000}, {3100000, 2500, 4000}};
    addHit(t, rate, {20000, 16000, 12000, 1000, 900, 3500, relayRing}, noise);
    addHit(t, rate, {offUs, 12000, 9000, 900, 900, 3500, relayRing}, noise);
    blockDc(t, rate);
    fadeOut(t, rate, 60000);
    normalise(t, 22900);
    return t;
}

struct Sound {
    const char* file;
    Format format;
    int dataBytes;
    Track (*make)(int rate, int frames);
    int trailerBytes;  // metadata list after the data (0 = none)
    std::size_t fileBytes;
};

const Sound kSounds[] = {
    {"switch_click.wav", {1, 11025, 16, false, true}, 1534, switchClick, 0, 1590},
    {"magneto_click.wav", {1, 11025, 16, false, false}, 1534, magnetoClick, 0, 1578},
    {"knob_click.wav", {2, 22050, 8, true, true}, 628, knobClick, 0, 686},
    {"selector_sound.wav", {1, 11025, 8, false, false}, 60310, selectorSound, 0, 60354},
    {"long_toggle_sound.wav", {1, 11025, 8, false, false}, 121885, longToggleSound, 160, 122089},
    {"ignition_cut_sound.wav", {1, 11025, 16, false, false}, 181998, ignitionCutSound, 0, 182042},
    {"short_toggle_sound.wav", {1, 8000, 8, false, false}, 17579, shortToggleSound, 0, 17623},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output directory>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    for (const Sound& s : kSounds) {
        const int blockAlign = s.format.channels * s.format.bits / 8;
        const int frames = s.dataBytes / blockAlign;
        std::vector<std::uint8_t> trailer;
        if (s.trailerBytes != 0) {
            trailer = infoList("Long toggle sound",
                               "Electric pump run: spin-up, steady run, run-down. "
                               "Mono, 11025 Hz, 8-bit.",
                               "gensounds", static_cast<std::size_t>(s.trailerBytes));
            if (trailer.size() != static_cast<std::size_t>(s.trailerBytes)) {
                std::fprintf(stderr, "%s: metadata does not fit its %d bytes\n", s.file,
                             s.trailerBytes);
                return 1;
            }
        }
        const std::vector<std::uint8_t> bytes =
            waveFile(s.format, s.make(s.format.rate, frames), trailer);
        if (bytes.size() != s.fileBytes) {
            std::fprintf(stderr, "%s: built %zu bytes, expected %zu\n", s.file, bytes.size(),
                         s.fileBytes);
            return 1;
        }
        const std::string path = dir + "/" + s.file;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "%s: cannot write\n", path.c_str());
            return 1;
        }
        std::printf("wrote %s (%zu bytes)\n", path.c_str(), bytes.size());
    }
    return 0;
}
