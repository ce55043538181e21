// The configuration mode: the settings dialog, shown without an owner window.
#pragma once

// Shows the configuration dialog modally and returns its end code (1 however it is closed).
int RunConfiguration();
