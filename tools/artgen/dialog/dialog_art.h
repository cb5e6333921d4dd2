// The settings window's art: background and button looks, its own palette.
#pragma once

#include "common/indexed_image.h"

namespace qs3::tools {

// 344 x 560: rows 0-223 the button looks over index 0, rows 224-559 the
// window background with no index-0 pixel. Index 255 is never used.
IndexedImage DrawDialogArt();

}  // namespace qs3::tools
