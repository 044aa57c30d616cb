#pragma once
// The system's own handler of magnet: links (the torrent client the user
// chose), for machines without Thunder. UI thread only.
#include "text/Text.h"

// True when the system names a program that opens magnet: links.
[[nodiscard]] bool HasMagnetHandler();

// Starts that program with `address` as one argument, what a URI may not
// hold unescaped percent-encoded, as a browser does; shows no system dialog
// when it cannot be started. False when it was not started.
bool OpenWithMagnetHandler(const Text& address);
