#include "graphics/graphics_3d_model.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

#include "graphics/d3d_primitives.h"
#include "graphics/d3d_shapes.h"
#include "graphics/graphics_recorder.h"
#include "graphics/primitives.h"
#include "platform/load_save.h"

namespace {

struct Recording {
  int32_t texture;
  std::unique_ptr<GraphicsRecorder> recorder;
};

struct Model {
  std::vector<GR_3D_Model_Record> records;
  std::vector<Recording> recordings;

  void Clear() {
    records.clear();
    records.shrink_to_fit();
    recordings.clear();
  }
};

// Indices stay put: a destroyed model leaves its slot empty for the next one made.
std::vector<std::unique_ptr<Model>>& Models() {
  static std::vector<std::unique_ptr<Model>> models;
  return models;
}

Model* Find(int32_t index) {
  auto& models = Models();
  if (index < 0 || static_cast<size_t>(index) >= models.size()) return nullptr;
  return models[static_cast<size_t>(index)].get();
}

// One slot value of a request: a float, or an integer kept as its bits.
struct SlotValue {
  bool integer;
  float real;
  int32_t whole;
};
SlotValue Real(float value) { return {false, value, 0}; }
SlotValue Whole(int32_t value) { return {true, 0.0f, value}; }

void Add(int32_t index, int32_t kind, std::initializer_list<SlotValue> values) {
  Model* model = Find(index);
  if (model == nullptr) return;
  GR_3D_Model_Record record;
  record.kind = kind;
  size_t slot = 0;
  for (const SlotValue& value : values) {
    if (value.integer) {
      record.SetInteger(slot, value.whole);
    } else {
      record.SetFloat(slot, value.real);
    }
    ++slot;
  }
  if (model->records.size() == model->records.capacity()) {
    model->records.reserve(model->records.empty() ? 32 : model->records.size() * 2);
  }
  model->records.push_back(record);
}

// Kinds whose vertices take the drawing colour: plain vertices without a colour, and shapes.
bool FollowsDrawingColour(int32_t kind) {
  return kind == 2 || kind == 4 || kind == 6 || kind == 8 || (kind >= 10 && kind <= 15);
}

// Replays one request through the immediate 3D routines; false for an unknown kind.
bool Replay(const GR_3D_Model_Record& r, int32_t texture) {
  auto f = [&r](size_t slot) { return r.Float(slot); };
  auto n = [&r](size_t slot) { return r.Integer(slot); };
  switch (r.kind) {
    case 0: GR_3D_Primitive_Begin(static_cast<int32_t>(std::nearbyint(f(0))), texture); return true;
    case 1: GR_3D_Primitive_End(); return true;
    case 2: GR_3D_Vertex(f(0), f(1), f(2)); return true;
    case 3: GR_3D_Vertex_Color(f(0), f(1), f(2), n(3), f(4)); return true;
    case 4: GR_3D_Vertex_Texture(f(0), f(1), f(2), f(3), f(4)); return true;
    case 5: GR_3D_Vertex_Texture_Color(f(0), f(1), f(2), f(3), f(4), n(5), f(6)); return true;
    case 6: GR_3D_Vertex_Normal(f(0), f(1), f(2), f(3), f(4), f(5)); return true;
    case 7: GR_3D_Vertex_Normal_Color(f(0), f(1), f(2), f(3), f(4), f(5), n(6), f(7)); return true;
    case 8: GR_3D_Vertex_Normal_Texture(f(0), f(1), f(2), f(3), f(4), f(5), f(6), f(7)); return true;
    case 9:
      GR_3D_Vertex_Normal_Texture_Color(f(0), f(1), f(2), f(3), f(4), f(5), f(6), f(7), n(8), f(9));
      return true;
    case 10: GR_3D_Draw_Block(f(0), f(1), f(2), f(3), f(4), f(5), texture, f(6), f(7)); return true;
    case 11:
      GR_3D_Draw_Cylinder(f(0), f(1), f(2), f(3), f(4), f(5), texture, f(6), f(7), n(8) != 0, n(9));
      return true;
    case 12:
      GR_3D_Draw_Cone(f(0), f(1), f(2), f(3), f(4), f(5), texture, f(6), f(7), n(8) != 0, n(9));
      return true;
    case 13: GR_3D_Draw_Ellipsoid(f(0), f(1), f(2), f(3), f(4), f(5), texture, f(6), f(7), n(8)); return true;
    case 14: GR_3D_Draw_Wall(f(0), f(1), f(2), f(3), f(4), f(5), texture, f(6), f(7)); return true;
    case 15: GR_3D_Draw_Floor(f(0), f(1), f(2), f(3), f(4), f(5), texture, f(6), f(7)); return true;
    default: return false;
  }
}

// Records the model for the texture: its requests replayed with the primitives going to a new
// recorder instead of the batch.
std::unique_ptr<GraphicsRecorder> Record(const Model& model, int32_t texture) {
  auto recorder = std::make_unique<GraphicsRecorder>(GR_Draw_Get_ARGB() & ~1u, GR_3D_Texture_Id(texture));
  GraphicsRecorder& target = *recorder;
  GR_3D_Set_Primitive_Sink([&target](int32_t kind, int32_t, std::span<const GR_3D_Vertex_Record> vertices) {
    target.AddPrimitive(kind, vertices);
  });
  bool followsColour = false;
  for (const GR_3D_Model_Record& record : model.records) {
    if (Replay(record, texture) && FollowsDrawingColour(record.kind)) followsColour = true;
  }
  GR_3D_Set_Primitive_Sink({});
  if (!followsColour) recorder->SetKeyColour(0);
  return recorder;
}

}  // namespace

