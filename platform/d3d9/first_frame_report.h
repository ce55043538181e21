// ORBELUNE_FIRST_FRAME_REPORT=1: the first frame that the process presents writes one line on
// standard error, "orbelune: first frame presented at SECONDS.MICROSECONDS" in wall-clock time,
// so that a script that noted when it started the program can tell how long the start took
// (bench/saver/first_frame.sh). Not part of Direct3D 9.
// Implements: that line. Leaves out: every later frame.
#pragma once

namespace d3d9 {

// Called by Present after each frame the display took.
void NoteFramePresented();

}  // namespace d3d9
