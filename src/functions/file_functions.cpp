#include "functions/file_functions.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "data/included_files.h"
#include "functions/argument_helpers.h"
#include "platform/console.h"
#include "platform/file_search.h"
#include "platform/files.h"
#include "platform/load_save.h"
#include "platform/process.h"
#include "runner/command_line.h"
#include "script/error_report.h"
#include "script/function_table.h"

namespace {

constexpr int32_t kEntries = 32;
constexpr int32_t kMaxLine = 32767;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::unique_ptr<LoadSaveBuffer> BufferOf(const std::string& path) {
  if (path.empty()) return nullptr;
  std::optional<std::vector<uint8_t>> data = LoadSave_LoadFile(path);
  if (!data) return nullptr;
  auto buffer = std::make_unique<LoadSaveBuffer>();
  buffer->size = static_cast<int32_t>(data->size());
  buffer->data = std::move(*data);
  return buffer;
}

FilePtr OpenFile(const std::string& path, const char* mode) {
  if (path.empty()) return nullptr;
  return FilePtr(std::fopen(path.c_str(), mode));
}

// Text files are written with CR LF line ends. An empty text (a real passed for the string)
// writes nothing: its view may hold no buffer at all.
void WriteText(std::FILE* file, std::string_view text) {
  if (text.empty()) return;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n') continue;
    std::fwrite(text.data() + start, 1, i - start, file);
    std::fwrite("\r\n", 1, 2, file);
    start = i + 1;
  }
  std::fwrite(text.data() + start, 1, text.size() - start, file);
}

// ---- binary files ------------------------------------------------------------

enum class BinaryMode : int32_t { Read = 0, Write = 1, ReadWrite = 2 };

struct BinaryEntry {
  std::string path;
  int32_t mode = 0;
  std::unique_ptr<LoadSaveBuffer> buffer;  // mode 0
  FilePtr file;                            // other modes
  bool open = false;

  void Release() {
    buffer.reset();
    file.reset();
    path.clear();
    open = false;
  }
  bool ReadsMemory() const { return mode == static_cast<int32_t>(BinaryMode::Read); }
};

std::array<BinaryEntry, kEntries> g_Binary;

BinaryEntry* BinaryEntryOf(const ScriptValue& number) {
  int32_t n = Arg_Rounded(number);
  if (n < 1 || n >= kEntries || !g_Binary[size_t(n)].open) return nullptr;
  return &g_Binary[size_t(n)];
}

// Switching between reading and writing on one C-library file needs a seek between them.
void SettleFile(std::FILE* file) { std::fseek(file, std::ftell(file), SEEK_SET); }

// ---- text files --------------------------------------------------------------

enum class TextState : int32_t { Free = 0, Reading = 1, Writing = 2 };

struct TextEntry {
  std::string name;
  TextState state = TextState::Free;
  std::unique_ptr<LoadSaveBuffer> buffer;  // reading
  FilePtr file;                            // writing
  bool endReached = false;                 // entry 0: a read met the end of the file

  void Release() {
    buffer.reset();
    file.reset();
    name.clear();
    state = TextState::Free;
    endReached = false;
  }
};

std::array<TextEntry, kEntries> g_Text;

TextEntry* TextEntryOf(const ScriptValue& number, TextState wanted) {
  int32_t n = Arg_Rounded(number);
  if (n < 1 || n >= kEntries || g_Text[size_t(n)].state != wanted) {
    Error_Show_Action(wanted == TextState::Reading ? "File is not opened for reading." : "File not opened for writing.",
                      false);
    return nullptr;
  }
  return &g_Text[size_t(n)];
}

int32_t FreeTextEntry() {
  for (int32_t i = 1; i < kEntries; ++i)
    if (g_Text[size_t(i)].state == TextState::Free) return i;
  Error_Show_Action("Cannot open another file (maximum exceeded).", false);
  return -1;
}

