// Times each program on the virtual machine and the same program on lua5.4, then prints
// the ratios (our time / Lua's time) and their geometric mean.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "runner/instance.h"
#include "script/code.h"
#include "script/compiler/compile_error_sink.h"
#include "script/compiler/user_variables.h"
#include "script/function_table.h"
#include "script/global_variables.h"
#include "script/script_arguments.h"
#include "script/vm/vm.h"

void Bench_InstallArguments();

namespace {

struct Program {
  const char* name;
  const char* lua;
  const char* code;
  bool measureMemory = false;  // also compare the peak memory of one run on each side
};

const Program kPrograms[] = {
    {"fib(27)", "fib.lua", "r = fib(27);"},
    {"sum of 10M integers", "sum.lua",
     "var i, s; s = 0; for (i = 0; i < 10000000; i += 1) s += i;"},
    {"string building", "concat.lua",
     "var i, s; s = \"\"; for (i = 1; i <= 20000; i += 1) s = s + \"x\";"},
    {"10M-element 2-D array", "array.lua",
     "var a, i, j, s; for (i = 0; i < 1000; i += 1) for (j = 0; j < 10000; j += 1) a[i, j] = i * "
     "10000 + j;"
     "s = 0; for (i = 0; i < 1000; i += 1) for (j = 0; j < 10000; j += 1) s += a[i, j];",
     true},
    {"script call in a loop", "call.lua",
     "var i, s; s = 0; for (i = 1; i <= 1000000; i += 1) s = add1(s);"},
};

std::vector<std::unique_ptr<CCode>> g_Scripts;
std::vector<std::string> g_ScriptNames;

bool FindScript(const char* name, int32_t& number) {
  for (size_t i = 0; i < g_ScriptNames.size(); ++i) {
    if (g_ScriptNames[i] == name) {
      number = static_cast<int32_t>(i);
      return true;
    }
  }
  return false;
}
const CCode* GetScript(int32_t number) {
  return number >= 0 && number < static_cast<int32_t>(g_Scripts.size())
             ? g_Scripts[static_cast<size_t>(number)].get()
             : nullptr;
}

void AddScript(const char* name, const char* text) {
  g_ScriptNames.push_back(name);
  g_Scripts.push_back(std::make_unique<CCode>(text, false));
  if (!g_Scripts.back()->Compile(std::string("Script.") + name)) {
    std::fprintf(stderr, "%s\n", Compiler_LastError().text.c_str());
    std::exit(1);
  }
}

// The peak resident memory (KiB) of a child process that runs body and exits; -1 when the
// child could not be started or failed.
template <typename Body>
long ChildPeakKib(Body body) {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) _exit(body() ? 0 : 1);
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return -1;
  }
  return usage.ru_maxrss;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  // --listing: print each program's bytecode instead of timing it.
  const bool listing = argc > 1 && std::string(argv[1]) == "--listing";
  // Any other argument picks the programs whose name contains it.
  const std::string only = argc > 1 && !listing ? argv[1] : "";
  VM_Install();
  Function_SetScriptLookup(FindScript);
  VM_SetScriptLookup(GetScript);
  Bench_InstallArguments();
  Variable_Global_Init();
  AddScript("fib",
            "if (argument0 < 2) return argument0; return fib(argument0 - 1) + fib(argument0 - 2);");
  AddScript("add1", "return argument0 + 1;");
  CInstance self(0, 0, 100001, 0, true);

  // Peak memory: one run in a child process on each side, the process's whole footprint.
  // Measured before any timed run, as a forked child starts with its parent's footprint.
  std::vector<std::string> memoryLines;
  for (const Program& program : kPrograms) {
    const Program* p = &program;
    if (listing || !p->measureMemory) continue;
    if (!only.empty() && std::string(p->name).find(only) == std::string::npos) continue;
    CCode code(p->code, false);
    if (!code.Compile("Bench")) return 1;
    const long ours = ChildPeakKib([&] {
      ScriptValue result;
      return Code_Run(&self, &self, code, result);
    });
    const std::string script = std::string(KF_BENCH_LUA_DIR) + "/" + p->lua;
    const long theirs = ChildPeakKib([&] {
      const int devNull = open("/dev/null", O_WRONLY);
      if (devNull >= 0) dup2(devNull, STDOUT_FILENO);
      execlp("lua5.4", "lua5.4", script.c_str(), static_cast<char*>(nullptr));
      return false;
    });
    if (ours < 0 || theirs < 0) {
      std::fprintf(stderr, "the memory run of %s failed\n", p->name);
      return 1;
    }
    char line[160];
    std::snprintf(line, sizeof line, "%-24s %6.1f MiB %6.1f MiB %8.2f  (peak memory)\n", p->name,
                  ours / 1024.0, theirs / 1024.0,
                  static_cast<double>(ours) / static_cast<double>(theirs));
    memoryLines.push_back(line);
  }

  std::printf("%-24s %10s %10s %8s\n", "program", "vm (s)", "lua (s)", "ratio");
  double logSum = 0;
  int count = 0;
  for (const Program& p : kPrograms) {
    if (!only.empty() && std::string(p.name).find(only) == std::string::npos) continue;
    CCode code(p.code, false);
    if (!code.Compile("Bench")) {
      std::fprintf(stderr, "%s\n", Compiler_LastError().text.c_str());
      return 1;
    }
    if (listing) {
      std::printf("== %s\n%s", p.name, VM_DisassembleAll(*code.Bytecode()).c_str());
      continue;
    }
    // The best of five runs on each side. Each Lua program reports its own running time, so
    // neither side counts start-up or compilation.
    double ours = 1e9, theirs = 1e9;
    std::string command = std::string("lua5.4 ") + KF_BENCH_LUA_DIR + "/" + p.lua;
    for (int run = 0; run < 5; ++run) {
      ScriptValue result;
      auto start = std::chrono::steady_clock::now();
      Code_Run(&self, &self, code, result);
      ours = std::min(ours, Seconds(start));
      double lua = -1;
      if (FILE* pipe = popen(command.c_str(), "r")) {
        if (std::fscanf(pipe, "%lf", &lua) != 1) lua = -1;
        if (pclose(pipe) != 0) lua = -1;
      }
      if (lua < 0) {
        std::fprintf(stderr, "lua5.4 failed on %s\n", p.lua);
        return 1;
      }
      theirs = std::min(theirs, lua);
    }
    double ratio = ours / theirs;
    logSum += std::log(ratio);
    ++count;
    std::printf("%-24s %10.3f %10.3f %8.2f\n", p.name, ours, theirs, ratio);
  }
  if (listing) {
    std::printf("== fib\n%s== add1\n%s", VM_DisassembleAll(*g_Scripts[0]->Bytecode()).c_str(),
                VM_DisassembleAll(*g_Scripts[1]->Bytecode()).c_str());
    return 0;
  }
  std::printf("%-24s %10s %10s %8.2f\n", "geometric mean", "", "", std::exp(logSum / count));
  for (const std::string& line : memoryLines) std::printf("%s", line.c_str());
  return 0;
}
