#include "app/qt/ufrmMainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStackedWidget>
#include <QToolButton>
#include <QTranslator>

#include <algorithm>
#include <cstdint>

#include "app/ApplicationErrors.h"
#include "app/qt/LocaleSettings.h"
#include "platform/Exception.h"

// The window's pictures live in a static library, whose resources are not registered by
// themselves.
static void InitWindowResources() { Q_INIT_RESOURCE(resources); }

namespace app {
namespace {

constexpr int ClientWidth = 609;
constexpr int ClientHeight = 393;
constexpr int LabelWidth = 401;
constexpr int ProgressSteps = 1000;  // a file's size in bytes does not fit the bar's int range

QString ToQString(const std::string& AText) { return QString::fromUtf8(AText.data(), static_cast<qsizetype>(AText.size())); }

std::string ToStdString(const QString& AText) { return AText.toUtf8().toStdString(); }

}  // namespace

TfrmMainWindow::TfrmMainWindow(TWizardEnvironment AEnvironment)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  InitWindowResources();
  setObjectName("frmMain");
  setWindowTitle(QStringLiteral("Мастер обновления базы данных"));
  setFont(QFont(QStringLiteral("Tahoma"), 8));
  setFixedSize(ClientWidth, ClientHeight);
  CreateControls();
  if (const QScreen* Screen = QGuiApplication::primaryScreen()) {
    move(Screen->availableGeometry().center() - rect().center());
  }
  FWizard = std::make_unique<TfrmMain>(*this, std::move(AEnvironment));
  FWizard->RunHandler([this] { FWizard->FormCreate(); });
}

TfrmMainWindow::~TfrmMainWindow() {
  if (FWizard) {
    FWizard->FormDestroy();
  }
}

QLabel* TfrmMainWindow::CreateWrappedLabel(QWidget* AParent, const char* AName, int ATop, const QString& AText) {
  auto* Label = new QLabel(AParent);
  Label->setObjectName(AName);
  Label->setTextFormat(Qt::PlainText);  // every text the wizard shows reads as written
  Label->setText(AText);
  Label->setWordWrap(true);
  Label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Label->setGeometry(16, ATop, LabelWidth, Label->heightForWidth(LabelWidth));
  return Label;
}

void TfrmMainWindow::CreateControls() {
  UpdateLogo_Image = new QLabel(this);
  UpdateLogo_Image->setObjectName("UpdateLogo_Image");
  UpdateLogo_Image->setGeometry(0, 0, 177, 337);
  UpdateLogo_Image->setPixmap(QPixmap(QStringLiteral(":/logo.jpg")));

  UpdatePages_Notebook = new QStackedWidget(this);
  UpdatePages_Notebook->setObjectName("UpdatePages_Notebook");
  UpdatePages_Notebook->setGeometry(176, 0, 433, 337);
  UpdatePages_Notebook->addWidget(CreateInfoPage());
  UpdatePages_Notebook->addWidget(CreateSelectDBPage());
  UpdatePages_Notebook->addWidget(CreateUpdatePage());

  CreateToolsPanel();

  DebugMode_Label = new QLabel(this);
  DebugMode_Label->setObjectName("DebugMode_Label");
  DebugMode_Label->setTextFormat(Qt::PlainText);
  DebugMode_Label->move(8, 343);
}

QWidget* TfrmMainWindow::CreateInfoPage() {
  auto* Page = new QWidget;
  Page->setObjectName("INFO");
  AppTitle_Label = CreateWrappedLabel(Page, "AppTitle_Label", 16, QString());
  DBVersionInfo_Label = CreateWrappedLabel(Page, "DBVersionInfo_Label", 88, QString());
  return Page;
}

