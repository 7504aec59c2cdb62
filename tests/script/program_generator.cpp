#include "program_generator.h"

#include <string>
#include <vector>

namespace vmtest {
namespace {

// splitmix64: the same programs from the same seed on every machine.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
  bool Chance(int percent) { return Below(100) < percent; }
  template <typename T>
  const T& Pick(const std::vector<T>& items) {
    return items[static_cast<size_t>(Below(static_cast<int>(items.size())))];
  }

 private:
  uint64_t state_;
};

enum class Type { Int, Str };

struct ScriptSignature {
  std::string name;
  std::vector<Type> args;
  Type result = Type::Int;
};

// Integer-valued expressions are kept within a range where both executors convert them to
// 32-bit integers alike before the operations that do (div, mod, bitwise, shifts, indices,
// repeat counts).
std::string Bounded(const std::string& e) { return "clamp(" + e + ", -50000, 50000)"; }
std::string Index(const std::string& e, int n) {
  const std::string k = std::to_string(n);
  return "((" + Bounded(e) + " mod " + k + ") + " + k + ") mod " + k;
}

class Generator {
 public:
  Generator(uint64_t seed, std::string prefix) : rnd_(seed), prefix_(std::move(prefix)) {}

  GeneratedProgram Make() {
    GeneratedProgram out;
    const int count = 1 + rnd_.Below(3);
    for (int i = 0; i < count; ++i) {
      ScriptSignature s;
      s.name = prefix_ + "_s" + std::to_string(i);
      const int argc = rnd_.Below(4);
      for (int a = 0; a < argc; ++a) s.args.push_back(rnd_.Chance(70) ? Type::Int : Type::Str);
      s.result = rnd_.Chance(70) ? Type::Int : Type::Str;
      signatures_.push_back(s);
    }
    // Scripts are written last first, so each knows the ones it may call.
    out.scripts.resize(static_cast<size_t>(count));
    for (int i = count - 1; i >= 0; --i) {
      current_ = i;
      out.scripts[static_cast<size_t>(i)] = {signatures_[static_cast<size_t>(i)].name, Code(false)};
    }
    current_ = -1;
    out.event = Setup() + Code(true);
    return out;
  }

 private:
  // Instance variables of every instance, globals and their arrays, set before anything reads
  // them.
  std::string Setup() {
    std::string s = "with (all) { iv0 = " + Lit() + "; iv1 = " + Lit() + "; ivs = " + StrLit() +
                    "; ia[0] = 1; ia[1] = 2; ia[2] = 3; ia[3] = 4; }\n";
    s += "global.g0 = " + Lit() + "; global.g1 = " + Lit() + "; global.gs = " + StrLit() + ";\n";
    s += "global.ga[0] = 5; global.ga[1] = 6; global.ga[2] = 7; global.ga[3] = 8;\n";
    return s;
  }

  // A body: its locals declared and set, statements, and for scripts a final return.
  std::string Code(bool event) {
    std::string s = "var l0, l1, ls, la, lb, k0, k1, k2;\n";
    s += "l0 = " + Lit() + "; l1 = " + Lit() + "; ls = " + StrLit() + ";\n";
    s += "la[0] = 1; la[1] = 2; la[2] = 3; la[3] = 4;\n";
    s += "lb[0, 0] = 0; lb[0, 1] = 1; lb[1, 0] = 10; lb[1, 1] = 11;\n";
    const int n = 3 + rnd_.Below(5);
    for (int i = 0; i < n; ++i) s += Statement(0, Context{}) + "\n";
    if (event) {
      s += "rec(l0, l1, ls, la[0], la[3], lb[1, 1], iv0, iv1, ivs, ia[2], global.g0, global.g1, "
           "global.gs, global.ga[1]);\n";
      s += "with (100002) rec(iv0, iv1, ivs, ia[0]);\nwith (100003) rec(iv0, iv1, ivs, ia[3]);\n";
    } else {
      s += "return " + Return() + ";\n";
    }
    return s;
  }

