// File, registry, ini, HTTP and JSON built-ins called by name, in a game folder and a save area
// of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "builtin_call.h"
#include "functions/ds_functions.h"
#include "functions/file_functions.h"
#include "functions/http_json_functions.h"
#include "platform/ds_containers.h"
#include "platform/ds_map.h"
#include "platform/file_locations.h"
#include "platform/http.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "support/local_http_server.h"
#include "support/runner_process.h"

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void Spit(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class FileBuiltins : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static bool done = false;
    if (!done) {
      InitDataStructureFunctions();
      InitFileFunctions();
    }
    done = true;
  }
  void SetUp() override {
    previous = std::filesystem::current_path();
    std::filesystem::current_path(game.path());
    FileLocations_Reset();
    FileLocations_SetGameFolder(game.path());
    FileLocations_SetSaveArea(save.path());
    File_CloseAllTables();
    DS_Tables() = DS_ContainerTables{};
    Error_Hooks().showDialog = [](const std::string&, bool) { return false; };
    Error_Last.clear();
  }
  void TearDown() override {
    Call("ini_close", {});
    File_CloseAllTables();
    Registry_Clear();
    DS_Tables() = DS_ContainerTables{};
    Error_Hooks().showDialog = nullptr;
    std::filesystem::current_path(previous);
    FileLocations_Reset();
  }
  ScriptValue Call(const char* name, std::vector<ScriptValue> args) {
    int32_t id = -1;
    EXPECT_TRUE(Function_Find(name, id)) << name;
    EXPECT_EQ(Function_ArgCount(id), static_cast<int32_t>(args.size())) << name;
    ScriptValue result;
    Function_Call(id, result, nullptr, nullptr, static_cast<int>(args.size()), args.data());
    return result;
  }
  // The last runtime error's message, which is then forgotten.
  std::string TakeError() {
    std::string last = Error_Last;
    Error_Last.clear();
    return last;
  }
  bool Reported(const std::string& message) { return TakeError().find(message) != std::string::npos; }

  TempFolder game;
  TempFolder save;
  std::filesystem::path previous;
  ConsoleCapture console;
};

TEST_F(FileBuiltins, BinaryFilesNumbersModesAndErrors) {
  for (int i = 1; i <= 31; ++i) EXPECT_EQ(Call("file_bin_open", {S("b" + std::to_string(i)), R(1)}).real, i);
  EXPECT_EQ(Call("file_bin_open", {S("more"), R(1)}).real, -1);
  EXPECT_TRUE(Reported("Cannot open another file (maximum exceeded)."));
  Call("file_bin_close", {R(5)});
  EXPECT_EQ(Call("file_bin_open", {S("five"), R(1)}).real, 5);
  // Mode 1 writes bytes (round, AND 0xFF) and cannot read.
  Call("file_bin_write_byte", {R(5), R(300)});
  Call("file_bin_write_byte", {R(5), R(2.5)});
  EXPECT_EQ(Call("file_bin_read_byte", {R(5)}).real, 0);
  EXPECT_TRUE(Reported("Error reading byte."));
  EXPECT_EQ(Call("file_bin_size", {R(5)}).real, 2);
  for (int i = 1; i <= 31; ++i) Call("file_bin_close", {R(i)});
  EXPECT_EQ(Slurp(save / "five"), std::string("\x2C\x02", 2));

  // Mode 0 reads from memory to the end, then reports.
  const double f = Call("file_bin_open", {S("five"), R(0)}).real;
  EXPECT_EQ(Call("file_bin_read_byte", {R(f)}).real, 44);
  EXPECT_EQ(Call("file_bin_position", {R(f)}).real, 1);
  EXPECT_EQ(Call("file_bin_read_byte", {R(f)}).real, 2);
  EXPECT_EQ(Call("file_bin_read_byte", {R(f)}).real, 0);
  EXPECT_TRUE(Reported("Error reading byte."));
  Call("file_bin_seek", {R(f), R(0)});
  EXPECT_EQ(Call("file_bin_read_byte", {R(f)}).real, 44);
  Call("file_bin_close", {R(f)});

  // Mode 2 reads and writes the same file.
  const double rw = Call("file_bin_open", {S("five"), R(2)}).real;
  Call("file_bin_seek", {R(rw), R(1)});
  Call("file_bin_write_byte", {R(rw), R(7)});
  Call("file_bin_seek", {R(rw), R(0)});
  EXPECT_EQ(Call("file_bin_read_byte", {R(rw)}).real, 44);
  EXPECT_EQ(Call("file_bin_read_byte", {R(rw)}).real, 7);
  Call("file_bin_close", {R(rw)});

  struct Case {
    const char* name;
    std::vector<ScriptValue> args;
    const char* message;
  };
  const Case errors[] = {
      {"file_bin_close", {R(0)}, "Trying to close unopened file."},
      {"file_bin_rewrite", {R(3)}, "Trying to rewrite unopened file."},
      {"file_bin_size", {R(32)}, "File is not opened."},
      {"file_bin_position", {R(1)}, "File is not opened."},
      {"file_bin_seek", {R(-1), R(0)}, "File is not opened."},
      {"file_bin_read_byte", {R(2)}, "File is not opened."},
      {"file_bin_write_byte", {R(2), R(1)}, "File is not opened."},
  };
  for (const Case& c : errors) {
    Call(c.name, c.args);
    EXPECT_TRUE(Reported(c.message)) << c.name;
  }
  // Missing files and names outside the two folders do not open.
  console.Clear();
  EXPECT_EQ(Call("file_bin_open", {S("missing"), R(0)}).real, -1);
  EXPECT_TRUE(console.Contains("Error opening binary file missing\n"));
  EXPECT_EQ(Call("file_bin_open", {S("/etc/passwd"), R(0)}).real, -1);
  EXPECT_EQ(Call("file_bin_open", {S("..\\..\\outside"), R(1)}).real, -1);
}

