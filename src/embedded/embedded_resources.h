// The picture resources compiled into builds that have no Win32 resource
// section: the RCDATA files of resources/qs3.rc, under the same ids.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "seam/resource_source.h"

namespace qs3 {

struct EmbeddedResource {
  int id;
  const std::uint8_t* data;
  std::size_t size;
};

// Generated at build time from the resource script.
std::span<const EmbeddedResource> EmbeddedResources();

class EmbeddedResourceSource final : public ResourceSource {
 public:
  std::optional<ResourceBytes> FindResourceBytes(int id) override;
};

}  // namespace qs3
