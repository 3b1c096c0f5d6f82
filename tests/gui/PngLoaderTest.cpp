// PNG decoding: every colour type and depth to 32-bit ARGB, and refusal of files that
// are missing, not PNGs, damaged, cut short or of absurd dimensions - without reading
// past an end or taking memory for them.

#include "GuiTestSupport.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace
{
std::vector<unsigned char> ReadAll(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::vector<unsigned char>& bytes)
{
  std::ofstream out(path, std::ios::binary);
  out.write((const char*) bytes.data(), (std::streamsize) bytes.size());
}

// A PNG of any type written with libpng's full interface. rows hold packed samples.
bool WriteRawPng(const std::string& path, int w, int h, int depth, int colorType,
                 const std::vector<std::vector<unsigned char>>& rows,
                 const std::vector<png_color>& palette = {}, const std::vector<unsigned char>& trns = {})
{
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png)))
  {
    png_destroy_write_struct(&png, &info);
    fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, (png_uint_32) w, (png_uint_32) h, depth, colorType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), (int) palette.size());
  if (!trns.empty()) png_set_tRNS(png, info, trns.data(), (int) trns.size(), nullptr);
  png_write_info(png, info);
  for (const auto& row : rows) png_write_row(png, row.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  fclose(f);
  return true;
}

void PutBE32(std::vector<unsigned char>& v, uint32_t x)
{
  for (int s = 24; s >= 0; s -= 8) v.push_back((unsigned char) (x >> s));
}

void PutChunk(std::vector<unsigned char>& v, const char* type, const std::vector<unsigned char>& data)
{
  PutBE32(v, (uint32_t) data.size());
  std::vector<unsigned char> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  v.insert(v.end(), body.begin(), body.end());
  PutBE32(v, (uint32_t) crc32(0, body.data(), (uInt) body.size()));
}

// A well-formed header for a w x h RGBA image, an IDAT of one compressed row of
// zeros, and IEND: valid up to the point where the data runs out.
std::vector<unsigned char> HeaderOnlyPng(uint32_t w, uint32_t h)
{
  std::vector<unsigned char> v = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<unsigned char> ihdr;
  PutBE32(ihdr, w);
  PutBE32(ihdr, h);
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
  PutChunk(v, "IHDR", ihdr);
  std::vector<unsigned char> raw(1 + 4 * (size_t) std::min<uint32_t>(w, 64), 0), packed(256);
  uLongf len = (uLongf) packed.size();
  compress(packed.data(), &len, raw.data(), (uLong) raw.size());
  packed.resize(len);
  PutChunk(v, "IDAT", packed);
  PutChunk(v, "IEND", {});
  return v;
}

struct Loaded
{
  std::unique_ptr<LICE_MemBitmap> bmp;
  explicit Loaded(const std::string& path) : bmp(LICE_LoadPNG(path.c_str())) {}
  uint32_t At(int x, int y) const { return raster::GetPixel(bmp.get(), x, y); }
};
} // namespace

TEST(PngLoader, RGBAWithAlphaRoundTrips)
{
  ScratchDir dir;
  const std::string path = dir.File("rgba.png");
  std::vector<std::vector<unsigned char>> rows = {{255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0},
                                                  {10, 20, 30, 255, 200, 100, 50, 64, 1, 2, 3, 1}};
  ASSERT_TRUE(WriteRawPng(path, 3, 2, 8, PNG_COLOR_TYPE_RGBA, rows));
  Loaded l(path);
  ASSERT_NE(l.bmp, nullptr);
  EXPECT_EQ(l.bmp->Width(), 3);
  EXPECT_EQ(l.bmp->Height(), 2);
  EXPECT_EQ(l.At(0, 0), 0xFFFF0000u);
  EXPECT_EQ(l.At(0, 1), 0xFF0A141Eu);
  EXPECT_EQ(l.At(2, 0), 0u); // fully transparent: colour gone
  // Stored premultiplied: straight values come back within one step.
  const IColor half = IColor::FromPacked(l.At(1, 0));
  EXPECT_EQ(half.A, 128);
  EXPECT_EQ(half.G, 255);
  const IColor quarter = IColor::FromPacked(l.At(1, 1));
  EXPECT_EQ(quarter.A, 64);
  EXPECT_NEAR(quarter.R, 200, 2);
  EXPECT_NEAR(quarter.B, 50, 2);
  // The bitmap holds premultiplied words.
  EXPECT_EQ(l.bmp->Bits()[1], (128u << 24) | (128u << 8));
}

