// Variable lists: the variables of an instance, of the global scope and of a script call,
// each a plain value with an optional ragged two-dimensional array.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "script/save_bytes.h"
#include "script/script_value.h"
#include "script/value_row.h"

class CStream;
class tagIConsole;

// Ids below this name built-in variables; ids from here on live in a CVariableList.
inline constexpr int32_t kFirstListVariableId = 10000;
// User variable names are numbered from here.
inline constexpr int32_t kFirstUserVariableId = 100000;
// An array index is row * kArrayRowStride + column; index 0 is the plain value.
inline constexpr int32_t kArrayRowStride = 32000;

// Saved-game tags of a variable list: the current form, and the two older forms still read.
inline constexpr int32_t kVariableListTag = 442;
inline constexpr int32_t kVariableListTagOld = 440;
inline constexpr int32_t kVariableListTagRectangular = 441;

struct VariableRow {
  ValueRow items;

  // The element at column (not negative), lengthening the row with real zeros up to it.
  ScriptValue& At(size_t column) { return items.At(column); }
};

struct VariableNode {
  int32_t id = 0;
  ScriptValue value;              // index 0
  std::vector<VariableRow> rows;  // empty when the variable has no array part
};

// Set to false at the start of every read and write of a list and to true when an array
// index was out of range; the interpreters read it right after a failed access.
extern bool Variable_ArrayError;

// Whether reading a variable that was never set fails (on) or reads as 0 (off, default): the
// game option Option_UnsetVariables.
void Variable_SetUnsetVariablesOption(bool on);
bool Variable_UnsetVariablesOption();

// The name of a variable id, used by the dump form and the access messages: the compiler's
// names (Code_Variable_Name) unless another lookup is installed (null puts them back).
using VariableNameFunction = std::string (*)(int32_t id);
void Variable_SetNameFunction(VariableNameFunction function);
std::string Variable_Name(int32_t id);

// Spare nodes shared by all lists: a cleared list hands its nodes back here and new nodes
// are taken from here before anything is allocated.
size_t Variable_FreeNodeCount();

class CVariableList {
 public:
  static constexpr int kBucketCount = 64;

  CVariableList() { first_.id = kNoId; }
  ~CVariableList();
  CVariableList(const CVariableList&) = delete;
  CVariableList& operator=(const CVariableList&) = delete;

  // Releases every value and array and hands the nodes to the spare stack.
  void Clear();
  // Reads id at index into out. An unknown id reads as the real 0 (true) unless the
  // unset-variables option is on (false, out untouched). An index outside the array
  // fails with the array-error flag and out the real 0.
  bool Get(int32_t id, int32_t index, ScriptValue& out) const;
  // Stores a copy of value. A row past the last one adds empty rows up to it and a column
  // past a row's end lengthens that row; a negative row or column sets the array-error
  // flag, stores nothing and answers false.
  bool Set(int32_t id, int32_t index, const ScriptValue& value);
  // Get and Set for a caller that reaches one id in one list after another: the node is
  // looked for as FindNodeFrom looks for it, from the place hint.
  bool Get(int32_t id, int32_t index, ScriptValue& out, int32_t& hint) const {
    Variable_ArrayError = false;
    return Read(FindNodeFrom(id, hint), index, out);
  }
  bool Set(int32_t id, int32_t index, const ScriptValue& value, int32_t& hint) {
    Variable_ArrayError = false;
    return Write(FindNodeFrom(id, hint), id, index, value);
  }
  // Adds id with the real 0 when it is not there yet.
  void Declare(int32_t id);
  // Becomes a deep copy of source.
  void CopyFrom(const CVariableList& source);

  // The variable-list section of a saved game (tag 442).
  void Save(SaveWriter& out) const;
  // Reads a section (tags 442, 440 or 441) and merges it in: stored variables replace or
  // join those of the list, the others keep their values. A damaged or unknown section is
  // refused as a whole (false) and leaves the list unchanged.
  bool Load(SaveReader& in);
  // The same through the byte stream, at its position (which a refused load leaves alone).
  void Save(CStream& stream) const;
  bool Load(CStream& stream);
  // Writes each node in its dump form to the debug console, then puts it into the list:
  // a variable already there takes the stored value and arrays, the others join.
  void Merge(std::vector<VariableNode> nodes);
  // Every variable in its dump form, bucket by bucket.
  void Dump(tagIConsole& console) const;

  int32_t Count() const { return count_; }
  // The node of id, or null. A node stays where it is until the list is cleared.
  const VariableNode* FindNode(int32_t id) const {
    if (first_.id == id && id != kNoId) return &first_;
    return FindListed(id);
  }
  // FindNode for a caller that looks one id up in one list after another: the node at place
  // hint is tried first, and hint is left at the place the node was found. A list holds an id
  // once, so the node found is the one FindNode finds.
  const VariableNode* FindNodeFrom(int32_t id, int32_t& hint) const {
    if (first_.id == id && id != kNoId) return &first_;
    const auto at = static_cast<size_t>(static_cast<uint32_t>(hint));
    if (at < nodes_.size() && nodes_[at]->id == id) return nodes_[at];
    return FindNodeAndPlace(id, hint);
  }
  VariableNode* FindNodeFrom(int32_t id, int32_t& hint) {
    return const_cast<VariableNode*>(std::as_const(*this).FindNodeFrom(id, hint));
  }

  // Visits the nodes in bucket order: bucket 0 to 63, each chain from its newest node.
  template <typename Visitor>
  void ForEachNode(Visitor&& visit) const {
    for (size_t end = 0; end < nodes_.size();) {
      const size_t start = end;
      const uint32_t bucket = BucketOf(nodes_[start]->id);
      while (end < nodes_.size() && BucketOf(nodes_[end]->id) == bucket) ++end;
      for (size_t at = end; at-- > start;) visit(*nodes_[at]);
    }
  }

 private:
  // The id of the inline node while it holds no variable.
  static constexpr int32_t kNoId = INT32_MIN;

  static uint32_t BucketOf(int32_t id) { return static_cast<uint32_t>(id) & (kBucketCount - 1); }
  // Get and Set once the node of id has been looked for (null: the list has no such id).
  static bool Read(const VariableNode* node, int32_t index, ScriptValue& out);
  bool Write(VariableNode* node, int32_t id, int32_t index, const ScriptValue& value);
  const VariableNode* FindListed(int32_t id) const;
  const VariableNode* FindNodeAndPlace(int32_t id, int32_t& place) const;
  VariableNode* Find(int32_t id);
  // A new node for id (the inline one while it is free), in its bucket's chain.
  VariableNode& Link(int32_t id);

  // The first variable of the list lives in the list itself (beside its owner's fields, without
  // an allocation of its own); its id is kNoId while it is free.
  VariableNode first_;
  // Every bucket's chain, bucket after bucket, each chain oldest first: one short array
  // instead of 64 chains, as most lists hold a handful of variables. The list owns every node
  // here but first_, which may stand anywhere in it.
  std::vector<VariableNode*> nodes_;
  int32_t count_ = 0;
};

// Reads a variable-list section (tags 442, 440 or 441) without applying it; writes the
// line of 45 '!' to the debug console first. False for a damaged section or another tag.
bool Variable_ReadListSection(SaveReader& in, std::vector<VariableNode>& nodes);

// The dump form of one variable, without its line break: "name = value", or for a
// variable with an array "name = { { a ,b},  { },   }".
std::string Variable_DumpForm(const VariableNode& node);
