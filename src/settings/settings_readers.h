// The readers that load and check the settings record.
#pragma once

#include "settings/settings.h"

// Reads every setting into g_startupSettings, replacing failed or out-of-range reads by their
// fallbacks, and flips DefImageNum in the store so that the next start shows the other
// built-in image. Called once per run, at renderer start.
void LoadStartupSettings();

// Reads what LoadStartupSettings reads, with the same checks and fallbacks, and changes nothing
// in the store: the key is not created where it is missing and DefImageNum is not flipped, so
// *settings holds what the next start will use. For tools that show that start's picture.
void PeekStartupSettings(Settings* settings);

// Reads the settings the configuration dialog edits (all but DefImageNum, which it neither
// reads nor writes) with the dialog's fallbacks.
void ReadDialogSettings(Settings* settings);
