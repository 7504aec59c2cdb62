// Compile errors: the first error of a compile or run, kept with its line and column as the
// one pending error text; the caller decides how to show it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

extern bool Code_PendingError;
extern std::string Code_PendingErrorText;

// Records a compile error at a byte position of the code's text, unless one is already
// pending. A program reports its line, that line's text and the column; an expression
// reports its whole text and the column.
void Code_CompileError(const std::string& codeText, bool isProgram, int32_t position,
                       const std::string& message);
// Called when a compile or a run begins, and once the pending error has been shown. The
// text stays until the next error replaces it.
void Code_ClearPendingError();

// Where a byte position of a code text falls (positions outside the text are clamped to it):
// line from 1 and column from 0, where a line feed starts a new line, a carriage return does
// not count and every other byte is one column; and the offset at which that line starts.
struct CodeTextPlace {
  int64_t line = 1;
  int64_t column = 0;
  size_t lineStart = 0;
};
CodeTextPlace Code_TextPlace(const std::string& codeText, int32_t position);

// The layout of a compile error text, without the pending-error bookkeeping.
std::string Code_CompileErrorText(const std::string& codeText, bool isProgram, int32_t position,
                                  const std::string& message);
