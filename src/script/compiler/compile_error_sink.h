// Where the compiler's phases and the operator routines record a compile error.
//
// The error goes to the one pending compile error (compile_error.h), which keeps only the
// first of a compile or run; the phases stop at it. This side also keeps the bare message
// and where it was, for callers that need more than the formatted text.
#pragma once

#include <cstdint>
#include <string>

#include "script/compile_error.h"

class CCode;

struct CompileErrorRecord {
  bool pending = false;  // Code_PendingError
  std::string message;   // the message as the phase gave it
  int32_t position = 0;  // clamped to the text
  int32_t line = 1;      // 1-based
  int32_t column = 1;    // 1-based
  std::string text;      // the full formatted text (Code_PendingErrorText)
};

// Records message at a byte position of code's text, unless an error is already pending.
void Compiler_ReportError(const CCode& code, int32_t position, const std::string& message);
// Whether the record may hold anything but its clear state. Every run of code clears the
// error, so the common case is a look at this flag.
extern bool Compiler_ErrorRecordTouched;
void Compiler_ClearErrorRecord();
// Clears the pending error (a compile or a run begins).
inline void Compiler_ClearError() {
  Code_PendingError = false;
  if (Compiler_ErrorRecordTouched) Compiler_ClearErrorRecord();
}
const CompileErrorRecord& Compiler_LastError();
// Replaces the full text of the pending error (a caller wrapping it with its own context).
void Compiler_SetErrorText(std::string text);
