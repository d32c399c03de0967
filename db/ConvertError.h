#pragma once

#include <string>

#include "platform/Exception.h"

namespace db {

// A column value that cannot be read as the type asked for. Not a database error: the value
// arrived, it just is not what the caller expected.
class EConvertError : public platform::EError {
public:
  using platform::EError::EError;
  [[nodiscard]] std::string ClassName() const override { return "EConvertError"; }
};

}  // namespace db
