#include "script/variable_errors.h"

#include "platform/conversions.h"
#include "script/variable_list.h"

const char* Variable_BuildArrayIndex(std::span<const ScriptValue> subscripts, int32_t& index) {
  index = 0;
  if (subscripts.size() > 2) return "Only 1- and 2-dimensional arrays are supported.";
  for (const ScriptValue& subscript : subscripts) {
    if (!subscript.IsReal()) return "Wrong type of array index";
    int32_t part = Conv_RoundToInt32(subscript.real);
    if (part < 0) return "Negative array index";
    if (part >= kArrayRowStride) return "Array index >= 32000";
    index = index * kArrayRowStride + part;
  }
  return nullptr;
}

std::string Variable_UnknownText(int32_t id, int32_t index) {
  std::string text = "Unknown variable " + Variable_Name(id);
  if (index != 0) text += " or array index out of bounds";
  return text;
}

std::string Variable_PushErrorText(int32_t id) {
  return (Variable_ArrayError ? "Push :: Execution Error - Variable Index out of range "
                              : "Push :: Execution Error - Variable Get ") +
         Variable_Name(id);
}

std::string Variable_PopErrorText(int32_t id, bool writeFailed) {
  return (writeFailed ? "Pop :: Execution Error - Variable set problem "
                      : "Pop :: Execution Error - Variable index out of range ") +
         Variable_Name(id);
}
