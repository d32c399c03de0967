#include "testsupport/FaultyClientLibrary.h"

#include "db/FbApi.h"
#include "testsupport/FixtureDatabase.h"

namespace testsupport {
namespace {

// The entry points are plain C functions, so the fault's state cannot travel with them.
struct TFault {
  TClientCall Call = TClientCall::StartTransaction;
  int FailingCall = 0;
  TClientFailure Failure = TClientFailure::Before;
  int Calls = 0;
  db::TIBClientLibrary::TApi Real;
};

TFault& Fault() {
  static TFault Instance;
  return Instance;
}

// Counts a call of ACall; true when this one is to fail.
bool FailsNow(TClientCall ACall) { return Fault().Call == ACall && ++Fault().Calls == Fault().FailingCall; }

ISC_STATUS Failed(ISC_STATUS* AStatus) {
  AStatus[0] = isc_arg_gds;
  AStatus[1] = isc_lock_conflict;
  AStatus[2] = isc_arg_end;
  return AStatus[1];
}

template <typename TCall>
ISC_STATUS Act(TClientCall ACall, ISC_STATUS* AStatus, TCall ARealCall) {
  if (!FailsNow(ACall)) {
    return ARealCall();
  }
  if (Fault().Failure == TClientFailure::After) {
    (void)ARealCall();
  }
  return Failed(AStatus);
}

ISC_STATUS ISC_EXPORT StartMultiple(ISC_STATUS* AStatus, isc_tr_handle* ATransaction, short ACount,
                                           void* ABlocks) {
  return Act(TClientCall::StartTransaction, AStatus,
             [&] { return Fault().Real.isc_start_multiple(AStatus, ATransaction, ACount, ABlocks); });
}

ISC_STATUS ISC_EXPORT Commit(ISC_STATUS* AStatus, isc_tr_handle* ATransaction) {
  return Act(TClientCall::CommitTransaction, AStatus,
             [&] { return Fault().Real.isc_commit_transaction(AStatus, ATransaction); });
}

ISC_STATUS ISC_EXPORT Detach(ISC_STATUS* AStatus, isc_db_handle* ADatabase) {
  return Act(TClientCall::DetachDatabase, AStatus,
             [&] { return Fault().Real.isc_detach_database(AStatus, ADatabase); });
}

}  // namespace

std::shared_ptr<const db::TIBClientLibrary> FaultyClientLibrary(TClientCall ACall, int AFailingCall,
                                                                TClientFailure AFailure) {
  auto Api = std::make_unique<db::TIBClientLibrary::TApi>(ClientLibrary()->Api());
  Fault() = TFault{ACall, AFailingCall, AFailure, 0, *Api};
  Api->isc_start_multiple = StartMultiple;
  Api->isc_commit_transaction = Commit;
  Api->isc_detach_database = Detach;
  return std::make_shared<const db::TIBClientLibrary>(std::move(Api));
}

}  // namespace testsupport
