#include "shell/configuration_mode.h"

#include "settings/config_dialog.h"
#include "shell/saver_state.h"

int RunConfiguration() { return static_cast<int>(ShowConfigDialog(appInstance)); }
