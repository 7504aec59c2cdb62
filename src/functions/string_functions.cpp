// String built-ins. No built-in here raises an error: wrong kinds give the empty string or
// 0. Every walk over a string stops at its terminator. The character built-ins find their
// positions through what the string's block knows of its text (script/string_text.h), so
// they cost what their result costs, not the length of the text.
#include "functions/string_functions.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

#include "functions/argument_helpers.h"
#include "platform/conversions.h"
#include "platform/utf8.h"
#include "script/string_text.h"

namespace {

// string_format widths and precisions beyond this are held to it.
constexpr int32_t kMaxFormatField = 65535;
// string_repeat refuses results larger than this (the result is then empty).
constexpr int64_t kMaxRepeatBytes = int64_t{1} << 28;

locale_t CLocale() {
  static locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return locale;
}

// Formats with the "C" locale in force on this thread, then puts the caller's back.
std::string FormatV(const char* format, va_list args) {
  locale_t previous = uselocale(CLocale());
  va_list measure;
  va_copy(measure, args);
  int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length));
    std::vsnprintf(text.data(), text.size() + 1, format, args);
  }
  uselocale(previous);
  return text;
}

inline bool IsTrimmed(char c) { return static_cast<signed char>(c) < 33; }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
inline bool IsLower(char c) { return c >= 'a' && c <= 'z'; }

// Decodes up to count characters from p (all of them when count < 0) and appends them
// re-encoded. A malformed sequence that decodes to 0 ends the text, as its terminator would.
void AppendChars(std::string& out, const char* p, int64_t count) {
  for (int64_t i = 0; (count < 0 || i < count) && *p != '\0'; ++i) {
    uint16_t c = UTF8_GetChar(p);
    if (c == 0) break;
    UTF8_PutChar(out, c);
  }
}

// AppendChars from p, a character start of text: for an ASCII text, its bytes as they are.
void AppendTextChars(std::string& out, StringRep& text, const char* p, int64_t count) {
  if (!StringText_IsAscii(text)) {
    AppendChars(out, p, count);
    return;
  }
  const std::string_view bytes = StringText_Bytes(text);
  size_t n = static_cast<size_t>(bytes.data() + bytes.size() - p);
  if (count >= 0 && static_cast<uint64_t>(count) < n) n = static_cast<size_t>(count);
  out.append(p, n);
}

// result becomes the string of up to count characters of text from p, a character start.
void SetChars(ScriptValue& result, StringRep& text, const char* p, int64_t count) {
  if (StringText_IsAscii(text)) {
    const std::string_view bytes = StringText_Bytes(text);
    const auto left = static_cast<size_t>(bytes.data() + bytes.size() - p);
    result.SetString(std::string_view(p, std::min(left, static_cast<size_t>(count))));
    return;
  }
  std::string out;
  AppendChars(out, p, count);
  result.SetString(out);
}

template <typename Keep>
std::string FilterBytes(const ScriptValue& value, Keep keep) {
  std::string out;
  if (!value.IsString()) return out;
  for (char c : Arg_String(value)) {
    if (keep(c)) out.push_back(c);
  }
  return out;
}

template <typename Map>
std::string MapBytes(const ScriptValue& value, Map map) {
  std::string out;
  if (!value.IsString()) return out;
  std::string_view text = Arg_String(value);
  out.reserve(text.size());
  for (char c : text) out.push_back(map(c));
  return out;
}

// string_replace and string_replace_all: byte matching, the replacement never searched again.
std::string Replace(const ScriptValue& source, const ScriptValue& search, const ScriptValue& replacement,
                    bool all) {
  std::string_view s = Arg_String(source);
  if (s.empty()) return {};
  if (!search.IsString()) return std::string(s);
  std::string_view sub = Arg_String(search);
  std::string_view r = Arg_String(replacement);
  if (sub.empty()) {
    // An empty search text matches in front of s and nowhere further on: string_replace
    // puts r there once; string_replace_all, which would match without end, changes nothing.
    return all ? std::string(s) : std::string(r) + std::string(s);
  }
  std::string out;
  std::string_view rest = s;
  while (!rest.empty()) {
    size_t at = rest.find(sub);
    if (at == std::string_view::npos) break;
    out.append(rest.substr(0, at));
    out.append(r);
    rest.remove_prefix(at + sub.size());
    if (!all) break;
  }
  out.append(rest);
  return out;
}

}  // namespace

std::string String_PrintfC(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  return text;
}

