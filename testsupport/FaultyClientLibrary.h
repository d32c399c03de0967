#pragma once

#include <memory>

#include "db/IBDatabase.h"

namespace testsupport {

// Calls of the client library that a test can make fail with an engine error.
enum class TClientCall { StartTransaction, CommitTransaction, DetachDatabase };

// Whether the failing call does nothing, or does its work and still reports the error.
enum class TClientFailure { Before, After };

// The real client library, of which the AFailingCall-th call (counted from 1) of ACall fails
// with "lock conflict on no wait transaction". One such library at a time: the count is kept
// for the process.
[[nodiscard]] std::shared_ptr<const db::TIBClientLibrary> FaultyClientLibrary(TClientCall ACall, int AFailingCall,
                                                                             TClientFailure AFailure);

}  // namespace testsupport
