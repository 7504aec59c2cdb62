// The d3d_model built-ins: their registration after the other d3d built-ins, what they record,
// saving and loading through the save area and the game folder, refused files, and the
// recordings a model keeps per texture.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "functions/builtin_call.h"
#include "functions/registry.h"
#include "graphics/graphics_3d_model.h"
#include "graphics/graphics_recorder.h"
#include "graphics/primitives.h"
#include "platform/file_locations.h"
#include "script/function_table.h"
#include "support/runner_process.h"
#include "support/function_table_guard.h"

namespace {

class D3DModelFunctions : public ::testing::Test {
 protected:
  FunctionTableGuard functions_;  // put back after TearDown
  void SetUp() override {
    Function_FreeAll();
    Functions_RegisterAll();
    FileLocations_Reset();
    FileLocations_SetGameFolder(game.path());
    FileLocations_SetWorkingDirectory(game.path());
    FileLocations_SetSaveArea(save.path());
    GR_Draw_Set_Color(0xFFFFFF);
  }
  void TearDown() override {
    GR_3D_Model_FreeAll();
    FileLocations_Reset();
  }
  static ScriptValue Call(const char* name, std::vector<ScriptValue> args) {
    int32_t id = -1;
    EXPECT_TRUE(Function_Find(name, id)) << name;
    if (id < 0) return {};
    EXPECT_EQ(Function_ArgCount(id), static_cast<int32_t>(args.size())) << name;
    return CallBuiltin(Function_Get(id)->implementation, std::move(args));
  }
  static std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // A model of every request kind, built through the built-ins.
  static double EveryKindModel() {
    const double m = Call("d3d_model_create", {}).real;
    Call("d3d_model_primitive_begin", {R(m), R(5)});
    Call("d3d_model_vertex", {R(m), R(0), R(0), R(0)});
    Call("d3d_model_vertex_color", {R(m), R(10), R(0), R(0), R(0x3080FF), R(0.5)});
    Call("d3d_model_vertex_texture", {R(m), R(0), R(10), R(0), R(0.25), R(1)});
    Call("d3d_model_vertex_texture_color", {R(m), R(10), R(10), R(0), R(1), R(1), R(0x00FF00), R(1)});
    Call("d3d_model_vertex_normal", {R(m), R(0), R(20), R(0), R(0), R(0), R(1)});
    Call("d3d_model_vertex_normal_color", {R(m), R(10), R(20), R(0), R(0), R(0), R(1), R(0xFF), R(0.75)});
    Call("d3d_model_vertex_normal_texture", {R(m), R(0), R(30), R(0), R(0), R(0), R(1), R(0), R(0.5)});
    Call("d3d_model_vertex_normal_texture_color",
         {R(m), R(10), R(30), R(0), R(0), R(0), R(1), R(1), R(0.5), R(0xFF0000), R(1)});
    Call("d3d_model_primitive_end", {R(m)});
    Call("d3d_model_block", {R(m), R(-5), R(-5), R(0), R(5), R(5), R(10), R(2), R(1)});
    Call("d3d_model_cylinder", {R(m), R(-5), R(-5), R(0), R(5), R(5), R(10), R(1), R(1), R(1), R(12)});
    Call("d3d_model_cone", {R(m), R(-5), R(-5), R(0), R(5), R(5), R(10), R(1), R(1), R(0), R(7)});
    Call("d3d_model_ellipsoid", {R(m), R(-5), R(-5), R(-5), R(5), R(5), R(5), R(1), R(1), R(10)});
    Call("d3d_model_wall", {R(m), R(0), R(0), R(0), R(10), R(0), R(10), R(1), R(1)});
    Call("d3d_model_floor", {R(m), R(0), R(0), R(0), R(10), R(10), R(0), R(1), R(1)});
    return m;
  }

  TempFolder game, save;
};

TEST_F(D3DModelFunctions, RegisteredRightAfterTheOtherD3DBuiltins) {
  const char* names[] = {"d3d_light_enable",
                         "d3d_model_create",
                         "d3d_model_destroy",
                         "d3d_model_clear",
                         "d3d_model_load",
                         "d3d_model_save",
                         "d3d_model_draw",
                         "d3d_model_primitive_begin",
                         "d3d_model_primitive_end",
                         "d3d_model_vertex",
                         "d3d_model_vertex_color",
                         "d3d_model_vertex_texture",
                         "d3d_model_vertex_texture_color",
                         "d3d_model_vertex_normal",
                         "d3d_model_vertex_normal_color",
                         "d3d_model_vertex_normal_texture",
                         "d3d_model_vertex_normal_texture_color",
                         "d3d_model_block",
                         "d3d_model_cylinder",
                         "d3d_model_cone",
                         "d3d_model_ellipsoid",
                         "d3d_model_wall",
                         "d3d_model_floor",
                         "part_type_create"};
  const int32_t argc[] = {2, 0, 1, 1, 2, 2, 5, 2, 1, 4, 6, 6, 8, 7, 9, 9, 11, 9, 11, 11, 10, 9, 9};
  int32_t first = -1;
  ASSERT_TRUE(Function_Find(names[0], first));
  for (size_t i = 0; i < std::size(names); ++i) {
    const BuiltinFunctionEntry* entry = Function_Get(first + static_cast<int32_t>(i));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->name, names[i]);
    if (i < std::size(argc)) {
      EXPECT_EQ(entry->argc, argc[i]) << names[i];
    }
  }
}

