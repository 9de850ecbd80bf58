#include <fcntl.h>
#include <sys/stat.h>

#include <tuple>

#include "orvale/builder/ImageCollection.h"
#include "orvale/builder/TemplateCopier.h"
#include "platform/RunTimeError.h"
#include "tests/builder/ScanFolderFixture.h"
#include "tests/support/Unprivileged.h"

using Message = platform::RecordingHostServices::Message;

TEST_F(ScanFolderTest, ThreePicturesMakeTheSevenLinePage) {
  for (auto name : {"c.jpg", "a.jpg", "b.jpg", "notes.txt"}) photos.write(name, "x");
  std::filesystem::create_directory(photos.path() / "sub");
  photos.write("sub/inner.jpg", "x");
  build();
  EXPECT_EQ(page(), "H1\r\nH2\r\n\r\n\"a.jpg\",\r\n\"b.jpg\",\r\n\"c.jpg\"T1\r\nT2\r\n");
  EXPECT_TRUE(outcome.pageWritten);
  EXPECT_EQ(state.CurrentFolder, photos.withSlash());
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(otherFiles({"a.jpg", "b.jpg", "c.jpg", "notes.txt", "sub", "Index.htm"}).empty());
}

TEST_F(ScanFolderTest, OnePictureHasNoComma) {
  photos.write(".hidden.JPG", "x");
  build();
  EXPECT_EQ(page(), "H1\r\nH2\r\n\r\n\".hidden.JPG\"T1\r\nT2\r\n");
}

TEST_F(ScanFolderTest, DateOrderReadsTheModifiedTimeToTheWholeSecond) {
  // Each row's folder gets a.jpg, then b.jpg, so every folder lists them
  // alike: only the modified times tell the rows apart. The access times run
  // the other way and the change times are all now.
  const time_t base = 1000000000;
  const struct {
    const char* rule;
    timespec aModified, bModified;
    std::string order;
  } rows[] = {
      {"older first", {base, 0}, {base + 100, 0}, "\"a.jpg\",\r\n\"b.jpg\""},
      {"older first, the other way round", {base + 100, 0}, {base, 0}, "\"b.jpg\",\r\n\"a.jpg\""},
      {"one second apart is enough", {base + 1, 0}, {base, 999999999}, "\"b.jpg\",\r\n\"a.jpg\""},
  };
  options.alphabetically = false;
  for (const auto& row : rows) {
    TempFolder folder;
    for (const auto& [name, modified, accessed] :
         {std::tuple{"a.jpg", row.aModified, row.bModified},
          std::tuple{"b.jpg", row.bModified, row.aModified}}) {
      const timespec times[2] = {accessed, modified};
      ASSERT_EQ(::utimensat(AT_FDCWD, folder.write(name, "x").c_str(), times, 0), 0);
    }
    build(folder.path().string());
    EXPECT_EQ(TempFolder::read(folder.path() / "Index.htm"),
              "H1\r\nH2\r\n\r\n" + row.order + "T1\r\nT2\r\n")
        << row.rule;
  }

  // Within one second the times are equal, so both folders keep the one
  // order they are listed in, whichever file is later by a fraction.
  std::string pages[2];
  for (int k = 0; k < 2; ++k) {
    TempFolder folder;
    const timespec earlier[2] = {{base, 100}, {base, 100}}, later[2] = {{base, 900}, {base, 900}};
    ASSERT_EQ(::utimensat(AT_FDCWD, folder.write("a.jpg", "x").c_str(), k ? later : earlier, 0), 0);
    ASSERT_EQ(::utimensat(AT_FDCWD, folder.write("b.jpg", "x").c_str(), k ? earlier : later, 0), 0);
    build(folder.path().string());
    pages[k] = TempFolder::read(folder.path() / "Index.htm");
  }
  EXPECT_EQ(pages[0], pages[1]) << "fractions of a second do not order files";
}