TEST_F(FileBuiltins, GameFolderFilesAreReadNeverDeleted) {
  Spit(game / "Shipped.DAT", "x");
  EXPECT_EQ(Call("file_exists", {S("shipped.dat")}).real, 1);
  const double f = Call("file_bin_open", {S("shipped.dat"), R(0)}).real;
  EXPECT_EQ(Call("file_bin_read_byte", {R(f)}).real, 'x');
  Call("file_delete", {S("shipped.dat")});
  EXPECT_TRUE(std::filesystem::exists(game / "Shipped.DAT"));
  // A copy goes to the save area; there it can be renamed and deleted.
  EXPECT_EQ(Call("file_copy", {S("Shipped.DAT"), S("sub\\copy.dat")}).real, -1);  // no folder yet
  Call("directory_create", {S("sub")});
  EXPECT_EQ(Call("directory_exists", {S("SUB")}).real, 1);
  EXPECT_EQ(Call("file_copy", {S("Shipped.DAT"), S("sub\\copy.dat")}).real, 0);
  Call("file_rename", {S("sub/copy.dat"), S("sub/moved.dat")});
  EXPECT_EQ(Slurp(save / "sub/moved.dat"), "x");
  Call("file_delete", {S("sub/moved.dat")});
  EXPECT_EQ(Call("file_exists", {S("sub/moved.dat")}).real, 0);
  EXPECT_EQ(Call("file_copy", {S("nothing"), S("b")}).real, -1);
  EXPECT_TRUE(console.Contains("Unable to open source file nothing\n"));
  EXPECT_EQ(Call("file_attributes", {S("x"), R(0)}).real, 0);
}

