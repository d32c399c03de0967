#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/UpdateLog.h"

namespace app {

enum class TMessageIcon { Error, Question, Information };
enum class TMessageButtons { Ok, YesNo };
enum class TModalResult { Ok, Yes, No };

// Who owns a message box. A box of the application disables the wizard window while it is
// shown; a box without an owner leaves the window usable. Both block the step that shows them.
enum class TMessageOwner { Application, None };

struct TMessageBox {
  std::string Text;
  std::optional<std::string> Caption;  // none: the system's default title
  TMessageIcon Icon = TMessageIcon::Error;
  TMessageButtons Buttons = TMessageButtons::Ok;  // Yes is the default button of Yes/No
  TMessageOwner Owner = TMessageOwner::Application;
};

enum class TWizardLabel { AppTitle, DBVersionInfo, DebugMode };

// What the wizard needs of the window toolkit. The Qt window implements it; tests use a fake.
class TWizardScreen {
public:
  virtual ~TWizardScreen() = default;

  virtual void SetActivePage(int APageIndex) = 0;
  [[nodiscard]] virtual int ActivePage() const = 0;
  virtual void SetNextEnabled(bool AEnabled) = 0;
  virtual void SetLabelText(TWizardLabel ALabel, const std::string& AText) = 0;
  // The title label's font: the window font enlarged by APointsLarger, bold or not.
  virtual void SetTitleFont(int APointsLarger, bool ABold) = 0;
  virtual void SetDBFileText(const std::string& AText) = 0;
  virtual void SetCancelCaption(const std::string& ACaption) = 0;
  // Runs the file-open dialog; the full path of the chosen file, or none when cancelled.
  [[nodiscard]] virtual std::optional<std::string> RunOpenDialog() = 0;
  virtual TModalResult ShowMessageBox(const TMessageBox& ABox) = 0;
  virtual void AppendLogLine(const std::string& ALine) = 0;
  // The progress bar of the update page: shown with ADone of ATotal, or hidden.
  virtual void ShowProgress(std::uint64_t ADone, std::uint64_t ATotal) = 0;
  virtual void HideProgress() = 0;
  // Lets the window repaint and answer the user in the middle of long work, as the message loop
  // would between two events.
  virtual void ProcessMessages() = 0;
  // Asks the window to close; closing goes through the wizard's close query.
  virtual void CloseWindow() = 0;
  // Ends the application without showing the window any further.
  virtual void Terminate() = 0;
  // The user's regional settings for dates and times, read now.
  [[nodiscard]] virtual TLocaleTimeSettings ReadLocaleTimeSettings() const = 0;
};

}  // namespace app
