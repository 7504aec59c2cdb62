// One code object run for one instance after another (an event for the instances of an
// object): what stays the same between the runs is worked out once, and each run then starts
// at the code's first decoded record with the least set-up.
#pragma once

#include <cstdint>

#include "script/code.h"
#include "script/vm/vm_state.h"
#include "script/vm_buffer.h"

class CInstance;

// Once prepared it stays where it is: its state points at its own identity.
struct VMPrepared {
  const CCode* code = nullptr;  // null: not prepared (the code runs through Code_Run)
  const VMBuffer* buffer = nullptr;
  const VMInsn* entry = nullptr;  // the record of the first instruction
  VMCodeIdentity ident;           // views of the code's own strings
  bool usesLocals = false;
  uint64_t executorAt = 0;  // Code_ExecutorChanges when prepared
  // The machine's state for the runs, set up once: a run that ends in the decoded records
  // leaves it as it found it but for what each run sets anew. Busy while a run uses it.
  VMState state;
  bool busy = false;
};

// Prepares code that the machine runs now (its executor in use, not the tree interpreter) and
// that has a decoded form; otherwise prepared is left empty. The code must stay as it is
// while it is prepared (a code object's bytecode does not change once compiled).
void VM_Prepare(const CCode& code, VMPrepared& prepared);

// Puts the prepared state back as a run starts from it (after a run that did not end in the
// decoded records).
void VM_ResetPreparedState(VMPrepared& prepared);

// Whether prepared code still goes to VM_RunPrepared: the executors have not changed since.
inline bool VM_PreparedReady(const VMPrepared& prepared) {
  return prepared.code != nullptr && prepared.executorAt == Code_ExecutorChanges;
}

// Runs prepared code for (self, other) as Code_Run does on the machine, the value it leaves
// dropped: the same errors, reports and traces. With the instruction or script trace or a
// breakpoint set it takes the machine's general entry.
void VM_RunPrepared(VMPrepared& prepared, CInstance* self, CInstance* other);
