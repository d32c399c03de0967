#pragma once

#include <array>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/WizardScreen.h"
#include "app/ufrmMain.h"
#include "app/win/WinHandles.h"

namespace app {

// The controls' identifiers (GetDlgCtrlID), one each, unique in the whole window. They start
// above IDOK and IDCANCEL, which the dialog manager sends for Enter and Escape.
enum class TControlId : int {
  UpdateLogo_Image = 100,
  UpdatePages_Notebook,
  Info_Page,  // the notebook's pages "INFO", "SELECTDB" and "UPDATE"
  SelectDB_Page,
  Update_Page,
  AppTitle_Label,
  DBVersionInfo_Label,
  SelectDB_Label,
  SelectDB_ButtonEdit,
  SelectDB_Edit,
  SelectDB_EllipsisButton,
  UpdateLog_Label,
  Backup_ProgressBar,
  UpdateLog_Memo,
  UpdateTools_Panel,
  UpdateTools_Bevel,
  Next_Button,
  Cancel_Button,
  DebugMode_Label,
};

// The wizard window in plain Win32: the controls the user sees, laid out at fixed places, and
// the bridge between them and the wizard logic of TfrmMain. Window class "frmMain".
class TfrmMainWindow final : public TWizardScreen {
public:
  explicit TfrmMainWindow(TWizardEnvironment AEnvironment);
  ~TfrmMainWindow() override;
  TfrmMainWindow(const TfrmMainWindow&) = delete;
  TfrmMainWindow& operator=(const TfrmMainWindow&) = delete;

  // True when start-up ended the application (unusable package): the window is never shown.
  [[nodiscard]] bool Terminated() const { return FTerminated; }
  [[nodiscard]] TfrmMain& Wizard() { return *FWizard; }
  // The window; none once it has been destroyed (closed).
  [[nodiscard]] HWND__* Handle() const { return FHandle.get(); }
  // Shows the window and runs the message loop until the application ends; the exit status.
  int Run();

  // TWizardScreen
  void SetActivePage(int APageIndex) override;
  [[nodiscard]] int ActivePage() const override;
  void SetNextEnabled(bool AEnabled) override;
  void SetLabelText(TWizardLabel ALabel, const std::string& AText) override;
  void SetTitleFont(int APointsLarger, bool ABold) override;
  void SetDBFileText(const std::string& AText) override;
  void SetCancelCaption(const std::string& ACaption) override;
  [[nodiscard]] std::optional<std::string> RunOpenDialog() override;
  TModalResult ShowMessageBox(const TMessageBox& ABox) override;
  void AppendLogLine(const std::string& ALine) override;
  void ShowProgress(std::uint64_t ADone, std::uint64_t ATotal) override;
  void HideProgress() override;
  void ProcessMessages() override;
  void CloseWindow() override;
  void Terminate() override;
  [[nodiscard]] TLocaleTimeSettings ReadLocaleTimeSettings() const override;

private:
  // The window procedure and the message loop's helpers, in the implementation file: they
  // speak in Windows' own types.
  friend class TWindowMessages;

  void CreateControls();
  void CreateInfoPage();
  void CreateSelectDBPage();
  void CreateUpdatePage();
  void CreateToolsPanel();
  void LoadLogo();
  // Gives a label the height (word-wrapped ones) or the size (the others) its text needs.
  void FitLabel(HWND__* ALabel, bool AWrapped);
  // Keeps the keyboard usable: the focus on a visible, enabled control of the window.
  void KeepFocusInside();

  // Declared first: COM (the picture decoder, the file dialog's shell objects) outlives the rest.
  win::TComApartment FComApartment;
  win::TFont FFont;
  win::TFont FTitleFont;
  win::TBitmap FLogo;
  int FFontPoints = 8;
  // Declared after the fonts and the picture, so that the controls using them go first.
  win::TWindow FHandle;

  HWND__* UpdateLogo_Image = nullptr;
  HWND__* UpdatePages_Notebook = nullptr;
  std::array<HWND__*, 3> FPages{};  // INFO, SELECTDB, UPDATE
  HWND__* AppTitle_Label = nullptr;
  HWND__* DBVersionInfo_Label = nullptr;
  HWND__* SelectDB_Label = nullptr;
  HWND__* SelectDB_ButtonEdit = nullptr;
  HWND__* SelectDB_Edit = nullptr;
  HWND__* SelectDB_EllipsisButton = nullptr;
  HWND__* UpdateLog_Label = nullptr;
  HWND__* Backup_ProgressBar = nullptr;
  HWND__* UpdateLog_Memo = nullptr;
  HWND__* UpdateTools_Panel = nullptr;
  HWND__* Next_Button = nullptr;
  HWND__* Cancel_Button = nullptr;
  HWND__* DebugMode_Label = nullptr;

  int FActivePage = 0;
  HWND__* FSavedFocus = nullptr;  // the control that had the focus when the window went inactive
  bool FTerminated = false;
  bool FRunning = false;  // the message loop of Run() is turning
  int FOpenBoxes = 0;     // boxes of the wizard's on the screen
  // An exception that left a message handler: carried over the system's code that called the
  // handler and rethrown by the loop that dispatched the message.
  std::exception_ptr FPendingError;
  std::unique_ptr<TfrmMain> FWizard;
};

// Starts the program: loads the client library, creates the window and runs the message loop.
// Returns the exit status.
struct TStartOptions {
  const package::TResourceSource& Resources;
  std::vector<std::string> Arguments;  // without the program's own name
  std::string ExecutablePath;
  std::vector<std::string> ClientLibraryNames = db::ClientLibraryNames;
};
int RunWizard(const TStartOptions& AOptions);

// The window over a loaded (or, in tests, absent) client library until the application ends;
// the exit status.
int RunWindow(TWizardEnvironment AEnvironment);

// The program: the command line and the executable's path from Windows, then the wizard.
int RunProgram(const package::TResourceSource& AResources);

}  // namespace app
