// Phase 2: every token becomes an element that knows what it names.
#include <algorithm>
#include <cmath>

#include "platform/byte_codec.h"
#include "script/code.h"
#include "script/compiler/compile_error_sink.h"
#include "script/compiler/phases.h"
#include "script/compiler/user_variables.h"
#include "script/constants.h"
#include "script/function_table.h"

namespace {

// Decimal: the digits before the point accumulate as value * 10 + digit, each digit after
// it adds digit * 10^-k. Hexadecimal (a leading '$'): value * 16 + digit.
double NumberValue(const std::string& text) {
  double value = 0.0;
  if (!text.empty() && text[0] == '$') {
    for (size_t i = 1; i < text.size(); ++i) value = value * 16.0 + std::max(Hex_DigitValue(text[i]), 0);
    return value;
  }
  size_t i = 0;
  for (; i < text.size() && text[i] != '.'; ++i) value = value * 10.0 + (text[i] - '0');
  int k = 0;
  for (++i; i < text.size(); ++i) {
    ++k;
    value += (text[i] - '0') * std::pow(10.0, -k);
  }
  return value;
}

}  // namespace

bool Code_Phase2(const CCode& code, const CodeTokenList& tokens, CodeElementList& elements) {
  elements.clear();
  elements.reserve(tokens.size());
  for (size_t i = 0; i < tokens.size(); ++i) {
    const CodeToken& token = tokens[i];
    CodeElement element;
    element.kind = token.kind;
    element.position = token.position;
    switch (token.kind) {
      case TokenKind::Identifier: {
        bool called = i + 1 < tokens.size() && tokens[i + 1].kind == TokenKind::OpenParen;
        if (called) {
          int32_t id = -1;
          if (!Function_Find(token.text.c_str(), id)) {
            Compiler_ReportError(code, token.position, "Unknown function or script: " + token.text);
            return false;
          }
          element.kind = TokenKind::Function;
          element.id = id;
        } else if (Constant_Resolve(token.text, element.value)) {
          element.kind = TokenKind::Constant;
        } else {
          element.kind = TokenKind::Variable;
          element.id = Code_Variable_Find(token.text);
        }
        break;
      }
      case TokenKind::Number:
        element.kind = TokenKind::Constant;
        element.value.SetReal(NumberValue(token.text));
        break;
      case TokenKind::String:
        element.kind = TokenKind::Constant;
        element.value.SetString(token.text);
        break;
      default:
        break;
    }
    elements.push_back(std::move(element));
  }
  return true;
}
