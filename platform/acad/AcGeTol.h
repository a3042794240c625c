#pragma once
// Tolerances for geometric comparisons: two points are equal when their distance is at most
// equalPoint(); two vectors when their difference is at most equalVector().

class AcGeTol {
public:
    constexpr AcGeTol() = default;

    constexpr double equalPoint() const { return equalPoint_; }
    constexpr double equalVector() const { return equalVector_; }
    void setEqualPoint(double val) { equalPoint_ = val; }
    void setEqualVector(double val) { equalVector_ = val; }

private:
    double equalPoint_ = 1.0e-10;
    double equalVector_ = 1.0e-10;
};
