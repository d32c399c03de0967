#include "db/IBCreate.h"

#include "db/IBHandles.h"
#include "db/IBStatus.h"
#include "db/QuotedLiteral.h"
#include "platform/TextCodec.h"

namespace db {

void CreateDatabase(const std::shared_ptr<const TIBClientLibrary>& ALibrary,
                    const std::string& APath, int ADialect) {
  const TApi& Api = ALibrary->Api();
  TAttachmentHandle Attachment(ALibrary);
  isc_tr_handle NoTransaction = 0;
  const std::string Statement =
      platform::Utf8ToAnsi("CREATE DATABASE " + QuotedLiteral(APath) + " USER 'SYSDBA'");
  CallChecked(Api, Api.isc_dsql_execute_immediate, Attachment.Get(), &NoTransaction,
              static_cast<unsigned short>(0), Statement.c_str(),
              static_cast<unsigned short>(ADialect), static_cast<const XSQLDA*>(nullptr));
  Attachment.Detach();
}

}  // namespace db
