#include "app/RunRecord.h"

namespace app {
namespace {

constexpr std::string_view SRecordSuffix = ".update-in-progress";
constexpr std::string_view SRecordHeader = "dbupdate: an update of this database is in progress\n";
constexpr std::string_view SBackupKey = "backup=";

bool IsPlainFileName(std::string_view AName) {
  return !AName.empty() && AName != "." && AName != ".." && AName.find_first_of(std::string_view("/\\:\0", 4)) == std::string_view::npos;
}

}  // namespace

std::string RunRecordFile(const std::string& ADataBaseFile) { return ADataBaseFile + std::string(SRecordSuffix); }

std::string FormatRunRecord(const std::string& ABackupName) {
  return std::string(SRecordHeader) + std::string(SBackupKey) + ABackupName + "\n";
}

std::optional<std::string> ParseRunRecord(std::string_view AContent) {
  if (!AContent.starts_with(SRecordHeader)) {
    return std::nullopt;
  }
  std::string_view Rest = AContent.substr(SRecordHeader.size());
  if (!Rest.starts_with(SBackupKey)) {
    return std::nullopt;
  }
  Rest.remove_prefix(SBackupKey.size());
  const auto LineEnd = Rest.find('\n');
  if (LineEnd == std::string_view::npos) {
    return std::nullopt;  // cut short: not a record this program wrote
  }
  const std::string_view Name = Rest.substr(0, LineEnd);
  if (!IsPlainFileName(Name)) {
    return std::nullopt;
  }
  return std::string(Name);
}

}  // namespace app
