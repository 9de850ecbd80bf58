#include "orvale/builder/HeifMetadata.h"

#include <libheif/heif.h>

#include <algorithm>
#include <cstdint>
#include <memory>

namespace orvale {

namespace {

// libheif is set up once for the whole process, and left as the process ends.
class Library {
 public:
  Library() { heif_init(nullptr); }
  ~Library() { heif_deinit(); }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
};

struct ContextFree {
  void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleRelease {
  void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};

// An EXIF item starts with four bytes that give the offset of its TIFF
// header from their end, which steps over the "Exif\0\0" some writers put
// before it.
bool TiffPart(std::string& block) {
  if (block.size() < 4) return false;
  const std::uint32_t offset = std::uint32_t(std::uint8_t(block[0])) << 24 |
                               std::uint32_t(std::uint8_t(block[1])) << 16 |
                               std::uint32_t(std::uint8_t(block[2])) << 8 | std::uint8_t(block[3]);
  if (offset > block.size() - 4) return false;
  block.erase(0, 4 + std::size_t(offset));
  return true;
}

}  // namespace

bool LooksLikeHeif(const unsigned char* start, std::size_t size) {
  if (size < 12) return false;
  const heif_filetype_result kind = heif_check_filetype(start, int(size < 64 ? size : 64));
  return kind == heif_filetype_yes_supported || kind == heif_filetype_yes_unsupported;
}

HeifMetadata ReadHeifMetadata(const std::string& path) {
  static const Library library;
  HeifMetadata metadata;
  const std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
  if (!context ||
      heif_context_read_from_file(context.get(), path.c_str(), nullptr).code != heif_error_Ok)
    return metadata;
  heif_image_handle* primary = nullptr;
  if (heif_context_get_primary_image_handle(context.get(), &primary).code != heif_error_Ok)
    return metadata;
  const std::unique_ptr<heif_image_handle, HandleRelease> handle(primary);

  // A picture carries a few metadata items; the list of their numbers is
  // taken from the file only up to a bound.
  const int count = std::min(heif_image_handle_get_number_of_metadata_blocks(handle.get(), nullptr),
                             kMostHeifMetadataBlocks);
  if (count <= 0) return metadata;
  std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
  const int listed =
      heif_image_handle_get_list_of_metadata_block_IDs(handle.get(), nullptr, ids.data(), count);
  ids.resize(std::size_t(listed < 0 ? 0 : listed));
  for (const heif_item_id id : ids) {
    const std::string type = heif_image_handle_get_metadata_type(handle.get(), id);
    const std::string contentType = heif_image_handle_get_metadata_content_type(handle.get(), id);
    const bool exif = type == "Exif";
    const bool xmp = type == "mime" && contentType == "application/rdf+xml";
    if (!exif && !xmp) continue;
    const std::size_t size = heif_image_handle_get_metadata_size(handle.get(), id);
    if (size == 0 || size > kLargestHeifMetadataBlock) continue;
    std::string block(size, '\0');
    if (heif_image_handle_get_metadata(handle.get(), id, block.data()).code != heif_error_Ok)
      continue;
    if (xmp)
      metadata.xmp.push_back(std::move(block));
    else if (TiffPart(block))
      metadata.exif.push_back(std::move(block));
  }
  return metadata;
}

}  // namespace orvale
