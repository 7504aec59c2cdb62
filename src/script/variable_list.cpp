#include "script/variable_list.h"

#include <algorithm>
#include <utility>

#include "data/game_options.h"
#include "platform/console.h"
#include "script/compiler/user_variables.h"
#include "script/save_bytes.h"

bool Variable_ArrayError = false;

namespace {

VariableNameFunction g_NameFunction = nullptr;

// The spare-node stack lives in a function-local static; lists destroyed after it (static
// lists of other files at exit) see the flag and simply delete their nodes.
constinit bool g_FreeNodesGone = false;

struct FreeNodeStack {
  std::vector<std::unique_ptr<VariableNode>> nodes;
  ~FreeNodeStack() { g_FreeNodesGone = true; }
};

FreeNodeStack& FreeNodes() {
  static FreeNodeStack stack;
  return stack;
}

std::unique_ptr<VariableNode> TakeNode(int32_t id) {
  std::unique_ptr<VariableNode> node;
  if (!g_FreeNodesGone && !FreeNodes().nodes.empty()) {
    node = std::move(FreeNodes().nodes.back());
    FreeNodes().nodes.pop_back();
  } else {
    node = std::make_unique<VariableNode>();
  }
  node->id = id;
  return node;
}

// Drops a node's value and arrays (their memory too).
void EmptyNode(VariableNode& node) {
  node.value = ScriptValue();
  node.rows.clear();
  node.rows.shrink_to_fit();
}

void ReleaseNode(std::unique_ptr<VariableNode> node) {
  EmptyNode(*node);
  if (!g_FreeNodesGone) FreeNodes().nodes.push_back(std::move(node));
}

// index = row * 32000 + column, split by truncating division.
void SplitIndex(int32_t index, int32_t& row, int32_t& column) {
  row = index / kArrayRowStride;
  column = index - row * kArrayRowStride;
}

}  // namespace

void Variable_SetUnsetVariablesOption(bool on) { Option_UnsetVariables = on; }
bool Variable_UnsetVariablesOption() { return Option_UnsetVariables; }

void Variable_SetNameFunction(VariableNameFunction function) { g_NameFunction = function; }

std::string Variable_Name(int32_t id) {
  return g_NameFunction ? g_NameFunction(id) : Code_Variable_Name(id);
}

size_t Variable_FreeNodeCount() { return !g_FreeNodesGone ? FreeNodes().nodes.size() : 0; }

CVariableList::~CVariableList() { Clear(); }

void CVariableList::Clear() {
  for (VariableNode* node : nodes_) {
    if (node != &first_) ReleaseNode(std::unique_ptr<VariableNode>(node));
  }
  nodes_.clear();
  count_ = 0;
  if (first_.id != kNoId) {
    first_.id = kNoId;
    EmptyNode(first_);
  }
}

const VariableNode* CVariableList::FindListed(int32_t id) const {
  // A short list is searched whole; a long one in its bucket's chain only. Either way the
  // newest node of the id is found first.
  constexpr size_t kShortList = 16;
  auto begin = nodes_.begin(), end = nodes_.end();
  if (nodes_.size() > kShortList) {
    const uint32_t bucket = BucketOf(id);
    begin = std::partition_point(begin, end, [&](const auto& n) { return BucketOf(n->id) < bucket; });
    end = std::partition_point(begin, end, [&](const auto& n) { return BucketOf(n->id) <= bucket; });
  }
  for (auto it = end; it != begin;) {
    --it;
    if ((*it)->id == id) return *it;
  }
  return nullptr;
}

const VariableNode* CVariableList::FindNodeAndPlace(int32_t id, int32_t& place) const {
  const VariableNode* node = FindNode(id);
  if (node != nullptr) {
    for (size_t at = 0; at < nodes_.size(); ++at) {
      if (nodes_[at] == node) {
        place = static_cast<int32_t>(at);
        break;
      }
    }
  }
  return node;
}

VariableNode* CVariableList::Find(int32_t id) {
  return const_cast<VariableNode*>(std::as_const(*this).FindNode(id));
}

VariableNode& CVariableList::Link(int32_t id) {
  const uint32_t bucket = BucketOf(id);
  const auto at = std::partition_point(nodes_.begin(), nodes_.end(),
                                       [&](const auto& n) { return BucketOf(n->id) <= bucket; });
  std::unique_ptr<VariableNode> owned;
  VariableNode* node = &first_;
  if (first_.id != kNoId || id == kNoId) {
    owned = TakeNode(id);
    node = owned.get();
  }
  nodes_.insert(at, node);
  owned.release();
  node->id = id;
  ++count_;
  return *node;
}

bool CVariableList::Get(int32_t id, int32_t index, ScriptValue& out) const {
  Variable_ArrayError = false;
  return Read(FindNode(id), index, out);
}

bool CVariableList::Read(const VariableNode* node, int32_t index, ScriptValue& out) {
  if (node == nullptr) {
    if (Option_UnsetVariables) return false;
    out.SetReal(0.0);
    return true;
  }
  if (index == 0) {
    ScriptValue_Copy(out, node->value);
    return true;
  }
  int32_t row, column;
  SplitIndex(index, row, column);
  if (row >= 0 && static_cast<size_t>(row) < node->rows.size()) {
    const auto& items = node->rows[static_cast<size_t>(row)].items;
    if (column >= 0 && static_cast<size_t>(column) < items.size()) {
      ScriptValue_Copy(out, items[static_cast<size_t>(column)]);
      return true;
    }
  }
  Variable_ArrayError = true;
  out.SetReal(0.0);
  return false;
}

bool CVariableList::Set(int32_t id, int32_t index, const ScriptValue& value) {
  Variable_ArrayError = false;
  return Write(Find(id), id, index, value);
}

