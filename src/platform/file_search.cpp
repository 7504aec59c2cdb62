#include "platform/file_search.h"

#include <dirent.h>
#include <strings.h>

#include <algorithm>

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Iterative matching with one backtrack point: the last '*' seen and where it started to match.
bool Match(std::string_view pattern, std::string_view name) {
  size_t p = 0, n = 0;
  size_t star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  const int order = strcasecmp(a.c_str(), b.c_str());
  return order != 0 ? order < 0 : a < b;
}

}  // namespace

bool File_WildcardMatch(std::string_view pattern, std::string_view name) {
  if (Match(pattern, name)) return true;
  // "name.*" also stands for "name" without any extension.
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
      name.find('.') == std::string_view::npos) {
    return Match(pattern.substr(0, pattern.size() - 2), name);
  }
  return false;
}

std::vector<std::string> File_FindInFolders(const std::vector<std::string>& folders, std::string_view pattern) {
  std::vector<std::string> names;
  if (pattern.empty()) return names;
  for (const std::string& folder : folders) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) continue;
    std::vector<std::string> found;
    while (const dirent* entry = readdir(dir)) {
      const std::string_view name = entry->d_name;
      if (name == "." || name == ".." || !File_WildcardMatch(pattern, name)) continue;
      const bool listed = std::any_of(names.begin(), names.end(), [&](const std::string& known) {
        return strcasecmp(known.c_str(), entry->d_name) == 0;
      });
      if (!listed) found.emplace_back(name);
    }
    closedir(dir);
    names.insert(names.end(), found.begin(), found.end());
  }
  std::sort(names.begin(), names.end(), LessIgnoringCase);
  return names;
}