  struct Context {
    int loops = 0;         // loops around the statement (in this code)
    bool inSwitch = false;
    bool orderFree = false;  // inside with (all): nothing whose result depends on the order
  };

  const ScriptSignature* Current() const {
    return current_ < 0 ? nullptr : &signatures_[static_cast<size_t>(current_)];
  }

  std::string Return() {
    const ScriptSignature* s = Current();
    return s->result == Type::Int ? Int(2) : Str(2);
  }

  std::string Block(int depth, Context c) {
    std::string s = "{ ";
    const int n = 1 + rnd_.Below(3);
    for (int i = 0; i < n; ++i) s += Statement(depth + 1, c) + " ";
    return s + "}";
  }

  std::string Statement(int depth, Context c) {
    if (c.orderFree) return OrderFreeStatement();
    const int kind = depth >= 3 ? rnd_.Below(4) : rnd_.Below(17);
    switch (kind) {
      case 0: return Assignment();
      case 1: {
        NoCalls guard(noCalls_);
        return "rec(" + Int(2) + ", " + Str(2) + ");";
      }
      case 2: return Compound();
      case 3: return Call(true);
      case 4: return "if (" + Cond() + ") " + Block(depth, c) +
                     (rnd_.Chance(50) ? " else " + Block(depth, c) : "");
      case 5: {  // counted loops: the counter goes up first, so continue cannot skip it
        const std::string k = "k" + std::to_string(c.loops % 3);
        Context in = c;
        ++in.loops;
        if (c.loops >= 2) return Assignment();
        const std::string n = std::to_string(rnd_.Below(5));
        switch (rnd_.Below(3)) {
          case 0: return k + " = 0; while (" + k + " < " + n + ") { " + k + " += 1; " +
                         Block(depth, in) + " }";
          case 1: return k + " = 0; do { " + k + " += 1; " + Block(depth, in) + " } until (" + k +
                         " >= " + n + ");";
          default: return "for (" + k + " = 0; " + k + " < " + n + "; " + k + " += 1) " +
                          Block(depth, in);
        }
      }
      case 6: {
        if (c.loops >= 2) return Assignment();
        Context in = c;
        ++in.loops;
        return "repeat (" + Index(Int(1), 4) + ") " + Block(depth, in);
      }
      case 7: return Switch(depth, c);
      case 8: {
        Context in = c;
        in.orderFree = true;
        return "with (all) " + Block(depth, in);
      }
      case 9: return "with (" + std::to_string(rnd_.Pick(std::vector<int>{100002, 100003, -1})) +
                     ") " + Block(depth, c);
      case 10:
        if (c.loops > 0 && rnd_.Chance(50)) return "if (" + Cond() + ") break;";
        if (c.loops > 0) return "if (" + Cond() + ") continue;";
        return Assignment();
      case 11:
        if (c.inSwitch) return "break;";
        return Compound();
      case 12: {
        const ScriptSignature* s = Current();
        // exit gives a script's caller 0: only where a number is expected.
        if (rnd_.Chance(70) && (s == nullptr || s->result == Type::Int)) return "if (" + Cond() + ") exit;";
        if (s != nullptr) return "if (" + Cond() + ") return " + Return() + ";";
        return Assignment();
      }
      case 13: {
        // The tree works out an element's index before the value, the machine after it.
        NoCalls guard(noCalls_);
        return "la[" + Index(Int(1), 4) + "] = " + Int(2) + ";";
      }
      case 14: {
        NoCalls guard(noCalls_);
        return "lb[" + Index(Int(1), 2) + ", " + Index(Int(1), 2) + "] += " + Int(1) + ";";
      }
      case 15: {
        NoCalls guard(noCalls_);
        std::string s = "global.ga[" + Index(Int(1), 4) + "] = " + Int(2) + "; ";
        return s + "ia[" + Index(Int(1), 4) + "] -= " + Int(1) + ";";
      }
      default: return "ls = string_copy(" + Str(2) + ", 1, 12);";
    }
  }

