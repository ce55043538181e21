// ORBELUNE_FIRST_FRAME_REPORT=1: the first frame that the process presents writes two lines on
// standard error, "orbelune: first frame drawn by the hal device" (or "reference") and
// "orbelune: first frame presented at SECONDS.MICROSECONDS" in wall-clock time, so that a
// script that noted when it started the program can tell how long the start took
// (bench/saver/first_frame.sh) and which device drew. Not part of Direct3D 9.
// Implements: those lines. Leaves out: every later frame.
#pragma once

#include "d3d9.h"

namespace d3d9 {

// Called by Present after each frame the display took.
void NoteFramePresented(D3DDEVTYPE deviceType);

}  // namespace d3d9
