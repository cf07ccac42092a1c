#include <cstdio>

#include "tools/tool_commands.h"

int DescribeCommand(int argc, char** argv) {
  std::fprintf(stderr, "veltrane-tool %s: not built yet\n", argv[0]);
  return 1;
}
