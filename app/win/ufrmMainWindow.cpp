#include "app/win/ufrmMainWindow.h"

#include "platform/win/WindowsApi.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <stdexcept>
#include <string_view>

#include "app/ApplicationErrors.h"
#include "app/win/LocaleSettings.h"
#include "app/win/ResourceImage.h"
#include "app/win/WindowResources.h"
#include "platform/Exception.h"
#include "platform/win/WideText.h"

namespace app {
namespace {

using platform::win::NarrowToUtf8;
using platform::win::WidenUtf8;

constexpr int ClientWidth = 609;
constexpr int ClientHeight = 393;
constexpr int LabelWidth = 401;
constexpr int ProgressSteps = 1000;  // a file's size in bytes does not fit the bar's int range
constexpr int ButtonEditHeight = 21;

constexpr const wchar_t* MainWindowClass = L"frmMain";
// The notebook, its pages, the tools panel and the box with the ellipsis button: plain
// containers that hand their children's notifications on to the window.
constexpr const wchar_t* ContainerClass = L"dbupdate.Container";

constexpr const char* Caption = "Мастер обновления базы данных";
constexpr const char* SelectDBText =
    "Выберите базу данных для обновления. Внимание! Перед началом обновления необходимо убедится в том, что "
    "никакие другие программы не подключены к базе.";

struct TPlace {
  int Left;
  int Top;
  int Width;
  int Height;
};

HMENU ControlMenu(TControlId AId) { return reinterpret_cast<HMENU>(static_cast<std::intptr_t>(AId)); }

constexpr int IdOf(TControlId AId) { return static_cast<int>(AId); }

std::wstring Widen(std::string_view AText) { return WidenUtf8(AText); }

std::string TextOf(HWND AWindow) {
  std::wstring Text(static_cast<std::size_t>(GetWindowTextLengthW(AWindow)) + 1, L'\0');
  Text.resize(static_cast<std::size_t>(GetWindowTextW(AWindow, Text.data(), static_cast<int>(Text.size()))));
  return NarrowToUtf8(Text);
}

void SetText(HWND AWindow, std::string_view AText) { SetWindowTextW(AWindow, Widen(AText).c_str()); }

// An edit control breaks lines only at CR LF.
std::wstring WithWindowsLineBreaks(std::wstring_view AText) {
  std::wstring Result;
  Result.reserve(AText.size());
  for (std::size_t Pos = 0; Pos < AText.size(); ++Pos) {
    const wchar_t Char = AText[Pos];
    if (Char == L'\r' || Char == L'\n') {
      Result += L"\r\n";
      if (Char == L'\r' && Pos + 1 < AText.size() && AText[Pos + 1] == L'\n') {
        ++Pos;
      }
    } else {
      Result += Char;
    }
  }
  return Result;
}

int ScreenPixelsPerInch() {
  const HDC Screen = GetDC(nullptr);
  const int PixelsPerInch = GetDeviceCaps(Screen, LOGPIXELSY);
  ReleaseDC(nullptr, Screen);
  return PixelsPerInch > 0 ? PixelsPerInch : 96;
}

win::TFont CreateTahoma(int APoints, bool ABold) {
  win::TFont Font(CreateFontW(-MulDiv(APoints, ScreenPixelsPerInch(), 72), 0, 0, 0, ABold ? FW_BOLD : FW_NORMAL,
                              FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
  if (!Font) {
    throw std::runtime_error("The window's font cannot be created");
  }
  return Font;
}

// A device context of a window with the window's font selected, both given back at the end.
class TWindowTextContext {
public:
  explicit TWindowTextContext(HWND AWindow) : FWindow(AWindow), FContext(GetDC(AWindow)) {
    const auto Font = reinterpret_cast<HFONT>(SendMessageW(AWindow, WM_GETFONT, 0, 0));
    if (FContext != nullptr && Font != nullptr) {
      FOldFont = SelectObject(FContext, Font);
    }
  }
  ~TWindowTextContext() {
    if (FOldFont != nullptr) {
      SelectObject(FContext, FOldFont);
    }
    if (FContext != nullptr) {
      ReleaseDC(FWindow, FContext);
    }
  }
  TWindowTextContext(const TWindowTextContext&) = delete;
  TWindowTextContext& operator=(const TWindowTextContext&) = delete;
  [[nodiscard]] HDC Get() const { return FContext; }

private:
  HWND FWindow;
  HDC FContext;
  HGDIOBJ FOldFont = nullptr;
};

// Counts a box of the wizard's while it is on the screen.
class TOpenBox {
public:
  explicit TOpenBox(int& ACount) : FCount(ACount) { ++FCount; }
  ~TOpenBox() { --FCount; }
  TOpenBox(const TOpenBox&) = delete;
  TOpenBox& operator=(const TOpenBox&) = delete;

private:
  int& FCount;
};

bool IsKeyDown(int AKey) { return (static_cast<unsigned short>(GetKeyState(AKey)) & 0x8000U) != 0; }

LRESULT CALLBACK ContainerProcedure(HWND AWindow, UINT AMessage, WPARAM AWParam, LPARAM ALParam) {
  switch (AMessage) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    // What a multi-line edit asks of its "dialog" for Tab, Enter and Escape: the window's to
    // answer, not a container's (which would close itself on WM_CLOSE).
    case WM_NEXTDLGCTL:
    case DM_GETDEFID:
    case WM_CLOSE:
      return SendMessageW(GetParent(AWindow), AMessage, AWParam, ALParam);
    default:
      return DefWindowProcW(AWindow, AMessage, AWParam, ALParam);
  }
}

}  // namespace

// The window procedure, the message loop's key handling and the creation of controls: what
// of the window is written in Windows' own types.
class TWindowMessages {
public:
  static void RegisterClasses() {
    const HINSTANCE Instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW Existing{};
    Existing.cbSize = sizeof(Existing);
    const auto Register = [&](const wchar_t* AName, WNDPROC AProcedure) {
      if (GetClassInfoExW(Instance, AName, &Existing)) {
        return;  // an earlier window of this process registered it
      }
      WNDCLASSEXW Class{};
      Class.cbSize = sizeof(Class);
      Class.lpfnWndProc = AProcedure;
      Class.hInstance = Instance;
      Class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(static_cast<std::uintptr_t>(32512)));  // IDC_ARROW
      Class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
      Class.lpszClassName = AName;
      if (RegisterClassExW(&Class) == 0) {
        throw std::runtime_error("The window class cannot be registered");
      }
    };
    Register(MainWindowClass, &MainProcedure);
    Register(ContainerClass, &ContainerProcedure);
  }

