// Keeps the built-in function table, with its script and extension lookups, as it was when the
// guard was made and puts it back when the guard goes: for a test that empties the table,
// registers only its own functions or swaps the lookups, so tests after it in the same process
// find what the runner's start-up and their fixtures installed.
#pragma once

#include <utility>

#include "script/function_table.h"

class FunctionTableGuard {
 public:
  FunctionTableGuard() : saved_(Function_SaveState()) {}
  ~FunctionTableGuard() { Function_RestoreState(std::move(saved_)); }
  FunctionTableGuard(const FunctionTableGuard&) = delete;
  FunctionTableGuard& operator=(const FunctionTableGuard&) = delete;

 private:
  FunctionTableState saved_;
};
