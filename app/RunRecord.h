#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace app {

// The record of an update run in progress: a small file beside the database that names the
// backup holding the database's contents from before the run. It exists only while the run may
// have changed the database, so finding it at a later start means the run was interrupted.

// The record's file for a database file: beside it, named after it.
[[nodiscard]] std::string RunRecordFile(const std::string& ADataBaseFile);

// The record's content for a backup in the database's folder.
[[nodiscard]] std::string FormatRunRecord(const std::string& ABackupName);

// The backup's file name from a record's content; none when the content is not such a record
// or names anything but a plain file name (a record never leads outside the database's folder).
[[nodiscard]] std::optional<std::string> ParseRunRecord(std::string_view AContent);

}  // namespace app
