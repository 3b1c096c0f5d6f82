// Preset files of any shape are read or refused with one clear reason, never followed
// into libplist's recursion or assertions: nesting, shared references, sizes and NUL
// characters, in the XML and the binary form.

#include "BinaryPlist.h"

#include "host/AUPresetFile.h"
#include "host/PlistShape.h"
#include "tests/support/CFLeakCheck.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
const std::string kChunk(16, '\0');

// The strip's preset in the XML form Mac hosts write, with extra entries in the dict.
std::string XmlPreset(const std::string& extra = "", const std::string& name = "<string>a name</string>")
{
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
         "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
         "<plist version=\"1.0\">\n<dict>\n"
         "\t<key>data</key>\n\t<data>AAAAAAAA8D8=</data>\n"
         "\t<key>manufacturer</key>\n\t<integer>1366454895</integer>\n"
         "\t<key>name</key>\n\t" +
         name + "\n\t<key>subtype</key>\n\t<integer>1450733879</integer>\n"
                "\t<key>type</key>\n\t<integer>1635083896</integer>\n"
                "\t<key>version</key>\n\t<integer>131074</integer>\n" +
         extra + "</dict>\n</plist>\n";
}

// Arrays nested n deep, holding one string.
std::string XmlNest(int n)
{
  std::string s;
  for (int i = 0; i < n; ++i) s += "<array>";
  s += "<string>x</string>";
  for (int i = 0; i < n; ++i) s += "</array>";
  return "<key>nest</key>" + s + "\n";
}

// The preset dict holding arrays nested n deep.
std::string BinaryNest(int n)
{
  BinaryPlist p;
  int inner = p.Add(BinaryPlist::Ascii("x"));
  for (int i = 0; i < n; ++i) inner = p.Add(BinaryPlist::Array({inner}));
  return BinaryPlist::Preset(kChunk, "a name", &p, {{p.Add(BinaryPlist::Ascii("nest")), inner}});
}

// Parse's verdict: "" when read, else its problem.
std::string Verdict(const std::string& bytes)
{
  CFLeakCheck leaks;
  AUPresetFile preset;
  std::string problem;
  if (preset.Parse(bytes.data(), bytes.size(), &problem)) return preset.IsEmpty() ? "empty" : "";
  return problem.empty() ? "no reason" : problem;
}

// Whether the scan itself passes the bytes to libplist.
bool Passes(const std::string& bytes)
{
  PlistShape::Form form;
  std::string problem;
  return PlistShape::Check(bytes.data(), bytes.size(), &form, &problem);
}

const char kNotAList[] = "is not a property list";
const char kNul[] = "is not a property list: it holds a NUL character";
const char kDeep[] = "is not a property list: it nests deeper than 64 levels";
} // namespace

TEST(PlistShape, PresetsInEitherFormAreRead)
{
  EXPECT_EQ(Verdict(XmlPreset()), "");
  EXPECT_EQ(Verdict(BinaryPlist::Preset(kChunk, "a name")), "");
  // Comments, CDATA, character references and attributes as libplist reads them.
  EXPECT_EQ(Verdict(XmlPreset("<!-- <dict> <array> -->\n<key>c</key><string>a<!-- </string> --><![CDATA[<b>]]>"
                              "&#x41;&amp;</string>\n<key>e</key><array/><key>f</key><dict />\n",
                              "<string>&#65;ny</string>")),
            "");
}

TEST(PlistShape, NestingIsMeasuredBeforeLibplistFollowsIt)
{
  // The preset's own dict is the first level.
  EXPECT_EQ(Verdict(XmlPreset(XmlNest(63))), "");
  EXPECT_EQ(Verdict(XmlPreset(XmlNest(64))), kDeep);
  EXPECT_EQ(Verdict(BinaryNest(63)), "");
  EXPECT_EQ(Verdict(BinaryNest(64)), kDeep);
  // Deep enough to overflow the stack in libplist's recursion.
  EXPECT_EQ(Verdict(XmlPreset(XmlNest(180000))), kDeep);
  EXPECT_EQ(Verdict(BinaryNest(180000)), kDeep);
  std::string opened = "<plist>";
  for (int i = 0; i < 200000; ++i) opened += i % 2 ? "<dict><key>k</key>" : "<array>";
  EXPECT_EQ(Verdict(opened), kDeep);
}

TEST(PlistShape, ANulInAStringOrKeyIsRefused)
{
  const std::string nul(1, '\0');
  EXPECT_EQ(Verdict(XmlPreset("", "<string>a" + nul + "b</string>")), kNul);
  EXPECT_EQ(Verdict(XmlPreset("<key>k" + nul + "</key><string>v</string>")), kNul);
  for (const char* ref : {"&#0;", "&#x0;", "&#X00;", "&#000;"})
  {
    EXPECT_EQ(Verdict(XmlPreset("", std::string("<string>a") + ref + "</string>")), kNul) << ref;
    EXPECT_EQ(Verdict(XmlPreset(std::string("<key>") + ref + "</key><string>v</string>")), kNul) << ref;
  }

  EXPECT_EQ(Verdict(BinaryPlist::Preset(kChunk, "a" + nul + "b")), kNul);
  BinaryPlist p;
  EXPECT_EQ(Verdict(BinaryPlist::Preset(kChunk, "n", &p,
                                        {{p.Add(BinaryPlist::Ascii("k" + nul)), p.Add(BinaryPlist::Int(1))}})),
            kNul);
  BinaryPlist q;
  EXPECT_EQ(Verdict(BinaryPlist::Preset(kChunk, "n", &q,
                                        {{q.Add(BinaryPlist::Ascii("k")), q.Add(BinaryPlist::Utf16(std::u16string(u"a\0\u00e9", 3)))}})),
            kNul);
  BinaryPlist r;
  EXPECT_EQ(Verdict(BinaryPlist::Preset(kChunk, "n", &r,
                                        {{r.Add(BinaryPlist::Utf16(std::u16string(u"k\u00e9\0", 3))), r.Add(BinaryPlist::Int(1))}})),
            kNul);
  // Data may hold any byte.
  EXPECT_EQ(Verdict(BinaryPlist::Preset(nul + nul + "x", "n")), "");
}

