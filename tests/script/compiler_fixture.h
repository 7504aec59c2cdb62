// Helpers for compiler tests: a few registered functions, the built-in constants, and a
// compact text form of parse trees.
#pragma once

#include <memory>
#include <string>

#include "script/code.h"
#include "script/compiler/compile_error_sink.h"

// Registers the test functions (unless they are there) and the built-in constants:
//   two_args (2 arguments), any_args (any number), no_args (none).
void CompilerFixture_Init();

// Compiles text; the result holds the code object and whether Compile succeeded.
struct CompileResult {
  std::unique_ptr<CCode> code;
  bool ok = false;
  CompileErrorRecord error;
};
CompileResult CompileText(const std::string& text, bool isExpression = false);

// Tree as text:
//   constants 1, 2.5, "ab"; variables name, name[i,j], (inst).name, fixed name@code;
//   operators (op left right) and (op operand); calls name(a,b);
//   assignment (= target value) with the operator as written (=, +=, ...);
//   a block {s1; s2}; other statements kind(children...), e.g. if(c,t,e), var(a,b).
std::string TreeText(const CodeNode& node);

// Runs the lexer, name resolution and the parser only (no semantic checks) and gives the
// tree as TreeText, or "error: <message> @line:column".
std::string ParseText(const std::string& text, bool isExpression = false);
