#pragma once
// Power analysis: the effect size omega of the last test and the total sample size that a
// test of the table's degrees of freedom needs for a power of 0.6 at the 5 % level.

#include <array>
#include <optional>

#include "tables/reference_tables.h"

namespace tomokari {

// The nine omega steps as a loop produces them: 0.1 plus 0.05 added eight times, so that
// the ninth lies just below 0.5.
std::array<double, kOmegaStepCount> omegaSteps();

// omega = sqrt(chiSquare / N); empty when it cannot be computed (N not positive, a
// negative ratio, or anything not finite).
std::optional<double> omegavalue(double chiSquare, double grandTotal);

struct SampleSizeEstimate {
    enum Kind { AtLeast, About, AtMost };
    Kind kind = AtLeast;
    double number = 0;  // a whole number
};

SampleSizeEstimate estimateSampleSize(double omega, int df, const PowerSampleTable& table);

}  // namespace tomokari
