// Phase 1 of the compiler: source text to tokens.
#pragma once

#include <string_view>

#include "script/compiler/token.h"

class CCode;

// Turns code's source text into tokens; the end token is the last entry. False after the
// first character that starts no token ("Unexpected symbol." is reported there).
bool Code_Phase1(const CCode& code, CodeTokenList& tokens);

// The scanner on its own, for text without a code object: appends every token up to and
// including the end token or the first error token, and returns false on an error token.
bool Code_Phase1_Scan(std::string_view text, CodeTokenList& tokens);
