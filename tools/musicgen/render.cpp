#include "render.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <tuple>

namespace qs3::musicgen {
namespace {

struct SettingsDeleter {
  void operator()(fluid_settings_t* settings) const { delete_fluid_settings(settings); }
};
struct SynthDeleter {
  void operator()(fluid_synth_t* synth) const { delete_fluid_synth(synth); }
};
using SettingsPtr = std::unique_ptr<fluid_settings_t, SettingsDeleter>;
using SynthPtr = std::unique_ptr<fluid_synth_t, SynthDeleter>;

constexpr int kExpressionController = 11;
constexpr double kRampStepBeats = 1.0 / 16;  // smooth enough that no step is heard

// One timed MIDI message. Note-offs sort before note-ons at the same sample
// so that a repeated key is struck again.
struct Event {
  enum class Kind { kNoteOff, kControl, kNoteOn };
  long long sample = 0;
  Kind kind = Kind::kNoteOn;
  int channel = 0;
  int number = 0;  // key or controller
  int value = 0;   // velocity or controller value

  auto order() const { return std::tuple(sample, kind, channel, number); }
};

SettingsPtr make_settings(int sample_rate) {
  SettingsPtr settings(new_fluid_settings());
  if (!settings) throw std::runtime_error("cannot create FluidSynth settings");
  fluid_settings_setnum(settings.get(), "synth.sample-rate", sample_rate);
  fluid_settings_setint(settings.get(), "synth.chorus.active", 0);  // chorus blurs the solo strings
  fluid_settings_setint(settings.get(), "synth.reverb.active", 1);  // a little room
  fluid_settings_setint(settings.get(), "synth.cpu-cores", 1);  // one thread renders reproducibly
  return settings;
}

std::vector<Event> timed_events(const Score& score, int sample_rate) {
  const auto sample_at = [&](double beat) {
    return std::llround(score.seconds_at(beat) * sample_rate);
  };
  std::vector<Event> events;
  for (const Note& note : score.notes) {
    events.push_back(
        {sample_at(note.start_beat), Event::Kind::kNoteOn, note.voice, note.key, note.velocity});
    events.push_back({sample_at(note.start_beat + note.length_beats), Event::Kind::kNoteOff,
                      note.voice, note.key, 0});
  }
  for (const ExpressionRamp& ramp : score.ramps) {
    const int steps = std::max(
        1, static_cast<int>(std::ceil((ramp.end_beat - ramp.start_beat) / kRampStepBeats)));
    for (int step = 0; step <= steps; ++step) {
      const double t = static_cast<double>(step) / steps;
      const int value = static_cast<int>(std::lround(ramp.from + (ramp.to - ramp.from) * t));
      const double beat = ramp.start_beat + (ramp.end_beat - ramp.start_beat) * t;
      for (int channel = 0; channel < static_cast<int>(score.voices.size()); ++channel) {
        events.push_back(
            {sample_at(beat), Event::Kind::kControl, channel, kExpressionController, value});
      }
    }
  }
  std::ranges::stable_sort(events, {}, &Event::order);
  return events;
}

void send(fluid_synth_t* synth, const Event& event) {
  switch (event.kind) {
    case Event::Kind::kNoteOn:
      fluid_synth_noteon(synth, event.channel, event.number, event.value);
      break;
    case Event::Kind::kNoteOff:
      fluid_synth_noteoff(synth, event.channel, event.number);
      break;
    case Event::Kind::kControl:
      fluid_synth_cc(synth, event.channel, event.number, event.value);
      break;
  }
}

}  // namespace

std::vector<float> render_score(const Score& score, const std::string& soundfont_path,
                                int sample_rate) {
  const SettingsPtr settings = make_settings(sample_rate);
  const SynthPtr synth(new_fluid_synth(settings.get()));
  if (!synth) throw std::runtime_error("cannot create the FluidSynth synthesizer");
  const int font = fluid_synth_sfload(synth.get(), soundfont_path.c_str(), 1);
  if (font == FLUID_FAILED) throw std::runtime_error("cannot load the SoundFont " + soundfont_path);
  for (int channel = 0; channel < static_cast<int>(score.voices.size()); ++channel) {
    if (fluid_synth_program_select(synth.get(), channel, font, 0, score.voices[channel].program) !=
        FLUID_OK) {
      throw std::runtime_error("the SoundFont has no program " +
                               std::to_string(score.voices[channel].program + 1));
    }
  }

  const auto total =
      static_cast<std::size_t>(std::llround(score.seconds_at(score.end_beat) * sample_rate));
  std::vector<float> left(total), right(total);
  std::size_t done = 0;
  // Render up to each event's sample, then send it. FluidSynth starts it with its
  // next 64-sample block, so a note is at most 1.5 ms late.
  const auto render_to = [&](std::size_t until) {
    until = std::min(until, total);
    if (until <= done) return;
    const int count = static_cast<int>(until - done);
    fluid_synth_write_float(synth.get(), count, left.data() + done, 0, 1, right.data() + done, 0,
                            1);
    done = until;
  };
  for (const Event& event : timed_events(score, sample_rate)) {
    render_to(static_cast<std::size_t>(event.sample));
    send(synth.get(), event);
  }
  render_to(total);

  std::vector<float> mono(total);
  std::ranges::transform(left, right, mono.begin(),
                         [](float l, float r) { return 0.5f * (l + r); });
  return mono;
}

}  // namespace qs3::musicgen
