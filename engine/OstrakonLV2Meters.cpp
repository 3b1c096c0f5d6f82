#include "engine/OstrakonLV2.h"

// clang-format off
const IPlugLV2Meter kOstrakonLV2StereoMeters[kOstrakonLV2NumStereoMeters] = {
  {"in_peak_l",      "Input Peak L",         0, 1, false},
  {"in_peak_r",      "Input Peak R",         0, 1, false},
  {"out_peak_l",     "Output Peak L",        0, 1, false},
  {"out_peak_r",     "Output Peak R",        0, 1, false},
  {"eq_in_peak_l",   "Eq Input Peak L",      0, 1, false},
  {"eq_in_peak_r",   "Eq Input Peak R",      0, 1, false},
  {"eq_out_peak_l",  "Eq Output Peak L",     0, 1, false},
  {"eq_out_peak_r",  "Eq Output Peak R",     0, 1, false},
  {"dyn1_in_peak_l", "Dyn. 1 Input Peak L",  0, 1, false},
  {"dyn1_in_peak_r", "Dyn. 1 Input Peak R",  0, 1, false},
  {"dyn1_out_peak_l","Dyn. 1 Output Peak L", 0, 1, false},
  {"dyn1_out_peak_r","Dyn. 1 Output Peak R", 0, 1, false},
  {"dyn2_in_peak_l", "Dyn. 2 Input Peak L",  0, 1, false},
  {"dyn2_in_peak_r", "Dyn. 2 Input Peak R",  0, 1, false},
  {"dyn2_out_peak_l","Dyn. 2 Output Peak L", 0, 1, false},
  {"dyn2_out_peak_r","Dyn. 2 Output Peak R", 0, 1, false},
  {"dyn1_gain_reduction", "Dyn. 1 Gain Reduction", 0, 1, true},
  {"dyn2_gain_reduction", "Dyn. 2 Gain Reduction", 0, 1, true},
};

const IPlugLV2Meter kOstrakonLV2MonoMeters[kOstrakonLV2NumMonoMeters] = {
  {"in_peak",       "Input Peak",         0, 1, false},
  {"out_peak",      "Output Peak",        0, 1, false},
  {"eq_in_peak",    "Eq Input Peak",      0, 1, false},
  {"eq_out_peak",   "Eq Output Peak",     0, 1, false},
  {"dyn1_in_peak",  "Dyn. 1 Input Peak",  0, 1, false},
  {"dyn1_out_peak", "Dyn. 1 Output Peak", 0, 1, false},
  {"dyn2_in_peak",  "Dyn. 2 Input Peak",  0, 1, false},
  {"dyn2_out_peak", "Dyn. 2 Output Peak", 0, 1, false},
  {"dyn1_gain_reduction", "Dyn. 1 Gain Reduction", 0, 1, true},
  {"dyn2_gain_reduction", "Dyn. 2 Gain Reduction", 0, 1, true},
};
// clang-format on
