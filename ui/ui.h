// Windows and the event queue, controls, requesters and message box, fonts,
// shared brushes and theme detection, live sizing, image control and image
// button, the display scale, and one running copy per session.
#pragma once

#include "ui/window.h"
#include "ui/font.h"
#include "ui/brush.h"
#include "ui/theme.h"
#include "ui/control.h"
#include "ui/requester.h"
#include "ui/scale.h"
#include "ui/instance.h"
