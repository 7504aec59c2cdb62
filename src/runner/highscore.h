// The table of the ten best scores and its file "hiscore.dat" in the save area, and the
// settings the highscore display reads.
//
// File layout (integers 32-bit little-endian): "HISC", the stored length of the file, then ten
// entries of {name length n, n name bytes, score}. The stream is stored with every 0x0A byte as
// 0x0D 0x0A (and read back the other way), as the text-mode files of the original runtime were.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr int kHighScorePlaces = 10;

// Every place becomes "<nobody>" with score 0.
void HighScore_Clear();
// Place i (1..10) becomes (name, score); other places are ignored.
void HighScore_Set(int place, const std::string& name, int32_t score);
// The score and name of a place; 0 and the empty text outside 1..10.
int32_t HighScore_GetValue(int place);
std::string HighScore_GetName(int place);
// Inserts above the first lower score (an equal score stays above the new one); a score
// lower than every place changes nothing.
void HighScore_Add(const std::string& name, int32_t score);

// The table as stored bytes, and the table read from stored bytes. A foreign file (not
// starting with "HISC") leaves the table as it is; a short or damaged one fills the places it
// holds whole, and every later place gets an empty name and keeps its score.
std::vector<uint8_t> HighScore_Encode();
void HighScore_Decode(const std::vector<uint8_t>& bytes);

// "hiscore.dat" in the save area: a missing file leaves the table; a file that cannot be
// written is not written. Save writes only after a Load (a run that loaded no game has no
// save area of its own).
void HighScore_Load();
void HighScore_Save();

// What the highscore display shows besides the table.
struct HighScoreDisplaySettings {
  int32_t background = -1;          // a background resource, -1 for none
  uint32_t backgroundColour = 0xF0FBFF;
  uint32_t newColour = 0xFF;        // the row of the new score
  uint32_t otherColour = 0;
  std::string fontName = "Times New Roman";
  int32_t fontSize = 12;
  bool border = true;
  std::string caption = "Top Ten Players";
  std::string nobody = "<nobody>";
  std::string escape = "press <Escape> to close";
};
HighScoreDisplaySettings& HighScore_Display();
