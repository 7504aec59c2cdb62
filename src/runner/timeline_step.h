// The game step's time-line pass and the running of one moment.
#pragma once

#include <cstdint>

class CInstance;

// The game step's time-line pass: every active instance running a time line advances its
// position by its speed and performs the moments it passes.
void Run_TimeLines();
// One instance's share of that pass.
void TimeLine_AdvanceInstance(CInstance& instance);
// Performs moment i of time line index for self, as a time-line event (nothing while a room
// change is pending).
void TimeLine_RunMoment(CInstance* self, CInstance* other, int32_t index, int32_t moment);
