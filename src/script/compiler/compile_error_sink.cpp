#include "script/compiler/compile_error_sink.h"

#include <algorithm>

#include "script/code.h"
#include "script/compile_error.h"

namespace {
// The message, position, line and column of the pending error; its flag and full text are
// the process-wide pending error of compile_error.h.
CompileErrorRecord& Record() {
  static CompileErrorRecord record;
  return record;
}
}  // namespace

bool Compiler_ErrorRecordTouched = false;

void Compiler_ReportError(const CCode& code, int32_t position, const std::string& message) {
  bool alreadyPending = Code_PendingError;
  const std::string& text = code.GetText();
  Code_CompileError(text, code.Kind() == CodeKind::Program, position, message);
  if (alreadyPending) return;
  Compiler_ErrorRecordTouched = true;
  CompileErrorRecord& record = Record();
  const CodeTextPlace place = Code_TextPlace(text, position);
  record.message = message;
  record.position = std::clamp(position, 0, static_cast<int32_t>(text.size()));
  record.line = static_cast<int32_t>(place.line);
  record.column = static_cast<int32_t>(place.column + 1);
}

void Compiler_ClearErrorRecord() {
  Compiler_ErrorRecordTouched = false;
  // A record that is already clear is left as it is.
  CompileErrorRecord& record = Record();
  if (!record.pending && record.message.empty() && record.text.empty() && record.position == 0 &&
      record.line == 1 && record.column == 1) {
    return;
  }
  record = CompileErrorRecord();
}

const CompileErrorRecord& Compiler_LastError() {
  Compiler_ErrorRecordTouched = true;
  CompileErrorRecord& record = Record();
  record.pending = Code_PendingError;
  record.text = Code_PendingErrorText;
  return record;
}

void Compiler_SetErrorText(std::string text) {
  Code_PendingError = true;
  Code_PendingErrorText = std::move(text);
}
