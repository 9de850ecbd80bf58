#pragma once

#include <gtest/gtest.h>

#include "orvale/builder/BuildOptions.h"
#include "orvale/builder/Module1.h"
#include "orvale/builder/ScanFolder.h"
#include "tests/support/RecordingHostServices.h"
#include "tests/support/TempFolder.h"

// A program folder with small templates and a photo folder to build.
class ScanFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program.write("FirstPart.txt", "H1\r\nH2\r\n");
    program.write("LastPart.txt", "T1\r\nT2\r\n");
    options.alphabetically = true;
  }

  void build(const std::string& folder) {
    outcome = orvale::ScanFolder(folder, options, state, host, program.path());
  }
  void build() { build(photos.path().string()); }

  std::string page(const std::string& name = "Index.htm") const {
    return TempFolder::read(photos.path() / name);
  }

  // Names in the photo folder other than the given ones (leftovers).
  std::vector<std::string> otherFiles(const std::vector<std::string>& expected) const {
    std::vector<std::string> others;
    for (const auto& entry : std::filesystem::directory_iterator(photos.path())) {
      const auto name = entry.path().filename().string();
      if (std::find(expected.begin(), expected.end(), name) == expected.end())
        others.push_back(name);
    }
    return others;
  }

  TempFolder program;
  TempFolder photos;
  orvale::FixedBuildOptions options;
  orvale::Module1 state;
  orvale::ScanOutcome outcome;
  platform::RecordingHostServices host;
};