TEST_F(D3DModelFunctions, RequestsKeepTheirSlotsAndIndicesAreReused) {
  const double m = EveryKindModel();
  const auto records = GR_3D_Model_Records(static_cast<int32_t>(m));
  ASSERT_EQ(records.size(), 16u);
  for (size_t i = 0; i < 10; ++i) EXPECT_EQ(records[i].kind, i == 0 ? 0 : i == 9 ? 1 : static_cast<int32_t>(i + 1));
  EXPECT_EQ(records[0].Float(0), 5.0f);
  EXPECT_EQ(records[2].Integer(3), 0x3080FF);
  EXPECT_EQ(records[2].Float(4), 0.5f);
  EXPECT_EQ(records[11].Integer(8), 1);   // closed
  EXPECT_EQ(records[11].Integer(9), 12);  // steps
  EXPECT_EQ(records[13].Integer(8), 10);
  EXPECT_EQ(records[15].kind, 15);

  // A destroyed model's index is taken by the next model made; the table does not shrink.
  const double second = Call("d3d_model_create", {}).real;
  EXPECT_EQ(second, m + 1);
  Call("d3d_model_destroy", {R(m)});
  EXPECT_EQ(Call("d3d_model_save", {R(m), S("gone.txt")}).real, 0.0);
  Call("d3d_model_vertex", {R(m), R(1), R(2), R(3)});  // ignored
  EXPECT_EQ(Call("d3d_model_create", {}).real, m);
  EXPECT_TRUE(GR_3D_Model_Records(static_cast<int32_t>(m)).empty());
  Call("d3d_model_clear", {R(second)});
  Call("d3d_model_draw", {R(42), R(0), R(0), R(0), R(-1)});  // no such model: nothing
}

TEST_F(D3DModelFunctions, SavedThenLoadedGivesTheSameModelFileAndDrawing) {
  const double m = EveryKindModel();
  EXPECT_EQ(Call("d3d_model_save", {R(m), S("models/ship.txt")}).real, 1.0);
  const std::string first = Slurp(save / "models/ship.txt");
  ASSERT_TRUE(first.starts_with("100\r\n16\r\n0     5.0000     0.0000")) << first.substr(0, 40);

  const double copy = Call("d3d_model_create", {}).real;
  EXPECT_EQ(Call("d3d_model_load", {R(copy), S("models/ship.txt")}).real, 1.0);
  EXPECT_EQ(Call("d3d_model_save", {R(copy), S("again.txt")}).real, 1.0);
  EXPECT_EQ(Slurp(save / "again.txt"), first);

  // Both record the same vertices.
  Call("d3d_model_draw", {R(m), R(0), R(0), R(0), R(-1)});
  Call("d3d_model_draw", {R(copy), R(0), R(0), R(0), R(-1)});
  const GraphicsRecorder* a = GR_3D_Model_Recording(static_cast<int32_t>(m), -1);
  const GraphicsRecorder* b = GR_3D_Model_Recording(static_cast<int32_t>(copy), -1);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  ASSERT_EQ(a->Triangles().size(), b->Triangles().size());
  EXPECT_GT(a->Triangles().size(), 36u);
  for (size_t i = 0; i < a->Triangles().size(); ++i) {
    const Vertex36& p = a->Triangles()[i];
    const Vertex36& q = b->Triangles()[i];
    ASSERT_TRUE(p.x == q.x && p.y == q.y && p.z == q.z && p.colour == q.colour && p.u == q.u && p.v == q.v)
        << "vertex " << i;
  }
}

