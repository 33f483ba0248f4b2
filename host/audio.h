// Mixing the sounds of a run into one WAVE file a person can listen to.
#pragma once

#include <string>

#include "panel.h"

namespace host {

// Writes a 22050 Hz 16-bit mono WAVE file of every sound the panel recorded, each starting
// at its update's time (updatesPerSecond updates a second), sounds closer than a fifth of a
// second moved apart so each is heard. A sound started again cuts its
// earlier start short, as one buffer per sound plays once at a time.
bool writeRunAudio(const Panel& panel, double updatesPerSecond, const std::string& path);

}  // namespace host
