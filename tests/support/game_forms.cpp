#include "support/game_forms.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "stored_bytecode.h"

const char* GameFormName(GameForm form) {
  switch (form) {
    case GameForm::StoredBytecode: return "bytecode";
    case GameForm::SourceText: return "source";
    case GameForm::SourceOldExec: return "oldexec";
  }
  return "unknown";
}

std::string GameFormParamName(const ::testing::TestParamInfo<GameForm>& info) {
  return GameFormName(info.param);
}

void PrintTo(GameForm form, std::ostream* out) { *out << GameFormName(form); }

bool WriteGameInForm(const GameDataWriter& game, const std::string& path, GameForm form) {
  if (form != GameForm::StoredBytecode) return game.WriteFile(path);
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    GameDataWriter stored = game;
    std::string error;
    if (!StoredBytecode_CompileGame(stored, error)) {
      std::fprintf(stderr, "the game's code does not compile to bytecode: %s\n", error.c_str());
      std::fflush(stderr);
      _exit(1);
    }
    _exit(stored.WriteFile(path) ? 0 : 2);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool RewriteGameFile(const std::string& path, const std::function<void(std::vector<uint8_t>&)>& change) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  in.close();
  change(bytes);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::vector<std::string> WithFormArguments(std::vector<std::string> args, GameForm form) {
  if (form == GameForm::SourceOldExec) args.push_back("-oldexec");
  return args;
}