  static HWND CreateChild(TfrmMainWindow& AWindow, HWND AParent, const wchar_t* AClass, std::string_view AText,
                          DWORD AStyle, DWORD AExStyle, TPlace APlace, TControlId AId) {
    const HWND Control = CreateWindowExW(AExStyle, AClass, Widen(AText).c_str(), WS_CHILD | AStyle, APlace.Left,
                                         APlace.Top, APlace.Width, APlace.Height, AParent, ControlMenu(AId),
                                         GetModuleHandleW(nullptr), nullptr);
    if (Control == nullptr) {
      throw std::runtime_error("A control of the window cannot be created");
    }
    SendMessageW(Control, WM_SETFONT, reinterpret_cast<WPARAM>(AWindow.FFont.get()), FALSE);
    return Control;
  }

  static HWND CreateContainer(TfrmMainWindow& AWindow, HWND AParent, std::string_view AName, TPlace APlace,
                              TControlId AId, DWORD AStyle = WS_VISIBLE) {
    // WS_EX_CONTROLPARENT: Tab walks on into the container's children.
    return CreateChild(AWindow, AParent, ContainerClass, AName, AStyle | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT,
                       APlace, AId);
  }

  static HWND CreateLabel(TfrmMainWindow& AWindow, HWND AParent, std::string_view AText, TPlace APlace,
                          TControlId AId, bool AWrapped) {
    // SS_NOPREFIX: every text shows as written, an ampersand included.
    const HWND Label = CreateChild(AWindow, AParent, L"STATIC", AText,
                                   WS_VISIBLE | SS_NOPREFIX | (AWrapped ? SS_LEFT : SS_LEFTNOWORDWRAP), 0, APlace, AId);
    AWindow.FitLabel(Label, AWrapped);
    return Label;
  }

