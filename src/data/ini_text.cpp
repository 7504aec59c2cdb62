#include "data/ini_text.h"

namespace {
std::string_view Trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(" \t\r\n");
  return s.substr(first, last - first + 1);
}
}  // namespace

IniText::IniText(std::string_view text) {
  std::string section;
  while (!text.empty()) {
    const auto end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      const auto close = line.find(']');
      if (close != std::string_view::npos) section = std::string(Trim(line.substr(1, close - 1)));
      continue;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    entries_.push_back({section, std::string(Trim(line.substr(0, equals))),
                        std::string(Trim(line.substr(equals + 1)))});
  }
}

std::optional<std::string_view> IniText::Find(std::string_view section, std::string_view key) const {
  for (const Entry& e : entries_) {
    if (e.section == section && e.key == key) return std::string_view(e.value);
  }
  return std::nullopt;
}
