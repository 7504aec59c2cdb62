// The saved-game sections of variable lists and globals written to and read from a CStream.
#include <functional>

#include "platform/stream.h"
#include "script/global_variables.h"
#include "script/save_bytes.h"
#include "script/variable_list.h"

namespace {

void WriteTo(CStream& stream, const SaveWriter& out) {
  const auto& bytes = out.Bytes();
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

// Reads from the stream's position up to its end; the position moves past what was read
// only when the read worked.
bool ReadFrom(CStream& stream, const std::function<bool(SaveReader&)>& read) {
  int64_t position = stream.GetPosition();
  int64_t size = stream.GetSize();
  if (position < 0 || position > size || stream.GetBuffer() == nullptr) return false;
  SaveReader in(stream.GetBuffer() + position, static_cast<size_t>(size - position));
  if (!read(in)) return false;
  stream.SetPosition(position + static_cast<int64_t>(in.Position()));
  return true;
}

}  // namespace

void CVariableList::Save(CStream& stream) const {
  SaveWriter out;
  Save(out);
  WriteTo(stream, out);
}

bool CVariableList::Load(CStream& stream) {
  return ReadFrom(stream, [this](SaveReader& in) { return Load(in); });
}

void Variable_Global_Save(CStream& stream) {
  SaveWriter out;
  Variable_Global_Save(out);
  WriteTo(stream, out);
}

bool Variable_Global_Load(CStream& stream) {
  return ReadFrom(stream, [](SaveReader& in) { return Variable_Global_Load(in); });
}

bool Variable_Global_Read(CStream& stream, GlobalsSection& section) {
  return ReadFrom(stream, [&section](SaveReader& in) { return Variable_Global_Read(in, section); });
}