  // Enter presses Next from anywhere in the window while it is enabled; Escape does what
  // Cancel does. Not while a box of the wizard's is open. Taken before the dialog manager,
  // which would give Enter to a focused push button and Escape to a multi-line edit.
  static bool HandleWindowKey(TfrmMainWindow& AWindow, const MSG& AMessage) {
    const HWND Window = AWindow.Handle();
    if (AMessage.message != WM_KEYDOWN || (AMessage.wParam != VK_RETURN && AMessage.wParam != VK_ESCAPE) ||
        Window == nullptr || (AMessage.hwnd != Window && !IsChild(Window, AMessage.hwnd)) ||
        IsKeyDown(VK_CONTROL) || IsKeyDown(VK_MENU) || IsKeyDown(VK_SHIFT)) {
      return false;
    }
    if (AWindow.FOpenBoxes > 0) {
      return true;  // kept from the dialog manager too, which would press Next all the same
    }
    if (AMessage.wParam == VK_RETURN) {
      if (IsWindowEnabled(AWindow.Next_Button)) {
        AWindow.FWizard->RunHandler([&] { AWindow.FWizard->Next_ButtonClick(); });
      }
    } else {
      AWindow.FWizard->RunHandler([&] { AWindow.FWizard->Cancel_ButtonClick(); });
    }
    return true;
  }

  static void Dispatch(TfrmMainWindow& AWindow, MSG& AMessage) {
    if (HandleWindowKey(AWindow, AMessage)) {
      return;
    }
    if (AWindow.Handle() != nullptr && IsDialogMessageW(AWindow.Handle(), &AMessage)) {
      return;
    }
    TranslateMessage(&AMessage);
    DispatchMessageW(&AMessage);
  }

  static void RethrowPendingError(TfrmMainWindow& AWindow) {
    if (AWindow.FPendingError) {
      std::rethrow_exception(std::exchange(AWindow.FPendingError, nullptr));
    }
  }

private:
  static LRESULT CALLBACK MainProcedure(HWND AWindow, UINT AMessage, WPARAM AWParam, LPARAM ALParam) {
    if (AMessage == WM_NCCREATE) {
      const auto* Create = reinterpret_cast<const CREATESTRUCTW*>(ALParam);
      SetWindowLongPtrW(AWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Create->lpCreateParams));
    }
    auto* Window = reinterpret_cast<TfrmMainWindow*>(GetWindowLongPtrW(AWindow, GWLP_USERDATA));
    if (Window == nullptr) {
      return DefWindowProcW(AWindow, AMessage, AWParam, ALParam);
    }
    try {
      return HandleMessage(*Window, AWindow, AMessage, AWParam, ALParam);
    } catch (...) {
      // No exception may cross the system's code between here and the loop.
      Window->FPendingError = std::current_exception();
      return 0;
    }
  }

