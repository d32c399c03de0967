#pragma once

#include <array>
#include <string>
#include <vector>

#include "db/FbApi.h"

namespace db {

using TApi = TIBClientLibrary::TApi;

// The status vector that every entry point fills in.
class TStatusVector {
public:
  [[nodiscard]] ISC_STATUS* Data() { return FVector.data(); }
  [[nodiscard]] const ISC_STATUS* Data() const { return FVector.data(); }
  [[nodiscard]] bool Failed() const { return FVector[0] == isc_arg_gds && FVector[1] != 0; }

private:
  std::array<ISC_STATUS, ISC_STATUS_LENGTH> FVector{};
};

// The message of a server-reported error: the entries' texts joined by CR LF, with one final
// full stop removed (the box shows it as a sentence of its own).
[[nodiscard]] std::string JoinStatusTexts(const std::vector<std::string>& ATexts);

// Throws EIBInterBaseError (EIBInterBaseRoleError for SQL code -551) built from a failed
// call's status vector, read once, here.
[[noreturn]] void RaiseIBError(const TApi& AApi, const TStatusVector& AStatus);

// Calls an entry point with a fresh status vector and throws the library's error when it
// failed. Returns what the entry point returned (isc_dsql_fetch answers 100 at the end).
template <typename TFunction, typename... TArgs>
ISC_STATUS CallChecked(const TApi& AApi, TFunction AFunction, TArgs... AArgs) {
  TStatusVector Status;
  const ISC_STATUS Result = AFunction(Status.Data(), AArgs...);
  if (Status.Failed()) {
    RaiseIBError(AApi, Status);
  }
  return Result;
}

// The same for clean-up paths that must not throw: true when the call succeeded.
template <typename TFunction, typename... TArgs>
bool CallQuietly(TFunction AFunction, TArgs... AArgs) noexcept {
  TStatusVector Status;
  AFunction(Status.Data(), AArgs...);
  return !Status.Failed();
}

// Reads one integer item of an information answer (database or statement info): the item's
// code, a two-byte length, then the value, all in the library's portable byte order.
[[nodiscard]] bool ReadInfoInteger(const TApi& AApi, const std::vector<char>& AAnswer, char AItem,
                                   long& AValue);

}  // namespace db