QWidget* TfrmMainWindow::CreateSelectDBPage() {
  auto* Page = new QWidget;
  Page->setObjectName("SELECTDB");
  SelectDB_Label = CreateWrappedLabel(
      Page, "SelectDB_Label", 16,
      QStringLiteral("Выберите базу данных для обновления. Внимание! Перед началом обновления необходимо "
                     "убедится в том, что никакие другие программы не подключены к базе."));

  SelectDB_ButtonEdit = new QWidget(Page);
  SelectDB_ButtonEdit->setObjectName("SelectDB_ButtonEdit");
  SelectDB_ButtonEdit->setGeometry(16, 112, LabelWidth, 21);
  SelectDB_Edit = new QLineEdit(SelectDB_ButtonEdit);
  SelectDB_Edit->setObjectName("SelectDB_Edit");
  SelectDB_Edit->setGeometry(0, 0, LabelWidth - 21, 21);
  SelectDB_EllipsisButton = new QToolButton(SelectDB_ButtonEdit);
  SelectDB_EllipsisButton->setObjectName("SelectDB_EllipsisButton");
  SelectDB_EllipsisButton->setText(QStringLiteral("…"));
  SelectDB_EllipsisButton->setGeometry(LabelWidth - 21, 0, 21, 21);
  connect(SelectDB_EllipsisButton, &QToolButton::clicked, this,
          [this] { FWizard->RunHandler([this] { FWizard->SelectDB_ButtonEditPropertiesButtonClick(0); }); });
  return Page;
}

QWidget* TfrmMainWindow::CreateUpdatePage() {
  auto* Page = new QWidget;
  Page->setObjectName("UPDATE");
  UpdateLog_Label = new QLabel(QStringLiteral("Обновление базы данных"), Page);
  UpdateLog_Label->setObjectName("UpdateLog_Label");
  UpdateLog_Label->setTextFormat(Qt::PlainText);
  UpdateLog_Label->setGeometry(16, 16, LabelWidth, UpdateLog_Label->sizeHint().height());

  // In the gap between the label and the log, so that nothing else moves when it shows.
  Backup_ProgressBar = new QProgressBar(Page);
  Backup_ProgressBar->setObjectName("Backup_ProgressBar");
  Backup_ProgressBar->setGeometry(16, 34, LabelWidth, 16);
  Backup_ProgressBar->setRange(0, ProgressSteps);
  Backup_ProgressBar->setTextVisible(false);
  Backup_ProgressBar->hide();

  UpdateLog_Memo = new QPlainTextEdit(Page);
  UpdateLog_Memo->setObjectName("UpdateLog_Memo");
  UpdateLog_Memo->setGeometry(16, 56, 401, 265);
  UpdateLog_Memo->setReadOnly(true);
  UpdateLog_Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  UpdateLog_Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  UpdateLog_Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QPalette Palette = UpdateLog_Memo->palette();
  Palette.setColor(QPalette::Base, Palette.color(QPalette::Button));
  UpdateLog_Memo->setPalette(Palette);
  return Page;
}

void TfrmMainWindow::CreateToolsPanel() {
  UpdateTools_Panel = new QFrame(this);
  UpdateTools_Panel->setObjectName("UpdateTools_Panel");
  UpdateTools_Panel->setGeometry(176, 336, 433, 57);
  auto* Bevel = new QFrame(UpdateTools_Panel);
  Bevel->setObjectName("UpdateTools_Bevel");
  Bevel->setFrameShape(QFrame::HLine);
  Bevel->setFrameShadow(QFrame::Sunken);
  Bevel->setGeometry(0, 0, 433, 2);

  Next_Button = new QPushButton(QStringLiteral("Далее >"), UpdateTools_Panel);
  Next_Button->setObjectName("Next_Button");
  Next_Button->setGeometry(233, 16, 89, 25);
  Next_Button->setDefault(true);
  connect(Next_Button, &QPushButton::clicked, this,
          [this] { FWizard->RunHandler([this] { FWizard->Next_ButtonClick(); }); });

  Cancel_Button = new QPushButton(QStringLiteral("Отмена"), UpdateTools_Panel);
  Cancel_Button->setObjectName("Cancel_Button");
  Cancel_Button->setGeometry(328, 16, 89, 25);
  Cancel_Button->setAutoDefault(false);
  connect(Cancel_Button, &QPushButton::clicked, this,
          [this] { FWizard->RunHandler([this] { FWizard->Cancel_ButtonClick(); }); });
}

void TfrmMainWindow::SetActivePage(int APageIndex) { UpdatePages_Notebook->setCurrentIndex(APageIndex); }