  // Inside with (all): sums into globals and updates of the visited instance's own variables.
  // The sums add bounded values: an instance's own variable can grow past 2^53, and a sum of
  // such reals rounds differently in another order of the instances.
  std::string OrderFreeStatement() {
    const std::string own = rnd_.Pick(std::vector<std::string>{"iv0", "iv1", "l0", "7", "ia[1]"});
    switch (rnd_.Below(4)) {
      case 0: return "global.g" + std::to_string(rnd_.Below(2)) + " += " + Bounded(own) + ";";
      case 1: return "iv" + std::to_string(rnd_.Below(2)) + " += " + own + " * 2;";
      case 2: return "ivs = string_copy(ivs + string(" + own + "), 1, 10);";
      default: return "ia[" + Index(own, 4) + "] = " + own + " - 1;";
    }
  }

  std::string Assignment() {
    switch (rnd_.Below(6)) {
      case 0: return "l0 = " + Int(3) + ";";
      case 1: return "l1 = " + Int(3) + ";";
      case 2: return "iv" + std::to_string(rnd_.Below(2)) + " = " + Int(3) + ";";
      case 3: return "global.g" + std::to_string(rnd_.Below(2)) + " = " + Int(3) + ";";
      case 4: return "ivs = string_copy(" + Str(3) + ", 1, 12);";
      default: return "global.gs = string_copy(" + Str(3) + ", 1, 12);";
    }
  }

  // A compound assignment reads its target before its value on the machine and after it on
  // the tree, and the machine works out the target's index twice: no calls in it.
  std::string Compound() {
    NoCalls guard(noCalls_);
    const std::string target =
        rnd_.Pick(std::vector<std::string>{"l0", "l1", "iv0", "iv1", "global.g0", "global.g1"});
    switch (rnd_.Below(8)) {
      case 0: return target + " += " + Int(2) + ";";
      case 1: return target + " -= " + Int(2) + ";";
      case 6: return target + " = " + Bounded(target) + "; " + target + " *= " + Lit() + ";";
      case 7: return target + " /= " + Positive() + "; " + target + " = round(" + target + ");";
      case 2: return target + " = " + Bounded(target + " * " + Int(1)) + ";";
      case 3: return target + " = " + Bounded(target) + "; " + target + " |= " + Bounded(Int(1)) + ";";
      case 4: return target + " = " + Bounded(target) + "; " + target + " &= " + Bounded(Int(1)) + ";";
      default: return target + " = " + Bounded(target) + "; " + target + " ^= " + Bounded(Int(1)) + ";";
    }
  }

  std::string Switch(int depth, Context c) {
    Context in = c;
    in.inSwitch = true;
    std::string s;
    const bool text = rnd_.Chance(35);
    if (text) {
      s = "switch (" + rnd_.Pick(std::vector<std::string>{"ls", "ivs", "global.gs", "string(l0 mod 3)"}) +
          ") { ";
      for (const char* label : {"\"a\"", "\"\"", "\"1\"", "\"xy\""}) {
        if (rnd_.Chance(60)) s += "case " + std::string(label) + ": " + Statement(depth + 1, in) + " ";
      }
    } else {
      s = "switch (" + Index(Int(2), 4) + ") { ";
      for (int label = 0; label < 4; ++label) {
        if (rnd_.Chance(60)) s += "case " + std::to_string(label) + ": " + Statement(depth + 1, in) + " ";
      }
    }
    if (rnd_.Chance(50)) s += "default: " + Statement(depth + 1, in) + " ";
    if (rnd_.Chance(50)) s += "break;";
    return s + " }";
  }

