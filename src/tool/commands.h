// The subcommands of orbelune-tool. Each takes the arguments after its own name and returns
// the process exit code: 0 when it did its work, 1 with a message on stderr when a file did
// not load or could not be written, 2 for a wrong command line.
#pragma once

inline constexpr char kImageUsage[] = "orbelune-tool image FILE [--out OUT.bmp]";
inline constexpr char kMeshUsage[] = "orbelune-tool mesh FILE [--dump]";
inline constexpr char kFrameUsage[] =
    "orbelune-tool frame --time MS --size WxH [--registry FILE] [--device ref|hal] --out FILE.bmp";

int RunImageCommand(int argc, char** argv);
int RunMeshCommand(int argc, char** argv);
int RunFrameCommand(int argc, char** argv);