int TfrmMainWindow::ActivePage() const { return UpdatePages_Notebook->currentIndex(); }

void TfrmMainWindow::SetNextEnabled(bool AEnabled) { Next_Button->setEnabled(AEnabled); }

void TfrmMainWindow::SetLabelText(TWizardLabel ALabel, const std::string& AText) {
  QLabel* Label = ALabel == TWizardLabel::AppTitle        ? AppTitle_Label
                  : ALabel == TWizardLabel::DBVersionInfo ? DBVersionInfo_Label
                                                          : DebugMode_Label;
  Label->setText(ToQString(AText));
  if (Label->wordWrap()) {
    Label->resize(LabelWidth, Label->heightForWidth(LabelWidth));
  } else {
    Label->adjustSize();
  }
}

void TfrmMainWindow::SetTitleFont(int APointsLarger, bool ABold) {
  QFont Font = font();
  Font.setPointSize(Font.pointSize() + APointsLarger);
  Font.setBold(ABold);
  AppTitle_Label->setFont(Font);
  AppTitle_Label->resize(LabelWidth, AppTitle_Label->heightForWidth(LabelWidth));
}

void TfrmMainWindow::SetDBFileText(const std::string& AText) { SelectDB_Edit->setText(ToQString(AText)); }

void TfrmMainWindow::SetCancelCaption(const std::string& ACaption) { Cancel_Button->setText(ToQString(ACaption)); }

std::optional<std::string> TfrmMainWindow::RunOpenDialog() {
  QFileDialog Dialog(this);
  Dialog.setObjectName("DBOpenDialog");
  Dialog.setFileMode(QFileDialog::ExistingFile);
  Dialog.setAcceptMode(QFileDialog::AcceptOpen);
  Dialog.setNameFilter(QStringLiteral("Базы данных (*.fdb)"));
  Dialog.setDefaultSuffix(QStringLiteral("fdb"));
  if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  return ToStdString(QFileInfo(Dialog.selectedFiles().constFirst()).absoluteFilePath());
}

TModalResult TfrmMainWindow::ShowMessageBox(const TMessageBox& ABox) {
  const bool Owned = ABox.Owner == TMessageOwner::Application;
  QMessageBox Box(Owned ? this : nullptr);
  Box.setObjectName(Owned ? "ApplicationMessageBox" : "OwnerlessMessageBox");
  Box.setTextFormat(Qt::PlainText);
  Box.setText(ToQString(ABox.Text));
  Box.setWindowTitle(ABox.Caption ? ToQString(*ABox.Caption) : QString());
  Box.setIcon(ABox.Icon == TMessageIcon::Error      ? QMessageBox::Critical
              : ABox.Icon == TMessageIcon::Question ? QMessageBox::Question
                                                    : QMessageBox::Information);
  if (ABox.Buttons == TMessageButtons::YesNo) {
    Box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    Box.setDefaultButton(QMessageBox::Yes);
  } else {
    Box.setStandardButtons(QMessageBox::Ok);
  }
  int Pressed = QMessageBox::NoButton;
  ++FOpenBoxes;
  const auto Closed = qScopeGuard([this] { --FOpenBoxes; });
  if (Owned) {
    Box.setWindowModality(Qt::ApplicationModal);
    Pressed = Box.exec();
  } else {
    // The step that shows the box waits for the answer while the window stays usable.
    Box.setWindowModality(Qt::NonModal);
    QEventLoop Loop;
    connect(&Box, &QMessageBox::finished, &Loop, [&](int AResult) {
      Pressed = AResult;
      Loop.quit();
    });
    Box.show();
    Loop.exec();
  }
  if (ABox.Buttons == TMessageButtons::Ok) {
    return TModalResult::Ok;
  }
  return Pressed == QMessageBox::Yes ? TModalResult::Yes : TModalResult::No;
}

void TfrmMainWindow::AppendLogLine(const std::string& ALine) {
  UpdateLog_Memo->appendPlainText(ToQString(ALine));
}

void TfrmMainWindow::ShowProgress(std::uint64_t ADone, std::uint64_t ATotal) {
  const auto Steps = ATotal == 0 ? 0 : static_cast<int>(static_cast<double>(ADone) / static_cast<double>(ATotal) * ProgressSteps);
  Backup_ProgressBar->setValue(std::clamp(Steps, 0, ProgressSteps));
  Backup_ProgressBar->show();
}