  static LRESULT HandleMessage(TfrmMainWindow& AWindow, HWND AHandle, UINT AMessage, WPARAM AWParam,
                               LPARAM ALParam) {
    switch (AMessage) {
      case WM_COMMAND:
        if (HIWORD(AWParam) == BN_CLICKED) {
          HandleCommand(AWindow, LOWORD(AWParam));
          return 0;
        }
        break;
      case DM_GETDEFID:
        return MAKELRESULT(IdOf(TControlId::Next_Button), DC_HASDEFID);
      case WM_NEXTDLGCTL: {
        const HWND Target = LOWORD(ALParam) != 0 ? reinterpret_cast<HWND>(AWParam)
                                                 : GetNextDlgTabItem(AHandle, GetFocus(), AWParam != 0);
        if (Target != nullptr) {
          SetFocus(Target);
        }
        return 0;
      }
      case WM_CTLCOLORSTATIC:
        // A read-only edit asks as a static does; the log reads on the face colour of buttons.
        if (reinterpret_cast<HWND>(ALParam) == AWindow.UpdateLog_Memo) {
          const auto Context = reinterpret_cast<HDC>(AWParam);
          SetTextColor(Context, GetSysColor(COLOR_WINDOWTEXT));
          SetBkColor(Context, GetSysColor(COLOR_BTNFACE));
          return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        break;
      case WM_ACTIVATE:
        // A plain window, unlike a dialog, forgets its focused control when it goes inactive
        // (a box, another program): kept here and given back.
        if (LOWORD(AWParam) == WA_INACTIVE) {
          const HWND Focus = GetFocus();
          if (Focus != nullptr && IsChild(AHandle, Focus)) {
            AWindow.FSavedFocus = Focus;
          }
        } else {
          if (AWindow.FSavedFocus != nullptr && IsChild(AHandle, AWindow.FSavedFocus)) {
            SetFocus(AWindow.FSavedFocus);
          }
          AWindow.KeepFocusInside();
        }
        return 0;
      case WM_SETFOCUS:
        AWindow.KeepFocusInside();
        return 0;
      case WM_SETTINGCHANGE:
        if (ALParam != 0 && _wcsicmp(reinterpret_cast<const wchar_t*>(ALParam), L"intl") == 0 && AWindow.FWizard) {
          AWindow.FWizard->RunHandler([&] { AWindow.FWizard->SettingsChanged(); });
        }
        break;
      case WM_CLOSE: {
        bool CanClose = true;
        if (AWindow.FWizard) {
          AWindow.FWizard->RunHandler([&] { AWindow.FWizard->FormCloseQuery(CanClose); });
        }
        if (CanClose) {
          DestroyWindow(AHandle);
        }
        return 0;
      }
      case WM_DESTROY:
        // Only the loop of Run() ends with the window: one destroyed outside it (never shown,
        // or a test's) leaves no quit message for whoever turns the next loop.
        if (AWindow.FRunning) {
          PostQuitMessage(0);
        }
        return 0;
      case WM_NCDESTROY:
        SetWindowLongPtrW(AHandle, GWLP_USERDATA, 0);
        static_cast<void>(AWindow.FHandle.release());  // gone already: nothing left to destroy
        break;
      default:
        break;
    }
    return DefWindowProcW(AHandle, AMessage, AWParam, ALParam);
  }

  static void HandleCommand(TfrmMainWindow& AWindow, int AId) {
    if (!AWindow.FWizard) {
      return;
    }
    TfrmMain& Wizard = *AWindow.FWizard;
    switch (AId) {
      case IDOK:  // the dialog manager's Enter, should it ever get one
      case IdOf(TControlId::Next_Button):
        // Whatever sends it (a click simulated on the disabled button, too): Next acts only
        // while the user can press it.
        if (IsWindowEnabled(AWindow.Next_Button)) {
          Wizard.RunHandler([&] { Wizard.Next_ButtonClick(); });
        }
        break;
      case IDCANCEL:
      case IdOf(TControlId::Cancel_Button):
        Wizard.RunHandler([&] { Wizard.Cancel_ButtonClick(); });
        break;
      case IdOf(TControlId::SelectDB_EllipsisButton):
        Wizard.RunHandler([&] { Wizard.SelectDB_ButtonEditPropertiesButtonClick(0); });
        break;
      default:
        break;
    }
  }
};

TfrmMainWindow::TfrmMainWindow(TWizardEnvironment AEnvironment) {
  INITCOMMONCONTROLSEX CommonControls{};
  CommonControls.dwSize = sizeof(CommonControls);
  CommonControls.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS;
  InitCommonControlsEx(&CommonControls);
  TWindowMessages::RegisterClasses();
  FFont = CreateTahoma(FFontPoints, false);

  // Fixed single border, the system menu and the close box only.
  constexpr DWORD Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  constexpr DWORD ExStyle = WS_EX_CONTROLPARENT;
  RECT Frame{0, 0, ClientWidth, ClientHeight};
  AdjustWindowRectEx(&Frame, Style, FALSE, ExStyle);
  const int Width = Frame.right - Frame.left;
  const int Height = Frame.bottom - Frame.top;
  RECT WorkArea{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &WorkArea, 0);
  const int Left = WorkArea.left + (WorkArea.right - WorkArea.left - Width) / 2;
  const int Top = WorkArea.top + (WorkArea.bottom - WorkArea.top - Height) / 2;
  FHandle.reset(CreateWindowExW(ExStyle, MainWindowClass, Widen(Caption).c_str(), Style, Left, Top, Width, Height,
                                nullptr, nullptr, GetModuleHandleW(nullptr), this));
  if (!FHandle) {
    throw std::runtime_error("The window cannot be created");
  }
  SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FFont.get()), FALSE);
  CreateControls();

  FWizard = std::make_unique<TfrmMain>(*this, std::move(AEnvironment));
  FWizard->RunHandler([this] { FWizard->FormCreate(); });
}

