#include "gfx/draw.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "gfx/lanes.h"
#include "gfx/pixel_format.h"

namespace tessera {

namespace {

constexpr int64_t W = SCREEN_WIDTH;
constexpr int64_t H = SCREEN_HEIGHT;

// The indexes i in [0, count) for which both source + i lies in [0, sourceLimit)
// and destination + i in [0, destinationLimit). Screens keep their pictures
// inside the screen, so for them this is the whole picture; a stray caller gets
// the visible part instead of a write past the buffer. Computed once per call.
struct Range {
  int lo = 0, hi = 0;
  bool Empty() const { return lo >= hi; }
};

Range Overlap(int64_t source, int64_t sourceLimit, int64_t destination, int64_t destinationLimit, int64_t count) {
  const int64_t lo = std::max({int64_t{0}, -source, -destination});
  const int64_t hi = std::min({count, sourceLimit - source, destinationLimit - destination});
  if (lo >= hi) return {};
  return {static_cast<int>(lo), static_cast<int>(hi)};
}

// Element addresses formed in one step, so a negative origin never points
// before the array even for a moment.
uint16_t* At(uint16_t* destination, int64_t x, int64_t y) { return destination + (y * W + x); }
const uint16_t* At(const Image* image, int64_t x, int64_t y) { return image->Row(static_cast<int>(y)) + x; }

// A picture that failed to load is null; one whose pixels do not cover its
// sides is never read.
bool Usable(const Image* image) { return image && image->Covered(); }

Lanes Load(const uint16_t* p) { return LoadLanes(p); }
void Store(uint16_t* p, Lanes v) { StoreLanes(p, v); }

// The keyed copy of eight pixels: s where it is not the key, else d.
Lanes Keyed(Lanes s, Lanes d, Lanes keys) {
  const Lanes clear = reinterpret_cast<Lanes>(s == keys);
  return (d & clear) | (s & ~clear);
}

// Rows of 8 to 64 pixels (sprites, spots, clock segments, buttons: drawn by
// the hundred each frame) go as a fixed number B of eight-pixel blocks, with
// no call and no branch per row. Block b starts at min(8b, width - 8): a width
// that is not a multiple of eight ends with a block overlapping the one before.
// Every block of a row is read before any is written, so the overlap gets the
// same values twice.
constexpr int NARROW_MAX = 64;

template <int B>
struct Blocks {
  int offset[B];
  explicit Blocks(int width) {
    for (int b = 0; b < B; ++b) offset[b] = std::min(b * LANES, width - LANES);
  }
};

// f.template operator()<B>() for the block count of a width from 8 to 64.
template <typename F>
void WithBlocks(int width, F&& f) {
  switch ((width + LANES - 1) / LANES) {
    case 1: return f.template operator()<1>();
    case 2: return f.template operator()<2>();
    case 3: return f.template operator()<3>();
    case 4: return f.template operator()<4>();
    case 5: return f.template operator()<5>();
    case 6: return f.template operator()<6>();
    case 7: return f.template operator()<7>();
    default: return f.template operator()<8>();
  }
}

bool Narrow(int width) { return width >= LANES && width <= NARROW_MAX; }

template <int B>
void CopyBlockRows(uint16_t* dst, size_t dstStride, const uint16_t* src, size_t srcStride, int rows, int width) {
  const Blocks<B> blocks(width);
  for (int j = 0; j < rows; ++j, dst += dstStride, src += srcStride) {
    Lanes v[B];
    for (int b = 0; b < B; ++b) v[b] = Load(src + blocks.offset[b]);
    for (int b = 0; b < B; ++b) Store(dst + blocks.offset[b], v[b]);
  }
}

template <int B>
void KeyedBlockRows(uint16_t* dst, size_t dstStride, const uint16_t* src, size_t srcStride, int rows, int width,
                    uint16_t key) {
  const Blocks<B> blocks(width);
  const Lanes keys = Lanes{} + key;
  for (int j = 0; j < rows; ++j, dst += dstStride, src += srcStride) {
    Lanes v[B];
    for (int b = 0; b < B; ++b) v[b] = Keyed(Load(src + blocks.offset[b]), Load(dst + blocks.offset[b]), keys);
    for (int b = 0; b < B; ++b) Store(dst + blocks.offset[b], v[b]);
  }
}

// Keyed copy of one row of any width, eight pixels at a time past the first
// eight, with no branch on the pixels; the last eight, overlapping the eight
// before, are read before anything is written.
void KeyedRow(const uint16_t* src, uint16_t* dst, int n, uint16_t key) {
  if (n < LANES) {
    for (int i = 0; i < n; ++i) dst[i] = src[i] != key ? src[i] : dst[i];
    return;
  }
  const Lanes keys = Lanes{} + key;
  const Lanes last = Keyed(Load(src + n - LANES), Load(dst + n - LANES), keys);
  for (int i = 0; i + LANES <= n; i += LANES) Store(dst + i, Keyed(Load(src + i), Load(dst + i), keys));
  Store(dst + n - LANES, last);
}

// The visible part of a usable image at (x, y).
void DrawKeyedAt(int64_t x, int64_t y, const Image& image, uint16_t* destination) {
  const Range cols = Overlap(0, image.width, x, W, image.width);
  const Range rows = Overlap(0, image.height, y, H, image.height);
  if (cols.Empty() || rows.Empty()) return;
  const uint16_t key = image.key;
  const size_t stride = image.Stride();
  const uint16_t* src = At(&image, cols.lo, rows.lo);
  uint16_t* dst = At(destination, x + cols.lo, y + rows.lo);
  const int n = cols.hi - cols.lo;
  if (Narrow(n)) {
    WithBlocks(n, [&]<int B>() { KeyedBlockRows<B>(dst, W, src, stride, rows.hi - rows.lo, n, key); });
    return;
  }
  for (int j = rows.lo; j < rows.hi; ++j, src += stride, dst += W) KeyedRow(src, dst, n, key);
}

void DrawKeyed(int x, int y, const Image* image, uint16_t* destination) {
  if (!Usable(image) || !destination) return;
  DrawKeyedAt(x, y, *image, destination);
}

// Opaque block copy, one row at a time. The board's pieces are 25, 50 or 100
// pixels wide and drawn by the hundred each frame: for those widths the row
// copy is of a fixed size and compiles to a few moves instead of a call, as it
// does for every width up to 64.
template <size_t Bytes>
void CopyFixedRows(uint16_t* dst, size_t dstStride, const uint16_t* src, size_t srcStride, int rows) {
  for (int j = 0; j < rows; ++j) std::memcpy(dst + j * dstStride, src + j * srcStride, Bytes);
}

void CopyRows(uint16_t* dst, size_t dstStride, const uint16_t* src, size_t srcStride, int rows, int width) {
  switch (width) {
    case 25: return CopyFixedRows<50>(dst, dstStride, src, srcStride, rows);
    case 50: return CopyFixedRows<100>(dst, dstStride, src, srcStride, rows);
    case 100: return CopyFixedRows<200>(dst, dstStride, src, srcStride, rows);
    default:
      if (Narrow(width)) {
        WithBlocks(width, [&]<int B>() { CopyBlockRows<B>(dst, dstStride, src, srcStride, rows, width); });
        return;
      }
      for (int j = 0; j < rows; ++j)
        std::memcpy(dst + j * dstStride, src + j * srcStride, static_cast<size_t>(width) * sizeof(uint16_t));
  }
}

// trunc(v * weight) for every channel value, formed in double as the weights are.
struct GreyWeights {
  std::array<uint8_t, 256> red{}, green{}, blue{};
  GreyWeights() {
    for (int v = 0; v < 256; ++v) {
      red[v] = static_cast<uint8_t>(v * 0.3);
      green[v] = static_cast<uint8_t>(v * 0.59);
      blue[v] = static_cast<uint8_t>(v * 0.11);
    }
  }
};

// Image pixels have 16-bit sides, so targets cut or scaled into are sized here
// when a caller set the sides without the pixels.
void FitPixels(Image* image) {
  if (image->viewed) return;  // a view writes its picture's pixels, whose cover Usable checks
  const size_t n = static_cast<size_t>(image->width) * image->height;
  if (image->pixels.size() != n) image->pixels.resize(n);
}

// floor(i * source / target) for consecutive i from `start`, by steps rather
// than a division each.
class Stepper {
 public:
  Stepper(int64_t start, int64_t source, int64_t target)
      : q_(start * source / target), r_(start * source % target), stepQ_(source / target),
        stepR_(source % target), target_(target) {}
  int64_t Next() {
    const int64_t value = q_;
    q_ += stepQ_;
    r_ += stepR_;
    if (r_ >= target_) {
      r_ -= target_;
      ++q_;
    }
    return value;
  }