  // A comparison or a logical combination: 0 or 1 on both executors.
  std::string Cond(int depth = 2) {
    if (depth > 0 && rnd_.Chance(30)) {
      const char* op = rnd_.Pick(std::vector<const char*>{"&&", "||", "^^"});
      if (rnd_.Chance(20)) return "!(" + Cond(depth - 1) + ")";
      return "(" + Cond(depth - 1) + " " + op + " " + Cond(depth - 1) + ")";
    }
    const char* op = rnd_.Pick(std::vector<const char*>{"<", "<=", "==", "!=", ">=", ">", "="});
    if (rnd_.Chance(25)) return "(" + Str(1) + " " + op + " " + Str(1) + ")";
    return "(" + Int(1) + " " + op + " " + Int(1) + ")";
  }

  std::string Lit() { return std::to_string(rnd_.Below(41) - 20); }
  std::string StrLit() {
    return rnd_.Pick(std::vector<std::string>{"\"\"", "\"a\"", "\"xy\"", "'1'", "\"Hello\"", "'q r'"});
  }

  std::string Argument(Type t) {
    const ScriptSignature* s = Current();
    if (s == nullptr) return "";
    std::vector<std::string> fits;
    for (size_t i = 0; i < s->args.size(); ++i) {
      if (s->args[i] == t) fits.push_back("argument" + std::to_string(i));
    }
    return fits.empty() ? "" : rnd_.Pick(fits);
  }

  // An integer-valued expression (a number with no fraction).
  std::string Int(int depth) {
    if (depth <= 0 || rnd_.Chance(25)) {
      std::string arg = Argument(Type::Int);
      if (!arg.empty() && rnd_.Chance(40)) return arg;
      switch (rnd_.Below(9)) {
        case 0: case 1: return Lit();
        case 2: return "l0";
        case 3: return "l1";
        case 4: return "iv" + std::to_string(rnd_.Below(2));
        case 5: return "global.g" + std::to_string(rnd_.Below(2));
        case 6: return "la[" + Index(Lit(), 4) + "]";
        case 7: return "lb[" + Index(Lit(), 2) + ", 1]";
        default: return rnd_.Chance(50) ? "global.ga[2]" : "ia[1]";
      }
    }
    const std::string a = Int(depth - 1), b = Int(depth - 1);
    switch (rnd_.Below(17)) {
      case 0: case 1: return "(" + a + " + " + b + ")";
      case 2: case 3: return "(" + a + " - " + b + ")";
      case 4: return Bounded(a + " * " + b);
      case 5: return "(" + Bounded(a) + " div " + Positive() + ")";
      case 6: return "(" + Bounded(a) + " mod " + Positive() + ")";
      case 7: return "-" + a;
      case 8: return "real(" + Bitwise(depth) + ")";
      case 9: return "real(" + Cond(1) + ")";
      case 10: return "floor(" + Real(depth - 1) + ")";
      case 11: return "round(" + Real(depth - 1) + ")";
      case 12: return "string_length(" + Str(depth - 1) + ")";
      case 13: return rnd_.Pick(std::vector<std::string>{"abs(", "sign(", "sqr("}) + Bounded(a) + ")";
      case 14: {
        NoCalls guard(noCalls_);
        const std::string f = rnd_.Pick(std::vector<std::string>{"min(", "max("});
        return f + Int(depth - 1) + ", " + Int(depth - 1) + ")";
      }
      case 15: {
        NoCalls guard(noCalls_);
        return "string_pos(" + Str(depth - 1) + ", " + Str(depth - 1) + ")";
      }
      default: {
        std::string call = Call(false, Type::Int);
        return call.empty() ? a : call;
      }
    }
  }

  // A positive integer, for dividing by.
  std::string Positive() { return "(abs(" + Bounded(Int(1)) + ") + 1)"; }

