// The room transition effects: a middle frame drawn by the effect routine from two
// surfaces (the old picture red with a white bar, the new one blue with a yellow bar), and
// the settings and the table of script-defined transitions.
#include "graphics/drawing_fixture.h"

#include "graphics/primitives.h"
#include "graphics/surfaces.h"
#include "graphics/transitions.h"
#include "runner/run_globals.h"
#include "script/function_table.h"
#include "support/function_table_guard.h"

namespace {

uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) {
  return pixels[static_cast<size_t>(y) * 64 + static_cast<size_t>(x)] & 0xFFFFFFu;
}

// As the screen stores them (0xRRGGBB); drawn as colours of game code (0xBBGGRR).
constexpr uint32_t kOld = 0xFF0000u;
constexpr uint32_t kNew = 0x0000FFu;
constexpr uint32_t kOldDrawn = 0x0000FFu;
constexpr uint32_t kNewDrawn = 0xFF0000u;

class TransitionTest : public DrawingTest {
 protected:
  int32_t Picture(uint32_t background, uint32_t bar) {
    const int32_t id = GR_Surface_Create(kCanvas, kCanvas);
    EXPECT_GE(id, 0);
    EXPECT_TRUE(GR_Surface_Set_Target(id));
    GR_Draw_Clear(0xFF000000u | background);
    GR_Draw_Set_Color(bar);
    GR_Draw_Rectangle(0, 28, 63, 35, false);
    GR_Surface_Reset_Target();
    return id;
  }

  // The frame of kind at fraction from the two pictures, as the screen shows it.
  std::vector<uint32_t> Frame(int32_t kind, double fraction, int32_t steps = 8) {
    const int32_t oldPicture = Picture(kOldDrawn, 0xFFFFFFu);
    const int32_t newPicture = Picture(kNewDrawn, 0x00FFFFu);
    EXPECT_TRUE(GR_D3D_Start_Frame());
    GR_Draw_Clear(0xFF00FF00u);
    GR_Transition_DrawFrom(kind, fraction, oldPicture, newPicture, steps);
    GR_D3D_Batch_Flush();
    std::vector<uint32_t> pixels = ScreenPixels(kCanvas, kCanvas);
    GR_D3D_Finish_Frame(false);
    GR_Surface_Free(oldPicture);
    GR_Surface_Free(newPicture);
    return pixels;
  }

  void SetUp() override {
    DrawingTest::SetUp();
    Load(BaseGame());
  }
};

}  // namespace

TEST_F(TransitionTest, MiddleFramesOfTheEffects) {
  struct Probe {
    int x, y;
    uint32_t colour;
  };
  struct Case {
    int32_t kind;
    std::vector<Probe> probes;
  };
  const Case cases[] = {
      {1, {{10, 4, kNew}, {40, 4, kOld}}},                   // reveal from the left: half of new
      {2, {{10, 4, kOld}, {40, 4, kNew}}},                   // from the right
      {4, {{10, 10, kOld}, {10, 50, kNew}}},                 // from the bottom
      {5, {{2, 2, kOld}, {32, 20, kNew}, {45, 45, kNew}, {52, 52, kOld}}},  // centre: 16..48 of new
      {6, {{10, 4, kNew}, {40, 4, kOld}}},                   // slide in from the left
      {14, {{10, 4, kNew}, {40, 4, kOld}}},                  // push from the left
      {16, {{10, 10, kNew}, {10, 50, kOld}}},                // push from the top
      {21, {{10, 10, 0x000000u}}},                           // through black, at its darkest
  };
  for (const Case& c : cases) {
    const std::vector<uint32_t> pixels = Frame(c.kind, 0.5);
    for (const Probe& p : c.probes) EXPECT_EQ(At(pixels, p.x, p.y), p.colour) << "kind " << c.kind << " at " << p.x;
  }
  // Blend: half of each.
  const std::vector<uint32_t> blend = Frame(20, 0.5);
  EXPECT_NEAR(static_cast<int>(At(blend, 10, 10) >> 16), 128, 2);
  EXPECT_NEAR(static_cast<int>(At(blend, 10, 10) & 0xFF), 127, 2);
  // The ends: all old at 0, all new at 1.
  EXPECT_EQ(At(Frame(1, 0.0), 10, 4), kOld);
  EXPECT_EQ(At(Frame(14, 1.0), 40, 4), kNew);
  EXPECT_EQ(At(Frame(11, 1.0), 40, 4), kNew);
}