TEST_F(FileBuiltins, TextFilesWriteCrLfAndReadEither) {
  const double w = Call("file_text_open_write", {S("notes\\a.txt")}).real;
  ASSERT_EQ(w, 1);
  Call("file_text_write_string", {R(w), S("abc")});
  Call("file_text_writeln", {R(w)});
  Call("file_text_write_real", {R(w), R(1.5)});
  Call("file_text_write_string", {R(w), S("x\ny")});
  Call("file_text_close", {R(w)});
  EXPECT_EQ(Slurp(save / "notes/a.txt"), "abc\r\n1.5 x\r\ny");

  const double r = Call("file_text_open_read", {S("NOTES/A.TXT")}).real;
  ASSERT_EQ(r, 1);
  EXPECT_EQ(Call("file_text_read_string", {R(r)}).Text(), "abc");
  EXPECT_EQ(Call("file_text_readln", {R(r)}).Text(), "\r\n");
  EXPECT_EQ(Call("file_text_read_real", {R(r)}).real, 1.5);
  EXPECT_EQ(Call("file_text_eof", {R(r)}).real, 0);
  EXPECT_EQ(Call("file_text_readln", {R(r)}).Text(), " x\r\n");
  EXPECT_EQ(Call("file_text_read_string", {R(r)}).Text(), "y");
  EXPECT_EQ(Call("file_text_eof", {R(r)}).real, 1);
  Call("file_text_close", {R(r)});

  // LF-only files read the same way; appending keeps the old text.
  Spit(save / "lf.txt", "one\ntwo\n");
  const double l = Call("file_text_open_read", {S("lf.txt")}).real;
  EXPECT_EQ(Call("file_text_read_string", {R(l)}).Text(), "one");
  EXPECT_EQ(Call("file_text_readln", {R(l)}).Text(), "\n");
  EXPECT_EQ(Call("file_text_read_string", {R(l)}).Text(), "two");
  Call("file_text_close", {R(l)});
  const double a = Call("file_text_open_append", {S("lf.txt")}).real;
  Call("file_text_write_string", {R(a), S("three")});
  Call("file_text_close", {R(a)});
  EXPECT_EQ(Slurp(save / "lf.txt"), "one\ntwo\nthree");

  struct Case {
    const char* name;
    std::vector<ScriptValue> args;
    const char* message;
  };
  const Case errors[] = {
      {"file_text_close", {R(0)}, "Trying to close unexisting text file."},
      {"file_text_close", {R(32)}, "Trying to close unexisting text file."},
      {"file_text_read_string", {R(1)}, "File is not opened for reading."},
      {"file_text_eof", {R(40)}, "File is not opened for reading."},
      {"file_text_write_real", {R(1), R(1)}, "File not opened for writing."},
      {"file_read_string", {}, "File not opened for reading."},
      {"file_writeln", {}, "File not opened for writing."},
  };
  for (const Case& c : errors) {
    Call(c.name, c.args);
    EXPECT_TRUE(Reported(c.message)) << c.name;
  }
  Call("file_text_close", {R(3)});  // a free number: nothing
  EXPECT_EQ(TakeError(), "");

  console.Clear();
  EXPECT_EQ(Call("file_text_open_read", {S("absent.txt")}).real, -1);
  EXPECT_TRUE(console.Contains("ERROR!!! :: Failed to open file: absent.txt\n"));
  EXPECT_EQ(Call("file_text_open_read", {R(3)}).real, -1);
  EXPECT_TRUE(console.Contains("ERROR!!! :: wrong type for filename\n"));
  EXPECT_EQ(Call("file_text_open_write", {S("/tmp/escape.txt")}).real, -1);
  EXPECT_FALSE(std::filesystem::exists("/tmp/escape.txt") && Slurp("/tmp/escape.txt").empty());
}

TEST_F(FileBuiltins, TheOlderTextInterface) {
  Call("file_open_write", {S("old.txt")});
  Call("file_write_string", {S("line")});
  Call("file_writeln", {});
  Call("file_write_real", {R(1.5)});
  Call("file_close", {});
  EXPECT_EQ(Slurp(game / "old.txt"), "line\r\n    1.5000");
  Call("file_open_read", {S("old.txt")});
  EXPECT_EQ(Call("file_read_string", {}).Text(), "line");
  EXPECT_EQ(Call("file_eof", {}).real, 0);
  EXPECT_EQ(Call("file_read_real", {}).real, 1.5);
  EXPECT_EQ(Call("file_eof", {}).real, 1);
  Call("file_close", {});
  Call("file_open_read", {S("no such file")});
  Call("file_readln", {});
  EXPECT_TRUE(Reported("File not opened for reading."));
}

