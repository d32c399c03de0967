#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

// Paths are UTF-8 in the tests as in the program; a std::filesystem path's narrow string is the
// ANSI code page on Windows, so paths cross over only through these two.
[[nodiscard]] std::filesystem::path PathOf(const std::string& AUtf8Path);
[[nodiscard]] std::string Utf8Of(const std::filesystem::path& APath);

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
