#pragma once
// Reading the answers of the cluster controls back in the tests.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/volume_access.h"

namespace movra::platform::testing {

struct PointersAnswer {
  int32_t Status = 0;
  uint64_t Written = 0;
  int64_t StartingVcn = 0;
  std::vector<RetrievalPointersExtent> Extents;
};

inline PointersAnswer DecodePointers(int32_t status, uint64_t written,
                                     const std::vector<uint8_t>& buffer) {
  PointersAnswer answer{status, written, 0, {}};
  if (status != kStatusSuccess && status != kStatusBufferOverflow) return answer;
  RetrievalPointersHeader header;
  std::memcpy(&header, buffer.data(), sizeof header);
  answer.StartingVcn = header.StartingVcn;
  answer.Extents.resize(header.ExtentCount);
  std::memcpy(answer.Extents.data(), buffer.data() + sizeof header,
              header.ExtentCount * sizeof(RetrievalPointersExtent));
  return answer;
}

// Extents as "vcn:lcn:length" words, the layout file's own notation.
inline std::string ExtentText(int64_t startingVcn,
                              const std::vector<RetrievalPointersExtent>& list) {
  std::string text;
  int64_t vcn = startingVcn;
  for (const RetrievalPointersExtent& extent : list) {
    if (!text.empty()) text += ' ';
    text += std::to_string(vcn) + ":" + std::to_string(extent.Lcn) + ":" +
            std::to_string(extent.NextVcn - vcn);
    vcn = extent.NextVcn;
  }
  return text;
}

struct BitmapAnswer {
  int32_t Status = 0;
  uint64_t Written = 0;
  VolumeBitmapHeader Header{};
  std::vector<uint8_t> Bits;
  bool Used(int64_t index) const { return (Bits[index >> 3] >> (index & 7)) & 1; }
};

inline BitmapAnswer DecodeBitmap(int32_t status, uint64_t written,
                                 const std::vector<uint8_t>& buffer) {
  BitmapAnswer answer{status, written, {}, {}};
  if (status != kStatusSuccess && status != kStatusBufferOverflow) return answer;
  std::memcpy(&answer.Header, buffer.data(), sizeof answer.Header);
  answer.Bits.assign(buffer.begin() + sizeof(VolumeBitmapHeader), buffer.begin() + written);
  return answer;
}

}  // namespace movra::platform::testing
