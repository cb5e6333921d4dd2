// One ordered record of calls across several fakes, so tests can check the
// order in which the core drives different services.
#pragma once

#include <string>
#include <vector>

namespace qs3::fakes {

struct CallLog {
  std::vector<std::string> calls;
  void Add(std::string call) { calls.push_back(std::move(call)); }
  void Clear() { calls.clear(); }
};

}  // namespace qs3::fakes
