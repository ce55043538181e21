// The command line of `orbelune-tool frame`, read and checked.
#pragma once

#include "d3d9api.h"
#include "winapi.h"

struct FrameRequest {
  DWORD milliseconds = 0;  // the frame's clock reading, counted from the scene's start
  int width = 0;           // of the screen, and so of the frame
  int height = 0;
  const char* registryFile = nullptr;  // none: the user's own store
  const char* outFile = nullptr;
  D3DDEVTYPE deviceType = D3DDEVTYPE_REF;  // HAL: the OpenGL device, on the X display
};

// Reads the arguments after "frame" into *request. On a wrong command line tells what is
// wrong, with the usage, and returns false.
bool ReadFrameArguments(int argc, char** argv, FrameRequest* request);
