// Draws the program icon and writes it as one .ico file with ten images:
//   32x32 and 16x16 in 16 colours, 48x48, 32x32 and 16x16 in 256 colours,
//   a 256x256 PNG, and 128x128, 48x48, 32x32, 16x16 with an alpha channel.
// The picture is a light power symbol (a ring open at the top with a bar
// through the gap) on a dark rounded square tile.
//
// Built and run on the build machine by tools/icon/make-icon.sh; it needs
// the standard library and zlib (for the PNG's compressed image data).
// Usage: make_icon OUTPUT.ico
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <zlib.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Rgba {
  std::uint8_t r = 0, g = 0, b = 0, a = 0;
};

struct Image {
  int size = 0;
  std::vector<Rgba> pixels;  // top row first
  const Rgba& at(int x, int y) const { return pixels[static_cast<std::size_t>(y * size + x)]; }
};

// --- The picture, in a unit square ------------------------------------------

constexpr Rgba kTile{38, 44, 56, 255};
constexpr Rgba kSymbol{236, 241, 246, 255};

constexpr double kPi = 3.14159265358979323846;

double rounded_square_distance(double x, double y) {
  // Negative inside. Tile from 0.03 to 0.97 with corners of radius 0.19.
  const double half = 0.47, radius = 0.19;
  const double qx = std::fabs(x - 0.5) - (half - radius);
  const double qy = std::fabs(y - 0.5) - (half - radius);
  const double ox = std::max(qx, 0.0), oy = std::max(qy, 0.0);
  return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0) - radius;
}

double segment_distance(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay;
  const double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

bool in_symbol(double x, double y) {
  const double cx = 0.5, cy = 0.54, radius = 0.235, half_stroke = 0.048;
  const double gap = 40.0 * kPi / 180.0;  // half the opening, around "up"
  // The bar: from above the ring down to its centre, with round ends.
  if (segment_distance(x, y, cx, 0.19, cx, 0.50) <= half_stroke) return true;
  // The ring, open at the top, with round ends.
  const double dx = x - cx, dy = y - cy;
  const double angle = std::atan2(dx, -dy);  // 0 straight up
  if (std::fabs(angle) >= gap) return std::fabs(std::hypot(dx, dy) - radius) <= half_stroke;
  for (double end : {-gap, gap}) {
    const double ex = cx + radius * std::sin(end), ey = cy - radius * std::cos(end);
    if (std::hypot(x - ex, y - ey) <= half_stroke) return true;
  }
  return false;
}

// Coverage by supersampling: 8x8 samples a pixel.
Image draw(int size) {
  constexpr int kSamples = 8;
  Image image;
  image.size = size;
  image.pixels.resize(static_cast<std::size_t>(size * size));
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      int tile = 0, symbol = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double ux = (x + (sx + 0.5) / kSamples) / size;
          const double uy = (y + (sy + 0.5) / kSamples) / size;
          if (rounded_square_distance(ux, uy) > 0) continue;
          ++tile;
          if (in_symbol(ux, uy)) ++symbol;
        }
      }
      const double total = kSamples * kSamples;
      const double mix = tile > 0 ? static_cast<double>(symbol) / tile : 0.0;
      auto blend = [mix](std::uint8_t a, std::uint8_t b) {
        return static_cast<std::uint8_t>(std::lround(a + (b - a) * mix));
      };
      Rgba& p = image.pixels[static_cast<std::size_t>(y * size + x)];
      p = Rgba{blend(kTile.r, kSymbol.r), blend(kTile.g, kSymbol.g), blend(kTile.b, kSymbol.b),
               static_cast<std::uint8_t>(std::lround(255.0 * tile / total))};
    }
  }
  return image;
}

// --- Byte writing -----------------------------------------------------------

