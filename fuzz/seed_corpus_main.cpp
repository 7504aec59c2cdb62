// Writes the seed corpus of the loader's fuzz target into the folder given as argument.
#include <cstdio>
#include <fstream>

#include "seed_games.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seed_corpus <folder>\n");
    return 2;
  }
  for (const auto& [name, bytes] : SeedGames()) {
    std::ofstream out(std::string(argv[1]) + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", name.c_str());
      return 1;
    }
  }
  return 0;
}
