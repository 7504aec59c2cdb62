#include "graphics/transitions.h"

#include <cmath>
#include <vector>

#include "graphics/device.h"
#include "graphics/graphics_state.h"
#include "graphics/primitives.h"
#include "graphics/surfaces.h"
#include "graphics/textured_quads.h"
#include "platform/console.h"
#include "runner/run_globals.h"
#include "script/error_report.h"
#include "script/function_table.h"

namespace {

constexpr int32_t kMaxDefinedKind = 1000000;
constexpr int32_t kTableGrowth = 1000;
constexpr uint32_t kWhite = 0xFFFFFFu;

struct TransitionState {
  int32_t kind = 0;
  int32_t oldSurface = -1;
  int32_t newSurface = -1;
  std::vector<int32_t> functions;
  std::vector<std::string> names;
  std::function<void()> drawRoom;
};

TransitionState& State() {
  static TransitionState state;
  return state;
}

bool IsEffect(int32_t kind) { return kind >= 1 && kind <= kTransitionEffectCount; }

double Round(double value) { return std::nearbyint(value); }
float F(double value) { return static_cast<float>(value); }

void FreeSurface(int32_t& id) {
  if (id != -1) GR_Surface_Free(id);
  id = -1;
}

// The directions of the effects that come in four: from the left, right, top, bottom.
void Direction(int32_t index, int& h, int& v) {
  static constexpr int kH[4] = {1, -1, 0, 0};
  static constexpr int kV[4] = {0, 0, 1, -1};
  h = kH[index & 3];
  v = kV[index & 3];
}

struct Frame {
  int32_t oldSurface;
  int32_t newSurface;
  double width;
  double height;
  int32_t steps;

  void Old(double x, double y, float alpha = 1.0f) const {
    GR_Surface_Draw_Ext(oldSurface, F(x), F(y), 1.0f, 1.0f, 0.0f, kWhite, alpha);
  }
  void New(double x, double y, float alpha = 1.0f) const {
    GR_Surface_Draw_Ext(newSurface, F(x), F(y), 1.0f, 1.0f, 0.0f, kWhite, alpha);
  }
  // A part of new drawn in its own place.
  void NewPart(double left, double top, double w, double h) const {
    GR_Surface_Draw_Part(newSurface, F(left), F(top), F(w), F(h), F(left), F(top), 1.0f, 1.0f, kWhite, 1.0f);
  }

  void Reveal(int h, int v, double f) const {
    Old(0, 0);
    double left = 0, top = 0, w = width, hh = height;
    if (h != 0) {
      w = Round(width * f);
      left = h > 0 ? 0 : width - w;
    }
    if (v != 0) {
      hh = Round(height * f);
      top = v > 0 ? 0 : height - hh;
    }
    NewPart(left, top, w, hh);
  }

  void Bars(int h, int v, double f) const {
    const int32_t step = static_cast<int32_t>(Round(f * steps));
    if (step >= steps) {
      New(0, 0);
      return;
    }
    const int32_t half = steps / 2;
    if (step > half && half > 0) {
      Reveal(h, v, static_cast<double>(step - half) / static_cast<double>(half));
    } else {
      Old(0, 0);
    }
    for (int32_t i = 0; i <= half; ++i) {
      const bool forward = i <= step;
      const bool backward = i >= half - step;
      if (h != 0 && (h > 0 ? forward : backward)) {
        NewPart(Round(2.0 * i * width / steps), 0, Round(width / steps), height);
      }
      if (v != 0 && (v > 0 ? forward : backward)) {
        NewPart(0, Round(2.0 * i * height / steps), width, Round(height / steps));
      }
    }
  }

  void Rotate(double f, bool clockwise) const {
    Old(0, 0);
    double a = std::sqrt(f) * 6.2831855;
    if (clockwise) a = -a;
    const double halfW = static_cast<double>(static_cast<int32_t>(width) / 2);
    const double halfH = static_cast<double>(static_cast<int32_t>(height) / 2);
    const double x = halfW - std::sin(a) * f * height / 2.0 - std::cos(a) * f * width / 2.0;
    const double y = halfH - std::cos(a) * f * height / 2.0 + std::sin(a) * f * width / 2.0;
    GR_Surface_Draw_Ext(newSurface, F(x), F(y), F(f), F(f), F(a * 180.0 / 3.1415927), kWhite, 1.0f);
  }
};

}  // namespace

void GR_Transition_Set_Steps(int32_t steps) { Run_Globals.transitionSteps = steps >= 1 ? steps : 1; }
int32_t GR_Transition_Get_Steps() { return Run_Globals.transitionSteps; }

bool GR_Transition_Define(int32_t kind, const char* name) {
  int32_t id = -1;
  if (name == nullptr || !Function_Find(name, id)) return false;
  GR_Transition_Store(kind, name, id);
  return true;
}

void GR_Transition_Store(int32_t kind, const char* name, int32_t functionId) {
  if (kind <= 0 || kind >= kMaxDefinedKind) return;
  TransitionState& s = State();
  const size_t at = static_cast<size_t>(kind);
  if (at >= s.functions.size()) {
    s.functions.resize(at + kTableGrowth, -1);
    s.names.resize(at + kTableGrowth);
  }
  s.functions[at] = functionId;
  s.names[at] = name != nullptr ? name : "";
}