 private:
  int64_t q_, r_, stepQ_, stepR_, target_;
};

constexpr int SCALE_SLICE = 1024;

// A row of the same width.
void CopyRow(uint16_t* out, const uint16_t* src, int n) { CopyRows(out, 0, src, 0, 1, n); }

// Each source pixel twice, from output column `lo` on: the hovered cell's
// previews of 25-pixel pieces at 50 pixels.
void DoubledRow(uint16_t* out, const uint16_t* src, int lo, int n) {
  int i = 0;
  if (lo % 2 == 1) out[i++] = src[lo / 2];  // the second copy of its pixel
  const uint16_t* s = src + (lo + i) / 2;
  for (; i + 2 * LANES <= n; i += 2 * LANES, s += LANES) {
    const Lanes v = Load(s);
    Store(out + i, __builtin_shufflevector(v, v, 0, 0, 1, 1, 2, 2, 3, 3));
    Store(out + i + LANES, __builtin_shufflevector(v, v, 4, 4, 5, 5, 6, 6, 7, 7));
  }
  for (; i + 1 < n; i += 2, ++s) {
    const uint32_t pair = *s * 0x10001u;
    std::memcpy(out + i, &pair, sizeof pair);
  }
  if (i < n) out[i] = *s;
}

template <int Step>
void StridedRow(uint16_t* out, const uint16_t* src, int n) {
  for (int i = 0; i < n; ++i) out[i] = src[static_cast<size_t>(i) * Step];
}

// The reductions the screens use get a constant stride.
void StridedRow(uint16_t* out, const uint16_t* src, int n, int step) {
  switch (step) {
    case 1: return CopyRow(out, src, n);
    case 2: return StridedRow<2>(out, src, n);
    case 5: return StridedRow<5>(out, src, n);
    case 10: return StridedRow<10>(out, src, n);
    default:
      for (int i = 0; i < n; ++i) out[i] = src[static_cast<size_t>(i) * step];
  }
}

// Nearest-neighbour scaling of `source` to dw x dh, for the columns and rows
// given (at most SCALE_SLICE columns); rowOut(j) points at column cols.lo of
// output row j. A row that repeats the source row of the one before it is copied whole.
template <typename RowOut>
void ScaleRows(const Image& source, int dw, int dh, Range cols, Range rows, RowOut&& rowOut) {
  std::array<uint16_t, SCALE_SLICE> sourceColumn;
  const int n = cols.hi - cols.lo;
  // Whole-number reductions (the layer previews, the thumbnail) step evenly
  // through the source, and doubling repeats each pixel: neither needs a table.
  const int evenStep = source.width % dw == 0 ? source.width / dw : 0;
  const bool doubled = dw == 2 * source.width;
  if (evenStep == 0 && !doubled) {
    Stepper column(cols.lo, source.width, dw);
    for (int i = 0; i < n; ++i) sourceColumn[i] = static_cast<uint16_t>(column.Next());
  }

  Stepper row(rows.lo, source.height, dh);
  int64_t previous = -1;
  const uint16_t* previousOut = nullptr;
  for (int j = rows.lo; j < rows.hi; ++j) {
    const int64_t sourceRow = row.Next();
    uint16_t* out = rowOut(j);
    if (sourceRow == previous) {
      CopyRow(out, previousOut, n);
    } else if (evenStep > 0) {
      StridedRow(out, source.Row(static_cast<int>(sourceRow)) + static_cast<size_t>(cols.lo) * evenStep, n, evenStep);
    } else if (doubled) {
      DoubledRow(out, source.Row(static_cast<int>(sourceRow)), cols.lo, n);
    } else {
      const uint16_t* src = source.Row(static_cast<int>(sourceRow));
      for (int i = 0; i < n; ++i) out[i] = src[sourceColumn[i]];
    }
    previous = sourceRow;
    previousOut = out;
  }
}

}  // namespace

void DrawImage(int x, int y, const Image* image, uint16_t* destination) {
  if (!Usable(image) || !destination) return;
  const Range cols = Overlap(0, image->width, x, W, image->width);
  const Range rows = Overlap(0, image->height, y, H, image->height);
  if (cols.Empty() || rows.Empty()) return;
  CopyRows(At(destination, int64_t{x} + cols.lo, int64_t{y} + rows.lo), W, At(image, cols.lo, rows.lo), image->Stride(),
           rows.hi - rows.lo, cols.hi - cols.lo);
}

void DrawImageKeyed(int x, int y, const Image* image, uint16_t* destination) {
  DrawKeyed(x, y, image, destination);
}

void DrawImageKeyedClipped(int x, int y, const Image* image, uint16_t* destination) {
  DrawKeyed(x, y, image, destination);
}

void CopyRowKeyed(const uint16_t* src, uint16_t* dst, int n, uint16_t key) { KeyedRow(src, dst, n, key); }

namespace {

// Every copy of a grid row that lies wholly on screen, row by row across the
// copies, left to right (every pixel still gets its copies in their order),
// each picture row's blocks and key masks formed once for all the copies.
template <int B>
void KeyedGridRows(const Image& image, uint16_t* top, int64_t dx, int count) {
  const Blocks<B> blocks(image.width);
  const Lanes keys = Lanes{} + image.key;
  for (int j = 0; j < image.height; ++j, top += W) {
    const uint16_t* src = image.Row(j);
    Lanes clear[B], ink[B];
    for (int b = 0; b < B; ++b) {
      const Lanes s = Load(src + blocks.offset[b]);
      clear[b] = reinterpret_cast<Lanes>(s == keys);
      ink[b] = s & ~clear[b];
    }
    uint16_t* copy = top;
    for (int k = 0; k < count; ++k, copy += dx) {
      Lanes out[B];
      for (int b = 0; b < B; ++b) out[b] = (Load(copy + blocks.offset[b]) & clear[b]) | ink[b];
      for (int b = 0; b < B; ++b) Store(copy + blocks.offset[b], out[b]);
    }
  }
}

}  // namespace

void DrawImageKeyedGrid(const Image* image, int x, int y, int dx, int dy, int columns, int first, int last,
                        uint16_t* destination) {
  if (!Usable(image) || !destination || columns <= 0) return;
  const int w = image->width, h = image->height;
  for (int64_t i = std::max(first, 0); i < last;) {
    const int64_t row = i / columns;
    const int64_t end = std::min<int64_t>(last, (row + 1) * columns);
    const int64_t top = y + dy * row;
    const int64_t from = x + dx * (i % columns), to = x + dx * ((end - 1) % columns);
    const bool whole = std::min(from, to) >= 0 && std::max(from, to) + w <= W && top >= 0 && top + h <= H;
    if (whole && Narrow(w)) {
      uint16_t* at = At(destination, from, top);
      const int count = static_cast<int>(end - i);
      WithBlocks(w, [&]<int B>() { KeyedGridRows<B>(*image, at, dx, count); });
    } else {
      for (int64_t k = i; k < end; ++k) DrawKeyedAt(x + dx * (k % columns), top, *image, destination);
    }
    i = end;
  }
}

void DrawImageGrey(int x, int y, const Image* image, uint16_t* destination) {
  if (!Usable(image) || !destination) return;
  const Range cols = Overlap(0, image->width, x, W, image->width);
  const Range rows = Overlap(0, image->height, y, H, image->height);
  if (cols.Empty() || rows.Empty()) return;

  static const GreyWeights weights;
  // s never exceeds 254; its packed grey is looked up rather than packed per pixel.
  std::array<uint16_t, 256> greyOf;
  for (uint32_t s = 0; s < 256; ++s) greyOf[s] = PackRgb(s, s, s);
  const ChannelFormat r = PixelFormat.red, g = PixelFormat.green, b = PixelFormat.blue;
  auto channel = [](uint16_t p, const ChannelFormat& c) {
    return static_cast<uint8_t>((((p & c.mask) >> c.shift) << (2 + c.narrow)) & 0xFF);
  };

  for (int j = rows.lo; j < rows.hi; ++j) {
    const uint16_t* src = At(image, cols.lo, j);
    uint16_t* dst = At(destination, int64_t{x} + cols.lo, int64_t{y} + j);
    for (int i = 0; i < cols.hi - cols.lo; ++i) {
      const uint16_t p = src[i];
      const int s = weights.red[channel(p, r)] + weights.green[channel(p, g)] + weights.blue[channel(p, b)];
      dst[i] = greyOf[s];
    }
  }
}

void DrawImagePart(const Image* image, uint16_t* destination, int sx, int sy, int w, int h, int dx, int dy) {
  if (!Usable(image) || !destination) return;
  const Range cols = Overlap(sx, image->width, dx, W, w);
  const Range rows = Overlap(sy, image->height, dy, H, h);
  if (cols.Empty() || rows.Empty()) return;
  CopyRows(At(destination, int64_t{dx} + cols.lo, int64_t{dy} + rows.lo), W,
           At(image, int64_t{sx} + cols.lo, int64_t{sy} + rows.lo), image->Stride(), rows.hi - rows.lo,
           cols.hi - cols.lo);
}

void DrawImageScaled(const Image* image, int dw, int dh, uint16_t* destination, int x, int y) {
  if (!Usable(image) || !destination || dw <= 0 || dh <= 0 || image->width == 0 || image->height == 0) return;
  const Range cols = Overlap(0, dw, x, W, dw);
  const Range rows = Overlap(0, dh, y, H, dh);
  if (cols.Empty() || rows.Empty()) return;
  ScaleRows(*image, dw, dh, cols, rows, [&](int j) { return At(destination, int64_t{x} + cols.lo, int64_t{y} + j); });
}

namespace {

// Sides in 64 bits, so bands computed from extreme arguments cannot overflow.
void FillPacked(int64_t x, int64_t y, int64_t w, int64_t h, uint16_t colour, uint16_t* destination) {
  const Range cols = Overlap(0, w, x, W, w);
  const Range rows = Overlap(0, h, y, H, h);
  if (cols.Empty() || rows.Empty()) return;
  const int n = cols.hi - cols.lo;
  uint16_t* row = At(destination, x + cols.lo, y + rows.lo);
  // The sides of frames and grid lines are columns of one- or two-pixel runs,
  // where a general fill spends more on setting up than on writing.
  if (n <= 2) {
    for (int j = rows.lo; j < rows.hi; ++j, row += W) {
      row[0] = colour;
      row[n - 1] = colour;
    }
    return;
  }
  for (int j = rows.lo; j < rows.hi; ++j, row += W) std::fill_n(row, n, colour);
}

bool OffScreen(int64_t x, int64_t y, int64_t w, int64_t h) { return x + w <= 0 || x >= W || y + h <= 0 || y >= H; }

}  // namespace

void FillRect(int x, int y, int w, int h, uint32_t r, uint32_t g, uint32_t b, uint16_t* destination) {
  if (!destination || OffScreen(x, y, w, h) || w <= 0 || h <= 0) return;
  FillPacked(x, y, w, h, PackRgb(r, g, b), destination);
}

void FrameRect(int x, int y, int w, int h, int t, uint32_t r, uint32_t g, uint32_t b, uint16_t* destination) {
  if (!destination || OffScreen(x, y, w, h)) return;
  const uint16_t colour = PackRgb(r, g, b);
  const int64_t X = x, Y = y, Wd = w, Ht = h, T = t;
  FillPacked(X, Y, Wd, T, colour, destination);                  // top
  FillPacked(X, Y + Ht - T, Wd, T, colour, destination);         // bottom
  FillPacked(X, Y + T, T, Ht - 2 * T, colour, destination);      // left
  FillPacked(X + Wd - T, Y + T, T, Ht - 2 * T, colour, destination);  // right
}

void ScaleImage(const Image* source, Image* target) {
  if (!Usable(source) || !target) return;
  FitPixels(target);
  if (!target->Covered()) return;
  const int tw = target->width, th = target->height;
  if (tw == 0 || th == 0 || source->width == 0 || source->height == 0) return;
  // Wide targets go in slices of at most one column table.
  for (int c0 = 0; c0 < tw; c0 += SCALE_SLICE) {
    const Range cols{c0, std::min(tw, c0 + SCALE_SLICE)};
    ScaleRows(*source, tw, th, cols, Range{0, th}, [&](int j) { return target->Row(j) + cols.lo; });
  }
}

void CutImage(const Image* source, Image* target, int sx, int sy) {
  if (!Usable(source) || !target) return;
  FitPixels(target);
  if (!target->Covered()) return;
  const Range cols = Overlap(sx, source->width, 0, target->width, target->width);
  const Range rows = Overlap(sy, source->height, 0, target->height, target->height);
  if (cols.Empty() || rows.Empty()) return;
  CopyRows(target->Row(rows.lo) + cols.lo, target->Stride(), At(source, int64_t{sx} + cols.lo, int64_t{sy} + rows.lo),
           source->Stride(), rows.hi - rows.lo, cols.hi - cols.lo);
}

}  // namespace tessera