TEST_F(FileBuiltins, FileNames) {
  struct Case {
    const char* name;
    std::vector<ScriptValue> args;
    const char* expected;
  };
  const Case cases[] = {
      {"filename_change_ext", {S("a.txt"), S(".dat")}, "a.dat"},
      {"filename_change_ext", {S("a"), S("dat")}, "a.dat"},
      {"filename_change_ext", {S("a.txt"), S("dat")}, "adat"},
      {"filename_change_ext", {S("a.txt"), R(1)}, ""},
      {"filename_path", {S("C:\\games\\a.txt")}, "C:\\games"},
      {"filename_path", {S("a.txt")}, ""},
      {"filename_dir", {S("C:\\games\\\\a.txt")}, "C:\\games"},
      {"filename_name", {S("C:\\games\\a.txt")}, "a.txt"},
      {"filename_ext", {S("dir/a.b.txt")}, ".txt"},
      {"filename_drive", {S("C:\\games\\a.txt")}, "C:"},
  };
  for (const Case& c : cases) EXPECT_EQ(Call(c.name, c.args).Text(), c.expected) << c.name << " " << c.args[0].Text();
  setenv("KF_FILE_TEST", "value", 1);
  EXPECT_EQ(Call("environment_get_variable", {S("KF_FILE_TEST")}).Text(), "value");
  EXPECT_EQ(Call("environment_get_variable", {S("KF_NOT_SET_ANYWHERE")}).Text(), "");
  EXPECT_EQ(Call("parameter_string", {R(0)}).Text(), "");
}

TEST_F(FileBuiltins, Registry) {
  EXPECT_EQ(Call("registry_exists", {S("Volume")}).real, 0);
  Call("registry_write_real", {S("Volume"), R(0.5)});
  EXPECT_EQ(Call("registry_read_string", {S("volume")}).Text(), "0.500000");
  EXPECT_EQ(Call("registry_read_real", {S("VOLUME")}).real, 0.5);
  Call("registry_write_string", {S("name"), S("not a number")});
  EXPECT_EQ(Call("registry_read_real", {S("name")}).real, 0);
  EXPECT_EQ(Call("registry_read_string", {S("absent")}).Text(), "");
  Call("registry_write_real", {S("huge"), R(1e300)});
  EXPECT_EQ(Call("registry_read_real", {S("huge")}).real, 1e300);
}

