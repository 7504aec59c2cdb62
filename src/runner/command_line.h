// The process command line: kept whole for the parameter built-ins, and parsed into
// g_RunOptions.
#pragma once

#include <string>
#include <vector>

// Keeps the arguments (argv[0] included) and a joined copy of the whole command line.
void CommandLine_Keep(int argc, const char* const* argv);
// The arguments as the process received them, argv[0] first.
const std::vector<std::string>& CommandLine_Arguments();
// The whole command line as one text: the arguments joined by blanks, each argument that is
// empty or holds a blank, tab or double quote written in double quotes.
const std::string& CommandLine_Copy();

// Resets every option flag of g_RunOptions, then reads the tokens in order (tokens[0] is
// the program's own path and, like every token that is no option, is ignored). The game
// file name and the trace flag are not reset. An option that needs an argument but stands
// last gets an empty argument.
void ParseCommandLine(const std::vector<std::string>& tokens);

// "name@line" split at its first "@": the line is the decimal number after it as atoi
// reads it (0 when there is no "@" or no digits), saturated to the int32 range.
void CommandLine_SplitBreakpoint(const std::string& argument, std::string& codeName, int& line);
