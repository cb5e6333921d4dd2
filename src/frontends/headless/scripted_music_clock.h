// A stand-in for the wave-output device that the renderer and tests follow:
// the position that each query after the last start answers is scripted.
// Past the end of the script the last answer repeats, so a short script
// ends in a stalled position.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "audio/music_service.h"

namespace qs3 {

struct MusicAnswer {
  std::uint32_t code = 0;  // nonzero: the query fails with this error
  std::uint32_t position = 0;
  friend bool operator==(const MusicAnswer&, const MusicAnswer&) = default;
};

class ScriptedMusicClock final : public MusicService {
 public:
  // Answers query n (counted from the last start) with `answers[n]`.
  explicit ScriptedMusicClock(std::vector<MusicAnswer> answers) : answers_(std::move(answers)) {}
  // Music that plays on at a steady rate, one tick's worth having played by
  // the first query: query n answers (n + 1) * bytesPerQuery.
  static ScriptedMusicClock Steady(std::uint32_t bytesPerQuery);

  std::uint32_t QueryPosition(PositionBlock& block) override;
  void Reset() override { playing_ = false; }
  void PlayFromStart() override {
    playing_ = true;
    queries_ = 0;
    ++starts_;
  }

  // As a player: the device opens and the file loads; playing starts the
  // script from its first answer.
  int OpenMusic(WindowHandle) override { return 1; }
  int LoadSound(const char*, int) override { return 1; }
  int PlaySlot(int, std::int32_t) override {
    PlayFromStart();
    return 1;
  }
  int CloseMusic() override {
    Reset();
    return 1;
  }

  int Starts() const { return starts_; }
  // From the `start`-th start of the music on (the first is 1), every query
  // fails with `code`, as when the sound device goes away between two
  // performances.
  void FailFromStart(int start, std::uint32_t code) {
    failFromStart_ = start;
    failCode_ = code;
  }

 private:
  MusicAnswer AnswerFor(std::uint32_t query) const;

  std::vector<MusicAnswer> answers_;
  std::uint32_t bytesPerQuery_ = 0;  // used when there is no script
  bool playing_ = false;
  std::uint32_t queries_ = 0;
  int starts_ = 0;
  int failFromStart_ = 0;  // 0: never
  std::uint32_t failCode_ = 0;
};

// A script as text: one answer a line, "POSITION" or "fail CODE"; blank lines
// and lines from '#' are skipped. None, with the line number in `error`, when
// a line is neither.
std::optional<std::vector<MusicAnswer>> ParseMusicScript(std::string_view text, std::string& error);

}  // namespace qs3