TEST(PngLoader, EveryColourTypeAndDepth)
{
  ScratchDir dir;
  ASSERT_TRUE(WriteRawPng(dir.File("gray.png"), 2, 1, 8, PNG_COLOR_TYPE_GRAY, {{0x40, 0xC0}}));
  ASSERT_TRUE(WriteRawPng(dir.File("ga.png"), 1, 1, 8, PNG_COLOR_TYPE_GRAY_ALPHA, {{0x80, 0xFF}}));
  ASSERT_TRUE(WriteRawPng(dir.File("rgb16.png"), 1, 1, 16, PNG_COLOR_TYPE_RGB,
                          {{0x12, 0x34, 0xAB, 0xCD, 0xFF, 0xFF}}));
  ASSERT_TRUE(WriteRawPng(dir.File("bits.png"), 8, 1, 1, PNG_COLOR_TYPE_GRAY, {{0xA0}}));
  ASSERT_TRUE(WriteRawPng(dir.File("pal.png"), 2, 1, 8, PNG_COLOR_TYPE_PALETTE, {{0, 1}},
                          {{255, 0, 0}, {0, 0, 255}}, {255, 0}));

  Loaded gray(dir.File("gray.png"));
  ASSERT_NE(gray.bmp, nullptr);
  EXPECT_EQ(gray.At(0, 0), 0xFF404040u);
  EXPECT_EQ(gray.At(1, 0), 0xFFC0C0C0u);
  Loaded ga(dir.File("ga.png"));
  ASSERT_NE(ga.bmp, nullptr);
  EXPECT_EQ(ga.At(0, 0), 0xFF808080u);
  Loaded rgb16(dir.File("rgb16.png"));
  ASSERT_NE(rgb16.bmp, nullptr);
  EXPECT_EQ(rgb16.At(0, 0) >> 24, 255u);
  EXPECT_EQ(rgb16.At(0, 0) & 255, 255u);
  Loaded bits(dir.File("bits.png"));
  ASSERT_NE(bits.bmp, nullptr);
  EXPECT_EQ(bits.At(0, 0), 0xFFFFFFFFu); // 1 0 1 0 0 0 0 0
  EXPECT_EQ(bits.At(1, 0), 0xFF000000u);
  EXPECT_EQ(bits.At(2, 0), 0xFFFFFFFFu);
  Loaded pal(dir.File("pal.png"));
  ASSERT_NE(pal.bmp, nullptr);
  EXPECT_EQ(pal.At(0, 0), 0xFFFF0000u);
  EXPECT_EQ(pal.At(1, 0), 0u); // transparent through tRNS
}

TEST(PngLoader, MissingUnreadableAndNonPngFilesAreRefused)
{
  ScratchDir dir;
  EXPECT_EQ(LICE_LoadPNG(dir.File("nothing.png").c_str()), nullptr);
  EXPECT_EQ(LICE_LoadPNG(dir.Path().c_str()), nullptr); // a folder
  EXPECT_EQ(LICE_LoadPNG(""), nullptr);
  EXPECT_EQ(LICE_LoadPNG(nullptr), nullptr);
  WriteAll(dir.File("empty.png"), {});
  EXPECT_EQ(LICE_LoadPNG(dir.File("empty.png").c_str()), nullptr);
  WriteAll(dir.File("text.png"), std::vector<unsigned char>(1000, 'A'));
  EXPECT_EQ(LICE_LoadPNG(dir.File("text.png").c_str()), nullptr);
  std::vector<unsigned char> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F', 0};
  WriteAll(dir.File("photo.png"), jpeg);
  EXPECT_EQ(LICE_LoadPNG(dir.File("photo.png").c_str()), nullptr);
}