void put16(Bytes& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}
void put32_be(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

// --- Icon images as DIBs ----------------------------------------------------

// Palette images: index 0 is black for the masked-out pixels, the others
// run from the tile's colour to the symbol's.
std::vector<Rgba> ramp_palette(int colours) {
  std::vector<Rgba> palette{Rgba{0, 0, 0, 0}};
  for (int i = 0; i < colours - 1; ++i) {
    const double t = static_cast<double>(i) / (colours - 2);
    auto mix = [t](std::uint8_t a, std::uint8_t b) {
      return static_cast<std::uint8_t>(std::lround(a + (b - a) * t));
    };
    palette.push_back(Rgba{mix(kTile.r, kSymbol.r), mix(kTile.g, kSymbol.g), mix(kTile.b, kSymbol.b), 255});
  }
  return palette;
}

int nearest(const std::vector<Rgba>& palette, const Rgba& p) {
  int best = 1;
  long best_distance = -1;
  for (std::size_t i = 1; i < palette.size(); ++i) {
    const long dr = palette[i].r - p.r, dg = palette[i].g - p.g, db = palette[i].b - p.b;
    const long d = dr * dr + dg * dg + db * db;
    if (best_distance < 0 || d < best_distance) {
      best_distance = d;
      best = static_cast<int>(i);
    }
  }
  return best;
}

int row_bytes(int width, int bits) { return ((width * bits + 31) / 32) * 4; }

// BITMAPINFOHEADER, palette, colour bits and AND mask, rows bottom-up.
Bytes dib(const Image& image, int bits) {
  const int n = image.size;
  const int colours = bits <= 8 ? 1 << bits : 0;
  const std::vector<Rgba> palette = colours > 0 ? ramp_palette(colours) : std::vector<Rgba>{};
  const int xor_row = row_bytes(n, bits), and_row = row_bytes(n, 1);
  // Without an alpha channel a pixel is either the picture or transparent.
  auto transparent = [&](const Rgba& p) { return bits == 32 ? p.a == 0 : p.a < 128; };

  Bytes out;
  put32(out, 40);
  put32(out, static_cast<std::uint32_t>(n));
  put32(out, static_cast<std::uint32_t>(2 * n));  // colour bits and mask
  put16(out, 1);
  put16(out, static_cast<unsigned>(bits));
  put32(out, 0);  // BI_RGB
  put32(out, static_cast<std::uint32_t>((xor_row + and_row) * n));
  put32(out, 0);
  put32(out, 0);
  put32(out, static_cast<std::uint32_t>(colours));
  put32(out, 0);
  for (const Rgba& c : palette) {
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }

  for (int y = n - 1; y >= 0; --y) {
    Bytes row(static_cast<std::size_t>(xor_row), 0);
    for (int x = 0; x < n; ++x) {
      const Rgba& p = image.at(x, y);
      if (bits == 32) {
        const std::size_t i = static_cast<std::size_t>(x) * 4;
        row[i] = p.b;
        row[i + 1] = p.g;
        row[i + 2] = p.r;
        row[i + 3] = p.a;
        continue;
      }
      const int index = transparent(p) ? 0 : nearest(palette, p);
      if (bits == 8) {
        row[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(index);
      } else {  // 4 bits, high nibble first
        row[static_cast<std::size_t>(x / 2)] |=
            static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  for (int y = n - 1; y >= 0; --y) {
    Bytes row(static_cast<std::size_t>(and_row), 0);
    for (int x = 0; x < n; ++x) {
      if (transparent(image.at(x, y))) {
        row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

// --- PNG -----------------------------------------------------------------------

std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void chunk(Bytes& out, const char* type, const Bytes& data) {
  put32_be(out, static_cast<std::uint32_t>(data.size()));
  Bytes body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  out.insert(out.end(), body.begin(), body.end());
  put32_be(out, crc32(body.data(), body.size()));
}

Bytes png(const Image& image) {
  const int n = image.size;
  Bytes raw;  // each row: filter type 0, then RGBA
  for (int y = 0; y < n; ++y) {
    raw.push_back(0);
    for (int x = 0; x < n; ++x) {
      const Rgba& p = image.at(x, y);
      raw.insert(raw.end(), {p.r, p.g, p.b, p.a});
    }
  }

  // zlib's best compression: the big image is mostly flat colour, so it
  // shrinks from 256 KB to a few KB.
  uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
  Bytes zlib(packed_size);
  if (compress2(zlib.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size()),
                Z_BEST_COMPRESSION) != Z_OK) {
    std::fprintf(stderr, "make_icon: compression failed\n");
    std::exit(1);
  }
  zlib.resize(packed_size);

  Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  put32_be(header, static_cast<std::uint32_t>(n));
  put32_be(header, static_cast<std::uint32_t>(n));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, no interlace
  chunk(out, "IHDR", header);
  chunk(out, "IDAT", zlib);
  chunk(out, "IEND", Bytes{});
  return out;
}

// --- The .ico container ---------------------------------------------------

struct Entry {
  int size;
  int bits;
  Bytes data;
};

Bytes ico(const std::vector<Entry>& entries) {
  Bytes out;
  put16(out, 0);
  put16(out, 1);  // icon
  put16(out, static_cast<unsigned>(entries.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
  for (const Entry& e : entries) {
    out.push_back(static_cast<std::uint8_t>(e.size >= 256 ? 0 : e.size));
    out.push_back(static_cast<std::uint8_t>(e.size >= 256 ? 0 : e.size));
    out.push_back(static_cast<std::uint8_t>(e.bits == 4 ? 16 : 0));  // palette size
    out.push_back(0);
    put16(out, 1);  // planes
    put16(out, static_cast<unsigned>(e.bits));
    put32(out, static_cast<std::uint32_t>(e.data.size()));
    put32(out, offset);
    offset += static_cast<std::uint32_t>(e.data.size());
  }
  for (const Entry& e : entries) out.insert(out.end(), e.data.begin(), e.data.end());
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.ico\n", argv[0]);
    return 2;
  }
  std::vector<Entry> entries;
  for (auto [size, bits] : {std::pair{32, 4}, {16, 4}, {48, 8}, {32, 8}, {16, 8}}) {
    entries.push_back(Entry{size, bits, dib(draw(size), bits)});
  }
  entries.push_back(Entry{256, 32, png(draw(256))});
  for (int size : {128, 48, 32, 16}) entries.push_back(Entry{size, 32, dib(draw(size), 32)});

  const Bytes file = ico(entries);
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  if (std::fclose(out) != 0 || !written) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
