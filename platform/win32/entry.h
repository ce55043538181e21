// Implements: the Windows GUI entry convention. The program's main() (entry_main.cpp) builds
// the command-line text from its arguments, joined by single blanks and quoted where they hold
// blanks or quotes (as Windows writes them), and calls WinMain, which
// the system code defines. Leaves out: nCmdShow other than SW_SHOWNORMAL.
#pragma once

#include "win32_types.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd);
