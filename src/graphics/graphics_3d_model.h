// 3D models: numbered lists of drawing requests (primitive begin and end, vertices of the eight
// kinds and the six shapes) that game code builds or loads from a model text file, and draws
// any number of times at an offset with a texture.
//
// Drawing replays a model's requests once per texture handle through the immediate 3D routines
// while a graphics recorder takes their vertices; later draws with that texture draw the
// recording, recoloured when the drawing colour has changed. The recordings are dropped only by
// clear, load and destroy, so requests added after a draw do not reach later draws with the same
// texture.
//
// Every operation does nothing (and the file operations answer false) for an index that is not
// a model.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "graphics/model_text_file.h"

class GraphicsRecorder;

int32_t GR_3D_Model_Create();
void GR_3D_Model_Destroy(int32_t index);
// Drops the requests and the recordings.
void GR_3D_Model_Clear(int32_t index);
bool GR_3D_Model_Exists(int32_t index);
// Writes the model text file; false when it cannot be created.
bool GR_3D_Model_Save(int32_t index, const std::string& path);
// Clears the model, then reads the file into it; false when the file is missing, empty or refused.
bool GR_3D_Model_Load(int32_t index, const std::string& path);
// texture is a handle as the immediate 3D routines take it.
void GR_3D_Model_Draw(int32_t index, float x, float y, float z, int32_t texture);
// Destroys every model (the end of a game).
void GR_3D_Model_FreeAll();

void GR_3D_Model_Primitive_Begin(int32_t index, int32_t kind);
void GR_3D_Model_Primitive_End(int32_t index);
void GR_3D_Model_Vertex(int32_t index, float x, float y, float z);
void GR_3D_Model_Vertex_Color(int32_t index, float x, float y, float z, int32_t colour, float alpha);
void GR_3D_Model_Vertex_Texture(int32_t index, float x, float y, float z, float u, float v);
void GR_3D_Model_Vertex_Texture_Color(int32_t index, float x, float y, float z, float u, float v, int32_t colour,
                                      float alpha);
void GR_3D_Model_Vertex_Normal(int32_t index, float x, float y, float z, float nx, float ny, float nz);
void GR_3D_Model_Vertex_Normal_Color(int32_t index, float x, float y, float z, float nx, float ny, float nz,
                                     int32_t colour, float alpha);
void GR_3D_Model_Vertex_Normal_Texture(int32_t index, float x, float y, float z, float nx, float ny, float nz,
                                       float u, float v);
void GR_3D_Model_Vertex_Normal_Texture_Color(int32_t index, float x, float y, float z, float nx, float ny, float nz,
                                             float u, float v, int32_t colour, float alpha);
void GR_3D_Model_Block(int32_t index, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat,
                       float vrepeat);
void GR_3D_Model_Cylinder(int32_t index, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat,
                          float vrepeat, bool closed, int32_t steps);
void GR_3D_Model_Cone(int32_t index, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat,
                      float vrepeat, bool closed, int32_t steps);
void GR_3D_Model_Ellipsoid(int32_t index, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat,
                           float vrepeat, int32_t steps);
void GR_3D_Model_Wall(int32_t index, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat,
                      float vrepeat);
void GR_3D_Model_Floor(int32_t index, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat,
                       float vrepeat);

// What the model holds, for inspection: its requests, and its recording for a texture handle
// (null when it has not been drawn with that texture).
std::span<const GR_3D_Model_Record> GR_3D_Model_Records(int32_t index);
const GraphicsRecorder* GR_3D_Model_Recording(int32_t index, int32_t texture);
int32_t GR_3D_Model_Recording_Count(int32_t index);
