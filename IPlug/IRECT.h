#pragma once
// A rectangle of editor pixels: left, top, right, bottom, with the origin at the top
// left and y growing downward. R and B are exclusive. All four 0 is the empty rectangle.

struct IBitmap;

struct IRECT
{
  int L = 0, T = 0, R = 0, B = 0;

  IRECT() = default;
  IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}
  // A bitmap's frame placed at (x, y).
  IRECT(int x, int y, const IBitmap* bitmap);

  bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  void Clear() { L = T = R = B = 0; }
  bool operator==(const IRECT& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
  bool operator!=(const IRECT& o) const { return !(*this == o); }

  int W() const { return R - L; }
  int H() const { return B - T; }
  // The centre, in single precision.
  float MW() const { return 0.5f * (float) (L + R); }
  float MH() const { return 0.5f * (float) (T + B); }

  bool Contains(int x, int y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }

  // Both non-empty and overlapping, where this rectangle's right and bottom edges count
  // as touching: a neighbour starting at R or B intersects.
  bool Intersects(const IRECT* o) const
  {
    return !Empty() && !o->Empty() && R >= o->L && L < o->R && B >= o->T && T < o->B;
  }

  // The smallest rectangle holding both; an empty one gives way to the other.
  IRECT Union(const IRECT* o) const
  {
    if (Empty()) return *o;
    if (o->Empty()) return *this;
    return IRECT(L < o->L ? L : o->L, T < o->T ? T : o->T, R > o->R ? R : o->R, B > o->B ? B : o->B);
  }

  // The overlap, or the empty rectangle when there is none.
  IRECT Intersect(const IRECT* o) const
  {
    const int l = L > o->L ? L : o->L, t = T > o->T ? T : o->T;
    const int r = R < o->R ? R : o->R, b = B < o->B ? B : o->B;
    if (l >= r || t >= b) return IRECT();
    return IRECT(l, t, r, b);
  }
};