// The next byte of a buffer, or -1 at its end (the position then stays).
int NextByte(LoadSaveBuffer& buffer) {
  if (buffer.position < 0 || buffer.position >= buffer.size) return -1;
  return buffer.data[size_t(buffer.position++)];
}

// Up to and including the next LF, at most kMaxLine bytes.
std::string ReadLine(LoadSaveBuffer& buffer, bool& endReached) {
  std::string line;
  while (static_cast<int32_t>(line.size()) < kMaxLine) {
    int c = NextByte(buffer);
    if (c < 0) {
      endReached = true;
      break;
    }
    line.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return line;
}

int32_t OpenTextForWriting(const ScriptValue& nameArg, const char* mode) {
  int32_t n = FreeTextEntry();
  if (n < 0) return -1;
  TextEntry& entry = g_Text[size_t(n)];
  entry.Release();
  std::string path = LoadSave_SavePath(Arg_String(nameArg));
  if (path.empty()) return -1;
  File_EnsureDirectory(path);
  entry.file = OpenFile(path, mode);
  if (!entry.file) return -1;
  entry.name = path;
  entry.state = TextState::Writing;
  return n;
}

// Entry 0: the older interface reads in text mode, so CR LF arrives as LF.
TextEntry& Legacy() { return g_Text[0]; }

std::unique_ptr<LoadSaveBuffer> TextModeBuffer(const std::string& path) {
  std::unique_ptr<LoadSaveBuffer> raw = BufferOf(path);
  if (!raw) return nullptr;
  std::vector<uint8_t> text;
  text.reserve(raw->data.size());
  for (size_t i = 0; i < raw->data.size(); ++i) {
    if (raw->data[i] == '\r' && i + 1 < raw->data.size() && raw->data[i + 1] == '\n') continue;
    text.push_back(raw->data[i]);
  }
  raw->size = static_cast<int32_t>(text.size());
  raw->data = std::move(text);
  return raw;
}

void OpenLegacy(const ScriptValue& nameArg, TextState state, const char* mode) {
  TextEntry& entry = Legacy();
  entry.Release();
  std::string path = File_ResolvePath(Arg_String(nameArg));
  if (path.empty()) return;
  if (state == TextState::Reading) {
    if (!File_Exists(path)) return;
    entry.buffer = TextModeBuffer(path);
    if (!entry.buffer) return;
  } else {
    entry.file = OpenFile(path, mode);
    if (!entry.file) return;
  }
  entry.name = path;
  entry.state = state;
}

TextEntry* LegacyFor(TextState wanted) {
  if (Legacy().state != wanted) {
    Error_Show_Action(wanted == TextState::Reading ? "File not opened for reading." : "File not opened for writing.",
                      false);
    return nullptr;
  }
  return &Legacy();
}

std::string SavePathOf(const ScriptValue& name) { return LoadSave_SavePath(Arg_String(name)); }

}  // namespace

std::string File_ReadPath(std::string_view name) {
  std::string path = LoadSave_ExistingPath(name);
  return path.empty() ? LoadSave_SavePath(name) : path;
}

std::string File_ChangeExt(std::string_view name, std::string_view ext) {
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return std::string(name) + "." + std::string(ext);
  return std::string(name.substr(0, dot)) + std::string(ext);
}

std::string File_FormatFixed(double value) {
  int length = std::snprintf(nullptr, 0, "%f", value);
  if (length < 0) return {};
  std::string text(size_t(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), "%f", value);
  text.resize(size_t(length));
  return text;
}

void FileBin_CloseAll() {
  for (BinaryEntry& entry : g_Binary) entry.Release();
}

void File_CloseAllTables() {
  FileBin_CloseAll();
  for (TextEntry& entry : g_Text) entry.Release();
}

// ---- binary built-ins ----------------------------------------------------------

