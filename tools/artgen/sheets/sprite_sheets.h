// The quartet's three sprite sheets, drawn from editable vector sources.
#pragma once

#include "common/indexed_image.h"

namespace qs3::tools {

struct SpriteSheets {
  IndexedImage sheet0;  // resource 114: first violin, and the viola's and cellist's ending poses
  IndexedImage sheet1;  // resource 115: second violin and viola
  IndexedImage sheet2;  // resource 113: cellist, and the first violin's ending pose
};

// All three carry the same palette; index 0 is the transparent black stage,
// index 255 is never used.
SpriteSheets DrawSpriteSheets();

}  // namespace qs3::tools
