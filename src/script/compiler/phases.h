// Phases 2 to 4 of the compiler: name resolution, parsing and semantic checks.
#pragma once

#include <cstdint>

#include "script/compiler/code_node.h"
#include "script/compiler/token.h"

class CCode;

// How deep statements and expressions may nest: both the parser's own recursion (blocks,
// statements, brackets, arguments, indices, prefixes) and the height of the tree it builds
// (which chains of operators and members also raise). Deeper code is a compile error, so
// neither the parser nor any walker of a tree can exhaust the native stack.
inline constexpr int32_t kMaxNestingDepth = 1000;

// Resolves every token to a constant, a function, a variable or its own kind. False after
// the first unknown function name.
bool Code_Phase2(const CCode& code, const CodeTokenList& tokens, CodeElementList& elements);
// Parses a program into root. False after the first error.
bool Code_Phase3_Program(const CCode& code, const CodeElementList& elements, CodeNode& root);
// Parses one expression into root; elements after it are ignored. An empty list gives the
// constant 0.
bool Code_Phase3_Expression(const CCode& code, const CodeElementList& elements, CodeNode& root);
// Marks locals, fixes constant instances, folds constant operations and case labels.
bool Code_Phase4(const CCode& code, CodeNode& root);
