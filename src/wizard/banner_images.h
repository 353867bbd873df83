// The grey banners shown at the top and the bottom of every wizard page.
#pragma once

namespace tessaly::wizard {

// 532 x 36 pixels, 80 grey levels.
extern const char* const kTopBannerXpm[];
// 532 x 19 pixels, 77 grey levels.
extern const char* const kBottomBannerXpm[];

}  // namespace tessaly::wizard