bool CVariableList::Write(VariableNode* node, int32_t id, int32_t index, const ScriptValue& value) {
  if (node == nullptr) node = &Link(id);
  if (index == 0) {
    ScriptValue_Copy(node->value, value);
    return true;
  }
  int32_t row, column;
  SplitIndex(index, row, column);
  if (row >= 0 && static_cast<size_t>(row) >= node->rows.size()) {
    node->rows.resize(static_cast<size_t>(row) + 1);
  }
  if (row < 0 || column < 0) {
    Variable_ArrayError = true;
    return false;
  }
  ScriptValue_Copy(node->rows[static_cast<size_t>(row)].At(static_cast<size_t>(column)), value);
  return true;
}

void CVariableList::Declare(int32_t id) {
  if (Find(id) == nullptr) Link(id);
}

void CVariableList::CopyFrom(const CVariableList& source) {
  if (&source == this) return;
  Clear();
  // Chains are copied oldest first so that the copy keeps the source's order.
  nodes_.reserve(source.nodes_.size());
  for (const VariableNode* from : source.nodes_) {
    VariableNode* node = &first_;
    if (first_.id == kNoId && from->id != kNoId) {
      first_.id = from->id;
    } else {
      node = TakeNode(from->id).release();
    }
    nodes_.push_back(node);
    node->value = from->value;
    node->rows = from->rows;
  }
  count_ = source.count_;
}

namespace {

bool ReadRows(SaveReader& in, VariableNode& node) {
  int32_t rowCount = 0;
  if (!in.ReadInteger(rowCount) || !in.CanHold(rowCount, 4)) return false;
  node.rows.resize(static_cast<size_t>(rowCount));
  for (auto& row : node.rows) {
    int32_t itemCount = 0;
    if (!in.ReadInteger(itemCount) || !in.CanHold(itemCount, kStoredValueMinBytes)) return false;
    row.items.resize(static_cast<size_t>(itemCount));
    for (auto& item : row.items) {
      if (!in.ReadValue(item)) return false;
    }
  }
  return true;
}

// The older form: one size word; every row gets the same number of items.
bool ReadRectangularRows(SaveReader& in, VariableNode& node) {
  int32_t size = 0;
  if (!in.ReadInteger(size) || size < 0) return false;
  int32_t rows, columns;
  SplitIndex(size, rows, columns);
  if (!in.CanHold(int64_t{rows} * columns, kStoredValueMinBytes)) return false;
  node.rows.resize(static_cast<size_t>(rows));
  for (auto& row : node.rows) {
    row.items.resize(static_cast<size_t>(columns));
    for (auto& item : row.items) {
      if (!in.ReadValue(item)) return false;
    }
  }
  return true;
}

}  // namespace

void CVariableList::Save(SaveWriter& out) const {
  out.WriteInteger(kVariableListTag);
  out.WriteInteger(count_);
  ForEachNode([&out](const VariableNode& node) {
    out.WriteInteger(node.id);
    out.WriteValue(node.value);
    out.WriteInteger(static_cast<int32_t>(node.rows.size()));
    for (const auto& row : node.rows) {
      out.WriteInteger(static_cast<int32_t>(row.items.size()));
      for (const auto& item : row.items) out.WriteValue(item);
    }
  });
}

bool Variable_ReadListSection(SaveReader& in, std::vector<VariableNode>& nodes) {
  g_DebugConsole->Output("%s\n", std::string(45, '!').c_str());
  int32_t tag = 0;
  if (!in.ReadInteger(tag)) return false;
  if (tag != kVariableListTag && tag != kVariableListTagOld &&
      tag != kVariableListTagRectangular) {
    return false;
  }
  int32_t count = 0;
  if (!in.ReadInteger(count) || !in.CanHold(count, 4 + kStoredValueMinBytes + 4)) return false;
  std::vector<VariableNode> loaded(static_cast<size_t>(count));
  for (auto& node : loaded) {
    if (!in.ReadInteger(node.id) || !in.ReadValue(node.value)) return false;
    bool rowsRead = tag == kVariableListTagRectangular ? ReadRectangularRows(in, node)
                                                       : ReadRows(in, node);
    if (!rowsRead) return false;
  }
  nodes = std::move(loaded);
  return true;
}

void CVariableList::Merge(std::vector<VariableNode> nodes) {
  for (const auto& node : nodes) g_DebugConsole->Output("%s\n", Variable_DumpForm(node).c_str());
  // New nodes are linked from the last one read, so a section loaded into an empty list
  // saves back byte for byte.
  for (auto it = nodes.rbegin(); it != nodes.rend(); ++it) {
    VariableNode* target = Find(it->id);
    if (target == nullptr) target = &Link(it->id);
    target->value = std::move(it->value);
    target->rows = std::move(it->rows);
  }
}

bool CVariableList::Load(SaveReader& in) {
  std::vector<VariableNode> nodes;
  if (!Variable_ReadListSection(in, nodes)) return false;
  Merge(std::move(nodes));
  return true;
}

std::string Variable_DumpForm(const VariableNode& node) {
  std::string form = Variable_Name(node.id) + " = ";
  if (node.rows.empty()) return form + ScriptValue_PrintForm(node.value);
  form += "{ ";
  for (const auto& row : node.rows) {
    form += "{ ";
    for (size_t i = 0; i < row.items.size(); ++i) {
      if (i > 0) form += " ,";
      form += ScriptValue_PrintForm(row.items[i]);
    }
    form += "},  ";
  }
  return form + " }";
}

void CVariableList::Dump(tagIConsole& console) const {
  ForEachNode([&console](const VariableNode& node) {
    console.Output("%s\n", Variable_DumpForm(node).c_str());
  });
}
