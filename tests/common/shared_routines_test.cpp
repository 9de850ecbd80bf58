#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/AskYesNo.h"
#include "common/FormsCollection.h"
#include "common/UnloadAllForms.h"
#include "common/WaitSeconds.h"
#include "tests/support/RecordingHostServices.h"

namespace {

// A clock that moves on by a fixed step each time it is read.
struct SteppingClock {
  double now;
  double step;
  double operator()() {
    const double t = now;
    now += step;
    if (now >= 86400.0) now -= 86400.0;
    return t;
  }
};

}  // namespace

TEST(WaitSeconds, WaitsTheGivenTimeHandlingEventsAndEndsOnTheDefaultPointer) {
  // Steps of an eighth of a second add up exactly, so every pass is counted.
  const struct {
    const char* rule;
    double start;
    double seconds;
    int passes;  // event passes until the time is up
  } rows[] = {
      {"zero seconds handles no events", 100.0, 0.0, 0},
      {"half a second in the day", 100.0, 0.5, 3},
      {"half a second across midnight keeps counting", 86399.75, 0.5, 3},
      {"a negative wait returns at once", 100.0, -1.0, 0},
  };
  for (const auto& row : rows) {
    platform::RecordingHostServices host;
    host.busyPointer = true;
    SteppingClock clock{row.start, 0.125};
    common::WaitSeconds(host, row.seconds, std::ref(clock));
    EXPECT_EQ(host.eventPasses, row.passes) << row.rule;
    EXPECT_FALSE(host.busyPointer) << row.rule;
  }
}

TEST(WaitSeconds, RealClockReturnsAfterTheTime) {
  platform::RecordingHostServices host;
  const double before = common::SecondsSinceMidnight();
  common::WaitSeconds(host, 0.05);
  double after = common::SecondsSinceMidnight();
  if (after < before) after += 86400.0;
  EXPECT_GE(after - before, 0.05);
  EXPECT_GT(host.eventPasses, 0);
}

namespace {

struct NamedForm : common::LoadedForm {
  NamedForm(std::string n, common::FormsCollection& f, std::vector<std::string>& log)
      : name(std::move(n)), forms(f), unloaded(log) {
    forms.add(this);
  }
  void unload() override {
    unloaded.push_back(name);
    forms.remove(this);
  }
  std::string name;
  common::FormsCollection& forms;
  std::vector<std::string>& unloaded;
};

// A form whose unload handler closes every other window first, as a main
// window's handler does.
struct MainForm : NamedForm {
  using NamedForm::NamedForm;
  void unload() override {
    NamedForm::unload();
    common::UnloadAllForms(forms);
  }
};

}  // namespace

TEST(UnloadAllForms, UnloadsTheMostRecentlyLoadedFirst) {
  common::FormsCollection forms;
  std::vector<std::string> log;
  NamedForm first("first", forms, log), second("second", forms, log), third("third", forms, log);
  common::UnloadAllForms(forms);
  EXPECT_EQ(log, (std::vector<std::string>{"third", "second", "first"}));
  EXPECT_EQ(forms.count(), 0u);
}

TEST(UnloadAllForms, CopesWithAHandlerThatUnloadsOthers) {
  common::FormsCollection forms;
  std::vector<std::string> log;
  NamedForm about("about", forms, log);
  MainForm main("main", forms, log);
  common::UnloadAllForms(forms);
  EXPECT_EQ(log, (std::vector<std::string>{"main", "about"}));
  EXPECT_EQ(forms.count(), 0u);
}

TEST(AskYesNo, RecordsTheAnswerAndTreatsAnythingButYesAsNo) {
  platform::RecordingHostServices host;
  host.answers = {true, false};
  std::string answer;
  common::AskYesNo(host, "Replace?", "File already exists", "", 0, answer);
  EXPECT_EQ(answer, "Yes");
  common::AskYesNo(host, "Replace?", "File already exists", "", 0, answer);
  EXPECT_EQ(answer, "No");
  common::AskYesNo(host, "Replace?", "File already exists", "", 0, answer);
  EXPECT_EQ(answer, "No") << "the default button is No";
  ASSERT_EQ(host.questions.size(), 3u);
  EXPECT_EQ(host.questions[0].body, "Replace?");
  EXPECT_EQ(host.questions[0].title, "File already exists");
}