TEST_F(FileBuiltins, IniRoundTripAndErrors) {
  EXPECT_EQ(Call("ini_read_string", {S("s"), S("k"), S("d")}).real, 0);
  EXPECT_TRUE(Reported("Trying to read from undefined INI file"));
  Call("ini_write_real", {S("s"), S("k"), R(1)});
  EXPECT_TRUE(Reported("Trying to read from undefined INI file"));
  Call("ini_key_delete", {S("s"), S("k")});
  EXPECT_TRUE(Reported("Trying to change undefined INI file"));

  Call("ini_open", {S("settings.ini")});
  EXPECT_EQ(Call("ini_read_real", {S("game"), S("level"), R(3)}).real, 3);
  EXPECT_EQ(Call("ini_read_real", {S("game"), S("level"), S("2.5")}).real, 2.5);
  EXPECT_EQ(Call("ini_read_string", {S("game"), S("name"), R(1)}).Text(), "");
  Call("ini_write_string", {S("game"), S("name"), R(1)});
  EXPECT_TRUE(Reported("Wrong argument types for ini_write_string"));
  EXPECT_EQ(Call("ini_key_exists", {S("game"), S("name")}).real, 0);
  Call("ini_write_string", {S("game"), S("name"), S("Hero")});
  Call("ini_write_real", {S("game"), S("level"), R(4)});
  Call("ini_write_string", {S("gone"), S("k"), S("v")});
  Call("ini_section_delete", {S("gone")});
  Call("ini_close", {});
  Call("ini_close", {});
  EXPECT_EQ(TakeError(), "");
  const std::string text = Slurp(save / "settings.ini");
  EXPECT_NE(text.find("[game]\r\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("gone"), std::string::npos) << text;

  Call("ini_open", {S("settings.ini")});
  EXPECT_EQ(Call("ini_read_string", {S("game"), S("name"), S("")}).Text(), "Hero");
  EXPECT_EQ(Call("ini_read_real", {S("game"), S("level"), R(0)}).real, 4);
  EXPECT_EQ(Call("ini_section_exists", {S("game")}).real, 1);
  Call("ini_key_delete", {S("game"), S("name")});
  EXPECT_EQ(Call("ini_key_exists", {S("game"), S("name")}).real, 0);
  Call("ini_close", {});
  EXPECT_EQ(Slurp(save / "settings.ini").find("Hero"), std::string::npos);
}

TEST_F(FileBuiltins, JsonDecodeNestsMapsAndLists) {
  const double m = Call("json_decode", {S(R"({"a": 1, "b": [1, 2, {"c": true}], "d": null})")}).real;
  ASSERT_GE(m, 0);
  EXPECT_EQ(Call("ds_map_find_value", {R(m), S("a")}).real, 1);
  EXPECT_EQ(Call("ds_map_exists", {R(m), S("d")}).real, 0);
  const ScriptValue b = Call("ds_map_find_value", {R(m), S("b")});
  ASSERT_TRUE(b.IsReal());
  EXPECT_EQ(Call("ds_list_size", {b}).real, 3);
  EXPECT_EQ(Call("ds_list_find_value", {b, R(1)}).real, 2);
  const ScriptValue inner = Call("ds_list_find_value", {b, R(2)});
  EXPECT_EQ(Call("ds_map_find_value", {inner, S("c")}).real, 1);
  EXPECT_EQ(TakeError(), "");

  // Round trip: the nesting comes back.
  const std::string encoded = std::string(Call("json_encode", {R(m)}).Text());
  const double again = Call("json_decode", {S(encoded)}).real;
  const ScriptValue b2 = Call("ds_map_find_value", {R(again), S("b")});
  const ScriptValue inner2 = Call("ds_list_find_value", {b2, R(2)});
  EXPECT_EQ(Call("ds_map_find_value", {inner2, S("c")}).real, 1);
  EXPECT_EQ(encoded.find("\"d\""), std::string::npos);

  struct Case {
    ScriptValue text;
    const char* key;
    ScriptValue expected;  // the real -1 for a refused text
  };
  const Case cases[] = {
      {S("hello"), "default", S("hello")},
      {R(5), "default", S("5.00")},
      {S("  {\"k\": \"v\"} "), "k", S("v")},
      {S("say \"hi\""), "", R(-1)},
      {S("{\"open\": [1, 2}"), "", R(-1)},
      // Nesting deeper than the parser takes, inside an object: refused.
      {S("{\"a\": " + std::string(100000, '[') + std::string(100000, ']') + "}"), "", R(-1)},
      // Without braces any text is one string.
      {S(std::string(5000, '[')), "default", S(std::string(5000, '['))},
      {S("{\"a\":\"\\ud800\"}"), "a", S("\xef\xbf\xbd")},
  };
  for (const Case& c : cases) {
    const double index = Call("json_decode", {c.text}).real;
    if (c.expected.IsReal()) {
      EXPECT_EQ(index, -1) << c.text.Text().substr(0, 20);
      continue;
    }
    ASSERT_GE(index, 0) << c.text.Text();
    EXPECT_EQ(Call("ds_map_find_value", {R(index), S(c.key)}).Text(), c.expected.Text()) << c.text.Text();
  }
}

TEST_F(FileBuiltins, JsonEncode) {
  EXPECT_EQ(Call("json_encode", {R(-1)}).Text(), "");
  EXPECT_EQ(Call("json_encode", {R(99)}).Text(), "");
  const double m = Call("ds_map_create", {}).real;
  Call("ds_map_add", {R(m), R(3.7), S("x")});
  const std::string text = std::string(Call("json_encode", {R(m)}).Text());
  EXPECT_NE(text.find("\"3\": \"x\""), std::string::npos) << text;
  // A map holding itself (through a copied decoded value) ends in null, not endless recursion.
  const double outer = Call("json_decode", {S(R"({"inner": {"v": 1}})")}).real;
  const double inner = Call("ds_map_find_value", {R(outer), S("inner")}).real;
  Call("ds_map_copy", {R(inner), R(outer)});
  const std::string cyclic = std::string(Call("json_encode", {R(outer)}).Text());
  EXPECT_NE(cyclic.find("null"), std::string::npos) << cyclic;
}

TEST_F(FileBuiltins, HttpRequestsReachTheGameAsAsyncMaps) {
  for (const char* name : {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"})
    unsetenv(name);
  LocalHttpServer server(LocalHttpServer::Bodies({{"/hello", std::string("hi\0there", 8)}, {"/empty", ""}}));
  ASSERT_NE(server.Port(), 0);
  EXPECT_EQ(Call("http_get", {S("ftp://host")}).real, -1);
  EXPECT_EQ(Call("http_get", {S("HTTP://host")}).real, -1);
  const double first = Call("http_get", {S(server.Url("/hello"))}).real;
  const double second = Call("http_post_string", {S(server.Url("/empty")), S("a=1")}).real;
  EXPECT_EQ(second, first + 1);
  struct Seen {
    int32_t event;
    std::string url, result;
    double status, httpStatus;
  };
  std::map<double, Seen> seen;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (seen.size() < 2 && std::chrono::steady_clock::now() < deadline) {
    HTTP_ProcessFinished([&](int32_t event, int32_t asyncMap) {
      const CDS_Map* map = DS_Tables().maps.Get(asyncMap);
      ASSERT_NE(map, nullptr);
      auto get = [&](const char* key) { return map->Find(S(key))->value; };
      seen[get("id").real] = {event, std::string(get("url").Text()), std::string(get("result").Text()), get("status").real,
                              get("http_status").real};
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[first].event, kAsyncEventHttp);
  EXPECT_EQ(seen[first].url, server.Url("/hello"));
  EXPECT_EQ(seen[first].result, "hi");
  EXPECT_EQ(seen[first].status, 0);
  EXPECT_EQ(seen[first].httpStatus, 200);
  EXPECT_EQ(seen[second].status, -1);
  EXPECT_EQ(seen[second].result, "");
  EXPECT_EQ(server.LastRequest().body, "a=1");
  HTTP_Shutdown();
}

TEST_F(FileBuiltins, TextWrittenForARealIsNothing) {
  const double f = Call("file_text_open_write", {S("out.txt")}).real;
  Call("file_text_write_string", {R(f), R(12.5)});
  Call("file_text_write_string", {R(f), S("a")});
  Call("file_text_write_string", {R(f), R(-1)});
  Call("file_text_close", {R(f)});
  std::ifstream in(save / "out.txt", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "a");
  EXPECT_EQ(TakeError(), "");
}

TEST_F(FileBuiltins, JsonOfDeepNestingIsRefusedWithAnError) {
  // A chain of lists, each holding the next as a nested list (a mark only a crafted ds_list_read
  // text can give), under one map.
  const auto chain = [this](int32_t levels) {
    std::vector<double> lists(static_cast<size_t>(levels));
    for (double& list : lists) list = Call("ds_list_create", {}).real;
    for (int32_t i = 0; i + 1 < levels; ++i) {
      CDS_List next;
      next.Add(DS_MarkedIndex(kDSMarkList, static_cast<int32_t>(lists[size_t(i) + 1])));
      EXPECT_EQ(Call("ds_list_read", {R(lists[size_t(i)]), S(next.Write())}).real, 0.0);
    }
    const double map = Call("ds_map_create", {}).real;
    CDS_Map* top = DS_Tables().maps.Get(static_cast<int32_t>(map));
    top->Add(S("deep"), DS_MarkedIndex(kDSMarkList, static_cast<int32_t>(lists[0])));
    return map;
  };
  // 100 levels are written whole.
  const std::string shallow(Call("json_encode", {R(chain(100))}).Text());
  EXPECT_EQ(shallow.rfind("{ \"deep\": [ [ [", 0), 0u) << shallow;
  EXPECT_EQ(std::count(shallow.begin(), shallow.end(), '['), 100);
  EXPECT_EQ(TakeError(), "");
  // Deeper chains (a crafted text can make 100,000 levels, enough to exhaust the stack) are
  // refused, and the answer is the empty string.
  EXPECT_EQ(Call("json_encode", {R(chain(1500))}).Text(), "");
  EXPECT_NE(TakeError().find("Data structure is nested too deeply."), std::string::npos);
}

}  // namespace
