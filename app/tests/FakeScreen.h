#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/WizardScreen.h"

namespace app::testing {

// A screen that remembers what the wizard showed and answers dialogs and boxes from queues.
class TFakeScreen : public TWizardScreen {
public:
  int Page = -1;
  bool NextEnabled = true;
  std::map<TWizardLabel, std::string> Labels;
  int TitlePointsLarger = 0;
  bool TitleBold = false;
  std::string DBFileText;
  std::string CancelCaption = "Отмена";
  std::deque<std::optional<std::string>> DialogAnswers;
  std::deque<TModalResult> BoxAnswers;  // an empty queue answers Yes (or Ok)
  std::vector<TMessageBox> Boxes;
  std::vector<std::string> Log;
  int CloseRequests = 0;
  bool Terminated = false;
  TLocaleTimeSettings TimeSettings;
  std::function<void(const TMessageBox&)> OnBox;  // runs while a box is "shown"
  std::vector<std::pair<std::uint64_t, std::uint64_t>> Progress;
  bool ProgressVisible = false;
  int MessagesProcessed = 0;
  std::function<void()> OnProcessMessages;  // what the user does while the window is alive

  void SetActivePage(int APageIndex) override { Page = APageIndex; }
  [[nodiscard]] int ActivePage() const override { return Page; }
  void SetNextEnabled(bool AEnabled) override { NextEnabled = AEnabled; }
  void SetLabelText(TWizardLabel ALabel, const std::string& AText) override { Labels[ALabel] = AText; }
  void SetTitleFont(int APointsLarger, bool ABold) override {
    TitlePointsLarger = APointsLarger;
    TitleBold = ABold;
  }
  void SetDBFileText(const std::string& AText) override { DBFileText = AText; }
  void SetCancelCaption(const std::string& ACaption) override { CancelCaption = ACaption; }
  [[nodiscard]] std::optional<std::string> RunOpenDialog() override {
    if (DialogAnswers.empty()) {
      return std::nullopt;
    }
    auto Answer = DialogAnswers.front();
    DialogAnswers.pop_front();
    return Answer;
  }
  TModalResult ShowMessageBox(const TMessageBox& ABox) override {
    Boxes.push_back(ABox);
    if (OnBox) {
      OnBox(ABox);
    }
    if (BoxAnswers.empty()) {
      return ABox.Buttons == TMessageButtons::Ok ? TModalResult::Ok : TModalResult::Yes;
    }
    const TModalResult Answer = BoxAnswers.front();
    BoxAnswers.pop_front();
    return Answer;
  }
  void AppendLogLine(const std::string& ALine) override { Log.push_back(ALine); }
  void ShowProgress(std::uint64_t ADone, std::uint64_t ATotal) override {
    Progress.emplace_back(ADone, ATotal);
    ProgressVisible = true;
  }
  void HideProgress() override { ProgressVisible = false; }
  void ProcessMessages() override {
    ++MessagesProcessed;
    if (OnProcessMessages) {
      OnProcessMessages();
    }
  }
  void CloseWindow() override { ++CloseRequests; }
  void Terminate() override { Terminated = true; }
  [[nodiscard]] TLocaleTimeSettings ReadLocaleTimeSettings() const override { return TimeSettings; }
};

}  // namespace app::testing
