// Pictures of the whole editor, checked by pixel probes: the screen shows each bitmap's
// own pixels (frame by frame) at the places the layout gives it, greyed panels a quarter
// of their art over the editor's background, and the meters what the audio did.

#include "EditorRig.h"

#include "IPlug/controls/IKnobMultiControl.h"

#include <cmath>
#include <map>

namespace
{
// The artwork, decoded once for the probes.
const LICE_MemBitmap* Art(const EditorBitmap& b)
{
  static std::map<int, std::unique_ptr<LICE_MemBitmap>> art;
  std::unique_ptr<LICE_MemBitmap>& slot = art[b.id];
  if (!slot) slot = Artwork(b);
  return slot.get();
}

// The art's pixel at (x, y) of a frame (1 = top), which must be opaque to be a probe.
uint32_t ArtPixel(const EditorBitmap& b, int frame, int x, int y)
{
  const LICE_MemBitmap* a = Art(b);
  EXPECT_NE(a, nullptr) << b.name;
  if (!a) return 0;
  const uint32_t p = raster::GetPixel(a, x, (frame - 1) * (a->Height() / b.frames) + y);
  EXPECT_EQ(p >> 24, 255u) << b.name << " at " << x << "," << y << " is no probe: not opaque";
  return p;
}

// The screen at (ox + x, oy + y) shows the art's pixel (x, y) of the frame.
void ExpectShows(const EditorRig& r, const EditorBitmap& b, int frame, int ox, int oy, int x, int y)
{
  EXPECT_EQ(Hex(r.Pixel(ox + x, oy + y)), Hex(ArtPixel(b, frame, x, y)))
      << b.name << " frame " << frame << " at " << x << "," << y << " placed at " << ox << "," << oy;
}

// A point a panel's own art shows (no control covers it), per panel kind.
struct Probe
{
  int x, y;
};
const Probe kDynProbes[] = {{200, 5}, {140, 40}, {300, 120}, {429, 134}, {0, 134}};
const Probe kEqProbes[] = {{100, 5}, {300, 215}, {429, 232}, {0, 232}, {110, 120}};

void ExpectPanels(const EditorRig& r, int dyn1Top, int eqTop, int dyn2Top)
{
  for (const Probe& p : kDynProbes)
  {
    ExpectShows(r, kDynBackground, 1, 15, dyn1Top, p.x, p.y);
    ExpectShows(r, kDynBackground, 1, 15, dyn2Top, p.x, p.y);
  }
  for (const Probe& p : kEqProbes) ExpectShows(r, kEqBackground, 1, 15, eqTop, p.x, p.y);
}

// Every opaque pixel of a frame (1 = top) is on the screen at (ox, oy); returns how many
// were compared.
int ExpectFrameShown(const EditorRig& r, const EditorBitmap& b, int frame, int ox, int oy)
{
  const LICE_MemBitmap* a = Art(b);
  if (!a) return 0;
  const int h = a->Height() / b.frames;
  int compared = 0, wrong = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < a->Width(); ++x)
    {
      const uint32_t p = raster::GetPixel(a, x, (frame - 1) * h + y);
      if (p >> 24 != 255) continue;
      ++compared;
      if (r.Pixel(ox + x, oy + y) != p && ++wrong <= 3)
        ADD_FAILURE() << b.name << " frame " << frame << " pixel " << x << "," << y << " at " << ox << "," << oy
                      << ": " << Hex(r.Pixel(ox + x, oy + y)) << " instead of " << Hex(p);
    }
  EXPECT_EQ(wrong, 0) << b.name << " frame " << frame;
  return compared;
}

// A knob shows the filmstrip frame of its value: trunc(127 v + 0.5) + 1.
void ExpectKnobFrame(const EditorRig& r, hrKnob* k, const EditorBitmap& b)
{
  const int frame = (int) (127 * r.Normalized(k->ParamIdx()) + 0.5) + 1;
  const IRECT* at = k->GetRECT();
  EXPECT_GT(ExpectFrameShown(r, b, frame, at->L, at->T), 300) << b.name;
}

// Straight-alpha source over an opaque background, as the raster layer blends: within
// one step of rounding.
void ExpectBlend(uint32_t screen, uint32_t under, uint32_t over, double weight, const std::string& where)
{
  for (int shift : {16, 8, 0})
  {
    const double u = (under >> shift) & 255, o = (over >> shift) & 255;
    EXPECT_NEAR((double) ((screen >> shift) & 255), u + (o - u) * weight, 1.01) << where << " channel " << shift;
  }
}
} // namespace

