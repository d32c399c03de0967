#pragma once

#include <QWidget>

#include <memory>

#include "app/WizardScreen.h"
#include "app/ufrmMain.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QToolButton;
class QTranslator;
class QLocale;

namespace app {

// The wizard window: the controls the user sees, laid out at fixed places, and the bridge
// between them and the wizard logic of TfrmMain.
class TfrmMainWindow final : public QWidget, public TWizardScreen {
public:
  explicit TfrmMainWindow(TWizardEnvironment AEnvironment);
  ~TfrmMainWindow() override;

  // True when start-up ended the application (unusable package): the window is never shown.
  [[nodiscard]] bool Terminated() const { return FTerminated; }
  [[nodiscard]] TfrmMain& Wizard() { return *FWizard; }

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

protected:
  void closeEvent(QCloseEvent* AEvent) override;
  void changeEvent(QEvent* AEvent) override;
  void keyPressEvent(QKeyEvent* AEvent) override;

private:
  void CreateControls();
  QWidget* CreateInfoPage();
  QWidget* CreateSelectDBPage();
  QWidget* CreateUpdatePage();
  void CreateToolsPanel();
  QLabel* CreateWrappedLabel(QWidget* AParent, const char* AName, int ATop, const QString& AText);

  QLabel* UpdateLogo_Image = nullptr;
  QStackedWidget* UpdatePages_Notebook = nullptr;
  QLabel* AppTitle_Label = nullptr;
  QLabel* DBVersionInfo_Label = nullptr;
  QLabel* SelectDB_Label = nullptr;
  QWidget* SelectDB_ButtonEdit = nullptr;
  QLineEdit* SelectDB_Edit = nullptr;
  QToolButton* SelectDB_EllipsisButton = nullptr;
  QLabel* UpdateLog_Label = nullptr;
  QPlainTextEdit* UpdateLog_Memo = nullptr;
  QProgressBar* Backup_ProgressBar = nullptr;
  QFrame* UpdateTools_Panel = nullptr;
  QPushButton* Next_Button = nullptr;
  QPushButton* Cancel_Button = nullptr;
  QLabel* DebugMode_Label = nullptr;

  bool FTerminated = false;
  int FOpenBoxes = 0;  // boxes of the wizard's on the screen
  std::unique_ptr<TfrmMain> FWizard;
};

// Starts the program in the existing application object: loads the client library, creates the
// window and runs the message loop. Returns the exit status.
struct TStartOptions {
  const package::TResourceSource& Resources;
  std::vector<std::string> Arguments;  // without the program's own name
  std::string ExecutablePath;
  std::vector<std::string> ClientLibraryNames = db::ClientLibraryNames;
};
int RunWizard(const TStartOptions& AOptions);

// The program: the application object over the command line, then the wizard.
int RunProgram(int AArgc, char** AArgv, const package::TResourceSource& AResources);

// Loads Qt's own translation for ALocale (the standard dialogs' and buttons' texts) into the
// application; none when there is none for that language. It works while the object lives.
[[nodiscard]] std::unique_ptr<QTranslator> InstallToolkitTranslation(const QLocale& ALocale);

}  // namespace app
