// Stand-in for the Win32 subset that the system code relies on, on platforms without Win32.
// Every declaration carries the real name, signature and constant value.
#pragma once

#include "win32_types.h"
#include "error.h"
#include "timer.h"
#include "processor.h"
#include "mutex.h"
#include "file.h"
#include "registry.h"
#include "resource.h"
#include "window.h"
#include "gdi.h"
#include "dialog.h"
#include "dialog_box.h"
#include "common_controls.h"
#include "common_dialogs.h"
#include "entry.h"
