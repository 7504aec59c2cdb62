// Text layout and drawing: the current font and alignment, text split into lines at "#" and
// line ends (and, with a width limit, at spaces), measured and drawn plain, transformed and
// coloured. Backend-neutral: glyphs reach the device through CFontKF and the vertex batch.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CFontKF;

inline constexpr int32_t kTextNoLimit = 10000000;

enum class TextHalign : int32_t { Left = 0, Centre = 1, Right = 2 };
enum class TextValign : int32_t { Top = 0, Middle = 1, Bottom = 2 };

// -1 (or any index without a font) selects the built-in font.
void GR_Text_Set_Font(int32_t index);
int32_t GR_Text_Get_Font();
// 0, 1 or 2; anything else stores 0.
void GR_Text_Set_Halign(int32_t align);
void GR_Text_Set_Valign(int32_t align);
int32_t GR_Text_Get_Halign();
int32_t GR_Text_Get_Valign();
// Start-up state: built-in font, left, top.
void GR_Text_Reset();
// The font the next call uses: the current one when it exists, else the built-in font.
CFontKF& GR_Text_Font();

// The lines of a UTF-8 text in the font with a width limit (negative: none).
std::vector<std::u16string> GR_Text_Split(const CFontKF& font, std::string_view text, int32_t limit);
// Widest line (at least 1); height of all lines (at least 1). A negative separation is the
// font's line height.
int32_t GR_Text_Width(std::string_view text, int32_t separation, int32_t limit);
int32_t GR_Text_Height(std::string_view text, int32_t separation, int32_t limit);

void GR_Text_Draw(float x, float y, std::string_view text, int32_t separation, int32_t limit);
void GR_Text_Draw_Transformed(float x, float y, std::string_view text, int32_t separation, int32_t limit,
                              float xscale, float yscale, float angle);
void GR_Text_Draw_Color(float x, float y, std::string_view text, int32_t separation, int32_t limit, uint32_t c1,
                        uint32_t c2, uint32_t c3, uint32_t c4, float alpha);
void GR_Text_Draw_Transformed_Color(float x, float y, std::string_view text, int32_t separation, int32_t limit,
                                    float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3,
                                    uint32_t c4, float alpha);

// Units of a UTF-16 text before its terminating 0.
int32_t UTF16_Length(const char16_t* text);