std::string String_FixedPoint(double value, int32_t precision) {
  if (precision < 0) precision = 6;
  if (!std::isfinite(value) || value == 0.0) return String_PrintfC("%.*f", precision, value);
  // Seventeen significant digits, d.dddddddddddddddde[+-]x, then rounded by hand.
  std::string scientific = String_PrintfC("%.16e", std::fabs(value));
  std::string digits = scientific.substr(0, 1) + scientific.substr(2, 16);
  int64_t integer_digits = std::strtol(scientific.c_str() + 19, nullptr, 10) + 1;
  int64_t keep = integer_digits + precision;  // significant digits that stay
  if (keep < 0) {
    digits.clear();
  } else if (keep < static_cast<int64_t>(digits.size())) {
    bool round_up = digits[static_cast<size_t>(keep)] >= '5';
    digits.resize(static_cast<size_t>(keep));
    if (round_up) {
      int64_t i = keep - 1;
      for (; i >= 0 && digits[static_cast<size_t>(i)] == '9'; --i) digits[static_cast<size_t>(i)] = '0';
      if (i >= 0) {
        ++digits[static_cast<size_t>(i)];
      } else {
        digits.insert(digits.begin(), '1');
        ++integer_digits;
      }
    }
  }
  // Digit k of the value counts from the first significant one; outside the kept digits it is 0.
  auto digit_at = [&](int64_t k) {
    return k >= 0 && k < static_cast<int64_t>(digits.size()) ? digits[static_cast<size_t>(k)] : '0';
  };
  std::string out;
  if (value < 0) out.push_back('-');
  if (integer_digits <= 0) {
    out.push_back('0');
  } else {
    for (int64_t k = 0; k < integer_digits; ++k) out.push_back(digit_at(k));
  }
  if (precision > 0) {
    out.push_back('.');
    for (int64_t k = integer_digits; k < integer_digits + precision; ++k) out.push_back(digit_at(k));
  }
  return out;
}

std::string String_FromReal(double value) {
  int32_t rounded = Conv_RoundToInt32(value);
  if (value == static_cast<double>(rounded)) return String_PrintfC("%d", rounded);
  return String_FixedPoint(value, 2);
}

double String_ToReal(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsTrimmed(text[begin])) ++begin;
  while (end > begin && IsTrimmed(text[end - 1])) --end;
  std::string_view t = text.substr(begin, end - begin);

  // The longest leading decimal number: [sign] digits [. digits] [e [sign] digits].
  size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  size_t digits = 0;
  while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  }
  if (digits == 0) return 0.0;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    size_t j = i + 1;
    if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
    if (j < t.size() && IsDigit(t[j])) {
      while (j < t.size() && IsDigit(t[j])) ++j;
      i = j;
    }
  }
  std::string number(t.substr(0, i));
  return strtod_l(number.c_str(), nullptr, CLocale());
}

void F_Real(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (args[0].IsString()) {
    result.SetReal(String_ToReal(Arg_String(args[0])));
  } else {
    result.SetReal(args[0].real);
  }
}

void F_String(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (args[0].IsString()) {
    result.SetString(std::string(Arg_String(args[0])));
  } else {
    result.SetString(String_FromReal(args[0].real));
  }
}

void F_StringFormat(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (args[0].IsString()) {
    result.SetString(std::string(Arg_String(args[0])));
    return;
  }
  int32_t total = Arg_Truncated(args[1]);
  int32_t decimals = Arg_Truncated(args[2]);
  // The format "%<total - decimals>.<decimals>f": a negative width left-justifies, a
  // negative precision is as if none were given.
  int64_t width = static_cast<int64_t>(total) - decimals;
  width = std::clamp<int64_t>(width, -kMaxFormatField, kMaxFormatField);
  std::string text = String_FixedPoint(args[0].real, std::min(decimals, kMaxFormatField));
  size_t field = static_cast<size_t>(width < 0 ? -width : width);
  if (text.size() < field) {
    if (width < 0) {
      text.append(field - text.size(), ' ');
    } else {
      text.insert(0, field - text.size(), ' ');
    }
  }
  result.SetString(std::move(text));
}

void F_Chr(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  int32_t code = Arg_Truncated(args[0]);
  std::string out;
  if (code <= 127) {
    char byte = static_cast<char>(code & 0x7F);
    if (byte != '\0') out.push_back(byte);
  } else if (code > 0xFFFF) {
    // Above 16 bits: the low 16 bits, always as three bytes.
    uint32_t c = static_cast<uint32_t>(code) & 0xFFFFu;
    out.push_back(static_cast<char>(0xE0 + ((c >> 12) & 0x0F)));
    out.push_back(static_cast<char>(0x80 + ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 + (c & 0x3F)));
  } else {
    UTF8_PutChar(out, static_cast<uint16_t>(code));
  }
  result.SetString(std::move(out));
}

void F_AnsiChar(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  char byte = static_cast<char>(static_cast<uint32_t>(Arg_Rounded(args[0])) & 0xFFu);
  result.SetString(byte == '\0' ? std::string() : std::string(1, byte));
}

void F_Ord(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  const char* p = Arg_CString(args[0]);
  result.SetReal(UTF8_GetChar(p));
}

void F_StringLength(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(static_cast<double>(StringText_Length(args[0].TextBlock())));
}

void F_StringByteLength(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(static_cast<double>(Arg_String(args[0]).size()));
}

