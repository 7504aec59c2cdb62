// Tokens of the lexer and the resolved elements the parser reads.
//
// One numbering serves the lexer's tokens, the parser's elements, the operator codes of
// the parse tree, the operator routines and the bytecode generator: the operator and
// keyword codes below are the same numbers everywhere.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "script/script_value.h"

enum class TokenKind : int32_t {
  End = -2,    // end of the text
  Error = -1,  // a character that starts no token
  Identifier = 0,
  Number = 1,  // decimal or hexadecimal, text as written
  String = 2,  // text between the quotes
  // Element kinds made by name resolution.
  Constant = 5,
  Function = 6,  // built-in, script or extension function name
  Variable = 7,
  // Keywords.
  Begin = 11,  // { and begin
  EndBlock = 12,  // } and end
  If = 13,
  Then = 14,
  Else = 15,
  While = 16,
  Do = 17,
  For = 18,
  Until = 19,
  Repeat = 20,
  Exit = 21,
  Break = 22,
  Continue = 23,
  With = 24,
  Return = 25,
  Switch = 26,
  Case = 27,
  Default = 28,
  Var = 29,
  GlobalVar = 30,
  // Punctuation and assignment operators.
  Assign = 101,  // = and := (equality inside expressions)
  AssignAdd = 102,
  AssignSubtract = 103,
  AssignMultiply = 104,
  AssignDivide = 105,
  OpenParen = 106,
  CloseParen = 107,
  Semicolon = 108,
  Comma = 109,
  OpenBracket = 110,
  CloseBracket = 111,
  Dot = 112,
  Colon = 113,
  AssignOr = 114,
  AssignAnd = 115,
  AssignXor = 116,
  // Expression operators.
  LogicalAnd = 201,  // && and
  LogicalOr = 202,   // || or
  Not = 203,         // ! not
  Less = 204,
  LessEqual = 205,
  Equal = 206,
  NotEqual = 207,  // != <>
  GreaterEqual = 208,
  Greater = 209,
  Plus = 210,
  Minus = 211,
  Multiply = 212,
  Divide = 213,
  IntegerDivide = 214,  // div
  Modulo = 215,         // % mod
  LogicalXor = 216,     // ^^ xor
  BitOr = 217,
  BitAnd = 218,
  BitXor = 219,
  BitNot = 220,
  ShiftLeft = 221,
  ShiftRight = 222,
};

inline constexpr int32_t OperatorCode(TokenKind kind) { return static_cast<int32_t>(kind); }

// One token of the lexer. The text is empty for the end token and for an error token.
struct CodeToken {
  TokenKind kind = TokenKind::End;
  std::string text;
  int32_t position = 0;  // byte offset in the source; for a string, of its first character
};

// One token after name resolution: a constant, a function or variable reference, or the
// token's own kind for keywords, operators and the end.
struct CodeElement {
  TokenKind kind = TokenKind::End;
  int32_t id = 0;     // function id (Function) or variable id (Variable)
  ScriptValue value;  // the constant (Constant)
  int32_t position = 0;
};

using CodeTokenList = std::vector<CodeToken>;
using CodeElementList = std::vector<CodeElement>;
