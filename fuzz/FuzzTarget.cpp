// One libFuzzer target; DBUPDATE_FUZZ_PROPERTY names the property it checks.
#include <cstdlib>

#include "fuzz/FuzzProperties.h"

namespace {

void (*FindCheck())(fuzz::TInput) {
  for (const fuzz::TProperty& Property : fuzz::Properties()) {
    if (Property.FName == DBUPDATE_FUZZ_PROPERTY) return Property.FCheck;
  }
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
  static void (*const Check)(fuzz::TInput) = FindCheck();
  Check(fuzz::TInput(AData, ASize));
  return 0;
}
