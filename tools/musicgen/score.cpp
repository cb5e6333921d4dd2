#include "score.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>

namespace qs3::musicgen {
namespace {

constexpr int kVoiceLimit = 16;  // one MIDI channel each
constexpr double kBeatLimit = 10000;

double parse_number(std::string_view text, const char* what) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) {
    throw std::invalid_argument(std::string("bad ") + what + " '" + std::string(text) + "'");
  }
  return value;
}

int parse_int_in(std::string_view text, const char* what, int low, int high) {
  const double value = parse_number(text, what);
  if (!(value >= low && value <= high) || value != std::floor(value)) {
    throw std::invalid_argument(std::string(what) + " '" + std::string(text) +
                                "' is not an integer in " + std::to_string(low) + ".." +
                                std::to_string(high));
  }
  return static_cast<int>(value);
}

double parse_beat(std::string_view text, const char* what) {
  const double value = parse_number(text, what);
  if (!(value >= 0 && value <= kBeatLimit)) {
    throw std::invalid_argument(std::string(what) + " '" + std::string(text) + "' is out of range");
  }
  return value;
}

double parse_length(std::string_view text) {
  const double value = parse_beat(text, "length");
  if (value <= 0)
    throw std::invalid_argument("length '" + std::string(text) + "' must be positive");
  return value;
}

// "1200/17" or "72".
double parse_tempo(std::string_view text) {
  const auto slash = text.find('/');
  double value = parse_number(text.substr(0, slash), "tempo");
  if (slash != std::string_view::npos)
    value /= parse_number(text.substr(slash + 1), "tempo divisor");
  if (!(value >= 10 && value <= 400))
    throw std::invalid_argument("tempo must be 10..400 beats per minute");
  return value;
}

std::vector<std::string> split_words(const std::string& line) {
  std::istringstream stream(line);
  std::vector<std::string> words;
  // A comment is a word that starts with '#', so sharps like "F#5" are safe.
  for (std::string word; stream >> word && word[0] != '#';) words.push_back(word);
  return words;
}

std::vector<std::string_view> split_fields(std::string_view token) {
  std::vector<std::string_view> fields;
  for (std::size_t begin = 0;;) {
    const auto colon = token.find(':', begin);
    fields.push_back(token.substr(begin, colon - begin));
    if (colon == std::string_view::npos) return fields;
    begin = colon + 1;
  }
}

class Parser {
 public:
  void line(int number, const std::vector<std::string>& words) {
    line_number_ = number;
    const std::string& command = words[0];
    if (command == "tempo") {
      expect(words, 2, "tempo BPM");
      score_.beats_per_minute = parse_tempo(words[1]);
    } else if (command == "voice") {
      voice(words);
    } else if (command == "note") {
      note(words);
    } else if (command == "seq") {
      sequence(words);
    } else if (command == "expression") {
      expect(words, 5, "expression START END FROM TO");
      score_.ramps.push_back({parse_beat(words[1], "start"), parse_beat(words[2], "end"),
                              parse_int_in(words[3], "expression", 0, 127),
                              parse_int_in(words[4], "expression", 0, 127)});
      if (score_.ramps.back().end_beat < score_.ramps.back().start_beat) {
        throw std::invalid_argument("the ramp ends before it starts");
      }
    } else if (command == "end") {
      expect(words, 2, "end BEAT");
      score_.end_beat = parse_beat(words[1], "end");
    } else {
      throw std::invalid_argument("unknown command '" + command + "'");
    }
  }

  Score finish() {
    if (score_.beats_per_minute == 0) throw std::invalid_argument("the score has no tempo");
    if (score_.end_beat == 0) throw std::invalid_argument("the score has no end");
    for (const Note& note : score_.notes) {
      if (note.start_beat + note.length_beats > score_.end_beat) {
        throw std::invalid_argument("the note of line " + std::to_string(note.line) +
                                    " lasts past the end");
      }
    }
    return std::move(score_);
  }

