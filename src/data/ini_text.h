// A minimal reader for the few keys the loader takes from "options.ini".
//
// Stand-in until the shared IniFile class is available: once it is, the loader keeps the
// IniFile object and Options_ReadIni reads through it instead. Sections are "[NAME]", entries
// "key=value"; names compare exactly; lines starting with ';' or '#' are comments; both
// CR LF and LF line ends are read.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class IniText {
 public:
  explicit IniText(std::string_view text);
  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

 private:
  struct Entry {
    std::string section, key, value;
  };
  std::vector<Entry> entries_;
};