void F_FileBinOpen(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(-1.0);
  int32_t n = 1;
  while (n < kEntries && g_Binary[size_t(n)].open) ++n;
  if (n == kEntries) {
    Error_Show_Action("Cannot open another file (maximum exceeded).", false);
    return;
  }
  BinaryEntry& entry = g_Binary[size_t(n)];
  entry.Release();
  std::string_view name = Arg_String(args[0]);
  entry.path = File_ReadPath(name);
  int32_t mode = Arg_Rounded(args[1]);
  bool opened = false;
  if (mode == static_cast<int32_t>(BinaryMode::Read)) {
    entry.buffer = BufferOf(entry.path);
    opened = entry.buffer != nullptr;
  } else if (!entry.path.empty()) {
    File_EnsureDirectory(entry.path);
    if (mode == static_cast<int32_t>(BinaryMode::Write)) {
      entry.file = OpenFile(entry.path, "wb");
    } else {
      entry.file = OpenFile(entry.path, "rb") ? OpenFile(entry.path, "r+b") : OpenFile(entry.path, "w+b");
    }
    opened = entry.file != nullptr;
  }
  if (!opened) {
    g_DebugConsole->Output("Error opening binary file %s\n", Arg_CString(args[0]));
    entry.Release();
    return;
  }
  entry.mode = mode;
  entry.open = true;
  result.SetReal(n);
}

// Rewriting starts the entry's file over for writing, in the save area.
void F_FileBinRewrite(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  BinaryEntry* entry = BinaryEntryOf(args[0]);
  if (entry == nullptr) {
    Error_Show_Action("Trying to rewrite unopened file.", false);
    return;
  }
  std::string path = LoadSave_SavePath(entry->path);
  if (path.empty()) path = LoadSave_SavePath(File_FileName(entry->path));
  entry->buffer.reset();
  entry->file.reset();
  File_EnsureDirectory(path);
  entry->file = OpenFile(path, "wb+");
  if (!entry->file) {
    entry->Release();
    return;
  }
  entry->path = path;
  entry->mode = static_cast<int32_t>(BinaryMode::Write);
}

void F_FileBinClose(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  BinaryEntry* entry = BinaryEntryOf(args[0]);
  if (entry == nullptr) {
    Error_Show_Action("Trying to close unopened file.", false);
    return;
  }
  entry->Release();
}

namespace {
BinaryEntry* OpenBinary(const ScriptValue& number) {
  BinaryEntry* entry = BinaryEntryOf(number);
  if (entry == nullptr) Error_Show_Action("File is not opened.", false);
  return entry;
}
}  // namespace

void F_FileBinSeek(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  BinaryEntry* entry = OpenBinary(args[0]);
  if (entry == nullptr) return;
  int32_t position = Arg_Rounded(args[1]);
  if (entry->ReadsMemory()) {
    LoadSave_Seek(*entry->buffer, position, 0);
  } else {
    std::fseek(entry->file.get(), position, SEEK_SET);
  }
}

void F_FileBinSize(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  BinaryEntry* entry = OpenBinary(args[0]);
  if (entry == nullptr) return;
  if (entry->ReadsMemory()) {
    result.SetReal(entry->buffer->size);
    return;
  }
  std::FILE* file = entry->file.get();
  long position = std::ftell(file);
  std::fseek(file, 0, SEEK_END);
  long size = std::ftell(file);
  std::fseek(file, position, SEEK_SET);
  result.SetReal(static_cast<double>(size));
}

void F_FileBinPosition(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  BinaryEntry* entry = OpenBinary(args[0]);
  if (entry == nullptr) return;
  result.SetReal(entry->ReadsMemory() ? double(LoadSave_Tell(*entry->buffer))
                                      : static_cast<double>(std::ftell(entry->file.get())));
}

