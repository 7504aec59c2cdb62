#include "graphics/drawing_fixture.h"

#include <filesystem>

#include <png.h>

#include "data/background.h"
#include "data/event_lists.h"
#include "data/game_loader.h"
#include "data/objects.h"
#include "data/scripts.h"
#include "data/sprite.h"
#include "graphics/primitives.h"
#include "graphics/resource_drawing.h"
#include "graphics/texture_pages.h"
#include "graphics/textured_quads.h"
#include "platform/file_locations.h"
#include "runner/instance_list.h"
#include "runner/room_drawing.h"
#include "runner/window.h"
#include "script/builtin_variables.h"
#include "script/code.h"
#include "script/constants.h"
#include "script/error_report.h"
#include "script/vm/vm.h"

std::string FindFile(const std::string& folder, const std::string& name) {
  std::error_code ec;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (ec) break;
    if (it->path().filename() == name) return it->path().string();
  }
  return {};
}

void DrawingTest::SetUp() {
  console_ = std::make_unique<ConsoleCapture>();
  static bool machine = false;
  if (!machine) {
    machine = true;
    VM_Install();
    Code_SetUseVM(true);
    Constant_Init();
  }
  Graphics_Hooks() = {};
  Graphics_Hooks().projectionCorrectionSize = [](int& w, int& h) { return Room_ProjectionSize(w, h); };
  Graphics_Settings() = {};
  MainWindow().colour = 0xFF000000u;
  MainWindow().requestedWidth = MainWindow().gameWidth = kCanvas;
  MainWindow().requestedHeight = MainWindow().gameHeight = kCanvas;
  MainWindow().portScaleX = MainWindow().portScaleY = 1.0f;
  room.width = room.height = kCanvas;
  room.colour = 0x000000;
  Variable_BuiltIn_World().currentRoom = [this] { return &room; };
  saveArea = std::make_unique<TempFolder>();
  FileLocations_SetSaveArea(saveArea->path());
  GR_Draw_Init();
  Draw_ResetViewRect();
  ASSERT_TRUE(GR_D3D_Init(nullptr, kCanvas, kCanvas, 0));
}

void DrawingTest::TearDown() {
  for (auto& instance : instances) InstanceList_Unlink(room.active, *instance);
  instances.clear();
  Object_FreeEventLists();
  Object_FreeAll();
  Script_FreeAll();
  Sprite_FreeAll();
  Background_FreeAll();
  GR_TPE_Handles_Clear();
  GR_Texture_Pages_Clear();
  Variable_BuiltIn_World().currentRoom = nullptr;
  Error_Occurred = false;
  GraphicsTest::TearDown();
  saveArea.reset();
}

