// Implements: the trap for X errors. Xlib reports errors to one process-wide handler, so the
// trap swaps its own in and the previous one back; the synchronisations at both ends keep the
// errors of other requests out of it.
#include "x11_error_trap.h"

namespace standin {
namespace {

int trappedErrorCode = 0;

int RecordError(::Display*, XErrorEvent* error) {
  trappedErrorCode = error->error_code;
  return 0;
}

}  // namespace

ErrorTrap::ErrorTrap(::Display* display) : display_(display) {
  XSync(display_, False);
  trappedErrorCode = 0;
  previous_ = XSetErrorHandler(RecordError);
}

ErrorTrap::~ErrorTrap() {
  XSync(display_, False);
  XSetErrorHandler(previous_);
}

bool ErrorTrap::Failed() {
  XSync(display_, False);
  return trappedErrorCode != 0;
}

}  // namespace standin
