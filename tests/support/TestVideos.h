#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

// Small video files made by the ffmpeg command for the tests (the programs
// themselves never start it). Each is a few kilobytes.
namespace test_videos {

// A lavfi source of `seconds` seconds of a w x h picture: the top half
// `top`, the bottom half `bottom` (colour names ffmpeg knows).
inline std::string Halves(const std::string& top, const std::string& bottom, int width, int height,
                          double seconds) {
  return "color=c=" + top + ":s=" + std::to_string(width) + "x" + std::to_string(height) +
         ":r=25:d=" + std::to_string(seconds) + ",drawbox=x=0:y=" + std::to_string(height / 2) +
         ":w=" + std::to_string(width) + ":h=" + std::to_string(height - height / 2) +
         ":color=" + bottom + ":t=fill";
}

// Runs ffmpeg quietly with the arguments; throws when it fails.
inline void Ffmpeg(const std::string& arguments) {
  const std::string command = "ffmpeg -nostdin -v error -y " + arguments;
  if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

// A video of the two sources one after the other (each a lavfi source
// text), coded by the encoder (libx264, libvpx-vp9...) into `path`, whose
// extension picks the container.
inline void Concatenated(const std::filesystem::path& path, const std::string& first,
                         const std::string& second, const std::string& encoder) {
  Ffmpeg("-f lavfi -i \"" + first + "\" -f lavfi -i \"" + second +
         "\" -filter_complex \"[0][1]concat=n=2:v=1[v]\" -map \"[v]\" -c:v " + encoder +
         " -pix_fmt yuv420p \"" + path.string() + "\"");
}

// The video at `from`, copied to `to` with a display matrix that turns it by
// `degrees` as ffmpeg writes its "rotate" tag.
inline void Rotated(const std::filesystem::path& from, const std::filesystem::path& to,
                    int degrees) {
  Ffmpeg("-i \"" + from.string() + "\" -c copy -metadata:s:v:0 rotate=" + std::to_string(degrees) +
         " \"" + to.string() + "\"");
}

}  // namespace test_videos
