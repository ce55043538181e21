// Collecting the X errors of a stretch of requests on one connection, instead of letting Xlib
// end the process: a foreign window may vanish between any two requests.
// Not part of Win32: used by the X11 code of the SDL display backend.
#pragma once

#include <X11/Xlib.h>

namespace standin {

// Collects the X errors of the requests made while it lives.
class ErrorTrap {
 public:
  explicit ErrorTrap(::Display* display);
  ~ErrorTrap();
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;

  // Whether any request so far failed; waits for the server's answers.
  bool Failed();

 private:
  ::Display* display_;
  int (*previous_)(::Display*, XErrorEvent*) = nullptr;
};

}  // namespace standin
