// kilnforge-pack: builds a game data file from a folder holding a manifest ("game.manifest")
// and the source files it names.
//   kilnforge-pack <folder> [-o <output file>] [-source]
// The code is compiled and stored as bytecode, as the game-creation tool stores its games,
// with the debug side file (source texts and positions, for error messages and breakpoints)
// beside the output; -source stores the source texts instead.
// Default output: <folder>/data.win.
#include <cstdio>
#include <cstring>
#include <string>

#include "data/game_data_writer.h"
#include "data/pack_manifest.h"
#include "stored_bytecode.h"

int main(int argc, char** argv) {
  std::string folder, output;
  bool source = false, wrongArguments = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) output = argv[++i];
    else if (std::strcmp(argv[i], "-source") == 0) source = true;
    else if (folder.empty() && argv[i][0] != '-') folder = argv[i];
    else wrongArguments = true;
  }
  if (wrongArguments || folder.empty()) {
    std::fprintf(stderr, "usage: kilnforge-pack <folder> [-o <output file>] [-source]\n");
    return 2;
  }
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (output.empty()) output = folder + "/data.win";

  GameDataWriter game;
  std::string error;
  if (!PackManifest_Read(folder + "/game.manifest", game, error)) {
    std::fprintf(stderr, "kilnforge-pack: %s/game.manifest: %s\n", folder.c_str(), error.c_str());
    return 1;
  }
  if (!source && !StoredBytecode_CompileGame(game, error)) {
    std::fprintf(stderr, "kilnforge-pack: %s\n", error.c_str());
    return 1;
  }
  if (!game.WriteFile(output)) {
    std::fprintf(stderr, "kilnforge-pack: cannot write %s\n", output.c_str());
    return 1;
  }
  std::printf("kilnforge-pack: wrote %s (%zu scripts, %zu objects, %zu rooms, %s)\n", output.c_str(),
              game.scripts.size(), game.objects.size(), game.rooms.size(),
              source ? "source text" : "stored bytecode");
  return 0;
}