TEST_F(TransitionTest, RotatingInAndBarsMatchTheirGoldenImages) {
  std::vector<uint32_t> rotate = Frame(18, 0.5);
  EXPECT_EQ(At(rotate, 2, 2), kOld);    // the corner still shows old
  EXPECT_EQ(At(rotate, 42, 32), kNew);  // the half-sized new turns about the centre,
  EXPECT_EQ(At(rotate, 32, 32), 0xFFFF00u);  // its bar through the centre, turned upright
  ExpectGolden("transition_rotate", rotate, kCanvas, kCanvas);
  // Bars from the left at step 4 of 8: half of old, the bars of new every 16 pixels.
  std::vector<uint32_t> bars = Frame(10, 0.5);
  EXPECT_EQ(At(bars, 2, 4), kNew);
  EXPECT_EQ(At(bars, 12, 4), kOld);
  EXPECT_EQ(At(bars, 18, 4), kNew);
  ExpectGolden("transition_bars", bars, kCanvas, kCanvas);
}

TEST_F(TransitionTest, StartCapturesBothPicturesAndFinishPlaysEveryStep) {
  int drawn = 0;
  GR_Transition_SetRoomDrawer([&drawn] {
    ++drawn;
    GR_Draw_Clear(0xFF000000u | kOldDrawn);
  });
  GR_Transition_Set_Steps(3);
  ASSERT_TRUE(GR_D3D_Start_Frame());
  EXPECT_TRUE(GR_Transition_Start(20));
  EXPECT_EQ(drawn, 1);
  EXPECT_EQ(GR_Transition_Kind(), 20);
  ASSERT_GE(GR_Transition_OldSurface(), 0);
  ASSERT_GE(GR_Transition_NewSurface(), 0);
  EXPECT_EQ(GR_Surface_Current_Target(), GR_Transition_NewSurface());
  GR_Draw_Clear(0xFF000000u | kNewDrawn);  // the new room's first drawing
  const int frames = Graphics_PresentedFrames();
  GR_Transition_Finish();
  EXPECT_EQ(Graphics_PresentedFrames() - frames, 4);
  EXPECT_EQ(GR_Transition_OldSurface(), -1);
  EXPECT_EQ(GR_Transition_NewSurface(), -1);
  EXPECT_EQ(GR_Surface_Current_Target(), -1);
  // An unknown kind only says so.
  console_->Clear();
  EXPECT_TRUE(GR_Transition_Start(22));
  EXPECT_NE(console_->Text().find("TransFunctionExists()\n"), std::string::npos);
  EXPECT_EQ(GR_Transition_OldSurface(), -1);
  GR_Transition_SetRoomDrawer(nullptr);
  GR_Transition_Set_Steps(1);
}

TEST(TransitionSettings, StepsDefinitionsAndExistence) {
  for (auto [given, stored] : {std::pair{0, 1}, {-5, 1}, {1, 1}, {30, 30}}) {
    GR_Transition_Set_Steps(given);
    EXPECT_EQ(GR_Transition_Get_Steps(), stored);
  }
  GR_Transition_Set_Steps(1);
  FunctionTableGuard functions;
  Function_FreeAll();
  Function_Add("scr_wipe", [](ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {}, 0);
  EXPECT_FALSE(GR_Transition_Define(30, "no_such_function"));
  EXPECT_EQ(GR_Transition_Function(30), -1);
  EXPECT_TRUE(GR_Transition_Define(22, "scr_wipe"));
  EXPECT_GE(GR_Transition_Function(22), 0);
  EXPECT_EQ(GR_Transition_Name(22), "scr_wipe");
  EXPECT_TRUE(GR_Transition_Define(1000000, "scr_wipe"));
  EXPECT_EQ(GR_Transition_Function(1000000), -1);
  EXPECT_TRUE(TransFunctionExists(21));
  EXPECT_TRUE(TransFunctionExists(1));
  EXPECT_FALSE(TransFunctionExists(22));  // defined by a script, still not one of the effects
  EXPECT_FALSE(TransFunctionExists(0));
  GR_Transition_Store(22, nullptr, -1);
  EXPECT_EQ(GR_Transition_Name(22), "");
}
