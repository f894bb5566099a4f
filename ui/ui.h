// Windows and the event queue, controls, requesters and message box, fonts,
// shared brushes and theme detection, live sizing, image control and image
// button, and the display scale.
#pragma once

#include "ui/window.h"
#include "ui/font.h"
#include "ui/brush.h"
#include "ui/theme.h"
#include "ui/control.h"
#include "ui/requester.h"
#include "ui/scale.h"
