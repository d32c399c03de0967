#pragma once

#include <string>
#include <string_view>

namespace db {

// AText as an SQL string literal: in single quotes, each quote inside doubled.
[[nodiscard]] inline std::string QuotedLiteral(std::string_view AText) {
  std::string Quoted = "'";
  for (const char C : AText) {
    Quoted += C;
    if (C == '\'') {
      Quoted += C;
    }
  }
  return Quoted + "'";
}

}  // namespace db
