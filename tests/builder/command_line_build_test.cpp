#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <sstream>
#include <type_traits>

#include "orvale/builder/CommandLine.h"
#include "orvale/builder/CommandLineBuild.h"
#include "tests/support/CaptionedPicture.h"
#include "tests/support/TempFolder.h"

namespace {

// The parsed value as one line of text, so a table row can name it.
std::string Describe(const orvale::CommandLine& command) {
  return std::visit(
      [](const auto& value) -> std::string {
        using Value = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<Value, orvale::ShowHelp>) {
          return "help";
        } else if constexpr (std::is_same_v<Value, orvale::ShowVersion>) {
          return "version";
        } else if constexpr (std::is_same_v<Value, orvale::BadUsage>) {
          return "bad usage: " + value.problem;
        } else if constexpr (std::is_same_v<Value, orvale::HeadlessBuild>) {
          return "build " + value.folder + (value.options.alphabetically ? " by-name" : "") +
                 (value.options.bmpGifTif ? " all-types" : "") +
                 (value.options.allMediaKinds ? " all-media" : "") + " page=" + value.pageName +
                 " tail=" + value.options.lastPart + (value.replace ? " replace" : "") +
                 (value.outputs.thumbnails ? " thumbnails" : "") +
                 (value.outputs.webCopies ? " web" : "");
        } else {
          static_assert(std::is_same_v<Value, orvale::WindowStart>);
          std::string text = "window";
          for (const auto& path : value.paths) text += " [" + path + "]";
          return text;
        }
      },
      command);
}

struct BuildRun {
  int status;
  std::string out;
  std::string err;
};

BuildRun RunBuild(const std::vector<std::string>& arguments, const std::filesystem::path& program) {
  const orvale::CommandLine command = orvale::ParseCommandLine(arguments);
  const auto* build = std::get_if<orvale::HeadlessBuild>(&command);
  if (!build) return {-1, "", Describe(command)};
  std::ostringstream out, err;
  const int status = orvale::RunCommandLineBuild(*build, out, err, program);
  return {status, out.str(), err.str()};
}

void SetModifiedTime(const std::filesystem::path& file, time_t seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0) << file;
}

}  // namespace