TfrmMainWindow::~TfrmMainWindow() {
  if (FWizard) {
    FWizard->FormDestroy();
  }
  FHandle.reset();
}

void TfrmMainWindow::CreateControls() {
  UpdateLogo_Image = TWindowMessages::CreateChild(*this, Handle(), L"STATIC", "",
                                                  WS_VISIBLE | SS_BITMAP | SS_REALSIZECONTROL, 0, {0, 0, 177, 337},
                                                  TControlId::UpdateLogo_Image);
  LoadLogo();

  UpdatePages_Notebook = TWindowMessages::CreateContainer(*this, Handle(), "UpdatePages_Notebook", {176, 0, 433, 337},
                                                          TControlId::UpdatePages_Notebook);
  CreateInfoPage();
  CreateSelectDBPage();
  CreateUpdatePage();
  SetActivePage(InfoPage);

  CreateToolsPanel();

  DebugMode_Label =
      TWindowMessages::CreateLabel(*this, Handle(), "", {8, 343, 0, 0}, TControlId::DebugMode_Label, false);
}

void TfrmMainWindow::LoadLogo() {
  FLogo = win::LoadResourceImage(DBUPDATE_LOGO_RESOURCE);
  if (FLogo) {
    SendMessageW(UpdateLogo_Image, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(FLogo.get()));
  }
}

void TfrmMainWindow::CreateInfoPage() {
  // Pages are named by their window texts, which nothing shows.
  FPages[InfoPage] = TWindowMessages::CreateContainer(*this, UpdatePages_Notebook, "INFO", {0, 0, 433, 337},
                                                      TControlId::Info_Page, 0);
  AppTitle_Label = TWindowMessages::CreateLabel(*this, FPages[InfoPage], "", {16, 16, LabelWidth, 0},
                                                TControlId::AppTitle_Label, true);
  DBVersionInfo_Label = TWindowMessages::CreateLabel(*this, FPages[InfoPage], "", {16, 88, LabelWidth, 0},
                                                     TControlId::DBVersionInfo_Label, true);
}

void TfrmMainWindow::CreateSelectDBPage() {
  const HWND Page = TWindowMessages::CreateContainer(*this, UpdatePages_Notebook, "SELECTDB", {0, 0, 433, 337},
                                                     TControlId::SelectDB_Page, 0);
  FPages[SelectDBPage] = Page;
  SelectDB_Label = TWindowMessages::CreateLabel(*this, Page, SelectDBText, {16, 16, LabelWidth, 0},
                                                TControlId::SelectDB_Label, true);

  SelectDB_ButtonEdit = TWindowMessages::CreateContainer(*this, Page, "", {16, 112, LabelWidth, ButtonEditHeight},
                                                         TControlId::SelectDB_ButtonEdit);
  // The wizard never reads what is typed here: the file dialog is the only way to choose.
  SelectDB_Edit = TWindowMessages::CreateChild(*this, SelectDB_ButtonEdit, L"EDIT", "",
                                               WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                                               {0, 0, LabelWidth - ButtonEditHeight, ButtonEditHeight},
                                               TControlId::SelectDB_Edit);
  SendMessageW(SelectDB_Edit, EM_SETLIMITTEXT, 0, 0);  // paths longer than MAX_PATH
  SelectDB_EllipsisButton = TWindowMessages::CreateChild(
      *this, SelectDB_ButtonEdit, L"BUTTON", "…", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
      {LabelWidth - ButtonEditHeight, 0, ButtonEditHeight, ButtonEditHeight}, TControlId::SelectDB_EllipsisButton);
}

