// ORBELUNE_ASSERT(condition): an invariant that the code relies on, checked in debug builds and
// in builds that define ORBELUNE_ASSERTIONS (the fuzz build), where a failure names the file,
// line and condition on standard error and aborts. Release builds compile the check out, leaving
// the condition unevaluated (it must have no effect the program needs).
//
// It uses the standard library alone, so that the system code here and the Linux stand-ins of
// platform/ share it, as src/ shares nothing else with them; it is a macro, not a function, so
// that files built for other instruction sets (the AVX2 ones) emit no copy of their own.
#pragma once

#if !defined(NDEBUG) || defined(ORBELUNE_ASSERTIONS)
#include <cstdio>
#include <cstdlib>

#define ORBELUNE_ASSERT(condition)                                                                       \
  ((condition) ? static_cast<void>(0)                                                                    \
               : (std::fprintf(stderr, "%s:%d: assertion failed: %s\n", __FILE__, __LINE__, #condition), \
                  std::fflush(stderr), std::abort()))
#else
#define ORBELUNE_ASSERT(condition) static_cast<void>(sizeof(!(condition)))
#endif
