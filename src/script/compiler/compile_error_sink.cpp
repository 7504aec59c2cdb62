#include "script/compiler/compile_error_sink.h"

#include <algorithm>

#include "script/code.h"

namespace {
CompileErrorRecord& Record() {
  static CompileErrorRecord record;
  return record;
}
}  // namespace

void Compiler_LineAndColumn(const std::string& text, int32_t position, int32_t& line,
                            int32_t& column) {
  line = 1;
  column = 0;
  for (int32_t i = 0; i < position && i < static_cast<int32_t>(text.size()); ++i) {
    char c = text[static_cast<size_t>(i)];
    if (c == '\n') {
      ++line;
      column = 0;
    } else if (c != '\r') {
      ++column;
    }
  }
}

void Compiler_ReportError(const CCode& code, int32_t position, const std::string& message) {
  CompileErrorRecord& record = Record();
  if (record.pending) return;
  const std::string& text = code.GetText();
  position = std::clamp(position, 0, static_cast<int32_t>(text.size()));
  int32_t line = 1;
  int32_t column = 0;
  Compiler_LineAndColumn(text, position, line, column);
  record.pending = true;
  record.message = message;
  record.position = position;
  record.line = line;
  record.column = column + 1;
  if (code.Kind() == CodeKind::Program) {
    size_t lineStart = text.rfind('\n', position == 0 ? std::string::npos : size_t(position) - 1);
    lineStart = (position == 0 || lineStart == std::string::npos) ? 0 : lineStart + 1;
    size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string::npos) lineEnd = text.size();
    record.text = "Error in code at line " + std::to_string(line) + ":\n   " +
                  text.substr(lineStart, lineEnd - lineStart) + "\n\nat position " +
                  std::to_string(column + 1) + ": " + message;
  } else {
    record.text = "Error in expression: " + text + "\n position " + std::to_string(column + 1) +
                  ": " + message;
  }
}

void Compiler_ClearError() { Record() = CompileErrorRecord(); }

const CompileErrorRecord& Compiler_LastError() { return Record(); }

void Compiler_SetErrorText(std::string text) {
  Record().pending = true;
  Record().text = std::move(text);
}