GameDataWriter DrawingTest::BaseGame() {
  GameDataWriter game;
  game.header.windowWidth = kCanvas;
  game.header.windowHeight = kCanvas;
  std::vector<uint8_t> page(32 * 32 * 4, 0);
  auto put = [&page](int x, int y, uint32_t rgba) {
    const size_t at = (static_cast<size_t>(y) * 32 + static_cast<size_t>(x)) * 4;
    page[at] = static_cast<uint8_t>(rgba >> 24);
    page[at + 1] = static_cast<uint8_t>(rgba >> 16);
    page[at + 2] = static_cast<uint8_t>(rgba >> 8);
    page[at + 3] = static_cast<uint8_t>(rgba);
  };
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 8; ++x) put(x, y, x < 4 ? 0xFF0000FFu : 0x00FF00FFu);
  }
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) put(8 + x, y, ((x / 4) + (y / 4)) % 2 == 0 ? 0x2040FFFFu : 0xFFE000FFu);
  }
  const uint32_t frameColours[4] = {0xFF0000FFu, 0x00FF00FFu, 0x0000FFFFu, 0xFFFFFFFFu};
  for (int f = 0; f < 4; ++f) {
    for (int y = 8; y < 10; ++y) {
      for (int x = f * 2; x < f * 2 + 2; ++x) put(x, y, frameColours[f]);
    }
  }
  game.textures.push_back(gamedata::RawImage(32, 32, page));
  game.texturePageEntries.push_back({0, 0, 8, 4, 0, 0, 8, 4, 8, 4, 0});
  game.texturePageEntries.push_back({8, 0, 8, 8, 0, 0, 8, 8, 8, 8, 0});
  gamedata::Sprite sprite;
  sprite.name = "spr_bar";
  sprite.width = 8;
  sprite.height = 4;
  sprite.bboxRight = 7;
  sprite.bboxBottom = 3;
  sprite.xorigin = 4;
  sprite.yorigin = 2;
  sprite.frames = {0};
  game.sprites.push_back(sprite);
  gamedata::Background background;
  background.name = "bg_check";
  background.entry = 1;
  game.backgrounds.push_back(background);
  gamedata::Sprite frames;
  frames.name = "spr_frames";
  frames.width = frames.height = 2;
  frames.bboxRight = frames.bboxBottom = 1;
  for (int16_t f = 0; f < 4; ++f) {
    game.texturePageEntries.push_back({static_cast<int16_t>(f * 2), 8, 2, 2, 0, 0, 2, 2, 2, 2, 0});
    frames.frames.push_back(2 + f);
  }
  game.sprites.push_back(frames);
  return game;
}

void DrawingTest::Load(const GameDataWriter& game) {
  ASSERT_EQ(GameData_LoadImage(game.Build()), GameLoadResult::Loaded) << console_->Text();
  ASSERT_TRUE(GR_Texture_Pages_Load());
  ASSERT_TRUE(Script_Prepare() && Object_Prepare()) << console_->Text();
}

CInstance& DrawingTest::Add(int32_t object, float x, float y) {
  instances.push_back(Instance_Create(x, y, object));
  InstanceList_InsertByDepth(room.active, *instances.back());
  return *instances.back();
}

void DrawingTest::DrawRoomFrame() {
  ASSERT_TRUE(GR_D3D_Start_Frame());
  Room_Draw();
  GR_D3D_Finish_Frame(false);
}

std::vector<uint32_t> DrawingTest::SavedPng(const std::string& name, int& width, int& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  const std::string path = saveArea->path() + "/" + name;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    ADD_FAILURE() << "no image saved as " << path;
    return {};
  }
  image.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB words
  std::vector<uint32_t> pixels(PNG_IMAGE_SIZE(image) / 4);
  png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  return pixels;
}

void DrawingTest::ExpectSavedGolden(const std::string& name) {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels = SavedPng(name + ".png", width, height);
  if (pixels.empty()) return;
  ExpectGolden(name, pixels, width, height);
}

RunnerResult DrawingGameTest::PlayInFolder(const GameDataWriter& game, const TempFolder& folder,
                                           const std::vector<std::string>& extraArgs, RunnerOptions options) {
  const std::string file = folder / "game.win";
  if (!WriteGameInForm(game, file, GetParam())) {
    ADD_FAILURE() << "the game could not be written as " << GameFormName(GetParam());
    return {};
  }
  options.environment["XDG_DATA_HOME"] = folder / "data";
  std::vector<std::string> args = {"-game", file};
  args.insert(args.end(), extraArgs.begin(), extraArgs.end());
  return RunRunner(WithFormArguments(args, GetParam()), options);
}

RunnerResult DrawingGameTest::RunGameSaving(const GameDataWriter& game, const std::vector<std::string>& pngs,
                                            const std::vector<std::string>& extraArgs, RunnerOptions options) {
  TempFolder folder;
  RunnerResult run = PlayInFolder(game, folder, extraArgs, std::move(options));
  for (const std::string& png : pngs) {
    const std::string saved = FindFile(folder / "data", png);
    if (saved.empty()) continue;
    std::filesystem::copy_file(saved, saveArea->path() + "/" + png, std::filesystem::copy_options::overwrite_existing);
  }
  return run;
}
