// Turning a game whose code is source text into the form the game-creation tool stores its
// games in: every script, event, time-line moment, room creation code and instance creation
// code compiled to bytecode (CODE), with the variables and functions it uses named in VARI and
// FUNC, the globalvar declarations it met in GLOB, and its source texts and position tables for
// the debug side file.
//
// The code is compiled by the runner's own compiler against the game itself: the game is loaded
// into this process first, so resource names, scripts, extension functions, built-ins and the
// game's constants resolve exactly as they do when the runner compiles the source text. The
// process's script tables are left holding that game afterwards.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "data/game_data_writer.h"

class CCode;

// Compiles every piece of source text of game into stored bytecode and switches the game to
// that form. False, with error naming the code and the compiler's message, when the game does
// not load or some code does not compile; game is then unchanged.
bool StoredBytecode_CompileGame(GameDataWriter& game, std::string& error);

// One compiled code as the game file holds it: its string operands become indices into game's
// string table, and each variable access and call is recorded by name where it is used (the
// writer turns those into the chains the loader follows); the source text and the position
// table go with it for the debug side file. scriptName names script number n.
gamedata::StoredCode StoredBytecode_FromCode(const CCode& code, GameDataWriter& game,
                                             const std::function<std::string(int32_t script)>& scriptName);
