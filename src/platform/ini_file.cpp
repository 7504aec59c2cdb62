#include "platform/ini_file.h"

#include <locale.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/console.h"
#include "platform/load_save.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }
bool IsComment(char c) { return c == '#' || c == ';'; }

locale_t CLocale() {
  static locale_t locale = newlocale(LC_ALL_MASK, "C", nullptr);
  return locale;
}

// One pass over the text. Every step moves the position forward or ends the parse, so no input
// can hold it in place.
class IniParser {
 public:
  IniParser(std::string_view text, std::vector<IniFile::Section>& sections)
      : text_(text), sections_(sections) {}

  void Run() {
    SkipBlanksAndComments();
    size_t open = text_.find('[', pos_);
    if (open == std::string_view::npos) return;  // no sections: nothing is kept
    pos_ = open;
    ReadSectionHeader();
    while (pos_ < text_.size()) {
      if (TryKeyLine()) continue;
      if (pos_ < text_.size() && text_[pos_] == '[') ReadSectionHeader();
    }
  }

 private:
  void SkipBlanksAndComments() {
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (IsBlank(c)) {
        ++pos_;
      } else if (IsComment(c)) {
        while (pos_ < text_.size() && !IsLineBreak(text_[pos_])) ++pos_;
      } else {
        break;
      }
    }
  }

  // At '[': the name runs to the next ']' (a header without one runs to the end of the text).
  void ReadSectionHeader() {
    size_t start = pos_ + 1;
    size_t close = text_.find(']', start);
    if (close == std::string_view::npos) close = text_.size();
    sections_.push_back({std::string(text_.substr(start, close - start)), {}});
    pos_ = close < text_.size() ? close + 1 : close;
  }

  // True when a line gave a key (added to the current section) or was a dropped key; false at
  // '[' or at the end. A line without '=' is passed over.
  bool TryKeyLine() {
    SkipBlanksAndComments();
    if (pos_ >= text_.size() || text_[pos_] == '[') return false;

    size_t nameStart = pos_;
    size_t equals = nameStart;
    while (equals < text_.size() && text_[equals] != '=' && !IsLineBreak(text_[equals])) ++equals;
    if (equals >= text_.size() || text_[equals] != '=') {
      pos_ = equals;  // the line without '=' is skipped up to its line break (or the end)
      return true;
    }
    size_t nameEnd = equals;
    while (nameEnd > nameStart && (IsBlank(text_[nameEnd - 1]) || IsComment(text_[nameEnd - 1]))) {
      --nameEnd;
    }

    pos_ = equals + 1;
    bool passedLineBreak = false;
    while (pos_ < text_.size() && IsBlank(text_[pos_])) {
      passedLineBreak |= IsLineBreak(text_[pos_]);
      ++pos_;
    }
    if (passedLineBreak) return true;  // a value must start on the '=' line

    size_t valueStart = pos_;
    while (pos_ < text_.size() && !IsLineBreak(text_[pos_]) && !IsComment(text_[pos_])) ++pos_;
    size_t valueEnd = pos_;
    while (valueEnd > valueStart && (text_[valueEnd - 1] == ' ' || text_[valueEnd - 1] == '\t')) {
      --valueEnd;
    }
    sections_.back().keys.push_back(
        {std::string(text_.substr(nameStart, nameEnd - nameStart)),
         std::string(text_.substr(valueStart, valueEnd - valueStart))});
    return true;
  }

  std::string_view text_;
  std::vector<IniFile::Section>& sections_;
  size_t pos_ = 0;
};

template <typename Sections>
auto FindLatest(Sections& sections, std::string_view name) -> decltype(&sections.back()) {
  for (auto it = sections.rbegin(); it != sections.rend(); ++it) {
    if (it->name == name) return &*it;
  }
  return nullptr;
}

}  // namespace