TEST_F(ScanFolderTest, TemplateLinesEndInCarriageReturnAndLineFeed) {
  // Each head template gives the page's start in a build without and with
  // every kind of file, or stops the page at the line of a misplaced marker.
  const struct {
    const char* rule;
    std::string head;
    std::string pageStart;
    std::string allMediaStart;
    int errorLine = 0;
  } rows[] = {
      {"CR LF lines copied", "A\r\nB\r\n", "A\r\nB\r\n", "A\r\nB\r\n"},
      {"last line without a line end", "A\r\nB", "A\r\nB\r\n", "A\r\nB\r\n"},
      {"line-feed-only lines are one line", "A\nB\n", "A\nB\n\r\n", "A\nB\n\r\n"},
      {"a lone CR ends a line", "A\rB\r", "A\r\nB\r\n", "A\r\nB\r\n"},
      {"an LF after CR LF is content", "A\r\n\nB", "A\r\n\nB\r\n", "A\r\n\nB\r\n"},
      {"blank lines stay", "\r\n\r\nA", "\r\n\r\nA\r\n", "\r\n\r\nA\r\n"},
      {"empty template adds nothing", "", "", ""},
      {"a block's two sides, markers never written",
       "A\r\n//#if all-media\r\nM\r\n//#else\r\nD\r\n//#endif\r\nB\r\n", "A\r\nD\r\nB\r\n",
       "A\r\nM\r\nB\r\n"},
      {"a block without //#else, two blocks, an empty one",
       "//#if all-media\r\nM\r\n//#endif\r\nA\r\n//#if all-media\r\n//#else\r\n//#endif\r\n"
       "//#if all-media\r\nN\r\n//#endif",
       "A\r\n", "M\r\nA\r\nN\r\n"},
      {"markers between line-feed-only lines", "A\n//#if all-media\nM\n//#else\nD\n//#endif\nB\n",
       "A\nD\nB\n\r\n", "A\nM\nB\n\r\n"},
      {"markers after lone CRs, the last without a line end", "A\r//#if all-media\rM\r//#endif",
       "A\r\n", "A\r\nM\r\n"},
      {"a marker is the whole line",
       " //#endif\r\n//#else \r\n//#if all-media too\r\n//#IF ALL-MEDIA",
       " //#endif\r\n//#else \r\n//#if all-media too\r\n//#IF ALL-MEDIA\r\n",
       " //#endif\r\n//#else \r\n//#if all-media too\r\n//#IF ALL-MEDIA\r\n"},
      {"//#else outside a block", "A\r\n//#else\r\nB\r\n", "", "", 2},
      {"//#endif outside a block", "//#if all-media\r\n//#endif\r\n//#endif\r\n", "", "", 3},
      {"blocks do not nest", "//#if all-media\n//#if all-media\n//#endif\n//#endif\n", "", "", 2},
      {"a second //#else", "//#if all-media\r//#else\r//#else\r//#endif\r", "", "", 3},
      {"a block left open", "A\r\n//#if all-media\r\nM\r\n", "", "", 2},
  };
  photos.write("a.jpg", "x");
  host.answers.assign(std::size(rows), true);
  TempFolder pages;
  const std::string head = (program.path() / "FirstPart.txt").string();
  const std::string tail = (program.path() / "LastPart.txt").string();
  const std::string list = "\r\n\"a.jpg\",";
  for (const auto& row : rows) {
    program.write("FirstPart.txt", row.head);
    host.messages.clear();
    build();
    if (row.errorLine) {
      EXPECT_FALSE(outcome.pageWritten) << row.rule;
      EXPECT_EQ(host.messages.size(), 1u) << row.rule;
      try {
        orvale::WritePageFile((pages.path() / "Error.htm").string(), list, head, tail, true);
        ADD_FAILURE() << row.rule << ": no error";
      } catch (const platform::RunTimeError& error) {
        EXPECT_EQ(error.number(), 5) << row.rule;
        EXPECT_EQ(
            error.description().rfind(head + ", line " + std::to_string(row.errorLine) + ": ", 0),
            0u)
            << row.rule << ": " << error.description();
      }
      EXPECT_FALSE(std::filesystem::exists(pages.path() / "Error.htm")) << row.rule;
      continue;
    }
    EXPECT_EQ(page(), row.pageStart + "\r\n\"a.jpg\"T1\r\nT2\r\n") << row.rule;
    const auto withAllMedia = pages.path() / "Index.htm";
    orvale::WritePageFile(withAllMedia.string(), list, head, tail, true);
    EXPECT_EQ(TempFolder::read(withAllMedia), row.allMediaStart + "\r\n\"a.jpg\"T1\r\nT2\r\n")
        << row.rule << ", every kind of file";
  }
}

TEST_F(ScanFolderTest, HostileNamesCannotBreakTheList) {
  photos.write("x\"];alert(1);x.jpg", "x");
  photos.write("a\\b<!--<script>.jpg", "x");
  photos.write("new\nline.jpg", "x");
  build();
  EXPECT_EQ(page(),
            "H1\r\nH2\r\n\r\n\"a\\\\b\\u003C!--<script>.jpg\",\r\n\"new\\nline.jpg\",\r\n"
            "\"x\\\"];alert(1);x.jpg\"T1\r\nT2\r\n");
}

