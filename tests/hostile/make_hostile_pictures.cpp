// Writes every made picture into the folder given, for trying them by hand
// or with other tools: make_hostile_pictures FOLDER
#include <filesystem>
#include <fstream>
#include <iostream>

#include "tests/hostile/HostileCorpus.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_hostile_pictures FOLDER\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  for (const hostile::HostilePicture& picture : hostile::HostileCorpus()) {
    std::ofstream out(folder / picture.name, std::ios::binary | std::ios::trunc);
    out.write(picture.bytes.data(), std::streamsize(picture.bytes.size()));
    if (!out) {
      std::cerr << "cannot write " << (folder / picture.name) << "\n";
      return 1;
    }
  }
  return 0;
}
