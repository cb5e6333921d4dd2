#include "frontends/headless/scripted_music_clock.h"

#include <charconv>

namespace qs3 {
namespace {

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::optional<std::uint32_t> ReadNumber(std::string_view text) {
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<MusicAnswer> ParseAnswer(std::string_view line) {
  constexpr std::string_view kFail = "fail ";
  if (line.starts_with(kFail)) {
    const auto code = ReadNumber(Trim(line.substr(kFail.size())));
    if (!code || *code == 0) return std::nullopt;
    return MusicAnswer{*code, 0};
  }
  const auto position = ReadNumber(line);
  if (!position) return std::nullopt;
  return MusicAnswer{0, *position};
}

}  // namespace

ScriptedMusicClock ScriptedMusicClock::Steady(std::uint32_t bytesPerQuery) {
  ScriptedMusicClock clock({});
  clock.bytesPerQuery_ = bytesPerQuery;
  return clock;
}

MusicAnswer ScriptedMusicClock::AnswerFor(std::uint32_t query) const {
  if (answers_.empty()) return {0, (query + 1) * bytesPerQuery_};
  return answers_[std::min<std::size_t>(query, answers_.size() - 1)];
}

std::uint32_t ScriptedMusicClock::QueryPosition(PositionBlock& block) {
  if (failFromStart_ > 0 && starts_ >= failFromStart_) return failCode_;
  // A stopped device holds its position at 0 until it is started again.
  const MusicAnswer answer = playing_ ? AnswerFor(queries_++) : MusicAnswer{};
  if (answer.code != 0) return answer.code;
  block.position = answer.position;
  return 0;
}

std::optional<std::vector<MusicAnswer>> ParseMusicScript(std::string_view text,
                                                         std::string& error) {
  std::vector<MusicAnswer> answers;
  int lineNumber = 0;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    ++lineNumber;
    line = Trim(line.substr(0, line.find('#')));
    if (line.empty()) continue;
    const std::optional<MusicAnswer> answer = ParseAnswer(line);
    if (!answer) {
      error = "line " + std::to_string(lineNumber) + ": expected a byte position or 'fail CODE'";
      return std::nullopt;
    }
    answers.push_back(*answer);
  }
  return answers;
}

}  // namespace qs3
