// Whether GTK 3 can show anything in this process. Internal to the stand-ins.
#pragma once

namespace standin {

// True once GTK has opened the display; false on the headless display backend or when no
// display can be opened. Asked once; the answer holds for the whole run.
bool GtkAvailable();

}  // namespace standin
