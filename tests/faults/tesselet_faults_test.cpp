#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <optional>

#include "platform/FileDescriptor.h"
#include "tesselet/batch/ImageListing.h"
#include "tests/support/UnattendedRun.h"
#include "tests/tesselet_window/TesseletTestSupport.h"

namespace {

namespace fs = std::filesystem;
using tesselet_test::Names;
using tesselet_test::PictureSize;
using tesselet_test::WritePicture;
using Thumbnails = std::map<std::string, std::string>;  // name -> bytes

// Exit status of the unshare script when no private mount can be made here.
constexpr int kNoPrivateMount = 125;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A folder of pictures with its ThumbNails folder, where an earlier run left
// a thumbnail for some of them.
struct Photos {
  TempFolder folder;
  fs::path thumbnails = folder.path() / "ThumbNails";
  Thumbnails before;

  Photos(int pictures, int withThumbnails) {
    fs::create_directory(thumbnails);
    const std::vector<std::string> order = [&] {
      for (int k = 0; k < pictures; ++k) {
        char name[20];  // room for any int, so the name is never cut short
        std::snprintf(name, sizeof name, "p%03d.jpg", k);
        WritePicture(folder, name, 640, 480);
      }
      return tesselet::ListImageFiles(folder.path().string());
    }();
    // The first ones in the batch's order, so the fault meets replaced files.
    for (int k = 0; k < withThumbnails; ++k) {
      const std::string name = "thumb" + order[k].substr(0, 4) + ".jpg";
      WritePicture(folder, "ThumbNails/" + name, 50, 38, Qt::blue);
      before[name] = TempFolder::read(thumbnails / name);
    }
  }
  std::string argument() const { return folder.withSlash(); }
};

pid_t Spawn(const std::vector<std::string>& arguments, const fs::path& errors) {
  return unattended_run::Start(arguments, errors);
}

// The exit status, or -1 when the program was ended by a signal.
int Wait(pid_t child) {
  const unattended_run::Outcome run = unattended_run::Finish(child);
  return run.signal == 0 ? run.status : -1;
}

// Waits until the first thumbnail takes its own name in the folder (not a
// hidden one on its way there); false when the program ended before.
bool WaitForFirstThumbnail(const platform::FileDescriptor& watch, pid_t child) {
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    pollfd ready{watch.get(), POLLIN, 0};
    if (poll(&ready, 1, 50) > 0) {
      const ssize_t got = read(watch.get(), buffer, sizeof buffer);
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        if (event->len > 0 && event->name[0] != '.') return true;
        at += ssize_t(sizeof(inotify_event) + event->len);
      }
    } else if (waitpid(child, nullptr, WNOHANG) == child) {
      return false;
    }
  }
}

// What any fault may leave in a thumbnails folder: whole pictures only, no
// hidden temporary file, and each thumbnail from before either as it was or
// replaced by a whole new one.
void ExpectSoundThumbnails(const fs::path& folder, const Thumbnails& before,
                           const std::string& rule) {
  for (const auto& name : Names(folder)) {
    EXPECT_NE(name.front(), '.') << rule << ": a temporary file is left: " << name;
    const std::string bytes = TempFolder::read(folder / name);
    EXPECT_TRUE(bytes.starts_with("\xFF\xD8") && bytes.ends_with("\xFF\xD9") &&
                PictureSize(folder / name) == std::make_pair(50, 38))
        << rule << ": " << name << " is not a whole thumbnail";
  }
  for (const auto& [name, bytes] : before) {
    EXPECT_TRUE(fs::exists(folder / name)) << rule << ": " << name << " was lost";
  }
}

// Runs the thumbnail maker with its ThumbNails folder on a small tmpfs of a
// private mount table (`unshare -rm`: as root and, where user namespaces are
// allowed, as anyone). The earlier thumbnails are put on it first, and what
// is on it afterwards is copied to `after`.
std::optional<int> RunOnSmallMedium(const Photos& photos, const std::string& mountOptions,
                                    bool readOnly, const fs::path& after, const fs::path& errors) {
  fs::create_directories(after);
  const TempFolder copies;
  for (const auto& [name, bytes] : photos.before) copies.write(name, bytes);
  const std::string script =
      "mount -t tmpfs -o \"$1\" tmpfs \"$3\" || exit 125\n"
      "cp -a \"$4\"/. \"$3\"/ || exit 125\n"
      "if [ \"$2\" = ro ]; then mount -o remount,bind,ro \"$3\" || exit 125; fi\n"
      "\"$6\" \"$7\"; status=$?\n"
      "cp -a \"$3\"/. \"$5\"/\n"
      "exit $status\n";
  const pid_t child =
      Spawn({"unshare", "-rm", "sh", "-c", script, "sh", mountOptions, readOnly ? "ro" : "rw",
             photos.thumbnails.string(), copies.path().string(), after.string(),
             TESSELET_EXECUTABLE, photos.argument()},
            errors);
  const int status = child < 0 ? kNoPrivateMount : Wait(child);
  // 127: no unshare program to start.
  if (status == kNoPrivateMount || status == 127) return std::nullopt;
  return status;
}

}  // namespace