bool IniFile::Open(std::string_view name, bool show) {
  Clear();
  name_ = std::string(name);
  std::optional<std::vector<uint8_t>> data =
      LoadSave_SaveFileExists(name) ? LoadSave_ReadSaveFile(name) : LoadSave_ReadBundleFile(name);
  if (!data) return false;
  std::string text(data->begin(), data->end());
  if (show) g_DebugConsole->Output("%s file contents: %s\n", name_.c_str(), text.c_str());
  Parse(text);
  return true;
}

void IniFile::Parse(std::string_view text) { IniParser(text, sections_).Run(); }

const IniFile::Section* IniFile::FindSection(std::string_view section) const {
  return FindLatest(sections_, section);
}

IniFile::Section* IniFile::FindSectionForChange(std::string_view section) {
  return FindLatest(sections_, section);
}

const std::string* IniFile::FindKey(std::string_view section, std::string_view key) const {
  const Section* found = FindSection(section);
  if (found == nullptr) return nullptr;
  const Key* entry = FindLatest(found->keys, key);
  return entry == nullptr ? nullptr : &entry->value;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
  const std::string* value = FindKey(section, key);
  return value != nullptr ? *value : std::string(defaultValue);
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                             int32_t defaultValue) const {
  const std::string* value = FindKey(section, key);
  if (value == nullptr) return defaultValue;
  long long parsed = strtoll_l(value->c_str(), nullptr, 10, CLocale());
  if (parsed > INT32_MAX) return INT32_MAX;
  if (parsed < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(parsed);
}

float IniFile::ReadFloat(std::string_view section, std::string_view key, float defaultValue) const {
  const std::string* value = FindKey(section, key);
  if (value == nullptr) return defaultValue;
  return static_cast<float>(strtod_l(value->c_str(), nullptr, CLocale()));
}

bool IniFile::WriteString(const char* section, const char* key, const char* value) {
  changed_ = true;
  if (section == nullptr || key == nullptr || value == nullptr) return false;
  if (std::string_view(section) == "SYSTEM_COMMAND") {
    if (std::string_view(key) == "INI_FILE_FLUSH" && std::string_view(value) == "NOW") Save();
    return true;
  }
  Section* target = FindSectionForChange(section);
  if (target == nullptr) {
    sections_.push_back({section, {}});
    target = &sections_.back();
  }
  Key* entry = FindLatest(target->keys, key);
  if (entry != nullptr) {
    entry->value = value;
  } else {
    target->keys.push_back({key, value});
  }
  return true;
}

bool IniFile::DeleteKey(std::string_view section, std::string_view key) {
  Section* found = FindSectionForChange(section);
  if (found == nullptr) return false;
  Key* entry = FindLatest(found->keys, key);
  if (entry == nullptr) return false;
  found->keys.erase(found->keys.begin() + (entry - found->keys.data()));
  changed_ = true;
  return true;
}

bool IniFile::DeleteSection(std::string_view section) {
  Section* found = FindSectionForChange(section);
  if (found == nullptr) return false;
  sections_.erase(sections_.begin() + (found - sections_.data()));
  changed_ = true;
  return true;
}

std::string IniFile::SaveText() const {
  size_t size = 0;
  for (const Section& section : sections_) {
    size += section.name.size() + 4;
    for (const Key& key : section.keys) size += key.name.size() + key.value.size() + 3;
  }
  std::string text;
  text.reserve(size);
  for (auto section = sections_.rbegin(); section != sections_.rend(); ++section) {
    text += '[';
    text += section->name;
    text += "]\r\n";
    for (auto key = section->keys.rbegin(); key != section->keys.rend(); ++key) {
      text += key->name;
      text += '=';
      text += key->value;
      text += "\r\n";
    }
  }
  return text;
}

bool IniFile::Save() {
  if (!changed_) return true;
  std::string text = SaveText();
  LoadSave_WriteFile(name_, text.data(), text.size());
  changed_ = false;
  return true;
}

void IniFile::Clear() {
  sections_.clear();
  name_.clear();
  changed_ = false;
}
