// Benchmark: the first play of each sound against a replay from the module's cache.
// Uses the sound reader and player (compiled in), the platform stand-ins and their controls.
//
// The sound path: the first play of each of the modules' sounds (finding and walking the WAVE
// resource, making the buffer and copying every sample in, then starting it) against a replay
// of the same sound from the module's cache (rewind and start). The sound reader and player are
// compiled in and play the committed WAVE files, registered as one module's resources under the
// first officer's overhead ids, through the DirectSound stand-in; the stand-in's own work
// (keeping a copy of the samples, logging each play) is part of both figures.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "frame/frame.h"
#include "resource_table.h"
#include "sound/player.h"
#include "sound/wave.h"
#include "sound_control.h"

namespace frame {
ModuleInstance moduleInstance = nullptr;
}
constinit SoundCacheEntries<8> soundCacheEntries{};
constinit SoundCache soundCache = soundCacheOver(soundCacheEntries);

namespace {

struct Sound {
    const char* name;
    uint16_t id;
};

constexpr Sound sounds[] = {
    {"switch_click", 9001},       {"magneto_click", 9101},       {"knob_click", 9201},
    {"selector_sound", 9301},     {"long_toggle_sound", 9401},   {"ignition_cut_sound", 9501},
    {"short_toggle_sound", 9601},
};

unsigned char moduleStandIn;
std::vector<std::vector<unsigned char>> files;
std::vector<NativeResource> resources;
NativeResourceTable table;

void registerSounds() {
    for (const Sound& s : sounds) {
        std::ifstream in(std::string(SOUND_DIR) + "/" + s.name + ".wav", std::ios::binary);
        files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    for (size_t i = 0; i < std::size(sounds); ++i)
        resources.push_back({sounds[i].id, 0, "WAVE", files[i].data(), uint32_t(files[i].size())});
    table = {resources.data(), uint32_t(resources.size())};
    platformRegisterResources(&moduleStandIn, &table);
    frame::moduleInstance = &moduleStandIn;
}

IDirectSound* newDevice() {
    IDirectSound* d = nullptr;
    DirectSoundCreate(nullptr, &d, nullptr);
    return d;
}

void firstPlay(benchmark::State& state, const Sound& s) {
    IDirectSound* device = newDevice();
    long made = 0;
    uint32_t bytes = 0;
    for (auto _ : state) {
        IDirectSoundBuffer* buffer = createWaveBuffer(device, s.id);
        if (!buffer) {
            state.SkipWithError("no buffer");
            break;
        }
        buffer->SetCurrentPosition(0);
        buffer->Play(0, 0, 0);
        buffer->Release();
        // The stand-in's play log keeps each played buffer's samples; empty it now and then.
        if (++made % 256 == 0) {
            state.PauseTiming();
            platformSoundReset();
            device = newDevice();
            state.ResumeTiming();
        }
    }
    const void* samples;
    findWaveResource(&moduleStandIn, s.id, nullptr, &samples, &bytes);
    state.counters["sample bytes"] = bytes;
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
}

void replay(benchmark::State& state, const Sound& s) {
    playSound(s.id);  // the first play makes the cached buffer
    for (auto _ : state) benchmark::DoNotOptimize(playSound(s.id));
    if (soundStatus != 0) state.SkipWithError("the sound did not play");
}

int registerAll() {
    registerSounds();
    // Replays first: the first-play runs start the stand-in afresh now and then, which takes
    // the player's device away.
    for (const Sound& s : sounds)
        benchmark::RegisterBenchmark((std::string("sound_replay/") + s.name).c_str(),
                                     [&s](benchmark::State& st) { replay(st, s); })
            ->Unit(benchmark::kMicrosecond)
            ->Iterations(200000);  // each play stays in the stand-in's log
    for (const Sound& s : sounds)
        benchmark::RegisterBenchmark((std::string("sound_first_play/") + s.name).c_str(),
                                     [&s](benchmark::State& st) { firstPlay(st, s); })
            ->Unit(benchmark::kMicrosecond);
    return 0;
}

const int registered = registerAll();

}  // namespace

BENCHMARK_MAIN();
