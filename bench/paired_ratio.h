// Ratios of a measured step to its reference, timed alternately in pairs.
// On a shared machine one slow pair moves the ratio of the sums a lot; the
// median of the pairs' ratios is printed beside it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

class PairedRatio {
public:
    void Add(double measured, double reference) {
        measured_ += measured;
        reference_ += reference;
        if (reference > 0) {
            ratios_.push_back(measured / reference);
        }
    }
    double MeasuredSum() const { return measured_; }
    double ReferenceSum() const { return reference_; }
    // Sum of the measured times over the sum of the references.
    double OfSums() const { return reference_ > 0 ? measured_ / reference_ : 0; }
    double Median() {
        if (ratios_.empty()) {
            return 0;
        }
        const std::size_t mid = ratios_.size() / 2;
        std::nth_element(ratios_.begin(), ratios_.begin() + static_cast<std::ptrdiff_t>(mid),
                         ratios_.end());
        const double upper = ratios_[mid];
        if (ratios_.size() % 2 == 1) {
            return upper;
        }
        return (upper + *std::max_element(ratios_.begin(),
                                          ratios_.begin() + static_cast<std::ptrdiff_t>(mid))) /
               2;
    }

private:
    double measured_ = 0;
    double reference_ = 0;
    std::vector<double> ratios_;
};