void TfrmMainWindow::CreateUpdatePage() {
  const HWND Page = TWindowMessages::CreateContainer(*this, UpdatePages_Notebook, "UPDATE", {0, 0, 433, 337},
                                                     TControlId::Update_Page, 0);
  FPages[UpdatePage] = Page;
  UpdateLog_Label = TWindowMessages::CreateLabel(*this, Page, "Обновление базы данных", {16, 16, LabelWidth, 0},
                                                 TControlId::UpdateLog_Label, true);

  // In the gap between the label and the log, so that nothing else moves when it shows.
  Backup_ProgressBar = TWindowMessages::CreateChild(*this, Page, PROGRESS_CLASSW, "", 0, 0, {16, 34, LabelWidth, 16},
                                                    TControlId::Backup_ProgressBar);
  SendMessageW(Backup_ProgressBar, PBM_SETRANGE32, 0, ProgressSteps);

  UpdateLog_Memo = TWindowMessages::CreateChild(
      *this, Page, L"EDIT", "",
      WS_VISIBLE | WS_TABSTOP | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL |
          ES_AUTOVSCROLL,
      WS_EX_CLIENTEDGE, {16, 56, 401, 265}, TControlId::UpdateLog_Memo);
  SendMessageW(UpdateLog_Memo, EM_SETLIMITTEXT, 0, 0);  // the log of a long package outgrows the default
}

void TfrmMainWindow::CreateToolsPanel() {
  UpdateTools_Panel = TWindowMessages::CreateContainer(*this, Handle(), "", {176, 336, 433, 57},
                                                       TControlId::UpdateTools_Panel);
  // A bevel on the top edge only.
  TWindowMessages::CreateChild(*this, UpdateTools_Panel, L"STATIC", "", WS_VISIBLE | SS_ETCHEDHORZ, 0, {0, 0, 433, 2},
                               TControlId::UpdateTools_Bevel);
  Next_Button = TWindowMessages::CreateChild(*this, UpdateTools_Panel, L"BUTTON", "Далее >",
                                             WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, {233, 16, 89, 25},
                                             TControlId::Next_Button);
  Cancel_Button = TWindowMessages::CreateChild(*this, UpdateTools_Panel, L"BUTTON", "Отмена",
                                               WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, {328, 16, 89, 25},
                                               TControlId::Cancel_Button);
}

