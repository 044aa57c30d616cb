#pragma once
// Which listed addresses the actions hand on. Platform-free.
#include "text/Text.h"

// Only a magnet link goes to the clipboard, to Thunder or to a saved list of
// links: a page's address could as well name a program to download
// (http://...exe), a local file (file:///) or another download manager's
// link. One holding a line break would become two lines.
[[nodiscard]] bool IsMagnetLink(TextView address);
