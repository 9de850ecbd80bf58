#include "tesselet/batch/OutputRecord.h"

#include <sys/stat.h>

#include <cstdio>

#include "imaging/thumbnail/WebCopies.h"
#include "imaging/thumbnail/cThumbnail.h"
#include "imaging/writing/WebCopyJpeg.h"

namespace tesselet {

namespace {

// Raised whenever the encoders or the way outputs are made change.
constexpr int kRecordVersion = 1;

std::string TypeName(ThumbnailType type) {
  switch (type) {
    case ThumbnailType::kJpeg:
      return "jpg";
    case ThumbnailType::kBitmap:
      return "bmp";
    case ThumbnailType::kNone:
      break;
  }
  return "none";
}

}  // namespace

std::optional<SourceStamp> StampOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return SourceStamp{std::int64_t(info.st_size), std::int64_t(info.st_mtim.tv_sec),
                     std::int64_t(info.st_mtim.tv_nsec)};
}

std::string OutputRecord(const SourceStamp& source, const DecodeSettings& settings,
                         std::string_view output, const std::string& name) {
  char modified[48];
  std::snprintf(modified, sizeof modified, "%lld.%09lld", static_cast<long long>(source.seconds),
                static_cast<long long>(source.nanoseconds));
  char back[16];
  std::snprintf(back, sizeof back, "%08X", static_cast<unsigned>(settings.render.BackColor));
  std::string record = "Orvale output record " + std::to_string(kRecordVersion) + "\n";
  record += "source size " + std::to_string(source.size) + " modified " + modified + "\n";
  record += "thumbnail " + std::string(settings.thumbnail ? "yes" : "no") + " box " +
            std::to_string(settings.render.MaxWidth) + "x" +
            std::to_string(settings.render.MaxHeight) + " fit " +
            (settings.render.ForcedDimensions ? "exact" : "within") + " back " + back + " type " +
            TypeName(settings.type) + " quality " +
            std::to_string(imaging::thumbnail::cThumbnail::kJpegQuality) + "\n";
  record += "web " + std::string(settings.webCopies ? "yes" : "no") + " sides";
  for (const std::int32_t side : imaging::thumbnail::WebCopies::kLongSides)
    record += " " + std::to_string(side);
  record += " quality " + std::to_string(imaging::writing::WebCopyJpeg::kQuality) + "\n";
  record += "output " + std::string(output) + "\n";
  // Last, so that whatever it holds cannot be taken for another field.
  record += "name " + name;
  return record;
}

}  // namespace tesselet
