#include "imaging/reading/DcScanDecoder.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "imaging/reading/JpegDecompressor.h"

namespace imaging::reading {

namespace {

// The bits of entropy-coded data, with the zero byte stuffed after each
// 0xFF taken out. A marker ends the data: past it every bit reads as 0 and
// the data counts as cut short. Any number of 0xFF fill bytes may stand
// before a marker; they are skipped wherever one is looked for, as libjpeg
// skips them.
class BitReader {
 public:
  BitReader(const std::uint8_t* data, std::size_t size) : at_(data), end_(data + size) {}

  int Bits(int count) {
    int value = 0;
    for (int i = 0; i < count; ++i) value = (value << 1) | Bit();
    return value;
  }
  int Bit() {
    if (left_ == 0) {
      byte_ = NextByte();
      left_ = 8;
    }
    --left_;
    return (byte_ >> left_) & 1;
  }
  bool CutShort() const { return cutShort_; }

  // At a restart: the rest of the byte is padding, then the restart marker.
  void Restart() {
    left_ = 0;
    SkipFill();
    if (end_ - at_ >= 2 && at_[0] == 0xFF && at_[1] >= 0xD0 && at_[1] <= 0xD7) {
      at_ += 2;
      cutShort_ = false;
    }
  }

 private:
  int NextByte() {
    if (at_ >= end_ || cutShort_) return Cut();
    if (at_[0] != 0xFF) return *at_++;
    SkipFill();
    if (end_ - at_ >= 2 && at_[1] == 0x00) {
      at_ += 2;
      return 0xFF;
    }
    return Cut();  // a marker: the scan's data has ended
  }
  // Leaves the reader at the last of a run of 0xFF bytes.
  void SkipFill() {
    while (end_ - at_ >= 2 && at_[0] == 0xFF && at_[1] == 0xFF) ++at_;
  }
  int Cut() {
    cutShort_ = true;
    return 0;
  }

  const std::uint8_t* at_;
  const std::uint8_t* end_;
  int byte_ = 0;
  int left_ = 0;
  bool cutShort_ = false;
};

// A DC Huffman table as the canonical codes of each length.
class DcTable {
 public:
  explicit DcTable(const JHUFF_TBL& table) : values_(table.huffval, table.huffval + 256) {
    int code = 0, index = 0;
    for (int length = 1; length <= 16; ++length) {
      first_[length] = code;
      firstIndex_[length] = index;
      count_[length] = table.bits[length];
      code = (code + count_[length]) << 1;
      index += count_[length];
    }
  }
  // The size in bits of the next difference; 0 for a code that is no code.
  int Decode(BitReader& reader) const {
    int code = reader.Bit();
    for (int length = 1; length <= 16; ++length) {
      const int offset = code - first_[length];
      if (offset >= 0 && offset < count_[length]) {
        return std::min<int>(values_[std::size_t(firstIndex_[length] + offset) & 255], 15);
      }
      code = (code << 1) | reader.Bit();
    }
    return 0;
  }

