#include "tesselet/window/Module1.h"

#include <string_view>
#include <utility>

#include "common/UnloadAllForms.h"
#include "platform/QtText.h"
#include "platform/RunTimeError.h"
#include "tesselet/batch/ProgramName.h"
#include "tesselet/window/frmThumbs.h"

namespace tesselet {

using platform::ToBytes;
using platform::ToQString;

Module1::Module1(platform::HostServices& host, common::FormsCollection& forms,
                 common::TimeOfDayClock clock)
    : host_(host), forms_(forms), clock_(std::move(clock)) {}

int Module1::StatusOf(const BatchOutcome& outcome) {
  switch (outcome.kind) {
    case BatchOutcome::Kind::kCompleted:
      return outcome.skipped.empty() ? kExitCompleted : kExitFailed;
    case BatchOutcome::Kind::kRefused:
      return kExitRefused;
    case BatchOutcome::Kind::kFailed:
    case BatchOutcome::Kind::kStopped:
      break;
  }
  return kExitFailed;
}

int Module1::Main(const std::string& commandLine) {
  // The slide show maker asks for photos and videos of every kind with a
  // leading word; a folder named only that word is still a folder.
  static constexpr std::string_view kAllMediaWord = "--all-media ";
  const bool allMedia = commandLine.starts_with(kAllMediaWord);
  const std::string argument = allMedia ? commandLine.substr(kAllMediaWord.size()) : commandLine;
  if (argument.empty()) {
    host_.showMessage("This application requires Orvale to Run", kProgramName);
    common::UnloadAllForms(forms_);
    return kExitRefused;
  }
  frmThumbs form(host_, forms_, clock_);
  form.SetAllMedia(allMedia);
  // The folder is taken as given: the slide show maker sends it ending in
  // "/", so the thumbnails folder is its ThumbNails sub-folder.
  form.txtImgDir.setText(ToQString(argument));
  form.txtThumbDir.setText(ToQString(argument + "ThumbNails"));
  form.show();
  int status = kExitFailed;
  try {
    // The window has told what went wrong in the batch.
    status = StatusOf(form.ClickTHEButton());
  } catch (const platform::RunTimeError& error) {
    host_.showMessage("The pictures of \"" + argument + "\" could not be listed.\n" +
                          error.description() + "\n(error " + std::to_string(error.number()) +
                          " in " + error.source() + ")",
                      kProgramName);
  }
  common::UnloadAllForms(forms_);
  return status;
}

}  // namespace tesselet