TEST(TesseletFaults, AFullOrReadOnlyMediumEndsTheRunSayingSoAndKeepsEarlierThumbnails) {
  const struct {
    const char* rule;
    const char* mountOptions;
    bool readOnly;
    const char* description;
  } rows[] = {
      // Four earlier thumbnails and a few new ones fit; twenty do not.
      {"full disk", "size=48k", false, "Disk full"},
      {"read-only medium", "size=1m", true, "Path/File access error"},
  };
  for (const auto& row : rows) {
    const Photos photos(20, 4);
    const TempFolder results;
    const fs::path after = results.path() / "after";
    const auto status =
        RunOnSmallMedium(photos, row.mountOptions, row.readOnly, after, results.path() / "errors");
    if (!status) GTEST_SKIP() << "no private mount of a tmpfs here (needs root or user namespaces)";
    const std::string errors = TempFolder::read(results.path() / "errors");
    EXPECT_EQ(*status, 1) << row.rule << ": " << errors;
    EXPECT_TRUE(Contains(errors, "The thumbnail of \"p0") && Contains(errors, row.description))
        << row.rule << ": the message names the picture and what happened: " << errors;
    ExpectSoundThumbnails(after, photos.before, row.rule);
    if (row.readOnly) {
      EXPECT_EQ(Names(after).size(), photos.before.size()) << row.rule << ": nothing new";
      for (const auto& [name, bytes] : photos.before)
        EXPECT_EQ(TempFolder::read(after / name), bytes) << row.rule << ": " << name << " kept";
    } else {
      EXPECT_GT(Names(after).size(), photos.before.size()) << row.rule << ": some were made";
    }
  }
}

TEST(TesseletFaults, ThumbnailsFolderRemovedMidwayEndsTheRunSayingSo) {
  Photos photos(120, 0);
  const TempFolder results;
  const platform::FileDescriptor watch(inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
  ASSERT_GE(inotify_add_watch(watch.get(), photos.thumbnails.c_str(), IN_CREATE | IN_MOVED_TO), 0);
  const pid_t child = Spawn({TESSELET_EXECUTABLE, photos.argument()}, results.path() / "errors");
  ASSERT_GT(child, 0);
  // Stopped while the folder goes, so the batch is still midway after it.
  ASSERT_TRUE(WaitForFirstThumbnail(watch, child)) << "the batch ended before its first thumbnail";
  ASSERT_EQ(kill(child, SIGSTOP), 0) << "the batch was still running";
  fs::remove_all(photos.thumbnails);
  kill(child, SIGCONT);
  const int status = Wait(child);

  const std::string errors = TempFolder::read(results.path() / "errors");
  EXPECT_EQ(status, 1) << errors;
  EXPECT_TRUE(Contains(errors, "The thumbnail of \"p") && Contains(errors, "Path not found"))
      << "the message names the picture and what happened: " << errors;
  EXPECT_FALSE(fs::exists(photos.thumbnails)) << "the folder is not made again";
  EXPECT_EQ(Names(photos.folder.path()).size(), 120u) << "nothing written beside the pictures";
}

TEST(TesseletFaults, KilledMidwayLeavesWholeThumbnailsAndTheNextRunFinishes) {
  Photos photos(120, 60);
  const TempFolder results;
  const platform::FileDescriptor watch(inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
  ASSERT_GE(inotify_add_watch(watch.get(), photos.thumbnails.c_str(), IN_CREATE | IN_MOVED_TO), 0);
  const pid_t child = Spawn({TESSELET_EXECUTABLE, photos.argument()}, results.path() / "errors");
  ASSERT_GT(child, 0);
  ASSERT_TRUE(WaitForFirstThumbnail(watch, child)) << "the batch ended before its first thumbnail";
  ASSERT_EQ(kill(child, SIGKILL), 0) << "the batch was still running";
  EXPECT_EQ(Wait(child), -1);
  ExpectSoundThumbnails(photos.thumbnails, photos.before, "killed");
  EXPECT_LT(Names(photos.thumbnails).size(), 120u) << "killed midway";

  const pid_t again = Spawn({TESSELET_EXECUTABLE, photos.argument()}, results.path() / "errors");
  EXPECT_EQ(Wait(again), 0) << TempFolder::read(results.path() / "errors");
  ExpectSoundThumbnails(photos.thumbnails, photos.before, "the next run");
  EXPECT_EQ(Names(photos.thumbnails).size(), 120u) << "the next run makes every thumbnail";
}