TEST(EditorPicture, TheDefaultLayout)
{
  EditorRig r;
  r.Settle();
  // The editor's background where nothing lies over it.
  for (Probe p : {Probe{230, 5}, Probe{5, 620}, Probe{459, 639}, Probe{250, 95}})
    ExpectShows(r, kMainBackground, 1, 0, 0, p.x, p.y);
  ExpectPanels(r, 102, 237, 470);
  // The switches and tabs in their states: analogue on, phase and oversampling off, every
  // stage on, routing 0, both dynamics VCA.
  ExpectShows(r, kAnalogueSwitch, 2, 130, 27, 10, 8);
  ExpectShows(r, kPhaseSwitch, 1, 130, 47, 10, 8);
  ExpectShows(r, kOversamplingSwitch, 1, 130, 67, 10, 8);
  ExpectShows(r, kDyn1State, 2, 15, 102, 12, 10);
  ExpectShows(r, kEqState, 2, 15, 237, 12, 10);
  ExpectShows(r, kDyn2State, 2, 15, 470, 12, 10);
  for (int top : {102, 237, 470}) ExpectShows(r, kArrangeSwitch, 1, 15 + 410, top, 10, 3);
  ExpectShows(r, kDynTypeSwitch, 1, 15 + 314, 102 + 49, 40, 8);
  // Knobs at their defaults: the gains centred, frequencies and Q at their minimum,
  // the low-pass at its maximum.
  ExpectKnobFrame(r, r.gui->Knob(0), kKnobIoGain);
  ExpectKnobFrame(r, r.gui->Eq()->Knob(14), kKnobPos); // low-pass
  ExpectKnobFrame(r, r.gui->Eq()->Knob(4), kKnobMid);  // low-mid gain
  ExpectKnobFrame(r, r.gui->Dyn(0)->Knob(0), kKnobNeg);
  // No audio yet: dark meters, no gain reduction.
  EXPECT_EQ(Hex(r.Pixel(34, 85)), Hex(ArtPixel(kMainBackground, 1, 34, 85)));
  EXPECT_EQ(Hex(r.Pixel(15 + 272 + 117, 102 + 18)), "FF232730");
  // The fader handles at 0 dB: 40/55 of the way up a 51-pixel track.
  const IRECT handle = r.gui->Eq()->Fader(0)->GetHandleRECT();
  EXPECT_EQ(handle.T, 237 + 150 + (int) ((51 - handle.H()) * (1.0 - 40.0 / 55.0)));
  ExpectShows(r, kFaderHandle, 1, handle.L, handle.T, 4, 3);
}

TEST(EditorPicture, EachRouting)
{
  EditorRig r;
  const int tops[3][3] = {{102, 237, 470}, {335, 102, 470}, {102, 372, 237}};
  for (int routing : {1, 2, 0})
  {
    r.Set(kRouting, routing);
    r.Settle();
    ExpectPanels(r, tops[routing][0], tops[routing][1], tops[routing][2]);
    for (const int top : tops[routing]) ExpectShows(r, kArrangeSwitch, routing + 1, 15 + 410, top, 10, 3);
    // The knobs came along: the EQ's filter gain knob and dynamics 2's release.
    ExpectKnobFrame(r, r.gui->Eq()->Knob(7), kKnobMid);
    EXPECT_EQ(r.gui->Eq()->Knob(7)->GetKnob()->GetRECT()->T, tops[routing][1] + 160);
    ExpectKnobFrame(r, r.gui->Dyn(1)->Knob(3), kKnobPos);
  }
}

