#pragma once
// Both channels of an interleaved stereo frame in one two-lane vector (plain SSE2 on
// x86-64, no fused multiply-add). Each lane computes exactly what the scalar code
// computes for its channel, so results stay bit-identical; GCC and Clang only.

typedef double StereoFrame __attribute__((vector_size(16)));

inline StereoFrame LoadFrame(const double* f) { return StereoFrame{f[0], f[1]}; }
inline void StoreFrame(StereoFrame v, double* f)
{
  f[0] = v[0];
  f[1] = v[1];
}
inline StereoFrame Splat(double a) { return StereoFrame{a, a}; }
