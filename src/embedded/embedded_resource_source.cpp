#include "embedded/embedded_resources.h"

namespace qs3 {

std::optional<ResourceBytes> EmbeddedResourceSource::FindResourceBytes(int id) {
  if (id == 0) return std::nullopt;
  for (const EmbeddedResource& resource : EmbeddedResources())
    if (resource.id == id) return ResourceBytes(resource.data, resource.size);
  return std::nullopt;
}

}  // namespace qs3
