#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>
#include <QtTest>

#include <algorithm>
#include <chrono>
#include <functional>
#include <set>
#include <thread>
#include <utility>

#include "app/qt/LocaleSettings.h"
#include "app/qt/ufrmMainWindow.h"
#include "app/tests/MemoryResources.h"
#include "package/EmbeddedResources.h"
#include "testsupport/FixtureDatabase.h"
#include "testsupport/PackagedUpdate.h"
#include "testsupport/ForwardingFileOperations.h"
#include "testsupport/TempFolder.h"

using namespace app;

namespace {

// Answers the next modal box or dialog once it shows, and remembers what it said.
class TModalAnswerer {
public:
  explicit TModalAnswerer(std::function<void(QWidget*)> AAnswer) : FAnswer(std::move(AAnswer)) {
    FTimer.setInterval(20);
    QObject::connect(&FTimer, &QTimer::timeout, [this] {
      if (QWidget* Modal = QApplication::activeModalWidget()) {
        FTimer.stop();
        FAnswer(Modal);
      }
    });
    FTimer.start();
  }

private:
  std::function<void(QWidget*)> FAnswer;
  QTimer FTimer;
};

// Chooses AFile in the file dialog by typing its full path, as a user may: the dialog reads
// its folders in the background, so selecting through its views would race with that.
void ChooseFile(QWidget* AModal, const QString& AFile) {
  auto* Dialog = qobject_cast<QFileDialog*>(AModal);
  QVERIFY(Dialog != nullptr);
  auto* FileNameEdit = Dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  QVERIFY(FileNameEdit != nullptr);
  FileNameEdit->setText(AFile);
  QMetaObject::invokeMethod(Dialog, "accept");
  QTRY_VERIFY(!Dialog->isVisible());
}

// A disk on which every slice of a copy takes a while.
class TSlowDisk final : public testsupport::TForwardingFileOperations {
public:
  platform::TFileResult CopyFileNoReplace(const std::string& AFrom, const std::string& ATo,
                                          const platform::TCopyProgress& AProgress) override {
    return TForwardingFileOperations::CopyFileNoReplace(AFrom, ATo, [&](std::uint64_t ACopied, std::uint64_t ATotal) {
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      AProgress(ACopied, ATotal);
    });
  }
};

// Plays the user's part in a run: each step waits for its window (a box, modal or not) to show
// and answers it, then the next step waits for the next one.
class TUserScript {
public:
  struct TStep {
    std::function<QWidget*()> Find;
    std::function<void(QWidget*)> Act;
  };
  explicit TUserScript(std::vector<TStep> ASteps) : FSteps(std::move(ASteps)) {
    FTimer.setInterval(20);
    QObject::connect(&FTimer, &QTimer::timeout, [this] {
      if (FDone < FSteps.size()) {
        if (QWidget* Found = FSteps[FDone].Find()) {
          // Acted on outside this timer, which does not fire again while its handler runs a
          // nested event loop (as closing the window does with its question).
          QTimer::singleShot(0, [Act = FSteps[FDone].Act, Target = QPointer<QWidget>(Found)] {
            if (Target) {
              Act(Target);
            }
          });
          ++FDone;
        }
      }
    });
    FTimer.start();
  }
  [[nodiscard]] std::size_t Done() const { return FDone; }

private:
  std::vector<TStep> FSteps;
  std::size_t FDone = 0;
  QTimer FTimer;
};

// A visible box of the wizard's with this object name ("ApplicationMessageBox" or
// "OwnerlessMessageBox") and this text.
std::function<QWidget*()> BoxSaying(const char* AName, const QString& AText) {
  return [=]() -> QWidget* {
    for (QWidget* Widget : QApplication::topLevelWidgets()) {
      auto* Box = qobject_cast<QMessageBox*>(Widget);
      if (Box != nullptr && Box->isVisible() && Box->objectName() == QLatin1String(AName) &&
          (AText.isEmpty() || Box->text() == AText)) {
        return Box;
      }
    }
    return nullptr;
  };
}

std::function<void(QWidget*)> Press(QMessageBox::StandardButton AButton) {
  return [AButton](QWidget* ABox) { qobject_cast<QMessageBox*>(ABox)->button(AButton)->click(); };
}

struct TSeenBox {
  QString Title;
  QString Text;
};

std::function<void(QWidget*)> PressInBox(QMessageBox::StandardButton AButton, TSeenBox& ASeen) {
  return [AButton, &ASeen](QWidget* AModal) {
    auto* Box = qobject_cast<QMessageBox*>(AModal);
    QVERIFY(Box != nullptr);
    ASeen = {Box->windowTitle(), Box->text()};
    Box->button(AButton)->click();
  };
}

}  // namespace

