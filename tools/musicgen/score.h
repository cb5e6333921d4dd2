// A string-quartet score in a small line format (documented at the top of
// score/bgm10.score) and its parser.
#pragma once

#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qs3::musicgen {

// A parse error that names the file and line it was found on.
class ScoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Voice {
  std::string name;
  int program = 0;  // General MIDI program, 0-based (Violin is 40)
};

struct Note {
  int voice = 0;  // index into Score::voices, which is also the MIDI channel
  int key = 0;    // MIDI key number
  double start_beat = 0;
  double length_beats = 0;
  int velocity = 0;
  int line = 0;  // where the score gives it, for error messages
};

// A linear ramp of MIDI expression (CC 11) on every channel.
struct ExpressionRamp {
  double start_beat = 0;
  double end_beat = 0;
  int from = 127;
  int to = 127;
};

struct Score {
  double beats_per_minute = 0;
  double end_beat = 0;  // the rendering stops here
  std::vector<Voice> voices;
  std::vector<Note> notes;
  std::vector<ExpressionRamp> ramps;

  double seconds_at(double beat) const { return beat * 60.0 / beats_per_minute; }
};

// Parses a score; `source_name` only labels error messages.
Score parse_score(std::istream& in, const std::string& source_name);

// "C4" is 60, "F#5" is 78, "Bb3" is 58. Throws std::invalid_argument.
int parse_pitch(std::string_view text);

}  // namespace qs3::musicgen