TEST(EditorPicture, GreyedPanels)
{
  EditorRig r;
  r.Set(kEqOn, 0.0);
  r.Set(kDyn2On, 0.0);
  r.Set(kDyn2Type, 2);
  r.Settle();
  // A greyed panel is a quarter of its art over the editor's background.
  for (const Probe& p : kEqProbes)
    ExpectBlend(r.Pixel(15 + p.x, 237 + p.y), ArtPixel(kMainBackground, 1, 15 + p.x, 237 + p.y),
                ArtPixel(kEqBackground, 1, p.x, p.y), 0.25, "EQ");
  for (const Probe& p : kDynProbes)
    ExpectBlend(r.Pixel(15 + p.x, 470 + p.y), ArtPixel(kMainBackground, 1, 15 + p.x, 470 + p.y),
                ArtPixel(kDynBackground, 1, p.x, p.y), 0.25, "Dyn 2");
  // Its on/off tab and routing switch stay bright, showing off and routing 0.
  ExpectShows(r, kEqState, 1, 15, 237, 12, 10);
  ExpectShows(r, kDyn2State, 1, 15, 470, 12, 10);
  ExpectShows(r, kArrangeSwitch, 1, 15 + 410, 470, 10, 3);
  // Dynamics 1 is untouched.
  for (const Probe& p : kDynProbes) ExpectShows(r, kDynBackground, 1, 15, 102, p.x, p.y);
  ExpectKnobFrame(r, r.gui->Dyn(0)->Knob(2), kKnobPos);
  // The greyed knobs fade too, the opto ones as well.
  for (hrKnob* k : {r.gui->Eq()->Knob(0), r.gui->Dyn(1)->Knob(2)})
  {
    const IRECT* at = k->GetRECT();
    EXPECT_NE(Hex(r.Pixel(at->L + 23, at->T + 20)), Hex(ArtPixel(kKnobPos, 1, 23, 20)));
  }
}

TEST(EditorPicture, MetersUnderSignal)
{
  EditorRig r(1920); // one block per repaint at 48 kHz
  r.plug->SetSampleRate(48000.0);
  r.plug->Reset();
  r.Set(kDyn1Thresh, -40.0);
  r.Set(kDyn1Ratio, 10.0);
  r.Set(kEqOn, 0.0);
  // A full-scale square wave on the left, half scale on the right, for one second.
  std::vector<double> l(1920), rr(1920), ol, orr;
  for (int i = 0; i < 1920; ++i)
  {
    l[i] = (i / 24) % 2 ? 1.0 : -1.0;
    rr[i] = 0.5 * l[i];
  }
  for (int tick = 0; tick < 25; ++tick)
  {
    r.h.Run(l, rr, ol, orr, 1920);
    r.Tick();
  }
  // The input meters: red and full on the left, 6 dB lower (still full) on the right
  // with green left in it.
  EXPECT_EQ(Hex(r.Pixel(34, 32)), "FFFF0000");
  EXPECT_EQ(Hex(r.Pixel(34, 85)), "FFFF0000");
  const uint32_t right = r.Pixel(45, 32);
  EXPECT_EQ(right >> 16, 0xFFFFu);
  EXPECT_GT((right >> 8) & 255, 0u);
  // Dynamics 1 compresses: its reduction lights segments from the right.
  const double gain = r.plug->GetGainReduction(0);
  ASSERT_LT(gain, 0.5);
  const int lit = r.gui->Dyn(0)->GainReductionMeter()->GetLitSegments();
  EXPECT_EQ(lit, std::min(30, (int) -(20.0 * std::log10((int) (gain * 1023) / 1024.0))));
  EXPECT_EQ(Hex(r.Pixel(15 + 272 + 4 * 29 + 1, 102 + 18)), "FFFFFFFF");
  EXPECT_EQ(Hex(r.Pixel(15 + 272 + 4 * (30 - lit) + 1, 102 + 18)), "FFFFFFFF");
  EXPECT_EQ(Hex(r.Pixel(15 + 272 + 4 * (29 - lit) + 1, 102 + 18)), "FF232730");
  // The switched-off EQ shows no meters; dynamics 2 meters its input.
  const IRECT* eqMeter = r.gui->Eq()->Meter(0)->GetRECT();
  // A greyed meter is not drawn: the faded panel shows through.
  const int mx = eqMeter->L + 1, my = eqMeter->B - 1;
  ExpectBlend(r.Pixel(mx, my), ArtPixel(kMainBackground, 1, mx, my), ArtPixel(kEqBackground, 1, mx - 15, my - 237),
              0.25, "greyed EQ meter");
  const IRECT* dynMeter = r.gui->Dyn(1)->Meter(0)->GetRECT();
  EXPECT_EQ(r.Pixel(dynMeter->L + 1, dynMeter->B - 1) >> 16, 0xFFFFu);
}