 private:
  static void expect(const std::vector<std::string>& words, std::size_t count, const char* usage) {
    if (words.size() != count) throw std::invalid_argument(std::string("expected '") + usage + "'");
  }

  void voice(const std::vector<std::string>& words) {
    expect(words, 3, "voice NAME PROGRAM");
    if (score_.voices.size() == kVoiceLimit) throw std::invalid_argument("too many voices");
    const auto same = [&](const Voice& v) { return v.name == words[1]; };
    if (std::ranges::any_of(score_.voices, same))
      throw std::invalid_argument("voice '" + words[1] + "' twice");
    score_.voices.push_back({words[1], parse_int_in(words[2], "program", 1, 128) - 1});
  }

  int voice_index(const std::string& name) const {
    const auto found = std::ranges::find(score_.voices, name, &Voice::name);
    if (found == score_.voices.end()) throw std::invalid_argument("unknown voice '" + name + "'");
    return static_cast<int>(found - score_.voices.begin());
  }

  void note(const std::vector<std::string>& words) {
    expect(words, 6, "note VOICE PITCH START LENGTH VELOCITY");
    score_.notes.push_back({voice_index(words[1]), parse_pitch(words[2]),
                            parse_beat(words[3], "start"), parse_length(words[4]),
                            parse_int_in(words[5], "velocity", 1, 127), line_number_});
  }

  // seq VOICE START VELOCITY PITCH:LENGTH[:VELOCITY]... where "r" is a rest.
  void sequence(const std::vector<std::string>& words) {
    if (words.size() < 5)
      throw std::invalid_argument("expected 'seq VOICE START VELOCITY PITCH:LENGTH...'");
    const int voice = voice_index(words[1]);
    double beat = parse_beat(words[2], "start");
    const int velocity = parse_int_in(words[3], "velocity", 1, 127);
    for (std::size_t i = 4; i < words.size(); ++i) {
      const auto fields = split_fields(words[i]);
      if (fields.size() < 2 || fields.size() > 3)
        throw std::invalid_argument("bad step '" + words[i] + "'");
      const double length = parse_length(fields[1]);
      if (fields[0] != "r") {
        const int step_velocity =
            fields.size() == 3 ? parse_int_in(fields[2], "velocity", 1, 127) : velocity;
        score_.notes.push_back(
            {voice, parse_pitch(fields[0]), beat, length, step_velocity, line_number_});
      }
      beat += length;
    }
  }

  Score score_;
  int line_number_ = 0;
};

}  // namespace

int parse_pitch(std::string_view text) {
  static constexpr int kPitchClass[] = {9, 11, 0, 2, 4, 5, 7};  // A..G
  if (text.size() < 2 || text[0] < 'A' || text[0] > 'G') {
    throw std::invalid_argument("bad pitch '" + std::string(text) + "'");
  }
  int key = kPitchClass[text[0] - 'A'];
  std::size_t octave_at = 1;
  if (text[1] == '#' || text[1] == 'b') {
    key += text[1] == '#' ? 1 : -1;
    octave_at = 2;
  }
  const int octave = parse_int_in(text.substr(octave_at), "octave", -1, 9);
  key += 12 * (octave + 1);
  if (key < 0 || key > 127)
    throw std::invalid_argument("pitch '" + std::string(text) + "' is outside MIDI");
  return key;
}

Score parse_score(std::istream& in, const std::string& source_name) {
  Parser parser;
  int line_number = 0;
  try {
    for (std::string text; std::getline(in, text);) {
      ++line_number;
      const auto words = split_words(text);
      if (!words.empty()) parser.line(line_number, words);
    }
    line_number = 0;
    return parser.finish();
  } catch (const std::invalid_argument& error) {
    const std::string where =
        line_number ? source_name + ":" + std::to_string(line_number) : source_name;
    throw ScoreError(where + ": " + error.what());
  }
}

}  // namespace qs3::musicgen