void F_FileBinReadByte(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  BinaryEntry* entry = OpenBinary(args[0]);
  if (entry == nullptr) return;
  int byte = -1;
  if (entry->ReadsMemory()) {
    byte = NextByte(*entry->buffer);
  } else if (entry->mode != static_cast<int32_t>(BinaryMode::Write)) {
    SettleFile(entry->file.get());
    byte = std::fgetc(entry->file.get());
  }
  if (byte < 0) {
    Error_Show_Action("Error reading byte.", false);
    return;
  }
  result.SetReal(byte);
}

void F_FileBinWriteByte(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  BinaryEntry* entry = OpenBinary(args[0]);
  if (entry == nullptr || entry->ReadsMemory()) return;
  SettleFile(entry->file.get());
  std::fputc(Arg_Rounded(args[1]) & 0xFF, entry->file.get());
}

// ---- numbered text built-ins ---------------------------------------------------

void F_FileTextOpenRead(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(-1.0);
  int32_t n = FreeTextEntry();
  if (n < 0) return;
  TextEntry& entry = g_Text[size_t(n)];
  entry.Release();
  if (!args[0].IsString()) {
    g_DebugConsole->Output("ERROR!!! :: wrong type for filename\n");
    return;
  }
  std::string_view name = Arg_String(args[0]);
  const std::string path = LoadSave_ExistingPath(name);
  if (path.empty()) {
    g_DebugConsole->Output("ERROR!!! :: Failed to open file: %s\n", Arg_CString(args[0]));
    return;
  }
  entry.buffer = BufferOf(path);
  if (!entry.buffer) {
    g_DebugConsole->Output("ERROR!!! :: Failed to open file: %s\n", path.c_str());
    return;
  }
  entry.name = path;
  entry.state = TextState::Reading;
  result.SetReal(n);
}

void F_FileTextOpenWrite(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(OpenTextForWriting(args[0], "wb"));
}

void F_FileTextOpenAppend(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(OpenTextForWriting(args[0], "ab"));
}

void F_FileTextClose(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  int32_t n = Arg_Rounded(args[0]);
  if (n < 1 || n >= kEntries) {
    Error_Show_Action("Trying to close unexisting text file.", false);
    return;
  }
  g_Text[size_t(n)].Release();
}

void F_FileTextEof(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (TextEntry* entry = TextEntryOf(args[0], TextState::Reading)) {
    result.SetReal(entry->buffer->position >= entry->buffer->size ? 1.0 : 0.0);
  }
}

void F_FileTextReadString(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  TextEntry* entry = TextEntryOf(args[0], TextState::Reading);
  if (entry == nullptr) return;
  LoadSaveBuffer& buffer = *entry->buffer;
  std::string text;
  for (int c = NextByte(buffer); c >= 0; c = NextByte(buffer)) {
    if (c == '\r' || c == '\n') {
      --buffer.position;  // the line end stays for file_text_readln
      break;
    }
    if (static_cast<int32_t>(text.size()) < kMaxLine) text.push_back(static_cast<char>(c));
  }
  result.SetString(std::move(text));
}

void F_FileTextReadReal(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (TextEntry* entry = TextEntryOf(args[0], TextState::Reading)) result.SetReal(LoadSave_ReadReal(*entry->buffer));
}

void F_FileTextReadln(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (TextEntry* entry = TextEntryOf(args[0], TextState::Reading)) {
    result.SetString(ReadLine(*entry->buffer, entry->endReached));
  }
}

void F_FileTextWriteString(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (TextEntry* entry = TextEntryOf(args[0], TextState::Writing)) WriteText(entry->file.get(), Arg_String(args[1]));
}

void F_FileTextWriteReal(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (TextEntry* entry = TextEntryOf(args[0], TextState::Writing)) std::fprintf(entry->file.get(), "%g ", args[1].real);
}

void F_FileTextWriteln(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (TextEntry* entry = TextEntryOf(args[0], TextState::Writing)) WriteText(entry->file.get(), "\n");
}

// ---- the older interface (entry 0) -------------------------------------------------

