#include "platform/string_helpers.h"

#include <cstdint>
#include <cstring>

std::optional<std::string> String_Concat(std::initializer_list<const char*> parts) {
  std::string joined;
  bool any = false;
  for (const char* part : parts) {
    if (part == nullptr || *part == '\0') continue;
    joined += part;
    any = true;
  }
  if (!any) return std::nullopt;
  return joined;
}

std::u16string String_Widen(std::string_view bytes) {
  std::u16string units;
  units.reserve(bytes.size());
  for (char c : bytes) {
    units.push_back(static_cast<char16_t>(static_cast<int16_t>(static_cast<int8_t>(c))));
  }
  return units;
}

std::string String_Narrow(std::u16string_view units) {
  std::string bytes;
  bytes.reserve(units.size());
  for (char16_t u : units) bytes.push_back(static_cast<char>(u & 0xFF));
  return bytes;
}

int String_Pos(const char* needle, const char* haystack) {
  if (needle == nullptr || haystack == nullptr) return 0;
  const char* found = std::strstr(haystack, needle);
  return found == nullptr ? 0 : static_cast<int>(found - haystack) + 1;
}

void String_Assign(std::optional<std::string>& dest, const char* source) {
  if (source == nullptr) {
    dest.reset();
    return;
  }
  auto isTrimmed = [](char c) { return static_cast<int8_t>(c) < 33; };
  std::string_view text(source);
  size_t first = 0;
  while (first < text.size() && isTrimmed(text[first])) ++first;
  size_t last = text.size();
  while (last > first && isTrimmed(text[last - 1])) --last;
  if (!dest) dest.emplace();
  dest->assign(text.substr(first, last - first));
}

std::string Text_HashToNewline(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c != '#') {
      out.push_back(c);
    } else if (!out.empty() && out.back() == '\\') {
      out.back() = '#';
    } else {
      out.push_back('\r');
    }
  }
  return out;
}
