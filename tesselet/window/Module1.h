#pragma once

#include <string>

#include "common/FormsCollection.h"
#include "common/WaitSeconds.h"
#include "platform/HostServices.h"
#include "tesselet/batch/ThumbnailBatch.h"

namespace tesselet {

// The thumbnail maker's exit statuses, so a script can tell how a run ended.
enum ExitStatus : int {
  kExitCompleted = 0,
  // A picture could not be read, a thumbnail or the listing failed, or the
  // window was closed mid-run.
  kExitFailed = 1,
  // No folder was given, or the thumbnails folder is not there.
  kExitRefused = 2,
};

// The thumbnail maker's start-up: given its image folder it shows its window,
// makes a thumbnail of every picture of the folder in the folder's
// ThumbNails sub-folder and closes, asking nothing.
class Module1 {
 public:
  explicit Module1(platform::HostServices& host,
                   common::FormsCollection& forms = common::FormsCollection::program(),
                   common::TimeOfDayClock clock = common::SecondsSinceMidnight);

  // The start-up routine; the command line is the whole of it after the
  // program's name: the folder, after the word "--all-media" and a blank
  // when photos and videos of every kind are asked for. Returns the exit
  // status.
  int Main(const std::string& commandLine);

  // The exit status a batch's outcome calls for.
  static int StatusOf(const BatchOutcome& outcome);

 private:
  platform::HostServices& host_;
  common::FormsCollection& forms_;
  common::TimeOfDayClock clock_;
};

}  // namespace tesselet