int32_t GR_3D_Model_Create() {
  auto& models = Models();
  for (size_t i = 0; i < models.size(); ++i) {
    if (!models[i]) {
      models[i] = std::make_unique<Model>();
      return static_cast<int32_t>(i);
    }
  }
  if (models.size() == models.capacity()) models.reserve(models.size() + 16);
  models.push_back(std::make_unique<Model>());
  return static_cast<int32_t>(models.size() - 1);
}

void GR_3D_Model_Destroy(int32_t index) {
  if (Find(index) != nullptr) Models()[static_cast<size_t>(index)].reset();
}

void GR_3D_Model_Clear(int32_t index) {
  if (Model* model = Find(index)) model->Clear();
}

bool GR_3D_Model_Exists(int32_t index) { return Find(index) != nullptr; }

void GR_3D_Model_FreeAll() { Models().clear(); }

bool GR_3D_Model_Save(int32_t index, const std::string& path) {
  const Model* model = Find(index);
  if (model == nullptr) return false;
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  const std::string text = ModelText_Write(model->records);
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  return static_cast<bool>(file);
}

bool GR_3D_Model_Load(int32_t index, const std::string& path) {
  Model* model = Find(index);
  if (model == nullptr) return false;
  model->Clear();
  const std::optional<std::vector<uint8_t>> data = LoadSave_LoadFile(path);
  if (!data) return false;
  std::optional<std::vector<GR_3D_Model_Record>> records = ModelText_Read(*data);
  if (!records) return false;
  model->records = std::move(*records);
  return true;
}

void GR_3D_Model_Draw(int32_t index, float x, float y, float z, int32_t texture) {
  Model* model = Find(index);
  if (model == nullptr) return;
  for (Recording& recording : model->recordings) {
    if (recording.texture != texture) continue;
    const uint32_t colour = GR_Draw_Get_ARGB() & ~1u;
    if (recording.recorder->KeyColour() != colour) recording.recorder->ReplaceColor(colour);
    recording.recorder->Draw(x, y, z);
    return;
  }
  model->recordings.push_back({texture, Record(*model, texture)});
  model->recordings.back().recorder->Draw(x, y, z);
}

