#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "app/tests/MemoryResources.h"
#include "app/win/ufrmMainWindow.h"
#include "package/EmbeddedResources.h"
#include "package/UpdatePackage.h"
#include "platform/win/WideText.h"
#include "testsupport/FixtureDatabase.h"
#include "testsupport/PackagedUpdate.h"
#include "testsupport/TempFolder.h"

#include "platform/win/WindowsApi.h"

#include <commctrl.h>
#include <dlgs.h>

namespace app {
namespace {

using platform::win::NarrowToUtf8;
using platform::win::WidenUtf8;
using namespace std::chrono_literals;

constexpr auto Patience = 10s;  // how long the user waits for a window to show or to change

const char* const ExecutablePath = "C:\\Program Files\\dbupdate\\dbupdate.exe";

// The client library is used only to connect, which none of these tests does.
TWizardEnvironment Environment(std::vector<std::string> AArguments = {}) {
  return TWizardEnvironment{package::EmbeddedResources(), nullptr, std::move(AArguments), ExecutablePath};
}

std::string TextOf(HWND AWindow) {
  std::wstring Text(static_cast<std::size_t>(GetWindowTextLengthW(AWindow)) + 1, L'\0');
  Text.resize(static_cast<std::size_t>(GetWindowTextW(AWindow, Text.data(), static_cast<int>(Text.size()))));
  return NarrowToUtf8(Text);
}

std::string ClassOf(HWND AWindow) {
  wchar_t Name[64] = {};
  GetClassNameW(AWindow, Name, 64);
  return NarrowToUtf8(Name);
}

LONG StyleOf(HWND AWindow) { return GetWindowLongW(AWindow, GWL_STYLE); }

// Shown as far as the control itself goes (the window around it may be hidden).
bool Shown(HWND AControl) { return (StyleOf(AControl) & WS_VISIBLE) != 0; }

HWND ControlOf(HWND AWindow, TControlId AId) {
  struct TSearch {
    int Id;
    HWND Found;
  } Search{static_cast<int>(AId), nullptr};
  EnumChildWindows(
      AWindow,
      [](HWND AChild, LPARAM AData) -> BOOL {
        auto& Found = *reinterpret_cast<TSearch*>(AData);
        if (GetDlgCtrlID(AChild) == Found.Id) {
          Found.Found = AChild;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&Search));
  return Search.Found;
}

struct TPlace {
  int Left;
  int Top;
  int Width;
  int Height;
  bool operator==(const TPlace&) const = default;
};

void PrintTo(const TPlace& APlace, std::ostream* AOut) {
  *AOut << APlace.Left << "," << APlace.Top << " " << APlace.Width << "x" << APlace.Height;
}

// Where a control stands in the client area of its parent.
TPlace PlaceOf(HWND AControl) {
  RECT Rect{};
  GetWindowRect(AControl, &Rect);
  MapWindowPoints(nullptr, GetParent(AControl), reinterpret_cast<POINT*>(&Rect), 2);
  return {Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top};
}

LOGFONTW FontOf(HWND AControl) {
  LOGFONTW Font{};
  const auto Handle = reinterpret_cast<HFONT>(SendMessageW(AControl, WM_GETFONT, 0, 0));
  if (Handle != nullptr) {
    GetObjectW(Handle, sizeof(Font), &Font);
  }
  return Font;
}

int FontHeightOfPoints(int APoints) {
  const HDC Screen = GetDC(nullptr);
  const int PixelsPerInch = GetDeviceCaps(Screen, LOGPIXELSY);
  ReleaseDC(nullptr, Screen);
  return -MulDiv(APoints, PixelsPerInch, 72);
}

template <typename TCondition>
bool WaitUntil(TCondition ACondition) {
  const auto Deadline = std::chrono::steady_clock::now() + Patience;
  while (!ACondition()) {
    if (std::chrono::steady_clock::now() > Deadline) {
      return false;
    }
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

// A visible top-level window of the thread with this window class.
HWND FindThreadWindow(DWORD AThread, const wchar_t* AClass) {
  struct TSearch {
    const wchar_t* Class;
    HWND Found;
  } Search{AClass, nullptr};
  EnumThreadWindows(
      AThread,
      [](HWND AWindow, LPARAM AData) -> BOOL {
        auto& Found = *reinterpret_cast<TSearch*>(AData);
        wchar_t Name[64] = {};
        GetClassNameW(AWindow, Name, 64);
        if (IsWindowVisible(AWindow) && std::wstring_view(Name) == Found.Class) {
          Found.Found = AWindow;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&Search));
  return Search.Found;
}

struct TSeenBox {
  bool Shown = false;
  std::string Title;
  std::string Text;
  HWND Owner = nullptr;
  bool WindowEnabled = false;  // the wizard's window, while the box was on the screen
  int DefaultButton = 0;  // the push button that Enter presses
};

// Plays the user's part on a thread of its own while the test's thread turns a modal loop: a
// box's, the file dialog's or the window's own. The script starts with the object; the
// object's end waits for the script's.
class TUser {
public:
  explicit TUser(std::function<void(TUser&)> AScript)
      : FThread(GetCurrentThreadId()), FWorker([this, Script = std::move(AScript)] { Script(*this); }) {}
  ~TUser() { FWorker.join(); }
  TUser(const TUser&) = delete;
  TUser& operator=(const TUser&) = delete;

  [[nodiscard]] HWND WaitForWindow(const wchar_t* AClass) const {
    HWND Found = nullptr;
    WaitUntil([&] { return (Found = FindThreadWindow(FThread, AClass)) != nullptr; });
    return Found;
  }

  // Waits for a message box, reads it, notes how AWindow stands meanwhile and presses AButton.
  TSeenBox AnswerBox(int AButton, HWND AWindow = nullptr) const {
    const HWND Box = WaitForWindow(L"#32770");
    if (Box == nullptr) {
      return {};
    }
    TSeenBox Seen{true, TextOf(Box), TextOf(GetDlgItem(Box, 0xFFFF)), GetWindow(Box, GW_OWNER),
                  AWindow != nullptr && IsWindowEnabled(AWindow) != FALSE, 0};
    for (const int Button : {IDOK, IDYES, IDNO}) {
      const HWND Control = GetDlgItem(Box, Button);
      if (Control != nullptr && (GetWindowLongW(Control, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
        Seen.DefaultButton = Button;
      }
    }
    PostMessageW(Box, WM_COMMAND, MAKEWPARAM(AButton, BN_CLICKED), 0);
    WaitUntil([&] { return IsWindow(Box) == FALSE; });  // not to be found again by the next step
    return Seen;
  }

  // A key pressed while the focus is where the test's thread has it.
  void PressKey(WPARAM AKey) const {
    GUITHREADINFO Info{};
    Info.cbSize = sizeof(Info);
    GetGUIThreadInfo(FThread, &Info);
    const HWND Target = Info.hwndFocus != nullptr ? Info.hwndFocus : Info.hwndActive;
    PostMessageW(Target, WM_KEYDOWN, AKey, 1);
    PostMessageW(Target, WM_KEYUP, AKey, static_cast<LPARAM>(0xC0000001U));
  }

  // Ends the message loop of the test's thread with status 99: what a script does when the
  // window fails to close as it should, rather than wait for ever.
  void EndLoop() const { PostThreadMessageW(FThread, WM_QUIT, 99, 0); }

  [[nodiscard]] HWND Focus() const {
    GUITHREADINFO Info{};
    Info.cbSize = sizeof(Info);
    GetGUIThreadInfo(FThread, &Info);
    return Info.hwndFocus;
  }

private:
  DWORD FThread;
  std::thread FWorker;
};

void Click(HWND AButton) { SendMessageW(AButton, BM_CLICK, 0, 0); }

package::TUpdatePackage EmbeddedPackage() {
  package::TUpdatePackage Package;
  EXPECT_TRUE(package::LoadUpdateInfo(package::EmbeddedResources(), Package));
  return Package;
}

TEST(WizardWindow, ControlsStandWhereTheLayoutPutsThem) {
  TfrmMainWindow Window(Environment());
  const HWND Main = Window.Handle();
  ASSERT_NE(Main, nullptr);
  EXPECT_EQ(ClassOf(Main), "frmMain");
  EXPECT_EQ(TextOf(Main), "Мастер обновления базы данных");
  RECT Client{};
  GetClientRect(Main, &Client);
  EXPECT_EQ((TPlace{Client.left, Client.top, Client.right, Client.bottom}), (TPlace{0, 0, 609, 393}));
  const LONG Style = StyleOf(Main);
  EXPECT_EQ(Style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
  EXPECT_EQ(Style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0) << "fixed border, close box only";
  RECT Frame{};
  RECT WorkArea{};
  GetWindowRect(Main, &Frame);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &WorkArea, 0);
  EXPECT_NEAR(Frame.left + Frame.right, WorkArea.left + WorkArea.right, 2) << "centred across";
  EXPECT_NEAR(Frame.top + Frame.bottom, WorkArea.top + WorkArea.bottom, 2) << "centred down";

  const std::vector<std::pair<TControlId, TPlace>> Places = {
      {TControlId::UpdateLogo_Image, {0, 0, 177, 337}},      {TControlId::UpdatePages_Notebook, {176, 0, 433, 337}},
      {TControlId::Info_Page, {0, 0, 433, 337}},              {TControlId::SelectDB_Page, {0, 0, 433, 337}},
      {TControlId::Update_Page, {0, 0, 433, 337}},            {TControlId::SelectDB_ButtonEdit, {16, 112, 401, 21}},
      {TControlId::Backup_ProgressBar, {16, 34, 401, 16}},   {TControlId::UpdateLog_Memo, {16, 56, 401, 265}},
      {TControlId::UpdateTools_Panel, {176, 336, 433, 57}},  {TControlId::Next_Button, {233, 16, 89, 25}},
      {TControlId::Cancel_Button, {328, 16, 89, 25}},
  };
  for (const auto& [Id, Place] : Places) {
    const HWND Control = ControlOf(Main, Id);
    ASSERT_NE(Control, nullptr) << static_cast<int>(Id);
    EXPECT_EQ(PlaceOf(Control), Place) << static_cast<int>(Id);
  }
  // Word-wrapped labels: as high as their texts need.
  const std::vector<std::pair<TControlId, int>> Labels = {{TControlId::AppTitle_Label, 16},
                                                          {TControlId::DBVersionInfo_Label, 88},
                                                          {TControlId::SelectDB_Label, 16},
                                                          {TControlId::UpdateLog_Label, 16}};
  for (const auto& [Id, Top] : Labels) {
    const HWND Label = ControlOf(Main, Id);
    const TPlace Place = PlaceOf(Label);
    EXPECT_EQ((TPlace{Place.Left, Place.Top, Place.Width, 0}), (TPlace{16, Top, 401, 0})) << static_cast<int>(Id);
    EXPECT_TRUE(Place.Height > 0 || TextOf(Label).empty()) << static_cast<int>(Id);
  }
  EXPECT_EQ(PlaceOf(ControlOf(Main, TControlId::DebugMode_Label)).Left, 8);
  EXPECT_EQ(PlaceOf(ControlOf(Main, TControlId::DebugMode_Label)).Top, 343);
  // The title's two lines at 14 points stay clear of the version text.
  const TPlace Title = PlaceOf(ControlOf(Main, TControlId::AppTitle_Label));
  EXPECT_LE(Title.Top + Title.Height, 88);

  const std::vector<std::pair<TControlId, std::string>> Texts = {
      {TControlId::SelectDB_Label,
       "Выберите базу данных для обновления. Внимание! Перед началом обновления необходимо убедится в том, что "
       "никакие другие программы не подключены к базе."},
      {TControlId::UpdateLog_Label, "Обновление базы данных"},
      {TControlId::Next_Button, "Далее >"},
      {TControlId::Cancel_Button, "Отмена"},
      {TControlId::SelectDB_EllipsisButton, "…"},
      {TControlId::SelectDB_Edit, ""},
      {TControlId::DebugMode_Label, ""},
      {TControlId::UpdateLog_Memo, ""},
      {TControlId::Info_Page, "INFO"},
      {TControlId::SelectDB_Page, "SELECTDB"},
      {TControlId::Update_Page, "UPDATE"},
  };
  for (const auto& [Id, Text] : Texts) {
    EXPECT_EQ(TextOf(ControlOf(Main, Id)), Text) << static_cast<int>(Id);
  }
  // The package's own title and description, or the wizard's standard texts.
  if (const package::TUpdatePackage Package = EmbeddedPackage(); Package.FGeneralUpdInfo) {
    EXPECT_EQ(TextOf(ControlOf(Main, TControlId::AppTitle_Label)), Package.FUpdTitle);
    EXPECT_EQ(TextOf(ControlOf(Main, TControlId::DBVersionInfo_Label)), Package.FUpdDescription);
  } else {
    EXPECT_EQ(TextOf(ControlOf(Main, TControlId::AppTitle_Label)),
              "Мастер обновления базы данных программы \"Тарвелон\"");
    EXPECT_TRUE(TextOf(ControlOf(Main, TControlId::DBVersionInfo_Label)).starts_with("Этот мастер поможет"));
  }

  for (const TControlId Id : {TControlId::DBVersionInfo_Label, TControlId::SelectDB_Label, TControlId::SelectDB_Edit,
                              TControlId::UpdateLog_Memo, TControlId::Next_Button, TControlId::Cancel_Button,
                              TControlId::DebugMode_Label}) {
    const LOGFONTW Font = FontOf(ControlOf(Main, Id));
    EXPECT_EQ(NarrowToUtf8(Font.lfFaceName), "Tahoma") << static_cast<int>(Id);
    EXPECT_EQ(Font.lfHeight, FontHeightOfPoints(8)) << static_cast<int>(Id);
  }
  const LOGFONTW TitleFont = FontOf(ControlOf(Main, TControlId::AppTitle_Label));
  EXPECT_EQ(NarrowToUtf8(TitleFont.lfFaceName), "Tahoma");
  EXPECT_EQ(TitleFont.lfHeight, FontHeightOfPoints(14));
  EXPECT_EQ(TitleFont.lfWeight, FW_BOLD);

  const HWND Next = ControlOf(Main, TControlId::Next_Button);
  EXPECT_EQ(StyleOf(Next) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_TRUE(IsWindowEnabled(Next));
  EXPECT_EQ(SendMessageW(Main, DM_GETDEFID, 0, 0), MAKELRESULT(static_cast<int>(TControlId::Next_Button), DC_HASDEFID));
  EXPECT_EQ(StyleOf(ControlOf(Main, TControlId::UpdateTools_Bevel)) & SS_TYPEMASK, SS_ETCHEDHORZ);

  const HWND Memo = ControlOf(Main, TControlId::UpdateLog_Memo);
  constexpr LONG MemoStyle = ES_MULTILINE | ES_READONLY | WS_HSCROLL | WS_VSCROLL;
  EXPECT_EQ(StyleOf(Memo) & MemoStyle, MemoStyle);
  EXPECT_EQ(ClassOf(ControlOf(Main, TControlId::Backup_ProgressBar)), NarrowToUtf8(PROGRESS_CLASSW));
  EXPECT_FALSE(Shown(ControlOf(Main, TControlId::Backup_ProgressBar)));
  EXPECT_EQ(SendMessageW(ControlOf(Main, TControlId::Backup_ProgressBar), PBM_GETRANGE, FALSE, 0), 1000);

  // The log reads on the face colour of buttons: what its page answers for it.
  const HDC Context = GetDC(Memo);
  EXPECT_EQ(SendMessageW(GetParent(Memo), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(Context),
                         reinterpret_cast<LPARAM>(Memo)),
            reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE)));
  ReleaseDC(Memo, Context);

  const auto Logo = reinterpret_cast<HBITMAP>(
      SendMessageW(ControlOf(Main, TControlId::UpdateLogo_Image), STM_GETIMAGE, IMAGE_BITMAP, 0));
  ASSERT_NE(Logo, nullptr) << "the JPEG resource decodes";
  BITMAP Bitmap{};
  GetObjectW(Logo, sizeof(Bitmap), &Bitmap);
  EXPECT_EQ((TPlace{0, 0, Bitmap.bmWidth, Bitmap.bmHeight}), (TPlace{0, 0, 177, 337}));

  EXPECT_EQ(Window.ActivePage(), InfoPage);
  EXPECT_TRUE(Shown(ControlOf(Main, TControlId::Info_Page)));
  EXPECT_FALSE(Shown(ControlOf(Main, TControlId::SelectDB_Page)));
  EXPECT_FALSE(Shown(ControlOf(Main, TControlId::Update_Page)));
}

TEST(WizardWindow, DebugSwitchShowsTheDebugLabel) {
  TfrmMainWindow Window(Environment({"-DeBuG"}));
  const HWND Label = ControlOf(Window.Handle(), TControlId::DebugMode_Label);
  EXPECT_EQ(TextOf(Label), "Debug Mode");
  const TPlace Place = PlaceOf(Label);
  EXPECT_EQ((TPlace{Place.Left, Place.Top, 0, 0}), (TPlace{8, 343, 0, 0}));
  EXPECT_GT(Place.Width, 0);
  EXPECT_GT(Place.Height, 0);
}

TEST(WizardWindow, NextGoesOnToTheSelectionAndWaitsForAFile) {
  TfrmMainWindow Window(Environment());
  const HWND Main = Window.Handle();
  const HWND Next = ControlOf(Main, TControlId::Next_Button);
  Click(Next);
  EXPECT_EQ(Window.ActivePage(), SelectDBPage);
  EXPECT_FALSE(Shown(ControlOf(Main, TControlId::Info_Page)));
  EXPECT_TRUE(Shown(ControlOf(Main, TControlId::SelectDB_Page)));
  EXPECT_FALSE(IsWindowEnabled(Next));
  Click(Next);
  EXPECT_EQ(Window.ActivePage(), SelectDBPage) << "a disabled Next does nothing";
}

// Types AFile into the file dialog, as a user may, and confirms it; the filter the dialog
// offered.
std::string ChooseInDialog(const TUser& AUser, const std::string& AFile) {
  const HWND Dialog = AUser.WaitForWindow(L"#32770");
  if (Dialog == nullptr) {
    ADD_FAILURE() << "no file dialog";
    return {};
  }
  std::string Filter = TextOf(GetDlgItem(Dialog, cmb1));
  const HWND FileName = GetDlgItem(Dialog, cmb13) != nullptr ? GetDlgItem(Dialog, cmb13) : GetDlgItem(Dialog, edt1);
  SendMessageTimeoutW(FileName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WidenUtf8(AFile).c_str()), SMTO_BLOCK, 5000,
                      nullptr);
  PostMessageW(Dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return Filter;
}

TEST(WizardWindow, FileDialogChoosesTheDatabase) {
  const testsupport::TTempFolder Folder;
  // A name beyond the ANSI code page: the path goes through in UTF-16 and UTF-8 only.
  const std::filesystem::path DatabasePath = Folder.Path() / WidenUtf8("база клиента.fdb");
  const std::string DatabaseFile = NarrowToUtf8(DatabasePath.wstring());
  std::ofstream(DatabasePath) << "not opened here";

  TfrmMainWindow Window(Environment());
  const HWND Main = Window.Handle();
  Click(ControlOf(Main, TControlId::Next_Button));
  std::string Filter;
  {
    TUser User([&](TUser& AUser) { Filter = ChooseInDialog(AUser, DatabaseFile); });
    Click(ControlOf(Main, TControlId::SelectDB_EllipsisButton));
  }
  EXPECT_EQ(Filter, "Базы данных (*.fdb)");
  EXPECT_EQ(Window.Wizard().DBFileName(), DatabaseFile);
  EXPECT_EQ(TextOf(ControlOf(Main, TControlId::SelectDB_Edit)), DatabaseFile);
  EXPECT_TRUE(IsWindowEnabled(ControlOf(Main, TControlId::Next_Button)));
}

// The whole update, as the user goes through it in the window, on a database of the package's
// "from" version: the copy, the checks and every block through the real client library.
TEST(WizardWindow, TheUpdateRunsThroughTheWindow) {
  if (!testsupport::EmbedsUpdate121()) GTEST_SKIP() << testsupport::SAboutUpdate121;
  const testsupport::TTempFolder Folder;
  const std::string DatabaseFile = testsupport::MakeDemoDatabase(Folder, "client.fdb");
  TfrmMainWindow Window(TWizardEnvironment{package::EmbeddedResources(), testsupport::ClientLibrary(), {},
                                           ExecutablePath});
  const HWND Main = Window.Handle();
  Click(ControlOf(Main, TControlId::Next_Button));
  {
    TUser User([&](TUser& AUser) { ChooseInDialog(AUser, DatabaseFile); });
    Click(ControlOf(Main, TControlId::SelectDB_EllipsisButton));
  }
  TSeenBox Question;
  {
    TUser User([&](TUser& AUser) { Question = AUser.AnswerBox(IDYES, Main); });
    Click(ControlOf(Main, TControlId::Next_Button));
  }

  EXPECT_EQ(Question.Text, "Удалить резервную копию базы данных?");
  EXPECT_TRUE(Window.Wizard().UpdateComplete());
  EXPECT_EQ(TextOf(ControlOf(Main, TControlId::Cancel_Button)), "Закрыть");
  EXPECT_FALSE(IsWindowEnabled(ControlOf(Main, TControlId::Next_Button)));
  EXPECT_FALSE(IsWindowVisible(ControlOf(Main, TControlId::Backup_ProgressBar)));
  const std::string Log = TextOf(ControlOf(Main, TControlId::UpdateLog_Memo));
  std::size_t Seen = 0;
  for (const char* Line : {"Резервная копия базы данных успешно создана;",
                           "Подготовка к обновлению и проверка базы данных завершена;",
                           "Обновление базы данных завершено;", "Резервная копия базы данных удалена;"}) {
    const std::size_t Found = Log.find(Line, Seen);
    EXPECT_NE(Found, std::string::npos) << Line << " in order, in:\n" << Log;
    Seen = Found == std::string::npos ? Seen : Found;
  }
  EXPECT_EQ(testsupport::QueryColumn(DatabaseFile, "SELECT COUNT(*) AS N FROM RDB$RELATION_FIELDS WHERE "
                                                   "RDB$RELATION_NAME = 'T_PROJECT' AND RDB$FIELD_NAME = 'ICONID'",
                                     "N"),
            std::vector<std::string>{"1"});
  std::vector<std::string> Files;
  for (const auto& Entry : std::filesystem::directory_iterator(Folder.Path())) {
    Files.push_back(testsupport::Utf8Of(Entry.path().filename()));
  }
  EXPECT_EQ(Files, std::vector<std::string>{"client.fdb"}) << "no backup, record or temporary file is left";
}

// The close box and Cancel both ask first; No keeps the window, Yes closes it.
TEST(WizardWindow, ClosingAsksFirst) {
  const std::vector<std::pair<const char*, std::function<void(HWND)>>> Ways = {
      {"close box", [](HWND AMain) { SendMessageW(AMain, WM_CLOSE, 0, 0); }},
      {"Cancel", [](HWND AMain) { Click(ControlOf(AMain, TControlId::Cancel_Button)); }},
  };
  for (const auto& [Name, Close] : Ways) {
    TfrmMainWindow Window(Environment());
    const HWND Main = Window.Handle();
    TSeenBox Seen;
    {
      TUser User([&, Main](TUser& AUser) { Seen = AUser.AnswerBox(IDNO, Main); });
      Close(Main);
    }
    ASSERT_TRUE(Seen.Shown) << Name;
    EXPECT_EQ(Seen.Title, "Выход") << Name;
    EXPECT_EQ(Seen.Text, "Выйти из программы обновления?") << Name;
    EXPECT_EQ(Seen.Owner, Main) << Name;
    EXPECT_FALSE(Seen.WindowEnabled) << Name;
    EXPECT_EQ(Seen.DefaultButton, IDYES) << Name;
    EXPECT_EQ(Window.Handle(), Main) << Name << ": No keeps the window";
    EXPECT_TRUE(IsWindowEnabled(Main)) << Name;
    {
      TUser User([](TUser& AUser) { AUser.AnswerBox(IDYES); });
      Close(Main);
    }
    EXPECT_EQ(Window.Handle(), nullptr) << Name << ": Yes closes it";
    EXPECT_FALSE(IsWindow(Main)) << Name;
  }
}

// A box of the application's disables the window; one without an owner leaves it usable.
TEST(WizardWindow, MessageBoxesFollowTheirOwnerAndButtons) {
  struct TCase {
    const char* Name;
    TMessageBox Box;
    int Press;
    TModalResult Expected;
    bool Owned;
  };
  const std::vector<TCase> Cases = {
      {"application's error",
       {"Внутренняя ошибка", "Ошибка", TMessageIcon::Error, TMessageButtons::Ok, TMessageOwner::Application},
       IDOK,
       TModalResult::Ok,
       true},
      {"ownerless question answered No",
       {"Удалить?", "Вопрос", TMessageIcon::Question, TMessageButtons::YesNo, TMessageOwner::None},
       IDNO,
       TModalResult::No,
       false},
      {"application's question answered Yes",
       {"Удалить?", "Вопрос", TMessageIcon::Question, TMessageButtons::YesNo, TMessageOwner::Application},
       IDYES,
       TModalResult::Yes,
       true},
      {"no caption: the system's title",
       {"<b>a & b</b>\nc", std::nullopt, TMessageIcon::Information, TMessageButtons::Ok, TMessageOwner::None},
       IDOK,
       TModalResult::Ok,
       false},
  };
  TfrmMainWindow Window(Environment());
  const HWND Main = Window.Handle();
  for (const auto& Case : Cases) {
    TSeenBox Seen;
    TModalResult Result = TModalResult::Ok;
    {
      TUser User([&, Main](TUser& AUser) { Seen = AUser.AnswerBox(Case.Press, Main); });
      Result = Window.ShowMessageBox(Case.Box);
    }
    ASSERT_TRUE(Seen.Shown) << Case.Name;
    EXPECT_EQ(Result, Case.Expected) << Case.Name;
    EXPECT_EQ(Seen.Text, Case.Box.Text) << Case.Name;
    if (Case.Box.Caption) {
      EXPECT_EQ(Seen.Title, *Case.Box.Caption) << Case.Name;
    } else {
      EXPECT_NE(Seen.Title, "") << Case.Name;
    }
    EXPECT_EQ(Seen.Owner, Case.Owned ? Main : nullptr) << Case.Name;
    EXPECT_EQ(Seen.WindowEnabled, !Case.Owned) << Case.Name;
    if (Case.Box.Buttons == TMessageButtons::YesNo) {
      EXPECT_EQ(Seen.DefaultButton, IDYES) << Case.Name;
    }
    EXPECT_TRUE(IsWindowEnabled(Main)) << Case.Name;
  }
}

TEST(WizardWindow, LogLinesGoToTheEndAndStayInSight) {
  TfrmMainWindow Window(Environment());
  const HWND Memo = ControlOf(Window.Handle(), TControlId::UpdateLog_Memo);
  std::string Expected;
  for (int Line = 1; Line <= 40; ++Line) {
    const std::string Text = "[05.07.2014 8:03:09] Строка " + std::to_string(Line) + ";";
    Window.AppendLogLine(Text);
    Expected += (Line == 1 ? "" : "\r\n") + Text;
  }
  EXPECT_EQ(TextOf(Memo), Expected);
  EXPECT_EQ(SendMessageW(Memo, EM_GETLINECOUNT, 0, 0), 40);
  EXPECT_GT(SendMessageW(Memo, EM_GETFIRSTVISIBLELINE, 0, 0), 20) << "scrolled to the last line";

  Window.AppendLogLine("первая\nвторая");
  EXPECT_TRUE(TextOf(Memo).ends_with("\r\nпервая\r\nвторая")) << "a line break of the message breaks the line";
}

TEST(WizardWindow, ProgressBarShowsTheShareDoneUntilHidden) {
  TfrmMainWindow Window(Environment());
  const HWND Bar = ControlOf(Window.Handle(), TControlId::Backup_ProgressBar);
  const std::vector<std::tuple<std::uint64_t, std::uint64_t, int>> Cases = {
      {0, 100, 0},
      {1, 3, 333},
      {5'000'000'000, 10'000'000'000, 500},  // beyond the bar's int range
      {7, 7, 1000},
      {9, 0, 0},  // nothing to copy
  };
  for (const auto& [Done, Total, Position] : Cases) {
    Window.ShowProgress(Done, Total);
    EXPECT_TRUE(Shown(Bar)) << Done << "/" << Total;
    EXPECT_EQ(SendMessageW(Bar, PBM_GETPOS, 0, 0), Position) << Done << "/" << Total;
  }
  Window.HideProgress();
  EXPECT_FALSE(Shown(Bar));
}

// One of the user's regional settings, changed for the test and given back after it.
class TChangedLocaleSetting {
public:
  TChangedLocaleSetting(LCTYPE AType, const wchar_t* AValue) : FType(AType) {
    wchar_t Saved[128] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, AType, Saved, 128);
    FSaved = Saved;
    Set(AValue);
  }
  ~TChangedLocaleSetting() { SetLocaleInfoW(LOCALE_USER_DEFAULT, FType, FSaved.c_str()); }
  TChangedLocaleSetting(const TChangedLocaleSetting&) = delete;
  TChangedLocaleSetting& operator=(const TChangedLocaleSetting&) = delete;
  void Set(const wchar_t* AValue) const { EXPECT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, FType, AValue)); }

private:
  LCTYPE FType;
  std::wstring FSaved;
};

// Windows' own regional settings make the log's time stamps, read again when Windows announces
// a change and only then.
TEST(WizardWindow, LogFollowsTheRegionalSettingsWindowsAnnounces) {
  TWizardEnvironment Settings = Environment();
  Settings.Clock = [] { return platform::TLocalDateTime{2014, 7, 5, 20, 3, 9, 0}; };
  TfrmMainWindow Window(std::move(Settings));
  const HWND Main = Window.Handle();
  const HWND Memo = ControlOf(Main, TControlId::UpdateLog_Memo);
  const auto Announce = [&] { SendMessageW(Main, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"intl")); };
  const TChangedLocaleSetting Date(LOCALE_SSHORTDATE, L"yyyy-MM-dd");
  const TChangedLocaleSetting Time(LOCALE_STIMEFORMAT, L"HH:mm:ss");
  Announce();
  Window.Wizard().AddLogMessage("one");
  Date.Set(L"d.M.yyyy");
  Time.Set(L"H.mm.ss");
  Window.Wizard().AddLogMessage("two");
  Announce();
  Window.Wizard().AddLogMessage("three");
  EXPECT_EQ(TextOf(Memo), "[2014-07-05 20:03:09] one;\r\n[2014-07-05 20:03:09] two;\r\n[5.7.2014 20.03.09] three;");
}

// The window's own message loop: Tab moves on, Enter presses Next wherever the focus is (here
// on Cancel), Escape does what Cancel does; the answer Yes ends the loop with status 0.
TEST(WizardWindow, MessageLoopTakesTheKeyboardUntilTheWindowCloses) {
  HWND Main = nullptr;
  std::vector<std::string> Steps;
  TSeenBox Question;
  int Status = -1;
  {
    TUser User([&](TUser& AUser) {
      Main = AUser.WaitForWindow(L"frmMain");
      if (Main != nullptr) {
        const HWND Next = ControlOf(Main, TControlId::Next_Button);
        const HWND Cancel = ControlOf(Main, TControlId::Cancel_Button);
        const HWND SelectPage = ControlOf(Main, TControlId::SelectDB_Page);
        if (WaitUntil([&] { return AUser.Focus() == Next; })) {
          Steps.emplace_back("Next has the focus");
        }
        AUser.PressKey(VK_TAB);
        if (WaitUntil([&] { return AUser.Focus() == Cancel; })) {
          Steps.emplace_back("Tab: Cancel");
        }
        AUser.PressKey(VK_RETURN);
        if (WaitUntil([&] { return IsWindowVisible(SelectPage) != FALSE; })) {
          Steps.emplace_back("Enter: selection page");
        }
        AUser.PressKey(VK_ESCAPE);
        Question = AUser.AnswerBox(IDYES, Main);
      }
      if (!WaitUntil([&] { return IsWindow(Main) == FALSE; })) {
        AUser.EndLoop();
      }
    });
    Status = RunWindow(Environment());
  }
  EXPECT_EQ(Steps, (std::vector<std::string>{"Next has the focus", "Tab: Cancel", "Enter: selection page"}));
  EXPECT_EQ(Question.Text, "Выйти из программы обновления?");
  EXPECT_EQ(Status, 0);
  EXPECT_FALSE(IsWindow(Main));
}

TEST(WizardWindow, MissingClientLibraryEndsWithStatusOne) {
  TSeenBox Seen;
  int Status = -1;
  {
    TUser User([&](TUser& AUser) { Seen = AUser.AnswerBox(IDOK); });
    Status = RunWizard(TStartOptions{package::EmbeddedResources(), {}, ExecutablePath, {"nothere32.dll"}});
  }
  EXPECT_EQ(Status, 1);
  EXPECT_EQ(Seen.Title, "Application Error");
  EXPECT_EQ(Seen.Owner, nullptr);
  EXPECT_TRUE(Seen.Text.starts_with("Exception EIBClientError in module dbupdate.exe at ")) << Seen.Text;
  EXPECT_TRUE(Seen.Text.ends_with(".\r\nInterBase library nothere32.dll not found in the path. "
                                  "Please install InterBase to use this functionality.\r\n"))
      << Seen.Text;
}

TEST(WizardWindow, UnusablePackageEndsWithStatusZeroWithoutTheWindow) {
  const testing::TMemoryResources Broken("[General]\r\nUpdTitle=x\r\n", "");
  TSeenBox Seen;
  bool WindowShown = true;
  int Status = -1;
  {
    const DWORD Thread = GetCurrentThreadId();
    TUser User([&](TUser& AUser) {
      Seen = AUser.AnswerBox(IDOK);
      WindowShown = FindThreadWindow(Thread, L"frmMain") != nullptr;
    });
    Status = RunWindow(TWizardEnvironment{Broken, nullptr, {}, ExecutablePath});
  }
  EXPECT_EQ(Status, 0);
  EXPECT_EQ(Seen.Title, "Ошибка");
  EXPECT_EQ(Seen.Text, "Внутренняя ошибка программы обновления");
  EXPECT_FALSE(WindowShown);
}

}  // namespace
}  // namespace app
