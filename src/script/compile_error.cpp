#include "script/compile_error.h"

#include <algorithm>

#include "script/error_report.h"

bool Code_PendingError = false;
std::string Code_PendingErrorText;

CodeTextPlace Code_TextPlace(const std::string& codeText, int32_t position) {
  size_t end = std::min(static_cast<size_t>(std::max(position, 0)), codeText.size());
  CodeTextPlace place;
  for (size_t i = 0; i < end; ++i) {
    char c = codeText[i];
    if (c == '\n') {
      ++place.line;
      place.column = 0;
      place.lineStart = i + 1;
    } else if (c != '\r') {
      ++place.column;
    }
  }
  return place;
}

std::string Code_CompileErrorText(const std::string& codeText, bool isProgram, int32_t position,
                                  const std::string& message) {
  const CodeTextPlace place = Code_TextPlace(codeText, position);
  if (isProgram) {
    size_t lineEnd = codeText.find('\n', place.lineStart);
    std::string lineText = codeText.substr(place.lineStart, lineEnd == std::string::npos
                                                                ? std::string::npos
                                                                : lineEnd - place.lineStart);
    return "Error in code at line " + std::to_string(place.line) + ":\n   " + lineText +
           "\n\nat position " + std::to_string(place.column + 1) + ": " + message;
  }
  return "Error in expression: " + codeText + "\n position " + std::to_string(place.column + 1) +
         ": " + message;
}

void Code_CompileError(const std::string& codeText, bool isProgram, int32_t position,
                       const std::string& message) {
  if (auto& reset = Error_Hooks().graphicsCheckReset) reset();
  if (Code_PendingError) return;
  Code_PendingError = true;
  Code_PendingErrorText = Code_CompileErrorText(codeText, isProgram, position, message);
}

void Code_ClearPendingError() { Code_PendingError = false; }
