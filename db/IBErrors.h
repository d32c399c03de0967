#pragma once

#include <string>

#include "platform/Exception.h"

namespace db {

// Errors of the database layer. Their class names are shown to the user as box captions.
class EIBError : public platform::EError {
public:
  EIBError(const std::string& AMessage, long ASQLCode = 0, long AIBErrorCode = 0)
      : platform::EError(AMessage), FSQLCode(ASQLCode), FIBErrorCode(AIBErrorCode) {}
  [[nodiscard]] long SQLCode() const { return FSQLCode; }
  [[nodiscard]] long IBErrorCode() const { return FIBErrorCode; }

private:
  long FSQLCode;
  long FIBErrorCode;
};

// An error that the client library or the server reported. The message is the library's text
// for each entry of the status vector, joined by CR LF, with one final full stop removed.
class EIBInterBaseError : public EIBError {
public:
  using EIBError::EIBError;
  [[nodiscard]] std::string ClassName() const override { return "EIBInterBaseError"; }
};

// The same, for SQL code -551 (no permission).
class EIBInterBaseRoleError : public EIBInterBaseError {
public:
  using EIBInterBaseError::EIBInterBaseError;
  [[nodiscard]] std::string ClassName() const override { return "EIBInterBaseRoleError"; }
};

// A check made by this layer before anything is sent to the library.
class EIBClientError : public EIBError {
public:
  using EIBError::EIBError;
  [[nodiscard]] std::string ClassName() const override { return "EIBClientError"; }
};

// Texts of the checks made before anything is sent.
inline constexpr const char* STransactionIsActive = "Transaction is active";
inline constexpr const char* STransactionNotActive = "Transaction is not active";
inline constexpr const char* SDatabaseClosed = "Cannot perform operation -- DB is not open";
inline constexpr const char* SDatabaseNameMissing = "Database name is missing";
inline constexpr const char* SDatabaseOpen = "Cannot perform operation -- DB is currently open";

}  // namespace db
