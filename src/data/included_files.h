// Included files and triggers: the records and tables a game's included files (files carried in
// the game that it writes out when it starts) and triggers (named conditions raising a user
// event) would live in. The game data this runner reads holds neither (its DAFL chunk is only
// walked past and no chunk holds triggers), so the tables stay empty: game start exports
// nothing, game end removes nothing, and the built-ins that name an included file find none.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class CCode;
class CStream;

// Where an included file is exported to.
enum class DataFileExport : int32_t {
  None = 0,
  TempFolder = 1,    // into the per-run temporary folder
  AsNamed = 2,       // to its name as given
  ExportFolder = 3,  // into its export folder (made with its parents)
};

class CDataFile {
 public:
  CDataFile();
  ~CDataFile();
  CDataFile(const CDataFile&) = delete;
  CDataFile& operator=(const CDataFile&) = delete;

  // Writes the data to the path; false when the data is not stored in the game, or when the
  // file exists and overwriting is off (or it cannot be written).
  bool WriteTo(const std::string& path) const;
  // Writes the file where its export setting says (nothing for None, which is true); false when
  // the data is not held in memory. Afterwards the data is let go when free-after-export is set.
  bool Export();
  // Deletes the exported file (nothing for None); true when there was nothing to delete or the
  // deletion worked.
  bool Remove() const;
  // Lets the data go.
  void Discard();
  // The path Export writes to; empty for None (or without a temporary folder).
  std::string ExportPath() const;

  std::string name;
  std::string originalName;
  bool storedInGame = false;
  int32_t originalSize = 0;
  bool heldInMemory = false;
  std::unique_ptr<CStream> data;
  DataFileExport exportMode = DataFileExport::None;
  std::string exportFolder;
  bool overwrite = false;
  bool freeAfterExport = false;
  bool removeAtEnd = false;
};

// The table of included files.
int32_t DataFile_Count();
// Appends a file to the table; its index.
int32_t DataFile_Add(std::unique_ptr<CDataFile> file);
// The index of the file with exactly that name; -1 when none.
int32_t DataFile_Find(std::string_view name);
// The file at the index, or null.
CDataFile* DataFile_Get(int32_t index);
// Game start: every file exported; always true.
bool DataFile_Prepare();
// Game end: the exported files marked remove-at-end removed; always true.
bool DataFile_RemoveAll();
// Empties the table.
void DataFile_Clear();

// A trigger: a named condition checked at its moment, raising a user event when it holds.
class CTrigger {
 public:
  CTrigger();
  ~CTrigger();
  CTrigger(const CTrigger&) = delete;
  CTrigger& operator=(const CTrigger&) = delete;

  // Compiles the condition (an expression) under the name "Trigger.<name>"; false when it does
  // not compile.
  bool Compile();

  std::string name;
  std::string condition;
  std::unique_ptr<CCode> code;
  std::string constantName;
  int32_t moment = 1;
  int32_t index = 0;
};

// The triggers by index.
int32_t Trigger_Count();
void Trigger_Add(std::unique_ptr<CTrigger> trigger);
CTrigger* Trigger_Get(int32_t index);
void Trigger_Clear();