package::TUpdatePackage EmbeddedPackage() {
  package::TUpdatePackage Package;
  if (!package::LoadUpdateInfo(package::EmbeddedResources(), Package)) {
    qFatal("the embedded package does not load");
  }
  return Package;
}

class WizardWindowTest : public QObject {
  Q_OBJECT

private:
  std::unique_ptr<TfrmMainWindow> CreateWindow(std::shared_ptr<platform::TFileOperations> AFiles = nullptr,
                                               std::function<platform::TLocalDateTime()> AClock = nullptr) {
    TWizardEnvironment Environment{package::EmbeddedResources(), db::TIBClientLibrary::Load(), {}, "/usr/bin/dbupdate"};
    if (AFiles) {
      Environment.FileOperations = std::move(AFiles);
    }
    if (AClock) {
      Environment.Clock = std::move(AClock);
    }
    return std::make_unique<TfrmMainWindow>(std::move(Environment));
  }

  template <typename T>
  static T* Find(QWidget& AWindow, const char* AName) {
    T* Widget = AWindow.findChild<T*>(QString::fromLatin1(AName));
    if (Widget == nullptr) {
      qFatal("no control %s", AName);
    }
    return Widget;
  }

  // Chooses AFile through the ellipsis button and the file dialog, as the user does.
  static void ChooseDatabase(TfrmMainWindow& AWindow, const QString& AFile) {
    TModalAnswerer Choose([&](QWidget* AModal) { ChooseFile(AModal, AFile); });
    QTest::mouseClick(Find<QToolButton>(AWindow, "SelectDB_EllipsisButton"), Qt::LeftButton);
  }