int32_t GR_Transition_Function(int32_t kind) {
  const TransitionState& s = State();
  if (kind <= 0 || static_cast<size_t>(kind) >= s.functions.size()) return -1;
  return s.functions[static_cast<size_t>(kind)];
}

std::string GR_Transition_Name(int32_t kind) {
  const TransitionState& s = State();
  if (kind <= 0 || static_cast<size_t>(kind) >= s.names.size()) return {};
  return s.names[static_cast<size_t>(kind)];
}

bool TransFunctionExists(int32_t kind) {
  if (IsEffect(kind)) return true;
  g_DebugConsole->Output("TransFunctionExists()\n");
  return false;
}

void GR_Transition_Check_Script() {
  g_DebugConsole->Output("TransFunctionExists()\n");
  Error_Show_Action("Transition Function does not exist.", false);
}

void GR_Transition_SetRoomDrawer(std::function<void()> drawRoom) { State().drawRoom = std::move(drawRoom); }
int32_t GR_Transition_Kind() { return State().kind; }
int32_t GR_Transition_OldSurface() { return State().oldSurface; }
int32_t GR_Transition_NewSurface() { return State().newSurface; }

bool GR_Transition_Start(int32_t kind) {
  TransitionState& s = State();
  s.kind = kind;
  if (!IsEffect(kind)) {
    g_DebugConsole->Output("TransFunctionExists()\n");
    return true;
  }
  int width = 0, height = 0;
  GR_Get_Screen_Size(width, height);
  FreeSurface(s.oldSurface);
  s.oldSurface = GR_Surface_Create(width, height);
  if (s.oldSurface < 0) {
    s.oldSurface = -1;
    s.kind = -1;
    return true;
  }
  GR_Surface_Set_Target(s.oldSurface);
  if (s.drawRoom) s.drawRoom();
  FreeSurface(s.newSurface);
  s.newSurface = GR_Surface_Create(width, height);
  if (s.newSurface >= 0) {
    GR_Surface_Set_Target(s.newSurface);
  } else {
    s.newSurface = -1;
    s.kind = -1;
    GR_Surface_Reset_Target();
    FreeSurface(s.oldSurface);
  }
  return true;
}

bool GR_Transition_Finish() {
  TransitionState& s = State();
  g_DebugConsole->Output("GR_Transition_Finish\n");
  if (!IsEffect(s.kind)) return GR_D3D_Finish_Frame(true);
  GR_Surface_Reset_Target();
  const int32_t steps = GR_Transition_Get_Steps();
  bool result = true;
  for (int32_t i = 0; i <= steps; ++i) {
    GR_D3D_Start_Frame();
    GR_Transition_Draw(s.kind, static_cast<double>(i) / static_cast<double>(steps));
    result = GR_D3D_Finish_Frame(true);
  }
  FreeSurface(s.oldSurface);
  FreeSurface(s.newSurface);
  return result;
}

void GR_Transition_Draw(int32_t kind, double fraction) {
  GR_Transition_DrawFrom(kind, fraction, State().oldSurface, State().newSurface, GR_Transition_Get_Steps());
}

void GR_Transition_DrawFrom(int32_t kind, double f, int32_t oldSurface, int32_t newSurface, int32_t steps) {
  int width = 0, height = 0;
  GR_Get_Screen_Size(width, height);
  const Frame frame{oldSurface, newSurface, static_cast<double>(width), static_cast<double>(height),
                    steps >= 1 ? steps : 1};
  const double w = frame.width, h = frame.height;
  int dh = 0, dv = 0;
  if (kind >= 1 && kind <= 4) {
    Direction(kind - 1, dh, dv);
    frame.Reveal(dh, dv, f);
  } else if (kind == 5) {
    frame.Old(0, 0);
    frame.NewPart(Round((w - w * f) / 2.0), Round((h - h * f) / 2.0), Round(w * f), Round(h * f));
  } else if (kind >= 6 && kind <= 9) {
    Direction(kind - 6, dh, dv);
    frame.Old(0, 0);
    frame.New((Round(w * f) - w) * dh, (Round(h * f) - h) * dv);
  } else if (kind >= 10 && kind <= 13) {
    Direction(kind - 10, dh, dv);
    frame.Bars(dh, dv, f);
  } else if (kind >= 14 && kind <= 17) {
    Direction(kind - 14, dh, dv);
    frame.Old(Round(w * f) * dh, Round(h * f) * dv);
    frame.New((Round(w * f) - w) * dh, (Round(h * f) - h) * dv);
  } else if (kind == 18 || kind == 19) {
    frame.Rotate(f, kind == 19);
  } else if (kind == 20) {
    frame.Old(0, 0);
    frame.New(0, 0, F(f));
  } else if (kind == 21) {
    GR_Draw_Clear(0xFF000000u);
    if (f > 0.5) {
      frame.New(0, 0, F(2.0 * f - 1.0));
    } else {
      frame.Old(0, 0, F(1.0 - 2.0 * f));
    }
  }
}

void GR_Texture_Shutdown() { GR_Texture_Free_All(); }