  // The bitwise operators on bounded integers.
  std::string Bitwise(int depth) {
    const std::string a = Bounded(Int(depth - 1)), b = Bounded(Int(depth - 1));
    switch (rnd_.Below(6)) {
      case 0: return "(" + a + " & " + b + ")";
      case 1: return "(" + a + " | " + b + ")";
      case 2: return "(" + a + " ^ " + b + ")";
      case 3: return "~" + a;
      case 4: return "(" + a + " << " + std::to_string(rnd_.Below(9)) + ")";
      default: return "(" + a + " >> " + std::to_string(rnd_.Below(9)) + ")";
    }
  }

  // A number that may have a fraction: recorded, or rounded back to an integer.
  std::string Real(int depth) {
    const std::string a = Int(depth), b = Int(depth);
    switch (rnd_.Below(5)) {
      case 0: return "(" + a + " / " + Positive() + ")";
      case 1: return "(" + Bounded(a) + " / 4 + " + b + " / 3)";
      case 2: return "sqrt(abs(" + a + "))";
      case 3: return "(" + a + " * 0.25)";
      default: return "real(string(" + a + " / 8))";
    }
  }

  std::string Str(int depth) {
    if (depth <= 0 || rnd_.Chance(30)) {
      std::string arg = Argument(Type::Str);
      if (!arg.empty() && rnd_.Chance(40)) return arg;
      switch (rnd_.Below(5)) {
        case 0: case 1: return StrLit();
        case 2: return "ls";
        case 3: return "ivs";
        default: return "global.gs";
      }
    }
    const std::string a = Str(depth - 1), b = Str(depth - 1);
    switch (rnd_.Below(11)) {
      case 0: case 1: return "(" + a + " + " + b + ")";
      case 2: return "string(" + Int(depth - 1) + ")";
      case 3: return "string(" + Real(depth - 1) + ")";
      case 4: return "string_upper(" + a + ")";
      case 5: {
        NoCalls guard(noCalls_);
        return "string_copy(" + Str(depth - 1) + ", " + Index(Int(1), 4) + ", " + Index(Int(1), 5) + ")";
      }
      case 6: return "(" + std::to_string(rnd_.Below(4)) + " * " + a + ")";
      case 7: return "string_repeat(" + a + ", " + std::to_string(rnd_.Below(3)) + ")";
      case 8: return "chr(65 + " + Index(Int(1), 26) + ")";
      case 9: return "string_delete(" + a + ", 2, 1)";
      default: {
        std::string call = Call(false, Type::Str);
        return call.empty() ? a : call;
      }
    }
  }

  // A call of a script after the current one: as a statement (any script) or for a value of
  // type t. Empty when there is none. The machine works out arguments last to first, the
  // tree first to last: where there are several, none of them calls a script.
  std::string Call(bool statement, Type t = Type::Int) {
    if (noCalls_ && !statement) return "";
    std::vector<const ScriptSignature*> callable;
    for (size_t i = static_cast<size_t>(current_ + 1); i < signatures_.size(); ++i) {
      if (statement || signatures_[i].result == t) callable.push_back(&signatures_[i]);
    }
    if (callable.empty()) return statement ? Assignment() : "";
    const ScriptSignature* s = rnd_.Pick(callable);
    NoCalls guard(noCalls_, s->args.size() > 1);
    std::string call = s->name + "(";
    for (size_t i = 0; i < s->args.size(); ++i) {
      if (i > 0) call += ", ";
      call += s->args[i] == Type::Int ? Int(1) : Str(1);
    }
    call += ")";
    return statement ? call + ";" : call;
  }

  struct NoCalls {
    explicit NoCalls(bool& flag, bool on = true) : flag_(flag), saved_(flag) { flag = flag || on; }
    ~NoCalls() { flag_ = saved_; }
    bool& flag_;
    bool saved_;
  };

  Random rnd_;
  bool noCalls_ = false;
  std::string prefix_;
  std::vector<ScriptSignature> signatures_;
  int current_ = -1;
};

}  // namespace

GeneratedProgram Generate_Program(uint64_t seed, const std::string& prefix) {
  return Generator(seed, prefix).Make();
}

}  // namespace vmtest
