#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes.
class TTempFolder {
public:
  TTempFolder();
  ~TTempFolder();
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  [[nodiscard]] const std::filesystem::path& Path() const { return FPath; }
  // The full path of a file in the folder.
  [[nodiscard]] std::string File(const std::string& AName) const;

private:
  std::filesystem::path FPath;
};

}  // namespace testsupport
