// RCDATA resources of the executable itself.
#pragma once

#include <windows.h>

#include "seam/resource_source.h"

namespace qs3::win32 {

class Win32ResourceSource final : public ResourceSource {
 public:
  explicit Win32ResourceSource(HINSTANCE instance) : instance_(instance) {}
  std::optional<ResourceBytes> FindResourceBytes(int id) override;

 private:
  HINSTANCE instance_;
};

}  // namespace qs3::win32
