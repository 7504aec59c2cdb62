#include "script/compiler/lexer.h"

#include <array>
#include <cstring>

#include "script/code.h"
#include "script/compiler/compile_error_sink.h"

namespace {

// The scanner works on a copy of the text with three blanks appended, so that it may look
// a few characters ahead without checking; only an unclosed string sees them (it keeps
// two of them, as it always has).
class Scanner {
 public:
  explicit Scanner(std::string_view text) : length_(text.size()) {
    buffer_.reserve(text.size() + 3);
    buffer_.append(text);
    buffer_.append("   ");
  }

  CodeToken Next();

 private:
  char At(size_t i) const { return buffer_[i]; }
  void SkipBlanksAndComments();
  CodeToken Identifier();
  CodeToken Number();
  CodeToken HexNumber();
  CodeToken String();
  bool TwoCharacterOperator(CodeToken& token);
  bool OneCharacterOperator(CodeToken& token);

  std::string buffer_;
  size_t length_;
  size_t pos_ = 0;
};

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
// Every byte that is 32 or less as a signed character: controls, the blank and every byte
// from 0x80 up, so text outside ASCII between tokens counts as blank.
bool IsBlank(char c) { return static_cast<signed char>(c) <= 32; }

struct Keyword {
  const char* word;
  TokenKind kind;
};

constexpr std::array<Keyword, 26> kKeywords = {{
    {"begin", TokenKind::Begin},       {"end", TokenKind::EndBlock},
    {"if", TokenKind::If},             {"then", TokenKind::Then},
    {"else", TokenKind::Else},         {"while", TokenKind::While},
    {"do", TokenKind::Do},             {"for", TokenKind::For},
    {"until", TokenKind::Until},       {"repeat", TokenKind::Repeat},
    {"exit", TokenKind::Exit},         {"break", TokenKind::Break},
    {"continue", TokenKind::Continue}, {"with", TokenKind::With},
    {"return", TokenKind::Return},     {"switch", TokenKind::Switch},
    {"case", TokenKind::Case},         {"default", TokenKind::Default},
    {"var", TokenKind::Var},           {"globalvar", TokenKind::GlobalVar},
    {"and", TokenKind::LogicalAnd},    {"or", TokenKind::LogicalOr},
    {"not", TokenKind::Not},           {"div", TokenKind::IntegerDivide},
    {"mod", TokenKind::Modulo},        {"xor", TokenKind::LogicalXor},
}};

struct Operator {
  const char* text;
  TokenKind kind;
};

constexpr std::array<Operator, 18> kTwoCharacterOperators = {{
    {":=", TokenKind::Assign},        {"+=", TokenKind::AssignAdd},
    {"-=", TokenKind::AssignSubtract}, {"*=", TokenKind::AssignMultiply},
    {"/=", TokenKind::AssignDivide},  {"&&", TokenKind::LogicalAnd},
    {"&=", TokenKind::AssignAnd},     {"||", TokenKind::LogicalOr},
    {"|=", TokenKind::AssignOr},      {"<=", TokenKind::LessEqual},
    {"<>", TokenKind::NotEqual},      {"<<", TokenKind::ShiftLeft},
    {"==", TokenKind::Equal},         {"!=", TokenKind::NotEqual},
    {">=", TokenKind::GreaterEqual},  {">>", TokenKind::ShiftRight},
    {"^=", TokenKind::AssignXor},     {"^^", TokenKind::LogicalXor},
}};

constexpr std::array<Operator, 23> kOneCharacterOperators = {{
    {"!", TokenKind::Not},          {"%", TokenKind::Modulo},
    {"&", TokenKind::BitAnd},       {"(", TokenKind::OpenParen},
    {")", TokenKind::CloseParen},   {"*", TokenKind::Multiply},
    {"+", TokenKind::Plus},         {",", TokenKind::Comma},
    {"-", TokenKind::Minus},        {".", TokenKind::Dot},
    {"/", TokenKind::Divide},       {":", TokenKind::Colon},
    {";", TokenKind::Semicolon},    {"<", TokenKind::Less},
    {"=", TokenKind::Assign},       {">", TokenKind::Greater},
    {"[", TokenKind::OpenBracket},  {"]", TokenKind::CloseBracket},
    {"^", TokenKind::BitXor},       {"{", TokenKind::Begin},
    {"|", TokenKind::BitOr},        {"}", TokenKind::EndBlock},
    {"~", TokenKind::BitNot},
}};

void Scanner::SkipBlanksAndComments() {
  while (pos_ < length_) {
    char c = At(pos_);
    if (IsBlank(c)) {
      ++pos_;
    } else if (c == '/' && At(pos_ + 1) == '/') {
      pos_ += 2;
      while (pos_ < length_ && At(pos_) != '\r' && At(pos_) != '\n') ++pos_;
      if (pos_ < length_) ++pos_;
    } else if (c == '/' && At(pos_ + 1) == '*') {
      pos_ += 2;
      while (pos_ < length_ && !(At(pos_) == '*' && At(pos_ + 1) == '/')) ++pos_;
      pos_ = pos_ < length_ ? pos_ + 2 : length_;
    } else {
      break;
    }
  }
}

CodeToken Scanner::Identifier() {
  size_t start = pos_;
  while (IsLetter(At(pos_)) || IsDigit(At(pos_))) ++pos_;
  CodeToken token{TokenKind::Identifier, buffer_.substr(start, pos_ - start),
                  static_cast<int32_t>(start)};
  if (token.text.size() >= 2 && token.text.size() <= 9) {
    for (const Keyword& keyword : kKeywords) {
      if (token.text == keyword.word) {
        token.kind = keyword.kind;
        break;
      }
    }
  }
  return token;
}

CodeToken Scanner::Number() {
  size_t start = pos_;
  bool seenDot = false;
  while (true) {
    char c = At(pos_);
    if (IsDigit(c)) {
      ++pos_;
    } else if (c == '.' && !seenDot) {
      seenDot = true;
      ++pos_;
    } else {
      break;
    }
  }
  return {TokenKind::Number, buffer_.substr(start, pos_ - start), static_cast<int32_t>(start)};
}

CodeToken Scanner::HexNumber() {
  size_t start = pos_;
  ++pos_;
  while (IsHexDigit(At(pos_))) ++pos_;
  return {TokenKind::Number, buffer_.substr(start, pos_ - start), static_cast<int32_t>(start)};
}

CodeToken Scanner::String() {
  char quote = At(pos_);
  size_t start = ++pos_;
  // An unclosed string runs to the end of the working copy less its last blank.
  size_t limit = length_ + 2;
  while (pos_ < limit && At(pos_) != quote) ++pos_;
  CodeToken token{TokenKind::String, buffer_.substr(start, pos_ - start),
                  static_cast<int32_t>(start)};
  if (pos_ < limit) ++pos_;  // the closing quote
  return token;
}

bool Scanner::TwoCharacterOperator(CodeToken& token) {
  if (pos_ + 2 > length_) return false;
  for (const Operator& op : kTwoCharacterOperators) {
    if (At(pos_) == op.text[0] && At(pos_ + 1) == op.text[1]) {
      token = {op.kind, std::string(op.text, 2), static_cast<int32_t>(pos_)};
      pos_ += 2;
      return true;
    }
  }
  return false;
}

bool Scanner::OneCharacterOperator(CodeToken& token) {
  for (const Operator& op : kOneCharacterOperators) {
    if (At(pos_) == op.text[0]) {
      token = {op.kind, std::string(op.text, 1), static_cast<int32_t>(pos_)};
      ++pos_;
      return true;
    }
  }
  return false;
}

CodeToken Scanner::Next() {
  SkipBlanksAndComments();
  if (pos_ >= length_) return {TokenKind::End, std::string(), static_cast<int32_t>(length_)};
  char c = At(pos_);
  if (IsLetter(c)) return Identifier();
  if (IsDigit(c) || (c == '.' && IsDigit(At(pos_ + 1)))) return Number();
  if (c == '$') return HexNumber();
  if (c == '"' || c == '\'') return String();
  CodeToken token;
  if (TwoCharacterOperator(token) || OneCharacterOperator(token)) return token;
  token = {TokenKind::Error, std::string(), static_cast<int32_t>(pos_)};
  ++pos_;
  return token;
}

}  // namespace

bool Code_Phase1_Scan(std::string_view text, CodeTokenList& tokens) {
  Scanner scanner(text);
  tokens.reserve(tokens.size() + text.size() / 3 + 4);  // about one token in three characters
  while (true) {
    tokens.push_back(scanner.Next());
    if (tokens.back().kind == TokenKind::Error) return false;
    if (tokens.back().kind == TokenKind::End) return true;
  }
}

bool Code_Phase1(const CCode& code, CodeTokenList& tokens) {
  Compiler_ClearError();
  tokens.clear();
  if (Code_Phase1_Scan(code.GetText(), tokens)) return true;
  Compiler_ReportError(code, tokens.back().position, "Unexpected symbol.");
  return false;
}