void TfrmMainWindow::HideProgress() { Backup_ProgressBar->hide(); }

void TfrmMainWindow::ProcessMessages() { QCoreApplication::processEvents(); }

void TfrmMainWindow::CloseWindow() { close(); }

void TfrmMainWindow::Terminate() {
  FTerminated = true;
  QCoreApplication::exit(0);
}

// The window's locale is the user's unless a test gives it another; changing it announces a
// change of settings.
TLocaleTimeSettings TfrmMainWindow::ReadLocaleTimeSettings() const { return ReadTimeSettings(locale()); }

void TfrmMainWindow::closeEvent(QCloseEvent* AEvent) {
  bool CanClose = true;
  FWizard->RunHandler([&] { FWizard->FormCloseQuery(CanClose); });
  AEvent->setAccepted(CanClose);
}

// Next is the default button of the whole window, not only of itself: Enter presses it wherever
// the focus is (a plain widget, unlike a dialog, gives its default button no Enter of its own),
// and Escape does what Cancel does. Not while a box of the wizard's is open.
void TfrmMainWindow::keyPressEvent(QKeyEvent* AEvent) {
  const bool Enter = AEvent->key() == Qt::Key_Return || AEvent->key() == Qt::Key_Enter;
  if (FOpenBoxes == 0 && (AEvent->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    if (Enter && Next_Button->isEnabled()) {
      Next_Button->click();
      return;
    }
    if (AEvent->key() == Qt::Key_Escape) {
      Cancel_Button->click();
      return;
    }
  }
  QWidget::keyPressEvent(AEvent);
}

void TfrmMainWindow::changeEvent(QEvent* AEvent) {
  if (AEvent->type() == QEvent::LocaleChange) {
    FWizard->SettingsChanged();
  }
  QWidget::changeEvent(AEvent);
}

int RunProgram(int AArgc, char** AArgv, const package::TResourceSource& AResources) {
  // Taken before Qt removes its own options from the arguments: the debug switch counts only
  // as the very first argument the program was given.
  std::vector<std::string> Arguments;
  for (int Index = 1; Index < AArgc; ++Index) {
    Arguments.emplace_back(AArgv[Index]);
  }
  QApplication Application(AArgc, AArgv);
  return RunWizard(TStartOptions{AResources, Arguments, QCoreApplication::applicationFilePath().toStdString()});
}

std::unique_ptr<QTranslator> InstallToolkitTranslation(const QLocale& ALocale) {
  auto Translator = std::make_unique<QTranslator>();
  if (!Translator->load(ALocale, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    return nullptr;
  }
  QCoreApplication::installTranslator(Translator.get());
  return Translator;
}

int RunWizard(const TStartOptions& AOptions) {
  // The standard dialogs and buttons in the user's language; the wizard's own texts are fixed.
  const auto Translator = InstallToolkitTranslation(QLocale());
  std::shared_ptr<const db::TIBClientLibrary> Library;
  try {
    Library = db::TIBClientLibrary::Load(AOptions.ClientLibraryNames);
  } catch (const platform::EError& Error) {
    // Nothing of the wizard exists yet: the last-resort display of the run-time library.
    QMessageBox Box(QMessageBox::Critical, QString::fromLatin1(ApplicationErrorCaption),
                    ToQString(ApplicationErrorText(Error.ClassName(),
                                                   ToStdString(QFileInfo(ToQString(AOptions.ExecutablePath)).fileName()),
                                                   reinterpret_cast<std::uintptr_t>(&RunWizard), Error.what())),
                    QMessageBox::Ok);
    Box.setObjectName("ApplicationErrorBox");
    Box.setTextFormat(Qt::PlainText);
    Box.exec();
    return 1;
  }
  TfrmMainWindow Window(TWizardEnvironment{AOptions.Resources, Library, AOptions.Arguments, AOptions.ExecutablePath});
  if (Window.Terminated()) {
    return 0;
  }
  Window.show();
  return QApplication::exec();
}

}  // namespace app
