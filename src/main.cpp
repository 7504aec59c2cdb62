// kilnforge: plays a game data file.
#include "runner/startup.h"

int main(int argc, char** argv) { return Runner_Main(argc, argv); }