void F_StringPos(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (!args[0].IsString() || !args[1].IsString()) return;
  StringRep& text = args[1].TextBlock();
  StringRep& wanted = args[0].TextBlock();
  if (StringText_IsAscii(text) && StringText_IsAscii(wanted)) {
    // A character is a byte on both sides: the first match of the bytes is the answer.
    const std::string_view s = StringText_Bytes(text);
    const size_t at = s.find(StringText_Bytes(wanted));
    if (!s.empty() && at != std::string_view::npos) result.SetReal(static_cast<double>(at) + 1);
    return;
  }
  const char* sub = Arg_CString(args[0]);
  const char* s = Arg_CString(args[1]);
  for (double position = 1; *s != '\0'; ++position) {
    if (UTF8_ComparePrefix(s, sub) == 0) {
      result.SetReal(position);
      return;
    }
    UTF8_GetChar(s);
  }
}

void F_StringCopy(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  if (argc != 3 || !Arg_HasText(args[0]) || !args[1].IsReal() || !args[2].IsReal()) {
    result.SetString({});
    return;
  }
  StringRep& text = args[0].TextBlock();
  int64_t start = static_cast<int64_t>(std::max(Arg_Rounded(args[1]), 1)) - 1;
  int64_t count = Arg_Rounded(args[2]);
  int64_t length = StringText_Length(text);
  // A count beyond the whole length gives nothing at all, not the rest of s.
  if (start >= length || count < 0 || count > length) {
    result.SetString({});
    return;
  }
  if (start + count > length) count = length - start;
  SetChars(result, text, StringText_CharAt(text, start), count);
}

void F_StringCharAt(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (!args[0].IsString() || !args[1].IsReal()) {
    result.SetString({});
    return;
  }
  StringRep& text = args[0].TextBlock();
  int64_t index = static_cast<int64_t>(std::max(Arg_Rounded(args[1]), 1)) - 1;
  SetChars(result, text, StringText_CharAt(text, index), 1);
}

void F_StringByteAt(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  std::string_view s = Arg_String(args[0]);
  int64_t index = static_cast<int64_t>(std::max(Arg_Rounded(args[1]), 1)) - 1;
  result.SetString(index < static_cast<int64_t>(s.size()) ? s.substr(static_cast<size_t>(index), 1)
                                                          : std::string_view());
}

void F_StringDelete(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  StringRep& text = args[0].TextBlock();
  const std::string_view bytes = StringText_Bytes(text);
  int64_t start = static_cast<int64_t>(Arg_Rounded(args[1])) - 1;
  int64_t count = Arg_Rounded(args[2]);
  int64_t length = StringText_Length(text);
  if (start < 0 || start >= length || count < 1) {
    result.SetString(bytes);
    return;
  }
  const char* cut = StringText_CharAt(text, start);
  std::string out(bytes.data(), static_cast<size_t>(cut - bytes.data()));
  AppendTextChars(out, text, StringText_CharAt(text, start + std::min(count, length - start)), -1);
  result.SetString(out);
}

void F_StringInsert(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  std::string_view sub = Arg_String(args[0]);
  // A second argument that is not a string reads as the empty string.
  StringRep& text = args[1].TextBlock();
  const std::string_view bytes = StringText_Bytes(text);
  if (sub.empty()) {
    result.SetString(bytes);
    return;
  }
  int64_t length = StringText_Length(text);
  int64_t position = std::clamp<int64_t>(static_cast<int64_t>(Arg_Rounded(args[2])) - 1, 0, length);
  std::string out;
  out.reserve(sub.size() + bytes.size());
  AppendTextChars(out, text, bytes.data(), position);
  out.append(sub);
  AppendTextChars(out, text, StringText_CharAt(text, position), -1);
  result.SetString(out);
}

void F_StringLower(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetString(MapBytes(args[0], [](char c) { return IsUpper(c) ? static_cast<char>(c + 32) : c; }));
}

void F_StringUpper(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetString(MapBytes(args[0], [](char c) { return IsLower(c) ? static_cast<char>(c - 32) : c; }));
}

void F_StringRepeat(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  std::string_view s = Arg_String(args[0]);
  int64_t count = Arg_Rounded(args[1]);
  std::string out;
  if (!s.empty() && count >= 1 && static_cast<int64_t>(s.size()) * count <= kMaxRepeatBytes) {
    out.reserve(s.size() * static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i) out.append(s);
  }
  result.SetString(std::move(out));
}

void F_StringLetters(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetString(FilterBytes(args[0], [](char c) { return IsUpper(c) || IsLower(c); }));
}

void F_StringDigits(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetString(FilterBytes(args[0], IsDigit));
}

void F_StringLettersdigits(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetString(FilterBytes(args[0], [](char c) { return IsUpper(c) || IsLower(c) || IsDigit(c); }));
}

void F_StringReplace(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetString(Replace(args[0], args[1], args[2], false));
}

void F_StringReplaceAll(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetString(Replace(args[0], args[1], args[2], true));
}

void F_StringCount(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  std::string_view sub = Arg_String(args[0]);
  std::string_view s = Arg_String(args[1]);
  if (sub.empty() || s.empty()) return;
  double count = 0;
  for (size_t at = s.find(sub); at != std::string_view::npos; at = s.find(sub, at + 1)) ++count;
  result.SetReal(count);
}