void TfrmMainWindow::FitLabel(HWND__* ALabel, bool AWrapped) {
  const std::wstring Text = Widen(TextOf(ALabel));
  RECT Place{0, 0, LabelWidth, 0};
  {
    const TWindowTextContext Context(ALabel);
    const UINT Format = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (AWrapped ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextW(Context.Get(), Text.c_str(), static_cast<int>(Text.size()), &Place, Format);
  }
  const int Width = AWrapped ? LabelWidth : Place.right - Place.left;
  SetWindowPos(ALabel, nullptr, 0, 0, Width, Place.bottom - Place.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmMainWindow::KeepFocusInside() {
  const HWND Window = Handle();
  if (Window == nullptr || GetActiveWindow() != Window) {
    return;
  }
  const HWND Focus = GetFocus();
  if (Focus != nullptr && IsChild(Window, Focus) && IsWindowVisible(Focus) && IsWindowEnabled(Focus)) {
    return;
  }
  // The next control after the lost one, or the first of the window.
  HWND Next = GetNextDlgTabItem(Window, Focus != nullptr && IsChild(Window, Focus) ? Focus : nullptr, FALSE);
  if (Next != nullptr) {
    SetFocus(Next);
  }
}

int TfrmMainWindow::Run() {
  if (Handle() == nullptr) {
    return 0;
  }
  FRunning = true;
  struct TStop {
    bool& Running;
    ~TStop() { Running = false; }
  } Stop{FRunning};
  ShowWindow(Handle(), SW_SHOWNORMAL);
  UpdateWindow(Handle());
  MSG Message{};
  while (true) {
    const BOOL Got = GetMessageW(&Message, nullptr, 0, 0);
    if (Got == -1) {
      return 1;  // the queue cannot be read: nothing more the window can do
    }
    if (Got == 0) {
      break;
    }
    TWindowMessages::Dispatch(*this, Message);
    TWindowMessages::RethrowPendingError(*this);
  }
  return static_cast<int>(Message.wParam);
}

void TfrmMainWindow::SetActivePage(int APageIndex) {
  if (APageIndex < 0 || APageIndex >= static_cast<int>(FPages.size())) {
    return;
  }
  FActivePage = APageIndex;
  for (std::size_t Index = 0; Index < FPages.size(); ++Index) {
    ShowWindow(FPages[Index], static_cast<int>(Index) == APageIndex ? SW_SHOWNA : SW_HIDE);
  }
  KeepFocusInside();  // a control on the page that went away may have had it
}

int TfrmMainWindow::ActivePage() const { return FActivePage; }

void TfrmMainWindow::SetNextEnabled(bool AEnabled) {
  EnableWindow(Next_Button, AEnabled ? TRUE : FALSE);
  KeepFocusInside();
}

void TfrmMainWindow::SetLabelText(TWizardLabel ALabel, const std::string& AText) {
  const HWND Label = ALabel == TWizardLabel::AppTitle        ? AppTitle_Label
                     : ALabel == TWizardLabel::DBVersionInfo ? DBVersionInfo_Label
                                                             : DebugMode_Label;
  SetText(Label, AText);
  FitLabel(Label, Label != DebugMode_Label);
}

void TfrmMainWindow::SetTitleFont(int APointsLarger, bool ABold) {
  win::TFont Font = CreateTahoma(FFontPoints + APointsLarger, ABold);
  SendMessageW(AppTitle_Label, WM_SETFONT, reinterpret_cast<WPARAM>(Font.get()), TRUE);
  FTitleFont = std::move(Font);  // the label no longer uses the old one
  FitLabel(AppTitle_Label, true);
}

void TfrmMainWindow::SetDBFileText(const std::string& AText) { SetText(SelectDB_Edit, AText); }

void TfrmMainWindow::SetCancelCaption(const std::string& ACaption) { SetText(Cancel_Button, ACaption); }

std::optional<std::string> TfrmMainWindow::RunOpenDialog() {
  // The description and the pattern of the one file type, each ended by a null, and a null
  // after the last.
  std::wstring Filter = Widen("Базы данных (*.fdb)");
  Filter += L'\0';
  Filter += L"*.fdb";
  Filter += L'\0';
  std::wstring FileName(32768, L'\0');  // a long path's limit
  OPENFILENAMEW Dialog{};
  Dialog.lStructSize = sizeof(Dialog);
  Dialog.hwndOwner = Handle();
  Dialog.lpstrFilter = Filter.c_str();
  Dialog.nFilterIndex = 1;
  Dialog.lpstrFile = FileName.data();
  Dialog.nMaxFile = static_cast<DWORD>(FileName.size());
  Dialog.lpstrDefExt = L"fdb";
  Dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&Dialog)) {
    return std::nullopt;
  }
  FileName.resize(std::wcslen(FileName.c_str()));
  return NarrowToUtf8(FileName);
}

TModalResult TfrmMainWindow::ShowMessageBox(const TMessageBox& ABox) {
  // A box of the application's disables the window (MB_APPLMODAL with the window as owner);
  // one without an owner leaves it usable. Never MB_TASKMODAL, which would disable it too.
  const bool Owned = ABox.Owner == TMessageOwner::Application;
  UINT Type = MB_APPLMODAL;
  switch (ABox.Icon) {
    case TMessageIcon::Error:
      Type |= MB_ICONERROR;
      break;
    case TMessageIcon::Question:
      Type |= MB_ICONQUESTION;
      break;
    case TMessageIcon::Information:
      Type |= MB_ICONINFORMATION;
      break;
  }
  Type |= ABox.Buttons == TMessageButtons::YesNo ? MB_YESNO | MB_DEFBUTTON1 : MB_OK;
  const std::wstring Text = Widen(ABox.Text);
  const std::wstring Title = ABox.Caption ? Widen(*ABox.Caption) : std::wstring();
  int Pressed = 0;
  {
    const TOpenBox Open(FOpenBoxes);
    Pressed = MessageBoxW(Owned ? Handle() : nullptr, Text.c_str(), ABox.Caption ? Title.c_str() : nullptr, Type);
  }
  if (ABox.Buttons == TMessageButtons::Ok) {
    return TModalResult::Ok;
  }
  return Pressed == IDYES ? TModalResult::Yes : TModalResult::No;
}

void TfrmMainWindow::AppendLogLine(const std::string& ALine) {
  const int Length = GetWindowTextLengthW(UpdateLog_Memo);
  std::wstring Text = WithWindowsLineBreaks(Widen(ALine));
  if (Length > 0) {
    Text.insert(0, L"\r\n");
  }
  SendMessageW(UpdateLog_Memo, EM_SETSEL, static_cast<WPARAM>(Length), Length);
  SendMessageW(UpdateLog_Memo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Text.c_str()));
  SendMessageW(UpdateLog_Memo, EM_SCROLLCARET, 0, 0);
}