void F_FileOpenRead(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  OpenLegacy(args[0], TextState::Reading, "rb");
}
void F_FileOpenWrite(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  OpenLegacy(args[0], TextState::Writing, "w+b");
}
void F_FileOpenAppend(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  OpenLegacy(args[0], TextState::Writing, "a+b");
}
void F_FileClose(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) { Legacy().Release(); }

void F_FileEof(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  if (TextEntry* entry = LegacyFor(TextState::Reading)) result.SetReal(entry->endReached ? 1.0 : 0.0);
}

void F_FileReadString(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  TextEntry* entry = LegacyFor(TextState::Reading);
  if (entry == nullptr) return;
  std::string text;
  for (;;) {
    int c = NextByte(*entry->buffer);
    if (c < 0) {
      entry->endReached = true;
      break;
    }
    if (c == '\r' || c == '\n') break;
    if (static_cast<int32_t>(text.size()) < kMaxLine) text.push_back(static_cast<char>(c));
  }
  result.SetString(std::move(text));
}

void F_FileReadReal(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  TextEntry* entry = LegacyFor(TextState::Reading);
  if (entry == nullptr) return;
  result.SetReal(LoadSave_ReadReal(*entry->buffer));
  if (entry->buffer->position >= entry->buffer->size) entry->endReached = true;
}

void F_FileReadln(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  if (TextEntry* entry = LegacyFor(TextState::Reading)) result.SetString(ReadLine(*entry->buffer, entry->endReached));
}

