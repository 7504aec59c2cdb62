// Games written with the game data writer that seed the loader's fuzzing.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Built-in names the seed games call; the fuzz target registers them before loading.
inline constexpr const char* kSeedFunctionNames[] = {"show_message", "instance_create"};

// Named images: text-mode and bytecode-mode games, and a debug side file.
std::vector<std::pair<std::string, std::vector<uint8_t>>> SeedGames();
