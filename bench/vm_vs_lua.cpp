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

#include "functions/ds_functions.h"
#include "functions/number_functions.h"
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
    {"n-body, arrays of reals", "nbody.lua",
     "var px, py, pz, vx, vy, vz, m, i, j, step, dx, dy, dz, d2, mag, mi, mj, dt;"
     "px[0] = 0; px[1] = 4.8414314424647209; px[2] = 8.3433667182445799;"
     "px[3] = 12.894369562139131; px[4] = 15.379697114850917;"
     "py[0] = 0; py[1] = -1.1603200440274284; py[2] = 4.1247985641243048;"
     "py[3] = -15.111151401698631; py[4] = -25.919314609987964;"
     "pz[0] = 0; pz[1] = -0.10362204447112311; pz[2] = -0.40352341711432138;"
     "pz[3] = -0.22330757889265573; pz[4] = 0.17925877295037118;"
     "vx[0] = 0; vx[1] = 0.0016600766427440369; vx[2] = -0.0027674251072686241;"
     "vx[3] = 0.0029646013756476162; vx[4] = 0.0026806777249038932;"
     "vy[0] = 0; vy[1] = 0.0076990111841974043; vy[2] = 0.0049985280123491724;"
     "vy[3] = 0.0023784717395948095; vy[4] = 0.001628241700382423;"
     "vz[0] = 0; vz[1] = -0.0000690460016972063023; vz[2] = 0.0000230417297573763929;"
     "vz[3] = -0.0000296589568540237556; vz[4] = -0.000095159225451971587;"
     "m[0] = 1; m[1] = 0.00095479193842432661; m[2] = 0.00028588598066613081;"
     "m[3] = 0.0000436624404335156298; m[4] = 0.0000515138902046611451;"
     "for (i = 0; i < 5; i += 1) {"
     "  vx[i] = vx[i] * 365.24; vy[i] = vy[i] * 365.24; vz[i] = vz[i] * 365.24;"
     "  m[i] = m[i] * 4 * 3.141592653589793 * 3.141592653589793;"
     "}"
     "dt = 0.01;"
     "for (step = 1; step <= 500000; step += 1) {"
     "  for (i = 0; i < 5; i += 1) {"
     "    for (j = i + 1; j < 5; j += 1) {"
     "      dx = px[i] - px[j]; dy = py[i] - py[j]; dz = pz[i] - pz[j];"
     "      d2 = dx * dx + dy * dy + dz * dz;"
     "      mag = dt / (d2 * sqrt(d2));"
     "      mi = m[i] * mag; mj = m[j] * mag;"
     "      vx[i] = vx[i] - dx * mj; vy[i] = vy[i] - dy * mj; vz[i] = vz[i] - dz * mj;"
     "      vx[j] = vx[j] + dx * mi; vy[j] = vy[j] + dy * mi; vz[j] = vz[j] + dz * mi;"
     "    }"
     "  }"
     "  for (i = 0; i < 5; i += 1) {"
     "    px[i] = px[i] + dt * vx[i]; py[i] = py[i] + dt * vy[i]; pz[i] = pz[i] + dt * vz[i];"
     "  }"
     "}"},
    {"ds_map/ds_list mix", "ds_mix.lua",
     "var map, list, i, s, n, round; n = 10000; map = ds_map_create(); list = ds_list_create();"
     "for (i = 0; i < n; i += 1) { ds_map_add(map, i, i * 2); ds_list_add(list, i); }"
     "s = 0;"
     "for (round = 1; round <= 500; round += 1) {"
     "  for (i = 0; i < n; i += 1) ds_map_replace(map, i, ds_map_find_value(map, i) + 1);"
     "  for (i = 0; i < n; i += 1) s += ds_map_find_value(map, ds_list_find_value(list, i));"
     "}"
     "ds_map_destroy(map); ds_list_destroy(list);"},
};
// The five programs of the geometric mean; the ones after them have their own targets.
constexpr size_t kMeanPrograms = 5;

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
  InitMathFunctions();
  InitDataStructureFunctions();
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
    const bool inMean = &p - kPrograms < static_cast<std::ptrdiff_t>(kMeanPrograms);
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
    if (inMean) {
      logSum += std::log(ratio);
      ++count;
    }
    std::printf("%-24s %10.3f %10.3f %8.2f\n", p.name, ours, theirs, ratio);
  }
  if (listing) {
    std::printf("== fib\n%s== add1\n%s", VM_DisassembleAll(*g_Scripts[0]->Bytecode()).c_str(),
                VM_DisassembleAll(*g_Scripts[1]->Bytecode()).c_str());
    return 0;
  }
  if (count > 0) {
    std::printf("%-24s %10s %10s %8.2f  (of the first %zu)\n", "geometric mean", "", "",
                std::exp(logSum / count), kMeanPrograms);
  }
  for (const std::string& line : memoryLines) std::printf("%s", line.c_str());
  return 0;
}
