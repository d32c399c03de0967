#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "db/IBDatabase.h"
#include "testsupport/FixtureDatabase.h"
#include "testsupport/TempFolder.h"

namespace dbtest {

// A fresh demo database in a folder of its own, and a connection to it set up the way the
// wizard sets up its own (open it with OpenDemo).
class DemoDatabaseTest : public ::testing::Test {
protected:
  void OpenDemo() {
    Database.SetLoginPrompt(false);
    Database.SetDatabaseName(Path);
    Database.Params().assign({"user_name=SYSDBA"});
    Database.Open();
  }

  testsupport::TTempFolder Folder;
  std::shared_ptr<const db::TIBClientLibrary> Library = testsupport::ClientLibrary();
  std::string Path = testsupport::MakeDemoDatabase(Folder);
  db::TIBDatabase Database{Library};
};

}  // namespace dbtest
