// A game loaded in process from a written image, its code compiled for the virtual machine,
// with a recording built-in (test_record) that notes the event running when it is called,
// and argument0..15 / argument_count readable by code.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "runner/instance.h"
#include "support/game_data_writer.h"

struct EventRecord {
  std::string tag;
  int32_t object = -1;
  int32_t type = -1;
  int32_t number = -1;
  CInstance* self = nullptr;
};

class LoadedGame : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void TearDown() override;

  // Loads the image; the console text of the load is kept in log.
  bool Load(const GameDataWriter& game);
  // Compiles scripts and objects as the game's preparation does.
  bool Prepare();
  CInstance& Make(int32_t objectIndex, float x = 0.0f, float y = 0.0f);

  static std::vector<EventRecord>& Records();
  static std::vector<std::string>& MachineErrors();

  std::string log;
  std::vector<std::unique_ptr<CInstance>> instances;
};
