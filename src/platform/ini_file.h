// Ini files ("options.ini", "Debug.ini", the files of the ini_* built-ins): sections of
// "key=value" lines. Reading keeps names and values byte for byte; comments, blank lines and
// spacing are not kept. New sections and keys go to the head of their lists, so lookups find the
// latest of duplicates and a saved file lists sections and keys in the reverse of the order in
// which they were read or added, every line ended by CR LF.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class IniFile {
 public:
  struct Key {
    std::string name;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Key> keys;  // in the order added: the list's head is the back
  };

  // Remembers the name, reads the file (from the save area when it exists there, else from the
  // game folder), logs "<name> file contents: <text>" when show is set, and parses it. False
  // when the file cannot be read; the object is then empty and usable, and a save creates it.
  bool Open(std::string_view name, bool show);

  // Builds the lists from the text. Never fails; malformed lines are skipped.
  void Parse(std::string_view text);

  // Exact byte comparison; null when absent. The pointers stay valid until the next change.
  const Section* FindSection(std::string_view section) const;
  const std::string* FindKey(std::string_view section, std::string_view key) const;

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  // The C library's atoi of the value (clamped to 32 bits), or the default when absent.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
  // The C library's atof of the value narrowed to single precision, or the default when absent.
  float ReadFloat(std::string_view section, std::string_view key, float defaultValue) const;

  // Sets a key, adding it (and its section) at the head of the list when missing. The section
  // "SYSTEM_COMMAND" is a command channel: key "INI_FILE_FLUSH" with value "NOW" saves the file at
  // once; other keys and values there do nothing; both answer true. A null section, key or value
  // answers false.
  bool WriteString(const char* section, const char* key, const char* value);

  // Remove the latest matching key or section; false when absent.
  bool DeleteKey(std::string_view section, std::string_view key);
  bool DeleteSection(std::string_view section);

  // When changed: writes the text to the file's save-area path (making its folder) and clears
  // changed. Answers true.
  bool Save();

  // The text Save writes.
  std::string SaveText() const;

  // Forgets every section and the name.
  void Clear();

  const std::string& Name() const { return name_; }
  bool Changed() const { return changed_; }
  // In the order added (the reverse of list order).
  const std::vector<Section>& Sections() const { return sections_; }

 private:
  Section* FindSectionForChange(std::string_view section);

  std::string name_;
  std::vector<Section> sections_;  // in the order added: the list's head is the back
  bool changed_ = false;
};
