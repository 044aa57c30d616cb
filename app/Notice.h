#pragma once
// A notice for the user ("提示"). UI thread only.
#include "text/Text.h"

// No owner, so task-modal keeps the window from being used while it is open.
void ShowNotice(TextView text);
