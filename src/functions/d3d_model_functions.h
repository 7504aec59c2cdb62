// The d3d_model built-ins: creating, filling, drawing, saving and loading 3D models. The model
// index comes first in each; an index that is not a model is ignored (save and load answer 0).
#pragma once

void InitD3DModelFunctions();
