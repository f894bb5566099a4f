// Whether controls are drawn with visual styles: the common-controls version
// and the theme service, looked up at run time.
#pragma once

#include <cstdint>

// The common-controls version as (major << 16) | minor, determined once; also
// decides whether controls are drawn with visual styles.
uint32_t theme_detect();
// Whether visual styles are active and the common controls are at least 6.0
// (false until theme_detect has run).
bool theme_is_themed();
