// The subcommands of orbelune-tool. Each takes the arguments after its own name and returns
// the process exit code: 0 when the file loads, non-zero with a message on stderr otherwise.
#pragma once

int RunImageCommand(int argc, char** argv);
int RunMeshCommand(int argc, char** argv);
