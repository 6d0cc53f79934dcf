// How often a long store operation reports progress: at every item number
// that is a multiple of (items div 10) + 1, so about ten times in all.
//
//   ProgressPoints points(total);
//   for (int i = 0; i < total; ++i) if (points.Due(i)) report(points.Percent(i));
#pragma once

namespace pellmark::store {

class ProgressPoints {
 public:
  explicit ProgressPoints(int total) : step_(total / 10 + 1) {}
  // True at each multiple of the step; call with 0, 1, 2, ... in turn.
  bool Due(int done) {
    if (done != next_) return false;
    next_ += step_;
    return true;
  }
  int Percent(int done) const { return done * 10 / step_; }

 private:
  int step_;
  int next_ = 0;
};

}  // namespace pellmark::store