TEST_F(D3DModelFunctions, LoadFindsTheFileInTheSaveAreaThenTheGameFolderAndRefusesDamagedFiles) {
  const std::string block = "10 0 0 0 1 1 1 1 1 0 0\r\n";
  std::ofstream(game / "shipped.txt", std::ios::binary) << "100\r\n1\r\n" << block;
  std::ofstream(game / "both.txt", std::ios::binary) << "100\r\n1\r\n" << block;
  std::ofstream(save / "both.txt", std::ios::binary) << "100\r\n2\r\n" << block << block;
  std::ofstream(game / "version.txt", std::ios::binary) << "101\r\n1\r\n" << block;
  std::ofstream(game / "short.txt", std::ios::binary) << "100\r\n1\r\n10 0 0 0\r\n";
  std::ofstream(game / "huge.txt", std::ios::binary) << "100\r\n2000000000\r\n" << block;
  std::ofstream(game / "word.txt", std::ios::binary) << "100\r\n1\r\n10 0 0 0 one 1 1 1 1 0 0\r\n";
  std::ofstream(game / "empty.txt", std::ios::binary);

  struct Case {
    const char* file;
    double answer;
    size_t records;
    bool reported;
  };
  const Case cases[] = {
      // A missing file is never opened: the model keeps what it had (the two records just
      // loaded and one more block). A short line reads its missing slots as 0.
      {"shipped.txt", 1, 1, false}, {"both.txt", 1, 2, false},   {"missing.txt", 0, 3, true},
      {"version.txt", 0, 0, false}, {"short.txt", 1, 1, false},  {"huge.txt", 0, 0, false},
      {"word.txt", 0, 0, false},    {"empty.txt", 0, 0, false},
  };
  const double m = Call("d3d_model_create", {}).real;
  for (const Case& c : cases) {
    // A model with something in it: a refused file leaves it empty.
    Call("d3d_model_block", {R(m), R(0), R(0), R(0), R(1), R(1), R(1), R(1), R(1)});
    ConsoleCapture console;
    EXPECT_EQ(Call("d3d_model_load", {R(m), S(c.file)}).real, c.answer) << c.file;
    EXPECT_EQ(GR_3D_Model_Records(static_cast<int32_t>(m)).size(), c.records) << c.file;
    EXPECT_EQ(console.Text(),
              c.reported ? "d3d_model_load - unable to find file " + std::string(c.file) + "\n" : "")
        << c.file;
  }
  // Arguments of the wrong type do nothing and answer -1.
  EXPECT_EQ(Call("d3d_model_load", {S("0"), S("shipped.txt")}).real, -1.0);
  EXPECT_EQ(Call("d3d_model_save", {R(m), R(3)}).real, -1.0);
  EXPECT_EQ(Call("d3d_model_load", {R(m + 7), S("shipped.txt")}).real, 0.0);
}

TEST_F(D3DModelFunctions, EachTextureKeepsARecordingRecolouredWithTheDrawingColour) {
  const double m = Call("d3d_model_create", {}).real;
  Call("d3d_model_primitive_begin", {R(m), R(5)});
  Call("d3d_model_vertex", {R(m), R(0), R(0), R(0)});
  Call("d3d_model_vertex_color", {R(m), R(1), R(0), R(0), R(0x0000FF), R(1)});
  Call("d3d_model_vertex", {R(m), R(0), R(1), R(0)});
  Call("d3d_model_vertex", {R(m), R(1), R(1), R(0)});
  Call("d3d_model_primitive_end", {R(m)});
  const int32_t model = static_cast<int32_t>(m);

  Call("d3d_model_draw", {R(m), R(0), R(0), R(0), R(-1)});
  Call("d3d_model_draw", {R(m), R(5), R(0), R(0), R(123456)});
  EXPECT_EQ(GR_3D_Model_Recording_Count(model), 2);
  const GraphicsRecorder* plain = GR_3D_Model_Recording(model, -1);
  ASSERT_NE(plain, nullptr);
  ASSERT_EQ(plain->Triangles().size(), 6u);
  EXPECT_EQ(plain->Triangles()[0].colour, 0xFFFFFFFEu);
  const uint32_t red = plain->Triangles()[1].colour;
  EXPECT_EQ(red & 1u, 1u);

  // A new drawing colour reaches the vertices without a colour of their own only.
  GR_Draw_Set_Color(0x00FF00);
  Call("d3d_model_draw", {R(m), R(0), R(0), R(0), R(-1)});
  EXPECT_EQ(GR_3D_Model_Recording_Count(model), 2);
  EXPECT_EQ(plain->Triangles()[0].colour, 0xFF00FF00u);
  EXPECT_EQ(plain->Triangles()[1].colour, red);
  EXPECT_EQ(plain->KeyColour(), 0xFF00FF00u);

  // Requests added after a draw do not reach that texture's recording; a clear drops them all.
  Call("d3d_model_block", {R(m), R(0), R(0), R(0), R(1), R(1), R(1), R(1), R(1)});
  Call("d3d_model_draw", {R(m), R(0), R(0), R(0), R(-1)});
  EXPECT_EQ(plain->Triangles().size(), 6u);
  Call("d3d_model_clear", {R(m)});
  EXPECT_EQ(GR_3D_Model_Recording_Count(model), 0);

  // An empty model draws nothing; its recording follows no drawing colour.
  Call("d3d_model_draw", {R(m), R(0), R(0), R(0), R(-1)});
  const GraphicsRecorder* empty = GR_3D_Model_Recording(model, -1);
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(empty->Triangles().empty());
  EXPECT_EQ(empty->KeyColour(), 0u);
}

}  // namespace