TEST(CommandLine, ReadOnceIntoWhatTheProgramDoes) {
  const std::string here = std::filesystem::current_path().string();
  const struct {
    const char* rule;
    std::vector<std::string> arguments;
    std::string command;
  } rows[] = {
      {"no arguments: the window alone", {}, "window"},
      {"paths for the window, absolute ones as they are",
       {"/p/My Photos", "/q/a.jpg"},
       "window [/p/My Photos] [/q/a.jpg]"},
      {"relative paths made absolute", {"Trip"}, "window [" + here + "/Trip]"},
      {"after -- a path may start with a dash",
       {"--", "-odd", "--build"},
       "window [" + here + "/-odd] [" + here + "/--build]"},
      {"a lone dash is a path", {"-"}, "window [" + here + "/-]"},
      {"unknown options are bad usage", {"/p", "--bogus"}, "bad usage: unknown option: --bogus"},
      {"a short unknown option too", {"-x"}, "bad usage: unknown option: -x"},
      {"build options need --build", {"--by-name", "/p"}, "bad usage: --by-name needs --build"},
      {"help", {"--build", "/d", "-h"}, "help"},
      {"version", {"--version"}, "version"},
      {"a build with the window's defaults",
       {"--build", "/d"},
       "build /d page=Index.htm tail=./LastPart.txt"},
      {"a build with every option",
       {"--by-name", "--all-types", "--all-media", "--page", "Show.htm", "--tail", "./Alt.txt",
        "--replace", "--thumbnails", "--web", "--build", "/d"},
       "build /d by-name all-types all-media page=Show.htm tail=./Alt.txt replace thumbnails web"},
      {"every kind alone",
       {"--build", "/d", "--all-media"},
       "build /d all-media page=Index.htm tail=./LastPart.txt"},
      {"every kind needs --build", {"--all-media"}, "bad usage: --all-media needs --build"},
      {"no folder given", {"--build"}, "bad usage: --build needs a value"},
      {"two folders",
       {"--build", "/d", "--build", "/e"},
       "bad usage: only one folder can be built at a time"},
      {"a path beside --build", {"--build", "/d", "/e"}, "bad usage: unexpected argument: /e"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(Describe(orvale::ParseCommandLine(row.arguments)), row.command) << row.rule;
  EXPECT_EQ(orvale::VersionText(), "orvale " ORVALE_VERSION "\n");
}

TEST(CommandLineBuild, ExitStatusSaysWhetherThePageWasWritten) {
  TempFolder program, photos;
  program.write("FirstPart.txt", "var p = [\r\n");
  program.write("LastPart.txt", "];\r\n");
  program.write("Alt.txt", "]; // alt\r\n");
  // By date b.jpg comes first; only --by-name puts a.gif first.
  SetModifiedTime(photos.write("b.jpg", "x"), 1000000000);
  SetModifiedTime(photos.write("a.gif", "x"), 1000000100);
  const std::string dir = photos.path().string();
  // A data folder where the user has changed a copy of the tail template.
  TempFolder dataHome;
  const auto ownTail = dataHome.write("orvale/LastPart.txt", "]; // mine\r\n");

  const struct {
    const char* rule;
    std::vector<std::string> arguments;
    int status;
    std::string out;
    std::string err;
    bool userCopies = false;
  } rows[] = {
      {"first build", {"--build", dir}, 0, photos.withSlash() + "Index.htm\n", ""},
      {"existing page, answer No",
       {"--build", dir},
       1,
       "",
       "File already exists: Index.htm already exists.  OK to replace? No\n"},
      {"--replace answers Yes",
       {"--build", dir, "--replace"},
       0,
       photos.withSlash() + "Index.htm\n",
       "File already exists: Index.htm already exists.  OK to replace? Yes\n"},
      {"other page name and options",
       {"--by-name", "--all-types", "--page", "Show.htm", "--tail", "./Alt.txt", "--build", dir},
       0,
       photos.withSlash() + "Show.htm\n",
       ""},
      {"the user's own copy is said",
       {"--replace", "--build", dir},
       0,
       photos.withSlash() + "Index.htm\n",
       "File already exists: Index.htm already exists.  OK to replace? Yes\n"
       "Orvale: Built with your own copy of the template: " +
           ownTail.string() + "\n",
       true},
      {"missing folder",
       {"--build", dir + "/nothing"},
       1,
       "",
       "Error Message: Sub: ScanFolder, Error #  76 was generated by Orvale\nPath not found\n"},
  };
  const char* const given = std::getenv("XDG_DATA_HOME");
  const std::optional<std::string> testDataHome =
      given ? std::optional<std::string>(given) : std::nullopt;
  for (const auto& row : rows) {
    if (row.userCopies)
      setenv("XDG_DATA_HOME", dataHome.path().c_str(), 1);
    else if (testDataHome)
      setenv("XDG_DATA_HOME", testDataHome->c_str(), 1);
    else
      unsetenv("XDG_DATA_HOME");
    const BuildRun run = RunBuild(row.arguments, program.path());
    EXPECT_EQ(run.status, row.status) << row.rule;
    EXPECT_EQ(run.out, row.out) << row.rule;
    EXPECT_EQ(run.err, row.err) << row.rule;
  }
  EXPECT_EQ(TempFolder::read(photos.path() / "Show.htm"),
            "var p = [\r\n\r\n\"a.gif\",\r\n\"b.jpg\"]; // alt\r\n");
}

// With every kind of media the page lists photos and videos of each kind in
// one order, a picture's caption beside its name, and the thumbnail maker
// hears of it; without, the same folder gives today's page and start.
TEST(CommandLineBuild, EveryKindListsPicturesAndVideosWithCaptions) {
  TempFolder program, photos;
  program.write("FirstPart.txt", "var p = [\r\n");
  program.write("LastPart.txt", "];\r\n");
  // The thumbnail maker stands in as a script that notes its arguments.
  const auto maker = program.write("tesselet", "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\n");
  std::filesystem::permissions(maker, std::filesystem::perms::owner_all);
  const std::string caption = "Bay \"</script>\nat night";
  captioned_picture::WriteJpeg(photos.path() / "a.jpg", {{"Exif.Image.ImageDescription", caption}});
  // A video is never read for a caption, whatever its bytes hold.
  std::filesystem::copy_file(photos.path() / "a.jpg", photos.path() / "e.MP4");
  const std::pair<const char*, time_t> files[] = {
      {"e.MP4", 900},   {"a.jpg", 1000},  {"b.png", 1100}, {"z.jpg", 1150},
      {"c.webp", 1200}, {"d.heic", 1300}, {"f.avi", 1400}, {"g.mov.txt", 1500},
  };
  for (const auto& [name, seconds] : files) {
    if (!std::filesystem::exists(photos.path() / name)) photos.write(name, "not read");
    SetModifiedTime(photos.path() / name, seconds);
  }
  const std::string dir = photos.path().string();
  const struct {
    const char* rule;
    std::vector<std::string> arguments;
    std::string list;
    std::string makerArguments;
  } rows[] = {
      {"every kind",
       {"--build", dir, "--all-media", "--thumbnails", "--replace"},
       "\r\n\"e.MP4\",\r\n[\"a.jpg\", \"Bay \\\"<\\/script>\\nat night\"],\r\n\"b.png\","
       "\r\n\"z.jpg\",\r\n\"c.webp\",\r\n\"d.heic\"",
       "--all-media\n" + photos.withSlash() + "\n"},
      {"JPEG alone, as ever",
       {"--build", dir, "--thumbnails", "--replace"},
       "\r\n\"a.jpg\",\r\n\"z.jpg\"",
       photos.withSlash() + "\n"},
  };
  for (const auto& row : rows) {
    const BuildRun run = RunBuild(row.arguments, program.path());
    EXPECT_EQ(run.status, 0) << row.rule << ": " << run.err;
    EXPECT_EQ(TempFolder::read(photos.path() / "Index.htm"), "var p = [\r\n" + row.list + "];\r\n")
        << row.rule;
    EXPECT_EQ(TempFolder::read(program.path() / "tesselet.args"), row.makerArguments) << row.rule;
  }
}