TEST(PngLoader, EveryTruncationIsRefused)
{
  ScratchDir dir;
  auto bmp = Filmstrip(7, 5, {0xFF112233, 0x80445566, 0xFF778899});
  const std::string whole = dir.File("whole.png"), cut = dir.File("cut.png");
  ASSERT_TRUE(raster::WritePNG(bmp.get(), whole.c_str()));
  const std::vector<unsigned char> bytes = ReadAll(whole);
  ASSERT_GT(bytes.size(), 60u);
  Loaded full(whole);
  ASSERT_NE(full.bmp, nullptr);
  // IEND is 12 bytes; any cut inside the image data or before it must fail.
  for (size_t n = 0; n + 12 < bytes.size(); ++n)
  {
    WriteAll(cut, std::vector<unsigned char>(bytes.begin(), bytes.begin() + (long) n));
    std::unique_ptr<LICE_MemBitmap> b(LICE_LoadPNG(cut.c_str()));
    EXPECT_EQ(b, nullptr) << n << " of " << bytes.size();
  }
}

TEST(PngLoader, DamagedDataIsRefused)
{
  ScratchDir dir;
  auto bmp = SolidBitmap(16, 16, 0xFF204080);
  const std::string path = dir.File("ok.png"), bad = dir.File("bad.png");
  ASSERT_TRUE(raster::WritePNG(bmp.get(), path.c_str()));
  std::vector<unsigned char> bytes = ReadAll(path);
  // Flip one byte inside each chunk after the signature: its CRC no longer matches.
  int refused = 0, tried = 0;
  for (size_t i = 8; i + 12 < bytes.size(); i += 7)
  {
    std::vector<unsigned char> b = bytes;
    b[i] ^= 0x5A;
    WriteAll(bad, b);
    std::unique_ptr<LICE_MemBitmap> l(LICE_LoadPNG(bad.c_str()));
    ++tried;
    if (!l)
      ++refused;
    else
    {
      EXPECT_EQ(l->Width(), 16); // whatever survives is a whole bitmap of the stated size
      EXPECT_EQ(l->Height(), 16);
    }
  }
  EXPECT_GT(refused, tried / 2);
}

TEST(PngLoader, AbsurdDimensionsAreRefusedBeforeAnyMemoryIsTaken)
{
  ScratchDir dir;
  struct Case
  {
    uint32_t w, h;
  } cases[] = {{0, 10},
               {10, 0},
               {40000, 1},
               {1, 40000},
               {5000, 5000},
               {100000, 100000},
               {0x7FFFFFFF, 0x7FFFFFFF},
               {0xFFFFFFFF, 1}};
  for (const Case& c : cases)
  {
    WriteAll(dir.File("huge.png"), HeaderOnlyPng(c.w, c.h));
    std::unique_ptr<LICE_MemBitmap> l(LICE_LoadPNG(dir.File("huge.png").c_str()));
    EXPECT_EQ(l, nullptr) << c.w << " x " << c.h;
  }
  // A header that is fine but whose data ends early.
  WriteAll(dir.File("short.png"), HeaderOnlyPng(64, 64));
  EXPECT_EQ(std::unique_ptr<LICE_MemBitmap>(LICE_LoadPNG(dir.File("short.png").c_str())), nullptr);
  // The same header with all its data loads.
  WriteAll(dir.File("one.png"), HeaderOnlyPng(64, 1));
  std::unique_ptr<LICE_MemBitmap> one(LICE_LoadPNG(dir.File("one.png").c_str()));
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(one->Width(), 64);
}

TEST(PngLoader, TheScreenWritesAsAPng)
{
  ScratchDir dir;
  GuiRig rig(8, 4);
  rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 8, 4), -1, IColor(255, 9, 8, 7)));
  rig.RepaintAll();
  ASSERT_TRUE(rig.g->WriteScreenPNG(dir.File("screen.png").c_str()));
  Loaded l(dir.File("screen.png"));
  ASSERT_NE(l.bmp, nullptr);
  EXPECT_EQ(l.At(7, 3), 0xFF090807u);
  EXPECT_FALSE(rig.g->WriteScreenPNG((dir.Path() + "/no/such/dir/x.png").c_str()));
  EXPECT_FALSE(raster::WritePNG(nullptr, dir.File("x.png").c_str()));
}