  // Shows the window, goes on to the selection page and chooses AFile; the Next button.
  static QPushButton* WalkToSelection(TfrmMainWindow& AWindow, const QString& AFile) {
    AWindow.show();
    auto* Next = Find<QPushButton>(AWindow, "Next_Button");
    QTest::mouseClick(Next, Qt::LeftButton);
    ChooseDatabase(AWindow, AFile);
    return Next;
  }

private slots:
  void ControlsStandWhereTheLayoutPutsThem() {
    auto Window = CreateWindow();
    QCOMPARE(Window->windowTitle(), QStringLiteral("Мастер обновления базы данных"));
    QCOMPARE(Window->size(), QSize(609, 393));
    QCOMPARE(Window->minimumSize(), Window->maximumSize());
    QVERIFY(!(Window->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(Window->windowFlags() & Qt::WindowMaximizeButtonHint));

    const std::vector<std::pair<const char*, QRect>> Places = {
        {"UpdateLogo_Image", {0, 0, 177, 337}},      {"UpdatePages_Notebook", {176, 0, 433, 337}},
        {"UpdateLog_Memo", {16, 56, 401, 265}},      {"UpdateTools_Panel", {176, 336, 433, 57}},
        {"Next_Button", {233, 16, 89, 25}},          {"Cancel_Button", {328, 16, 89, 25}},
    };
    for (const auto& [Name, Place] : Places) {
      QCOMPARE(Find<QWidget>(*Window, Name)->geometry(), Place);
    }
    for (const char* Name : {"AppTitle_Label", "DBVersionInfo_Label", "SelectDB_Label", "SelectDB_ButtonEdit"}) {
      QCOMPARE(Find<QWidget>(*Window, Name)->x(), 16);
      QCOMPARE(Find<QWidget>(*Window, Name)->width(), 401);
    }
    QCOMPARE(Find<QWidget>(*Window, "DBVersionInfo_Label")->y(), 88);
    QCOMPARE(Find<QWidget>(*Window, "SelectDB_ButtonEdit")->y(), 112);
    QCOMPARE(Find<QWidget>(*Window, "DebugMode_Label")->pos(), QPoint(8, 343));

    QCOMPARE(Find<QLabel>(*Window, "AppTitle_Label")->text(), QString::fromStdString(EmbeddedPackage().FUpdTitle));
    QVERIFY(Find<QLabel>(*Window, "AppTitle_Label")->font().bold());
    QCOMPARE(Find<QLabel>(*Window, "AppTitle_Label")->font().pointSize(), 14);
    QCOMPARE(Find<QLabel>(*Window, "DBVersionInfo_Label")->text(), QString());
    QCOMPARE(Find<QLabel>(*Window, "DebugMode_Label")->text(), QString());
    QCOMPARE(Find<QPushButton>(*Window, "Next_Button")->text(), QStringLiteral("Далее >"));
    QVERIFY(Find<QPushButton>(*Window, "Next_Button")->isDefault());
    QCOMPARE(Find<QPushButton>(*Window, "Cancel_Button")->text(), QStringLiteral("Отмена"));
    QCOMPARE(Find<QLabel>(*Window, "UpdateLog_Label")->text(), QStringLiteral("Обновление базы данных"));
    QVERIFY(Find<QPlainTextEdit>(*Window, "UpdateLog_Memo")->isReadOnly());
    QVERIFY(!Find<QLabel>(*Window, "UpdateLogo_Image")->pixmap().isNull());
    auto* Pages = Find<QStackedWidget>(*Window, "UpdatePages_Notebook");
    QCOMPARE(Pages->count(), 3);
    QCOMPARE(Pages->currentWidget()->objectName(), QStringLiteral("INFO"));
  }

  void WalksFromInfoToSelectionAndChoosesAFile() {
    QTemporaryDir Folder;
    const QString DatabaseFile = Folder.filePath(QStringLiteral("client.fdb"));
    QFile(DatabaseFile).open(QIODevice::WriteOnly);

    auto Window = CreateWindow();
    Window->show();
    auto* Next = Find<QPushButton>(*Window, "Next_Button");
    auto* Pages = Find<QStackedWidget>(*Window, "UpdatePages_Notebook");
    QTest::mouseClick(Next, Qt::LeftButton);
    QCOMPARE(Pages->currentWidget()->objectName(), QStringLiteral("SELECTDB"));
    QVERIFY(!Next->isEnabled());

    QString Filter;
    TModalAnswerer Answerer([&](QWidget* AModal) {
      auto* Dialog = qobject_cast<QFileDialog*>(AModal);
      QVERIFY(Dialog != nullptr);
      Filter = Dialog->nameFilters().join(u';');
      QCOMPARE(Dialog->defaultSuffix(), QStringLiteral("fdb"));
      ChooseFile(Dialog, DatabaseFile);
    });
    QTest::mouseClick(Find<QToolButton>(*Window, "SelectDB_EllipsisButton"), Qt::LeftButton);
    QCOMPARE(Filter, QStringLiteral("Базы данных (*.fdb)"));
    QVERIFY(Next->isEnabled());
    QCOMPARE(Find<QLineEdit>(*Window, "SelectDB_Edit")->text(), DatabaseFile);
    QCOMPARE(QString::fromStdString(Window->Wizard().DBFileName()), DatabaseFile);

    TSeenBox Seen;
    TModalAnswerer No(PressInBox(QMessageBox::No, Seen));
    QVERIFY(!Window->close());
    QCOMPARE(Seen.Title, QStringLiteral("Выход"));
    QCOMPARE(Seen.Text, QStringLiteral("Выйти из программы обновления?"));
    QVERIFY(Window->isVisible());
  }

  void RunsTheUpdateAndShowsItsLog() {
    const testsupport::TTempFolder Folder;
    const QString DatabaseFile = QString::fromStdString(testsupport::MakeDemoDatabase(Folder));
    auto Window = CreateWindow();
    auto* Next = WalkToSelection(*Window, DatabaseFile);

    TSeenBox Question;
    TModalAnswerer Yes(PressInBox(QMessageBox::Yes, Question));
    QTest::mouseClick(Next, Qt::LeftButton);
    QCOMPARE(Question.Text, QStringLiteral("Удалить резервную копию базы данных?"));
    QCOMPARE(Find<QStackedWidget>(*Window, "UpdatePages_Notebook")->currentWidget()->objectName(),
             QStringLiteral("UPDATE"));
    QVERIFY(!Next->isEnabled());
    QCOMPARE(Find<QPushButton>(*Window, "Cancel_Button")->text(), QStringLiteral("Закрыть"));
    const QStringList Log = Find<QPlainTextEdit>(*Window, "UpdateLog_Memo")->toPlainText().split(u'\n');
    // The backup, connecting, the checks, a line per block, the end and the deleted backup.
    QCOMPARE(Log.size(), static_cast<qsizetype>(EmbeddedPackage().FScriptBlock.size() + 5));
    QVERIFY(Log.first().startsWith(u'['));
    QVERIFY(Log.first().endsWith(QStringLiteral("] Резервная копия базы данных успешно создана;")));
    QVERIFY(Log.last().endsWith(QStringLiteral("] Резервная копия базы данных удалена;")));
    QVERIFY2(Window->close(), "a complete update closes without a question");
  }

  // While the run goes on, a timer of the window's keeps firing: it sees the copy's progress bar
  // and the log growing line by line.
  void StaysAliveAndShowsTheCopysProgressDuringTheRun() {
    const testsupport::TTempFolder Folder;
    const QString DatabaseFile = QString::fromStdString(testsupport::MakeDemoDatabase(Folder));
    auto Window = CreateWindow(std::make_shared<TSlowDisk>());
    auto* Next = WalkToSelection(*Window, DatabaseFile);
    auto* Progress = Find<QProgressBar>(*Window, "Backup_ProgressBar");
    auto* Log = Find<QPlainTextEdit>(*Window, "UpdateLog_Memo");
    QVERIFY(!Progress->isVisible());
    std::vector<int> ProgressSeen;
    std::set<int> LogSizesSeen;
    QTimer Watcher;
    Watcher.setInterval(5);
    connect(&Watcher, &QTimer::timeout, [&] {
      if (Progress->isVisible()) {
        ProgressSeen.push_back(Progress->value());
      }
      LogSizesSeen.insert(Log->blockCount());
    });
    Watcher.start();

    TSeenBox Question;
    TModalAnswerer Yes(PressInBox(QMessageBox::Yes, Question));
    QTest::mouseClick(Next, Qt::LeftButton);
    Watcher.stop();

    QCOMPARE(Question.Text, QStringLiteral("Удалить резервную копию базы данных?"));
    QVERIFY2(ProgressSeen.size() >= 2, "the bar shows while the copy runs");
    QVERIFY(std::is_sorted(ProgressSeen.begin(), ProgressSeen.end()));
    QVERIFY(ProgressSeen.front() < Progress->maximum());
    QVERIFY(!Progress->isVisible());
    // The 15 blocks of the update 1.2.1 make a log long enough to see it grow; a short package
    // may run between two turns of the timer.
    if (testsupport::EmbedsUpdate121()) {
      QVERIFY2(LogSizesSeen.size() >= 10, "log lines show as they are added");
    }
    QCOMPARE(Progress->geometry().bottom() < Log->geometry().top(), true);
    QCOMPARE(Log->geometry(), QRect(16, 56, 401, 265));
  }

  // Enter presses Next from anywhere in the window, Escape asks to leave; the run started
  // by Enter from the path box goes as a click would.
  void EnterPressesNextAndEscapeCancels() {
    const testsupport::TTempFolder Folder;
    const QString DatabaseFile = QString::fromStdString(testsupport::MakeDemoDatabase(Folder));
    auto Window = CreateWindow();
    Window->show();
    QVERIFY(QTest::qWaitForWindowActive(Window.get()));
    auto* Pages = Find<QStackedWidget>(*Window, "UpdatePages_Notebook");
    auto* Cancel = Find<QPushButton>(*Window, "Cancel_Button");
    Cancel->setFocus();
    QTest::keyClick(Cancel, Qt::Key_Return);
    QCOMPARE(Pages->currentWidget()->objectName(), QStringLiteral("SELECTDB"));

    auto* PathBox = Find<QLineEdit>(*Window, "SelectDB_Edit");
    PathBox->setFocus();
    QTest::keyClick(PathBox, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY2(Pages->currentWidget()->objectName() == QStringLiteral("SELECTDB"), "Next is disabled yet");
    {
      TSeenBox Seen;
      TModalAnswerer No(PressInBox(QMessageBox::No, Seen));
      QTest::keyClick(PathBox, Qt::Key_Escape);
      QCOMPARE(Seen.Text, QStringLiteral("Выйти из программы обновления?"));
      QVERIFY(Window->isVisible());
    }
    ChooseDatabase(*Window, DatabaseFile);
    TSeenBox Question;
    TModalAnswerer Yes(PressInBox(QMessageBox::Yes, Question));
    PathBox->setFocus();
    QTest::keyClick(PathBox, Qt::Key_Return);
    QCOMPARE(Question.Text, QStringLiteral("Удалить резервную копию базы данных?"));
    QCOMPARE(Pages->currentWidget()->objectName(), QStringLiteral("UPDATE"));
    QCOMPARE(Cancel->text(), QStringLiteral("Закрыть"));
  }

  // Nothing the wizard shows is read as markup, whatever the package, the engine or a script says.
  void TextsAreShownAsWritten() {
    auto Window = CreateWindow();
    const QString Markup = QStringLiteral("UPDATE T SET A = 1 WHERE A < B AND C > D; <b>bold</b>");
    Window->SetLabelText(TWizardLabel::AppTitle, Markup.toStdString());
    auto* Title = Find<QLabel>(*Window, "AppTitle_Label");
    QCOMPARE(Title->textFormat(), Qt::PlainText);
    QCOMPARE(Title->text(), Markup);
    for (const char* Name : {"DBVersionInfo_Label", "SelectDB_Label", "UpdateLog_Label", "DebugMode_Label"}) {
      QCOMPARE(Find<QLabel>(*Window, Name)->textFormat(), Qt::PlainText);
    }
    QCOMPARE(Find<QLabel>(*Window, "SelectDB_Label")->text(),
             QStringLiteral("Выберите базу данных для обновления. Внимание! Перед началом обновления необходимо "
                            "убедится в том, что никакие другие программы не подключены к базе."));
    // Each box with its own icon, and its text as written.
    for (const auto& [Icon, Shown] : {std::pair{TMessageIcon::Error, QMessageBox::Critical},
                                      std::pair{TMessageIcon::Question, QMessageBox::Question},
                                      std::pair{TMessageIcon::Information, QMessageBox::Information}}) {
      Qt::TextFormat Format = Qt::AutoText;
      QString Text;
      QMessageBox::Icon SeenIcon = QMessageBox::NoIcon;
      TModalAnswerer Ok([&](QWidget* AModal) {
        auto* Box = qobject_cast<QMessageBox*>(AModal);
        Format = Box->textFormat();
        Text = Box->text();
        SeenIcon = Box->icon();
        Box->button(QMessageBox::Ok)->click();
      });
      Window->ShowMessageBox({Markup.toStdString(), "Debug Mode Error", Icon, TMessageButtons::Ok,
                              TMessageOwner::Application});
      QCOMPARE(Format, Qt::PlainText);
      QCOMPARE(Text, Markup);
      QCOMPARE(SeenIcon, Shown);
    }
  }

  void TimeStampsFollowTheLocale_data() {
    QTest::addColumn<QString>("Locale");
    QTest::addColumn<int>("Hour");
    QTest::addColumn<QString>("Expected");
    // Patterns with quoted literals, direction marks, blanks, a marker before the time, and one
    // with no plain time separator at all.
    QTest::newRow("ru_RU") << "ru_RU" << 8 << "05.07.2014 08:03:09";
    QTest::newRow("en_US") << "en_US" << 20 << "7/5/14 8:03:09 PM";
    QTest::newRow("de_DE") << "de_DE" << 8 << "05.07.14 08:03:09";
    QTest::newRow("ko_KR") << "ko_KR" << 8 << "14. 7. 5. 오전 8:03:09";
    QTest::newRow("zh_CN") << "zh_CN" << 8 << "2014/7/5 08:03:09";
    QTest::newRow("bg_BG") << "bg_BG" << 8 << "5.07.14 г. 8:03:09";
    QTest::newRow("fi_FI") << "fi_FI" << 8 << "5.7.2014 8.03.09";
    QTest::newRow("hu_HU") << "hu_HU" << 8 << "2014. 07. 05. 8:03:09";
    QTest::newRow("fr_CA") << "fr_CA" << 8 << "2014-07-05 08 h 03 min 09 s";
    QTest::newRow("ar_EG") << "ar_EG" << 8 << QString::fromUtf8("5\u200f/7\u200f/2014 8:03:09 ص");
  }

  void TimeStampsFollowTheLocale() {
    QFETCH(QString, Locale);
    QFETCH(int, Hour);
    QFETCH(QString, Expected);
    const auto Settings = ReadTimeSettings(QLocale(Locale));
    QCOMPARE(QString::fromStdString(FormatLogTimeStamp({2014, 7, 5, Hour, 3, 9, 0}, Settings)), Expected);
  }

  // The log follows a change of the regional settings from the next line on.
  void LocaleChangeIsReadAgain() {
    auto Window = CreateWindow(nullptr, [] { return platform::TLocalDateTime{2014, 7, 5, 20, 3, 9, 0}; });
    auto* Log = Find<QPlainTextEdit>(*Window, "UpdateLog_Memo");
    Window->setLocale(QLocale(QStringLiteral("de_DE")));
    Window->Wizard().AddLogMessage("erste");
    Window->setLocale(QLocale(QStringLiteral("en_US")));
    Window->Wizard().AddLogMessage("second");
    QCOMPARE(Log->toPlainText(), QStringLiteral("[05.07.14 20:03:09] erste;\n[7/5/14 8:03:09 PM] second;"));
  }

  // Qt's own texts (standard buttons, the file dialog) speak the user's language.
  void StandardTextsSpeakTheUsersLanguage() {
    const auto ButtonTexts = [] {
      QMessageBox Box;
      Box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      return Box.button(QMessageBox::Yes)->text().remove(u'&') + u'/' +
             Box.button(QMessageBox::No)->text().remove(u'&');
    };
    QCOMPARE(ButtonTexts(), QStringLiteral("Yes/No"));
    {
      const auto Russian = InstallToolkitTranslation(QLocale(QStringLiteral("ru_RU")));
      QVERIFY2(Russian != nullptr, "Qt's Russian translation is installed");
      QCOMPARE(ButtonTexts(), QStringLiteral("Да/Нет"));
      QFileDialog Dialog;
      Dialog.setOption(QFileDialog::DontUseNativeDialog);
      auto* Buttons = Dialog.findChild<QDialogButtonBox*>();
      QVERIFY(Buttons != nullptr);
      QCOMPARE(Buttons->button(QDialogButtonBox::Open)->text().remove(u'&'), QStringLiteral("Открыть"));
    }
    const auto English = InstallToolkitTranslation(QLocale(QStringLiteral("en_US")));
    QCOMPARE(ButtonTexts(), QStringLiteral("Yes/No"));
  }

  // A box without an owner (here: the database cannot be opened) leaves the window usable; the
  // user closes it then, and the run still goes to its end (the question on the backup) before
  // the window closes.
  void ClosingDuringAnOwnerlessBoxLetsTheRunFinish() {
    const testsupport::TTempFolder Folder;
    const QString NotADatabase = QString::fromStdString(Folder.File("notes.fdb"));
    QFile Notes(NotADatabase);
    QVERIFY(Notes.open(QIODevice::WriteOnly));
    Notes.write("not a database");
    Notes.close();
    auto Window = CreateWindow();
    auto* Next = WalkToSelection(*Window, NotADatabase);
    bool UsableMeanwhile = false;
    QMessageBox* OpenError = nullptr;
    TUserScript User({
        {BoxSaying("OwnerlessMessageBox", QString()),
         [&](QWidget* ABox) {
           OpenError = qobject_cast<QMessageBox*>(ABox);
           UsableMeanwhile = Window->isEnabled() && QApplication::activeModalWidget() == nullptr;
           Window->close();
         }},
        {BoxSaying("ApplicationMessageBox", QStringLiteral("Выйти из программы обновления?")), Press(QMessageBox::Yes)},
        {[&]() -> QWidget* { return OpenError; }, Press(QMessageBox::Ok)},
        {BoxSaying("ApplicationMessageBox", QStringLiteral("Удалить резервную копию базы данных?")),
         Press(QMessageBox::Yes)},
    });
    QTest::mouseClick(Next, Qt::LeftButton);
    QCOMPARE(User.Done(), std::size_t{4});
    QVERIFY(UsableMeanwhile);
    QTRY_VERIFY(!Window->isVisible());
    QVERIFY(Find<QPlainTextEdit>(*Window, "UpdateLog_Memo")
                ->toPlainText()
                .endsWith(QStringLiteral("] Резервная копия базы данных удалена;")));
  }

  void MissingClientLibraryEndsWithStatusOne() {
    TSeenBox Seen;
    TModalAnswerer Ok(PressInBox(QMessageBox::Ok, Seen));
    const int Status = RunWizard(TStartOptions{package::EmbeddedResources(), {}, "/usr/bin/dbupdate", {"libnothere.so.9"}});
    QCOMPARE(Status, 1);
    QCOMPARE(Seen.Title, QStringLiteral("Application Error"));
    QVERIFY2(Seen.Text.startsWith(QStringLiteral("Exception EIBClientError in module dbupdate at ")), qPrintable(Seen.Text));
    QVERIFY2(Seen.Text.endsWith(QStringLiteral(".\r\nInterBase library libnothere.so.9 not found in the path. "
                                               "Please install InterBase to use this functionality.\r\n")),
             qPrintable(Seen.Text));
  }

  void UnusablePackageEndsWithStatusZero() {
    const testing::TMemoryResources Broken("[General]\r\nUpdTitle=x\r\n", "");
    TSeenBox Seen;
    TModalAnswerer Ok(PressInBox(QMessageBox::Ok, Seen));
    QCOMPARE(RunWizard(TStartOptions{Broken, {}, "/usr/bin/dbupdate"}), 0);
    QCOMPARE(Seen.Title, QStringLiteral("Ошибка"));
    QCOMPARE(Seen.Text, QStringLiteral("Внутренняя ошибка программы обновления"));
  }
};

QTEST_MAIN(WizardWindowTest)
#include "WizardWindowTest.moc"