TEST_F(ScanFolderTest, NoPicturesWritesNothingButSetsTheFolder) {
  const struct {
    const char* rule;
    std::vector<std::string> files;
    bool allTypes;
  } rows[] = {
      {"empty folder", {}, false},
      {"only other types while JPEG only", {"a.bmp", "b.GIF", "c.tif", "d.png"}, false},
      {"pictures only in a sub-folder", {"sub/a.jpg"}, true},
  };
  for (const auto& row : rows) {
    TempFolder folder;
    for (const auto& name : row.files) folder.write(name, "x");
    options.bmpGifTif = row.allTypes;
    host.messages.clear();
    build(folder.path().string());
    EXPECT_EQ(host.messages, (std::vector<Message>{{"No JPG's were found", "Orvale"}})) << row.rule;
    EXPECT_EQ(state.CurrentFolder, folder.withSlash()) << row.rule;
    EXPECT_FALSE(outcome.pageWritten) << row.rule;
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "Index.htm")) << row.rule;
  }
}

TEST_F(ScanFolderTest, OtherTypesCountWhenAsked) {
  for (auto name : {"a.bmp", "b.GIF", "c.tif", "d.jpeg", "e.tiff"}) photos.write(name, "x");
  options.bmpGifTif = true;
  build();
  EXPECT_EQ(page(),
            "H1\r\nH2\r\n\r\n\"a.bmp\",\r\n\"b.GIF\",\r\n\"c.tif\",\r\n\"d.jpeg\"T1\r\nT2\r\n");
}

TEST_F(ScanFolderTest, PageNameAndTailTextAreTakenAsGiven) {
  photos.write("a.jpg", "x");
  program.write("Other.txt", "O1\r\n");
  TempFolder elsewhere;
  const auto absoluteTail = elsewhere.write("Abs.txt", "X1\r\n");
  const struct {
    const char* rule;
    std::string tail;
    std::string ending;
  } rows[] = {
      {"relative to the program folder", "./Other.txt", "\"a.jpg\"O1\r\n"},
      {"without ./", "Other.txt", "\"a.jpg\"O1\r\n"},
      {"an absolute path names the file itself", absoluteTail.string(), "\"a.jpg\"X1\r\n"},
  };
  state.PageFileName = "Show.htm";
  for (const auto& row : rows) {
    options.lastPart = row.tail;
    host.answers = {true};
    build();
    EXPECT_EQ(page("Show.htm"), "H1\r\nH2\r\n\r\n" + row.ending) << row.rule;
  }
  EXPECT_EQ(host.questions.at(0),
            (Message{"Show.htm already exists.  OK to replace?", "File already exists"}));
  EXPECT_FALSE(std::filesystem::exists(photos.path() / "Index.htm"));
}

TEST_F(ScanFolderTest, HeadTemplateNameIgnoresLetterCase) {
  std::filesystem::remove(program.path() / "FirstPart.txt");
  program.write("firstpart.TXT", "lower\r\n");
  photos.write("a.jpg", "x");
  build();
  EXPECT_EQ(page(), "lower\r\n\r\n\"a.jpg\"T1\r\nT2\r\n");
}

TEST_F(ScanFolderTest, AFolderThatCannotBeOpenedShowsNoEarlierFolder) {
  photos.write("a.jpg", "x");
  ::chmod(photos.path().c_str(), 0700);
  state.CurrentFolder = "/earlier/";
  const auto status = RunUnprivileged([&] {
    const orvale::ScanOutcome scan =
        orvale::ScanFolder(photos.path().string(), options, state, host, program.path());
    const bool reported =
        host.messages.size() == 1 && host.messages[0].title == "Read Only File or Folder";
    return reported && !scan.folderReached && host.opened.empty() ? 0 : 1;
  });
  if (!status) GTEST_SKIP() << "privileges could not be dropped";
  EXPECT_EQ(*status, 0) << "the folder window would show the earlier build's folder";
}

TEST(OpenScanFolder, FolderTextEndsInOneSlash) {
  TempFolder folder;
  std::filesystem::create_directory(folder.path() / "b");
  const std::string base = folder.path().string();
  EXPECT_EQ(orvale::OpenScanFolder("/"), "/");
  EXPECT_EQ(orvale::OpenScanFolder("//"), "/");
  EXPECT_EQ(orvale::OpenScanFolder(base), base + "/");
  EXPECT_EQ(orvale::OpenScanFolder(base + "///"), base + "/");
  EXPECT_EQ(orvale::OpenScanFolder(base + "/b/../b/."), base + "/b/");
}
