#pragma once

#include <memory>
#include <string>

namespace platform {

// A shared library loaded at run time, unloaded when the last owner lets it go.
class TDynamicLibrary {
public:
  // Loads by bare file name through the system's search path; an empty object when that fails.
  [[nodiscard]] static TDynamicLibrary Load(const std::string& AFileName);

  [[nodiscard]] bool IsLoaded() const { return FHandle != nullptr; }
  [[nodiscard]] const std::string& FileName() const { return FFileName; }
  // The address of an exported symbol, or nullptr.
  [[nodiscard]] void* FindSymbol(const char* AName) const;

private:
  struct TCloser {
    void operator()(void* AHandle) const noexcept;
  };
  std::string FFileName;
  std::shared_ptr<void> FHandle;
};

}  // namespace platform