void F_FileWriteString(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (TextEntry* entry = LegacyFor(TextState::Writing)) WriteText(entry->file.get(), Arg_String(args[0]));
}
void F_FileWriteReal(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (TextEntry* entry = LegacyFor(TextState::Writing)) std::fprintf(entry->file.get(), "%10.4f", args[0].real);
}
void F_FileWriteln(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {
  if (TextEntry* entry = LegacyFor(TextState::Writing)) WriteText(entry->file.get(), "\n");
}

// ---- files, folders and names --------------------------------------------------------

void F_FileExists(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  std::string_view name = Arg_String(args[0]);
  result.SetReal(LoadSave_SaveFileExists(name) || LoadSave_BundleFileExists(name) ? 1.0 : 0.0);
}

void F_FileDelete(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (LoadSave_SaveFileExists(Arg_String(args[0]))) std::remove(SavePathOf(args[0]).c_str());
}

void F_FileRename(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (!LoadSave_SaveFileExists(Arg_String(args[0]))) return;
  std::string to = SavePathOf(args[1]);
  if (!to.empty()) std::rename(SavePathOf(args[0]).c_str(), to.c_str());
}

void F_FileCopy(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(-1.0);
  FilePtr source = OpenFile(File_ReadPath(Arg_String(args[0])), "rb");
  if (!source) {
    g_DebugConsole->Output("Unable to open source file %s\n", Arg_CString(args[0]));
    return;
  }
  FilePtr destination = OpenFile(SavePathOf(args[1]), "wb");
  if (!destination) return;
  std::vector<char> block(4096);
  for (size_t got; (got = std::fread(block.data(), 1, block.size(), source.get())) > 0;) {
    std::fwrite(block.data(), 1, got, destination.get());
  }
  result.SetReal(0.0);
}

void F_DirectoryExists(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  std::string_view name = Arg_String(args[0]);
  std::string save = LoadSave_SavePath(name);
  std::string bundle = LoadSave_BundlePath(name);
  bool exists = (!save.empty() && File_DirectoryExists(save)) || (!bundle.empty() && File_DirectoryExists(bundle));
  result.SetReal(exists ? 1.0 : 0.0);
}

void F_DirectoryCreate(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  std::string path = SavePathOf(args[0]);
  if (!path.empty()) File_CreateDirectory(path);
}

void F_FileAttributes(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {}

// The open search: the names found by file_find_first, handed out one by one.
struct FileSearch {
  std::vector<std::string> names;
  size_t next = 0;
};
FileSearch g_FileSearch;

std::string NextFound() {
  if (g_FileSearch.next >= g_FileSearch.names.size()) return {};
  return g_FileSearch.names[g_FileSearch.next++];
}

// The mask's folder is looked for in the save area and in the game folder, and the names of
// both that match its last part are found (the attributes argument is not used: files, folders
// and hidden entries alike).
void F_FileFindFirst(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  g_FileSearch = FileSearch{};
  if (args[0].IsString()) {
    const std::string_view mask = Arg_String(args[0]);
    std::vector<std::string> folders;
    for (const std::string& path : {LoadSave_SavePath(mask), LoadSave_BundlePath(mask)}) {
      if (!path.empty()) folders.push_back(path.substr(0, path.rfind('/') + 1));
    }
    g_FileSearch.names = File_FindInFolders(folders, File_FileName(mask));
  }
  result.SetString(NextFound());
}
void F_FileFindNext(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) { result.SetString(NextFound()); }
void F_FileFindClose(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) { g_FileSearch = FileSearch{}; }

void F_FilenameName(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetString(File_FileName(Arg_String(args[0])));
}
void F_FilenamePath(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetString(File_FilePath(Arg_String(args[0])));
}
void F_FilenameDir(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  std::string path = File_FilePath(Arg_String(args[0]));
  if (!path.empty() && File_IsSeparator(path.back())) path.pop_back();
  result.SetString(std::move(path));
}
void F_FilenameDrive(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetString(File_FileDrive(Arg_String(args[0])));
}
void F_FilenameExt(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetString(File_FileExt(Arg_String(args[0])));
}
void F_FilenameChangeExt(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (!args[0].IsString() || !args[1].IsString()) {
    result.SetString({});
    return;
  }
  result.SetString(File_ChangeExt(Arg_String(args[0]), Arg_String(args[1])));
}

// The included file named by the argument; null (after the error) when there is none. The
// game data this runner reads carries no included files, so the table is empty.
CDataFile* IncludedFile(const ScriptValue& name, const char* missing) {
  CDataFile* file = DataFile_Get(DataFile_Find(Arg_String(name)));
  if (file == nullptr) Error_Show_Action(missing, false);
  return file;
}

void F_ExportIncludeFile(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDataFile* file = IncludedFile(args[0], "Trying to export non-existing file.")) file->Export();
}
// The target is a file of the save area.
void F_ExportIncludeFileLocation(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  CDataFile* file = IncludedFile(args[0], "Trying to export non-existing file.");
  const std::string target = LoadSave_SavePath(Arg_String(args[1]));
  if (file == nullptr || target.empty()) return;
  File_EnsureDirectory(target);
  file->WriteTo(target);
}
void F_DiscardIncludeFile(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDataFile* file = IncludedFile(args[0], "Trying to discard non-existing file.")) file->Discard();
}

// ---- programs, command line and environment ----------------------------------------------

void F_ExecuteProgram(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (!Execute_Program(Arg_CString(args[0]), Arg_CString(args[1]), Arg_Flag(args[2]))) {
    g_DebugConsole->Output("Cannot execute %s\n", Arg_CString(args[0]));
    result.SetReal(-1.0);
  }
}

void F_ExecuteShell(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  std::string folder = File_CurrentDirectory();
  if (!Execute_Shell(Arg_CString(args[0]), Arg_CString(args[1]), folder.c_str())) {
    g_DebugConsole->Output("Cannot execute %s\n", Arg_CString(args[0]));
    result.SetReal(-1.0);
  }
}

void F_ParameterCount(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  result.SetReal(static_cast<double>(CommandLine_Arguments().size()));
}

void F_ParameterString(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  const std::vector<std::string>& arguments = CommandLine_Arguments();
  int32_t n = Arg_Rounded(args[0]);
  if (n < 1 || size_t(n) > arguments.size()) {
    result.SetString({});
    return;
  }
  result.SetString(arguments[size_t(n - 1)].substr(0, 1024));
}

