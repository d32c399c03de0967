// make-demo-db PATH: creates a demo database of the client application at PATH, to try the
// wizard on. An existing file is never touched.

#include <clocale>
#include <filesystem>
#include <iostream>

#include "db/IBDatabase.h"
#include "platform/Exception.h"
#include "tools/DemoDatabase.h"

int main(int argc, char* argv[]) {
  // The path crosses to the client library in the locale's character set.
  std::setlocale(LC_ALL, "");
  if (argc != 2) {
    std::cerr << "usage: make-demo-db PATH\n"
                 "Creates a client database of version 1.2.1 at PATH (the file must not exist).\n";
    return 2;
  }
  const std::string Path = argv[1];
  std::error_code Error;
  const std::filesystem::file_status Status = std::filesystem::symlink_status(Path, Error);
  if (std::filesystem::exists(Status)) {
    std::cerr << "make-demo-db: " << Path << " already exists; not overwriting it\n";
    return 1;
  }
  if (Status.type() != std::filesystem::file_type::not_found) {
    std::cerr << "make-demo-db: cannot check " << Path << ": " << Error.message() << "\n";
    return 1;
  }
  try {
    demodb::CreateDemoDatabase(db::TIBClientLibrary::Load(), Path);
  } catch (const std::exception& AError) {
    std::cerr << "make-demo-db: cannot create " << Path << ": "
              << platform::ExceptionClassName(AError) << ": " << AError.what() << "\n";
    return 1;
  }
  std::cout << Path << "\n";
  return 0;
}