void TfrmMainWindow::ShowProgress(std::uint64_t ADone, std::uint64_t ATotal) {
  const auto Steps = ATotal == 0 ? 0
                                 : static_cast<int>(static_cast<double>(ADone) / static_cast<double>(ATotal) *
                                                    ProgressSteps);
  SendMessageW(Backup_ProgressBar, PBM_SETPOS, static_cast<WPARAM>(std::clamp(Steps, 0, ProgressSteps)), 0);
  ShowWindow(Backup_ProgressBar, SW_SHOWNA);
}

void TfrmMainWindow::HideProgress() { ShowWindow(Backup_ProgressBar, SW_HIDE); }

void TfrmMainWindow::ProcessMessages() {
  MSG Message{};
  while (PeekMessageW(&Message, nullptr, 0, 0, PM_REMOVE)) {
    if (Message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(Message.wParam));  // for the loop of Run(), once the step is over
      break;
    }
    TWindowMessages::Dispatch(*this, Message);
    TWindowMessages::RethrowPendingError(*this);
  }
}

void TfrmMainWindow::CloseWindow() {
  if (Handle() != nullptr) {
    SendMessageW(Handle(), WM_CLOSE, 0, 0);
  }
}

void TfrmMainWindow::Terminate() {
  FTerminated = true;
  if (FRunning) {
    PostQuitMessage(0);
  }
}

TLocaleTimeSettings TfrmMainWindow::ReadLocaleTimeSettings() const { return win::ReadUserTimeSettings(); }

namespace {

std::string FileNameOf(const std::string& APath) {
  const std::size_t Slash = APath.find_last_of("\\/");
  return Slash == std::string::npos ? APath : APath.substr(Slash + 1);
}

struct TLocalFreeDeleter {
  void operator()(void* AMemory) const noexcept { LocalFree(AMemory); }
};

std::vector<std::string> CommandLineArguments() {
  int Count = 0;
  const std::unique_ptr<LPWSTR, TLocalFreeDeleter> Arguments(CommandLineToArgvW(GetCommandLineW(), &Count));
  std::vector<std::string> Result;
  for (int Index = 1; Arguments && Index < Count; ++Index) {
    Result.push_back(NarrowToUtf8(Arguments.get()[Index]));
  }
  return Result;
}

std::string ExecutablePath() {
  std::wstring Path(MAX_PATH, L'\0');
  while (true) {
    const DWORD Length = GetModuleFileNameW(nullptr, Path.data(), static_cast<DWORD>(Path.size()));
    if (Length < Path.size()) {
      Path.resize(Length);
      return NarrowToUtf8(Path);
    }
    Path.resize(Path.size() * 2);  // cut short: a longer buffer
  }
}

}  // namespace

int RunWindow(TWizardEnvironment AEnvironment) {
  TfrmMainWindow Window(std::move(AEnvironment));
  if (Window.Terminated()) {
    return 0;
  }
  return Window.Run();
}

int RunWizard(const TStartOptions& AOptions) {
  std::shared_ptr<const db::TIBClientLibrary> Library;
  try {
    Library = db::TIBClientLibrary::Load(AOptions.ClientLibraryNames);
  } catch (const platform::EError& Error) {
    // Nothing of the wizard exists yet: the last-resort display of the run-time library.
    const std::string Text =
        ApplicationErrorText(Error.ClassName(), FileNameOf(AOptions.ExecutablePath),
                             reinterpret_cast<std::uintptr_t>(&RunWizard), Error.what());
    MessageBoxW(nullptr, Widen(Text).c_str(), Widen(ApplicationErrorCaption).c_str(), MB_OK | MB_ICONERROR);
    return 1;
  }
  return RunWindow(
      TWizardEnvironment{AOptions.Resources, std::move(Library), AOptions.Arguments, AOptions.ExecutablePath});
}

int RunProgram(const package::TResourceSource& AResources) {
  return RunWizard(TStartOptions{AResources, CommandLineArguments(), ExecutablePath()});
}

}  // namespace app