TEST(PlistShape, SharedObjectsCountEachTimeTheyAreReached)
{
  // Forty levels of arrays holding the next one twice: 2^40 values once expanded.
  BinaryPlist p;
  int inner = p.Add(BinaryPlist::Ascii("x"));
  for (int i = 0; i < 40; ++i) inner = p.Add(BinaryPlist::Array({inner, inner}));
  EXPECT_EQ(Verdict(BinaryPlist::Preset(kChunk, "n", &p, {{p.Add(BinaryPlist::Ascii("k")), inner}})),
            "is not a property list: it holds more than 100000 values");

  // A megabyte string referenced forty times.
  BinaryPlist q;
  const int big = q.Add(BinaryPlist::Ascii(std::string(1 << 20, 'a')));
  const int list = q.Add(BinaryPlist::Array(std::vector<int>(40, big)));
  EXPECT_EQ(Verdict(BinaryPlist::Preset(kChunk, "n", &q, {{q.Add(BinaryPlist::Ascii("k")), list}})),
            "is not a property list: its strings and data come to more than 32 MiB");

  // An array that holds itself.
  BinaryPlist r;
  const int loop = r.Add();
  r.Set(loop, BinaryPlist::Array({loop}));
  EXPECT_EQ(Verdict(BinaryPlist::Preset(kChunk, "n", &r, {{r.Add(BinaryPlist::Ascii("k")), loop}})), kDeep);
}

TEST(PlistShape, MarkupLibplistMightReadAnotherWayIsRefused)
{
  for (const std::string& extra : {
           std::string("<key>a</key><array x=\"></array>\"></array>\n"),    // a quoted '>' in a tag
           std::string("<key>a</key><array/ >\n"),                          // a slash that closes nothing
           std::string("<key>a</key><frob/>\n"),                            // an unknown element
           std::string("<key>a</key><plist><dict/></plist>\n"),             // a second plist
           std::string("<key>a</key><string>x</strin>\n"),                  // a mismatched end tag
           std::string("<key>a</key><array></dict>\n"),                     // a mismatched container
           std::string("<key>a</key><string>x<y/></string>\n"),             // markup in text
           std::string("<!ELEMENT a ANY>\n"),                               // a declaration
       })
  {
    EXPECT_FALSE(Passes(XmlPreset(extra))) << extra;
    EXPECT_EQ(Verdict(XmlPreset(extra)), kNotAList) << extra;
  }

  std::string subset = XmlPreset();
  subset.replace(subset.find("<!DOCTYPE plist "), 16, "<!DOCTYPE plist [<!ENTITY a \"b\">] ");
  EXPECT_FALSE(Passes(subset));
  EXPECT_EQ(Verdict(subset), kNotAList);
  std::string quotedEnd = XmlPreset();
  quotedEnd.replace(0, 5, "<?xml a=\"?>\"");
  EXPECT_FALSE(Passes(quotedEnd));
  EXPECT_EQ(Verdict(quotedEnd), kNotAList);
  EXPECT_EQ(Verdict(""), kNotAList);
  EXPECT_EQ(Verdict("\xef\xbb\xbf" + XmlPreset()), kNotAList);
  EXPECT_EQ(Verdict("<plist version=\"1.0\"></plist>"), kNotAList);
  EXPECT_EQ(Verdict("bplist00"), kNotAList);
}

TEST(PlistShape, BinaryTrailersThatPointAnywhereAreRefused)
{
  const std::string good = BinaryPlist::Preset(kChunk, "n");
  ASSERT_EQ(Verdict(good), "");
  const size_t t = good.size() - 32;
  struct Patch
  {
    size_t at;
    std::string bytes;
  };
  const Patch patches[] = {
      {t + 6, std::string(1, '\0')},                  // offset size 0
      {t + 7, std::string(1, '\x09')},                // reference size 9
      {t + 8, std::string(8, '\xff')},                // object count
      {t + 16, std::string(8, '\x7f')},               // root beyond the objects
      {t + 24, std::string(8, '\0')},                 // offset table inside the header
      {t + 24, std::string("\0\0\0\0\xff\xff\xff\xf0", 8)}, // offset table past the end
      {t - 4, std::string("\xff\xff\xff\xff", 4)},    // an object beyond the table
      {t - 4, std::string("\0\0\0\x03", 4)},          // an object inside the header
  };
  for (const Patch& p : patches)
  {
    std::string bad = good;
    bad.replace(p.at, p.bytes.size(), p.bytes);
    EXPECT_FALSE(Passes(bad)) << p.at;
    EXPECT_EQ(Verdict(bad), kNotAList) << p.at;
  }
}