void GR_3D_Model_Primitive_Begin(int32_t index, int32_t kind) {
  Add(index, 0, {Real(static_cast<float>(kind))});
}
void GR_3D_Model_Primitive_End(int32_t index) { Add(index, 1, {}); }
void GR_3D_Model_Vertex(int32_t index, float x, float y, float z) { Add(index, 2, {Real(x), Real(y), Real(z)}); }
void GR_3D_Model_Vertex_Color(int32_t index, float x, float y, float z, int32_t colour, float alpha) {
  Add(index, 3, {Real(x), Real(y), Real(z), Whole(colour), Real(alpha)});
}
void GR_3D_Model_Vertex_Texture(int32_t index, float x, float y, float z, float u, float v) {
  Add(index, 4, {Real(x), Real(y), Real(z), Real(u), Real(v)});
}
void GR_3D_Model_Vertex_Texture_Color(int32_t index, float x, float y, float z, float u, float v, int32_t colour,
                                      float alpha) {
  Add(index, 5, {Real(x), Real(y), Real(z), Real(u), Real(v), Whole(colour), Real(alpha)});
}
void GR_3D_Model_Vertex_Normal(int32_t index, float x, float y, float z, float nx, float ny, float nz) {
  Add(index, 6, {Real(x), Real(y), Real(z), Real(nx), Real(ny), Real(nz)});
}
void GR_3D_Model_Vertex_Normal_Color(int32_t index, float x, float y, float z, float nx, float ny, float nz,
                                     int32_t colour, float alpha) {
  Add(index, 7, {Real(x), Real(y), Real(z), Real(nx), Real(ny), Real(nz), Whole(colour), Real(alpha)});
}
void GR_3D_Model_Vertex_Normal_Texture(int32_t index, float x, float y, float z, float nx, float ny, float nz,
                                       float u, float v) {
  Add(index, 8, {Real(x), Real(y), Real(z), Real(nx), Real(ny), Real(nz), Real(u), Real(v)});
}
void GR_3D_Model_Vertex_Normal_Texture_Color(int32_t index, float x, float y, float z, float nx, float ny, float nz,
                                             float u, float v, int32_t colour, float alpha) {
  Add(index, 9, {Real(x), Real(y), Real(z), Real(nx), Real(ny), Real(nz), Real(u), Real(v), Whole(colour), Real(alpha)});
}

namespace {
void AddBox(int32_t index, int32_t kind, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat,
            float vrepeat) {
  Add(index, kind, {Real(x1), Real(y1), Real(z1), Real(x2), Real(y2), Real(z2), Real(hrepeat), Real(vrepeat)});
}
void AddRound(int32_t index, int32_t kind, float x1, float y1, float z1, float x2, float y2, float z2,
              float hrepeat, float vrepeat, bool closed, int32_t steps) {
  Add(index, kind,
      {Real(x1), Real(y1), Real(z1), Real(x2), Real(y2), Real(z2), Real(hrepeat), Real(vrepeat), Whole(closed ? 1 : 0),
       Whole(steps)});
}
}  // namespace

void GR_3D_Model_Block(int32_t index, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat,
                       float vrepeat) {
  AddBox(index, 10, x1, y1, z1, x2, y2, z2, hrepeat, vrepeat);
}
void GR_3D_Model_Cylinder(int32_t index, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat,
                          float vrepeat, bool closed, int32_t steps) {
  AddRound(index, 11, x1, y1, z1, x2, y2, z2, hrepeat, vrepeat, closed, steps);
}
void GR_3D_Model_Cone(int32_t index, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat,
                      float vrepeat, bool closed, int32_t steps) {
  AddRound(index, 12, x1, y1, z1, x2, y2, z2, hrepeat, vrepeat, closed, steps);
}
void GR_3D_Model_Ellipsoid(int32_t index, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat,
                           float vrepeat, int32_t steps) {
  Add(index, 13,
      {Real(x1), Real(y1), Real(z1), Real(x2), Real(y2), Real(z2), Real(hrepeat), Real(vrepeat), Whole(steps)});
}
void GR_3D_Model_Wall(int32_t index, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat,
                      float vrepeat) {
  AddBox(index, 14, x1, y1, z1, x2, y2, z2, hrepeat, vrepeat);
}
void GR_3D_Model_Floor(int32_t index, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat,
                       float vrepeat) {
  AddBox(index, 15, x1, y1, z1, x2, y2, z2, hrepeat, vrepeat);
}

std::span<const GR_3D_Model_Record> GR_3D_Model_Records(int32_t index) {
  const Model* model = Find(index);
  return model == nullptr ? std::span<const GR_3D_Model_Record>() : model->records;
}

const GraphicsRecorder* GR_3D_Model_Recording(int32_t index, int32_t texture) {
  const Model* model = Find(index);
  if (model == nullptr) return nullptr;
  for (const Recording& recording : model->recordings) {
    if (recording.texture == texture) return recording.recorder.get();
  }
  return nullptr;
}

int32_t GR_3D_Model_Recording_Count(int32_t index) {
  const Model* model = Find(index);
  return model == nullptr ? 0 : static_cast<int32_t>(model->recordings.size());
}
