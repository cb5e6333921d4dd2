// What the picture loaders expect of the OS: the bytes of a resource of type
// RCDATA by its numeric id. The Win32 front end reads the executable's own
// resources; other builds carry the same bytes compiled in.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace qs3 {

using ResourceBytes = std::span<const std::uint8_t>;

class ResourceSource {
 public:
  virtual ~ResourceSource() = default;
  // None when there is no resource of that id (or the id is 0). The bytes stay
  // valid for the life of the process.
  virtual std::optional<ResourceBytes> FindResourceBytes(int id) = 0;
};

}  // namespace qs3
