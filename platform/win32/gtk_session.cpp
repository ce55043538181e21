// Implements: the one check whether GTK 3 is usable, shared by the message boxes, dialogs and
// choosers. Leaves out: reopening a display that was lost.
#include "gtk_session.h"

#include <gtk/gtk.h>

#include "headless_display.h"

namespace standin {

bool GtkAvailable() {
  static const bool available = !headless::Active() && gtk_init_check(nullptr, nullptr);
  return available;
}

}  // namespace standin
