// Plays a score through FluidSynth and returns the mono mix.
#pragma once

#include <string>
#include <vector>

#include "score.h"

namespace qs3::musicgen {

// Renders `score` with the instruments of `soundfont_path` at `sample_rate`
// and mixes the stereo output (with the synth's reverb) down to mono.
std::vector<float> render_score(const Score& score, const std::string& soundfont_path,
                                int sample_rate);

}  // namespace qs3::musicgen
