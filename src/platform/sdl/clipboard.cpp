#include "platform/sdl/clipboard.h"

#include <SDL.h>

bool Clipboard_HasText() { return SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_HasClipboardText() == SDL_TRUE; }

std::string Clipboard_GetText() {
  if (!Clipboard_HasText()) return {};
  char* text = SDL_GetClipboardText();
  if (text == nullptr) return {};
  std::string copy = text;
  SDL_free(text);
  return copy;
}

bool Clipboard_SetText(const std::string& text) {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
  return SDL_SetClipboardText(text.c_str()) == 0;
}
