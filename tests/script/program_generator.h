// Random valid programs for comparing the two executors: an event and the scripts it calls,
// made from one seed. Every value, operator, variable kind, array, statement kind, script call
// with arguments and return, exit, with and a set of string and number built-ins appear; the
// programs stay clear of the places where the executors differ by design (see
// differential_test.cpp) and never fail, loop for ever or grow without bound. What a program
// does is observable through rec(): each call records its arguments.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vmtest {

struct GeneratedScript {
  std::string name;
  std::string body;
};

struct GeneratedProgram {
  std::vector<GeneratedScript> scripts;  // each calls only the ones after it
  std::string event;                     // the code run for the first instance
};

// The instances the event expects in the room (the first one runs it).
constexpr int32_t kGeneratedInstances[] = {100001, 100002, 100003};

// prefix keeps the script names of different programs apart.
GeneratedProgram Generate_Program(uint64_t seed, const std::string& prefix);

}  // namespace vmtest
