// kilnforge: plays a game data file.
#include <cstdio>
#include <new>

#include "runner/startup.h"
#include "script/code_nesting.h"

int main(int argc, char** argv) {
  Code_WidenNativeStack();
  try {
    return Runner_Main(argc, argv);
  } catch (const std::bad_alloc&) {
    // What game code asks for is refused where it asks; this is memory the runner itself
    // could not get.
    std::fputs("Out of memory.\n", stderr);
    return 1;
  }
}
