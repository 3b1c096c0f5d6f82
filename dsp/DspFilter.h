#pragma once
// The filter-design kit (namespace Dsp): biquad cascades and their processing,
// single-section designs and pole/zero designs. Include this header for all of it.

#include "dsp/DspBiquad.h"
#include "dsp/DspCascade.h"
#include "dsp/DspInterleave.h"
#include "dsp/DspMath.h"
#include "dsp/DspPoleFilter.h"

namespace Dsp {

// Processor capability flags. Nothing detects them and nothing depends on them:
// every build runs the same portable code so that results never depend on the machine.
struct Cpu
{
  Cpu();
  void GetInfo();

  bool m_mmx;
  bool m_sse;
  bool m_sse2;
  bool m_sse3;
  bool m_ssse3;
  bool m_sse41;
  bool m_sse42;
};

extern Cpu cpu;

} // namespace Dsp