void F_EnvironmentGetVariable(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  const char* value = std::getenv(Arg_CString(args[0]));
  result.SetString(value != nullptr ? value : "");
}

// ---- registration --------------------------------------------------------------------

namespace {
struct FileBuiltin {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

constexpr FileBuiltin kFileBuiltins[] = {
    {"file_bin_open", F_FileBinOpen, 2},
    {"file_bin_rewrite", F_FileBinRewrite, 1},
    {"file_bin_close", F_FileBinClose, 1},
    {"file_bin_position", F_FileBinPosition, 1},
    {"file_bin_size", F_FileBinSize, 1},
    {"file_bin_seek", F_FileBinSeek, 2},
    {"file_bin_read_byte", F_FileBinReadByte, 1},
    {"file_bin_write_byte", F_FileBinWriteByte, 2},
    {"file_text_open_read", F_FileTextOpenRead, 1},
    {"file_text_open_write", F_FileTextOpenWrite, 1},
    {"file_text_open_append", F_FileTextOpenAppend, 1},
    {"file_text_close", F_FileTextClose, 1},
    {"file_text_read_string", F_FileTextReadString, 1},
    {"file_text_read_real", F_FileTextReadReal, 1},
    {"file_text_readln", F_FileTextReadln, 1},
    {"file_text_eof", F_FileTextEof, 1},
    {"file_text_write_string", F_FileTextWriteString, 2},
    {"file_text_write_real", F_FileTextWriteReal, 2},
    {"file_text_writeln", F_FileTextWriteln, 1},
    {"file_open_read", F_FileOpenRead, 1},
    {"file_open_write", F_FileOpenWrite, 1},
    {"file_open_append", F_FileOpenAppend, 1},
    {"file_close", F_FileClose, 0},
    {"file_read_string", F_FileReadString, 0},
    {"file_read_real", F_FileReadReal, 0},
    {"file_readln", F_FileReadln, 0},
    {"file_eof", F_FileEof, 0},
    {"file_write_string", F_FileWriteString, 1},
    {"file_write_real", F_FileWriteReal, 1},
    {"file_writeln", F_FileWriteln, 0},
    {"file_exists", F_FileExists, 1},
    {"file_delete", F_FileDelete, 1},
    {"file_rename", F_FileRename, 2},
    {"file_copy", F_FileCopy, 2},
    {"directory_exists", F_DirectoryExists, 1},
    {"directory_create", F_DirectoryCreate, 1},
    {"file_find_first", F_FileFindFirst, 2},
    {"file_find_next", F_FileFindNext, 0},
    {"file_find_close", F_FileFindClose, 0},
    {"file_attributes", F_FileAttributes, 2},
    {"filename_name", F_FilenameName, 1},
    {"filename_path", F_FilenamePath, 1},
    {"filename_dir", F_FilenameDir, 1},
    {"filename_drive", F_FilenameDrive, 1},
    {"filename_ext", F_FilenameExt, 1},
    {"filename_change_ext", F_FilenameChangeExt, 2},
    {"export_include_file", F_ExportIncludeFile, 1},
    {"export_include_file_location", F_ExportIncludeFileLocation, 2},
    {"discard_include_file", F_DiscardIncludeFile, 1},
    {"execute_program", F_ExecuteProgram, 3},
    {"execute_shell", F_ExecuteShell, 2},
    {"parameter_count", F_ParameterCount, 0},
    {"parameter_string", F_ParameterString, 1},
    {"environment_get_variable", F_EnvironmentGetVariable, 1},
};
static_assert(std::size(kFileBuiltins) == 54);
}  // namespace

void InitFileFunctions() {
  File_CloseAllTables();
  for (const FileBuiltin& builtin : kFileBuiltins) Function_Add(builtin.name, builtin.implementation, builtin.argc);
  InitRegistryAndIniFunctions();
  InitHttpAndJsonFunctions();
}
