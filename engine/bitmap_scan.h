#pragma once
// Finding runs of free clusters in allocation bitmap chunks (least significant bit first,
// 1 = used). A run may continue from one chunk into the next.
#include <cstdint>
#include <cstring>

namespace movra {

class TFreeRunScanner {
 public:
  // Called for every closed run; returns true to stop the scan.
  template <typename OnRun>
  bool Scan(const uint8_t* bitmap, int64_t bits, int64_t firstLcn, OnRun&& onRun);
  // Closes the run still open at the end of the volume; returns what onRun returned.
  template <typename OnRun>
  bool Finish(OnRun&& onRun);

 private:
  int64_t runStart_ = -1;
  int64_t runLength_ = 0;
};

namespace bitmap_detail {

// The target is little-endian, so a word's bit k is bit (k mod 8) of byte (k div 8).
inline uint64_t LoadWord(const uint8_t* bitmap, int64_t wordIndex) {
  uint64_t w;
  std::memcpy(&w, bitmap + wordIndex * 8, sizeof w);
  return w;
}

// The position of the first bit at or after `from` (and before `bits`) whose value is
// `wanted`; `bits` when there is none. Works a 64-bit word at a time.
inline int64_t FindBit(const uint8_t* bitmap, int64_t from, int64_t bits, bool wanted) {
  const uint64_t flip = wanted ? 0 : ~uint64_t{0};
  int64_t i = from;
  while (i < bits) {
    const int64_t word = i >> 6;
    const int offset = static_cast<int>(i & 63);
    const int64_t wordEnd = (word + 1) * 64;
    uint64_t w;
    if (wordEnd <= bits) {
      w = LoadWord(bitmap, word);
    } else {
      // The last, partial word: read only the bytes that hold valid bits.
      w = 0;
      const int64_t lastByte = (bits - 1) >> 3;
      for (int64_t b = lastByte; b >= word * 8; --b) w = (w << 8) | bitmap[b];
    }
    w = (w ^ flip) >> offset;
    if (w != 0) {
      const int64_t pos = i + __builtin_ctzll(w);
      return pos < bits ? pos : bits;
    }
    i = wordEnd;
  }
  return bits;
}

}  // namespace bitmap_detail

template <typename OnRun>
bool TFreeRunScanner::Scan(const uint8_t* bitmap, int64_t bits, int64_t firstLcn,
                           OnRun&& onRun) {
  int64_t i = 0;
  while (i < bits) {
    if (runStart_ < 0) {
      const int64_t freeAt = bitmap_detail::FindBit(bitmap, i, bits, false);
      if (freeAt >= bits) return false;
      runStart_ = firstLcn + freeAt;
      runLength_ = 0;
      i = freeAt;
    }
    const int64_t usedAt = bitmap_detail::FindBit(bitmap, i, bits, true);
    runLength_ += usedAt - i;
    i = usedAt;
    if (usedAt < bits) {
      const int64_t start = runStart_, length = runLength_;
      runStart_ = -1;
      runLength_ = 0;
      if (onRun(start, length)) return true;
    }
  }
  return false;
}

template <typename OnRun>
bool TFreeRunScanner::Finish(OnRun&& onRun) {
  if (runStart_ < 0) return false;
  const int64_t start = runStart_, length = runLength_;
  runStart_ = -1;
  runLength_ = 0;
  return onRun(start, length);
}

}  // namespace movra