 private:
  std::vector<std::uint8_t> values_;
  int first_[17] = {};
  int firstIndex_[17] = {};
  int count_[17] = {};
};

// A difference of `size` bits as JPEG codes it: the low half is negative.
int Extend(int bits, int size) { return bits < (1 << (size - 1)) ? bits - (1 << size) + 1 : bits; }

// A block's level in sixteenths, from its DC coefficient and the part of
// it the scan left out (its lowest bits, at most `lost`). A whole DC gives
// what libjpeg's 1 x 1 inverse DCT gives, DC / 8 rounded; one short of its
// lowest bits goes to the middle of the range they leave open, not its
// bottom, which would leave the picture a fraction of a level dark.
int Sixteenths(std::int64_t dc, std::int64_t lost) {
  constexpr std::int64_t kWhite = 255 * 16;
  if (lost == 0) return 16 * int(std::clamp<std::int64_t>(128 + ((dc + 4) >> 3), 0, 255));
  return int(std::clamp<std::int64_t>(128 * 16 + 2 * dc + lost, 0, kWhite));
}

// One component's blocks, each as the level of its pixels in sixteenths
// (level 128 until known).
struct Plane {
  int across = 0, down = 0;          // blocks held, padded to whole MCUs
  int usedAcross = 0, usedDown = 0;  // blocks that hold picture
  int h = 1, v = 1;                  // blocks of this component in an MCU along each side
  std::vector<std::uint16_t> levels;
  int At(int x, int y) const {
    return levels[std::size_t(std::clamp(y, 0, usedDown - 1)) * std::size_t(across) +
                  std::size_t(std::clamp(x, 0, usedAcross - 1))];
  }
};

int CeilDiv(long a, long b) { return int((a + b - 1) / b); }

std::vector<Plane> DecodePlanes(const jpeg_decompress_struct& info) {
  const bool interleaved = info.comps_in_scan > 1;
  const int mcuWidth = interleaved ? 8 * info.max_h_samp_factor : 8;
  const int mcuHeight = interleaved ? 8 * info.max_v_samp_factor : 8;
  const int mcusAcross = CeilDiv(long(info.image_width), mcuWidth);
  const int mcusDown = CeilDiv(long(info.image_height), mcuHeight);
  std::vector<Plane> planes(std::size_t(info.comps_in_scan));
  std::vector<DcTable> tables;
  for (int i = 0; i < info.comps_in_scan; ++i) {
    const jpeg_component_info& component = *info.cur_comp_info[i];
    Plane& plane = planes[std::size_t(i)];
    plane.h = interleaved ? component.h_samp_factor : 1;
    plane.v = interleaved ? component.v_samp_factor : 1;
    plane.across = mcusAcross * plane.h;
    plane.down = mcusDown * plane.v;
    plane.usedAcross = CeilDiv(
        CeilDiv(long(info.image_width) * component.h_samp_factor, info.max_h_samp_factor), 8);
    plane.usedDown = CeilDiv(
        CeilDiv(long(info.image_height) * component.v_samp_factor, info.max_v_samp_factor), 8);
    plane.levels.assign(std::size_t(plane.across) * std::size_t(plane.down), 128 * 16);
    tables.emplace_back(*info.dc_huff_tbl_ptrs[component.dc_tbl_no]);
  }
  BitReader reader(info.src->next_input_byte, info.src->bytes_in_buffer);
  std::vector<int> predictions(planes.size(), 0);
  const unsigned restart = info.restart_interval;
  unsigned mcu = 0;
  for (int my = 0; my < mcusDown; ++my) {
    for (int mx = 0; mx < mcusAcross; ++mx, ++mcu) {
      if (restart != 0 && mcu != 0 && mcu % restart == 0) {
        reader.Restart();
        std::fill(predictions.begin(), predictions.end(), 0);
      }
      for (std::size_t c = 0; c < planes.size(); ++c) {
        Plane& plane = planes[c];
        const int step = info.quant_tbl_ptrs[info.cur_comp_info[c]->quant_tbl_no]->quantval[0];
        for (int by = 0; by < plane.v; ++by) {
          for (int bx = 0; bx < plane.h; ++bx) {
            const int size = tables[c].Decode(reader);
            const int difference = size ? Extend(reader.Bits(size), size) : 0;
            if (reader.CutShort()) continue;  // what follows is not there
            // Held to what a coefficient can be, so damaged data cannot overflow.
            predictions[c] = std::clamp(predictions[c] + difference, -32768, 32767);
            // (Wide enough for a 16-bit table's step.)
            const std::int64_t dc = std::int64_t{predictions[c]} * (1 << info.Al) * step;
            plane.levels[std::size_t(my * plane.v + by) * std::size_t(plane.across) +
                         std::size_t(mx * plane.h + bx)] =
                std::uint16_t(Sixteenths(dc, std::int64_t{(1 << info.Al) - 1} * step));
          }
        }
      }
    }
  }
  return planes;
}

// A plane's level at an output pixel, in sixteenths: its block's, over
// every pixel the block covers. A block of colour stored at a lower
// resolution covers several, each alike, as libjpeg's own 1/8 decode gives
// them from the DC.
int LevelAt(const Plane& plane, int maxH, int maxV, int x, int y) {
  return plane.At(x / (maxH / plane.h), y / (maxV / plane.v));
}

std::uint8_t Clamp(int value) { return std::uint8_t(std::clamp(value, 0, 255)); }

}  // namespace

bool DcScanDecoder::Suits(const jpeg_decompress_struct& info) {
  const bool colour = info.jpeg_color_space == JCS_YCbCr && info.num_components == 3;
  const bool grey = info.jpeg_color_space == JCS_GRAYSCALE && info.num_components == 1;
  if (!info.progressive_mode || info.arith_code || !(colour || grey) ||
      !FirstScanCarriesEveryDc(info) || info.Se != 0 || info.Al > 1) {
    return false;
  }
  for (int i = 0; i < info.comps_in_scan; ++i) {
    const jpeg_component_info& component = *info.cur_comp_info[i];
    if (info.max_h_samp_factor % component.h_samp_factor != 0 ||
        info.max_v_samp_factor % component.v_samp_factor != 0 || component.dc_tbl_no < 0 ||
        component.dc_tbl_no >= NUM_HUFF_TBLS || !info.dc_huff_tbl_ptrs[component.dc_tbl_no] ||
        component.quant_tbl_no < 0 || component.quant_tbl_no >= NUM_QUANT_TBLS ||
        !info.quant_tbl_ptrs[component.quant_tbl_no]) {
      return false;
    }
  }
  return true;
}

void DcScanDecoder::Decode(const jpeg_decompress_struct& info, pixels::DibBitmap& bitmap) {
  const std::vector<Plane> planes = DecodePlanes(info);
  const int maxH = info.max_h_samp_factor, maxV = info.max_v_samp_factor;
  for (std::int32_t y = 0; y < bitmap.Height(); ++y) {
    std::uint8_t* out = bitmap.RowFromTop(y);
    for (std::int32_t x = 0; x < bitmap.Width(); ++x, out += 3) {
      const int luma = LevelAt(planes[0], maxH, maxV, x, y);
      if (planes.size() == 1) {
        out[0] = out[1] = out[2] = std::uint8_t((luma + 8) >> 4);
        continue;
      }
      const int cb = LevelAt(planes[1], maxH, maxV, x, y) - 128 * 16;
      const int cr = LevelAt(planes[2], maxH, maxV, x, y) - 128 * 16;
      // The JPEG file format's conversion, its factors in 65536ths, from
      // sixteenths of levels, rounded as libjpeg rounds it.
      out[0] = Clamp((luma * 65536 + 116130 * cb + (1 << 19)) >> 20);
      out[1] = Clamp((luma * 65536 - 22554 * cb - 46802 * cr + (1 << 19) - 1) >> 20);
      out[2] = Clamp((luma * 65536 + 91881 * cr + (1 << 19)) >> 20);
    }
  }
}

}  // namespace imaging::reading
