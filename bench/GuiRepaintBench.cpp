// Cost of repainting the strip's own editor on the headless platform: 460 x 640 pixels,
// 115 controls drawn from the build's artwork.
//   Repaint/Full    every control dirty, the whole editor repainted (strict drawing), as
//                   each timer tick does while audio runs
//   Repaint/Meters  only the 18 meters changed, each repainted within its own rectangle
//   Repaint/OneKnob one knob turned, with its caption (strict drawing)
//   Construct/Strip one plug-in instance with its editor, the artwork already decoded

#include "IPlug/IGraphicsHeadless.h"
#include "editor/Ostrakongui.h"
#include "engine/Ostrakon.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace
{
struct Editor
{
  std::unique_ptr<Ostrakon> plug{MakePlug()};
  IGraphicsHeadless* g = dynamic_cast<IGraphicsHeadless*>(plug->GetGUI());
  Ostrakongui* gui = plug->GetEditor();

  Editor()
  {
    for (int i = 0; i < kNumParams; ++i) plug->OnParamChange(i);
    // Two whole repaints: the knobs' parts in place, every font made.
    for (int i = 0; i < 2; ++i)
    {
      g->SetAllControlsDirty();
      g->RepaintDirty();
    }
  }

  std::vector<int> Meters() const
  {
    std::vector<int> m;
    for (int i = 0; i < Ostrakongui::kNumTopMeters; ++i) m.push_back(gui->MeterIdx(i));
    for (int i = 0; i < 4; ++i) m.push_back(gui->Eq()->MeterIdx()[i]);
    for (int s = 0; s < 2; ++s)
    {
      for (int i = 0; i < 4; ++i) m.push_back(gui->Dyn(s)->MeterIdx()[i]);
      m.push_back(gui->Dyn(s)->GainReductionIdx());
    }
    return m;
  }
};

void Full(benchmark::State& state)
{
  Editor e;
  if (e.g->GetNControls() != 115) state.SkipWithError("the editor must have 115 controls");
  for (auto _ : state)
  {
    e.g->SetAllControlsDirty();
    IRECT r;
    e.g->IsDirty(&r);
    e.g->Draw(&r);
    benchmark::DoNotOptimize(e.g->GetBits());
  }
  state.counters["controls"] = e.g->GetNControls();
}

void Meters(benchmark::State& state)
{
  Editor e;
  e.g->SetStrictDrawing(false);
  e.g->RepaintDirty();
  const std::vector<int> meters = e.Meters();
  double v = 0.1;
  for (int m : meters) e.g->SetControlFromPlug(m, v); // first values: the defaults
  for (auto _ : state)
  {
    v = v > 0.9 ? 0.1 : v + 0.05;
    for (int m : meters) e.g->SetControlFromPlug(m, v);
    e.g->RepaintDirty();
    benchmark::DoNotOptimize(e.g->GetBits());
  }
  state.counters["meters"] = (double) meters.size();
}

void OneKnob(benchmark::State& state)
{
  Editor e;
  hrKnob* knob = e.gui->Knob(0);
  IControl* part = e.g->GetControl(knob->GetKnobIdx());
  double v = 0.0;
  for (auto _ : state)
  {
    v = v > 0.99 ? 0.0 : v + 0.01;
    part->SetValueFromUserInput(v); // as a drag does: the parameter and the knob
    e.g->RepaintDirty();            // the knob; the caption and the hrKnob with it
    benchmark::DoNotOptimize(e.g->GetBits());
  }
}

void Construct(benchmark::State& state)
{
  Editor warm; // the bitmaps decoded and cached once per process
  for (auto _ : state)
  {
    std::unique_ptr<Ostrakon> plug(MakePlug());
    benchmark::DoNotOptimize(plug.get());
  }
}
} // namespace

BENCHMARK(Full)->Name("Repaint/Full")->Unit(benchmark::kMicrosecond);
BENCHMARK(Meters)->Name("Repaint/Meters")->Unit(benchmark::kMicrosecond);
BENCHMARK(OneKnob)->Name("Repaint/OneKnob")->Unit(benchmark::kMicrosecond);
BENCHMARK(Construct)->Name("Construct/Strip")->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
