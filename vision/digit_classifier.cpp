#include "vision/digit_classifier.h"

#include <algorithm>
#include <cmath>

namespace masuvo {

// Both products run with the output units innermost: every row of W1 and W2
// is contiguous, so the compiler turns the inner loops into vector
// additions across units while each unit's sum still adds its terms in
// increasing input order. The library is built without contraction, so a
// multiply and its add are never fused into one differently rounded step.

void HiddenLayer(const DigitModel& model, const CellInput& input, std::array<double, kModelHidden>& hidden) {
    alignas(64) double sum[kModelHidden] = {};
    const double* __restrict w1 = model.w1.values.data();
    const double* __restrict x = input.data();
    // Four inputs per sweep: each sum still takes its terms in increasing
    // input order, but is loaded and stored once per four rows. Paper (0)
    // times a finite weight (the loader refuses any other) adds an exact
    // zero, which changes no sum, so a block of four blank inputs is skipped.
    static_assert(kModelInputs % 4 == 0);
    for (int i = 0; i < kModelInputs; i += 4) {
        const double x0 = x[i], x1 = x[i + 1], x2 = x[i + 2], x3 = x[i + 3];
        if (x0 == 0.0 && x1 == 0.0 && x2 == 0.0 && x3 == 0.0) continue;
        const double* __restrict r0 = w1 + i * kModelHidden;
        const double* __restrict r1 = r0 + kModelHidden;
        const double* __restrict r2 = r1 + kModelHidden;
        const double* __restrict r3 = r2 + kModelHidden;
        for (int j = 0; j < kModelHidden; ++j) {
            double s = sum[j];
            s += x0 * r0[j];
            s += x1 * r1[j];
            s += x2 * r2[j];
            s += x3 * r3[j];
            sum[j] = s;
        }
    }
    const double* __restrict b1 = model.b1.data();
    for (int j = 0; j < kModelHidden; ++j) hidden[j] = std::max(0.0, sum[j] + b1[j]);
}

DigitReading ClassifyDigit(const DigitModel& model, const CellInput& input) {
    std::array<double, kModelHidden> hidden;
    HiddenLayer(model, input, hidden);

    double out[kModelOutputs] = {};
    const double* __restrict w2 = model.w2.values.data();
    for (int j = 0; j < kModelHidden; ++j) {
        const double hj = hidden[j];
        const double* __restrict row = w2 + j * kModelOutputs;
        for (int k = 0; k < kModelOutputs; ++k) out[k] += hj * row[k];
    }
    for (int k = 0; k < kModelOutputs; ++k) out[k] += model.b2[k];

    double largest = out[0];
    for (int k = 1; k < kModelOutputs; ++k) largest = std::max(largest, out[k]);
    double e[kModelOutputs];
    double total = 0.0;
    for (int k = 0; k < kModelOutputs; ++k) {
        e[k] = std::exp(out[k] - largest);
        total += e[k];
    }
    DigitReading reading;
    int best = 0;
    double bestP = e[0] / total;
    reading.probabilities[0] = bestP;
    for (int k = 1; k < kModelOutputs; ++k) {
        const double p = e[k] / total;
        reading.probabilities[k] = p;
        if (p > bestP) {
            best = k;
            bestP = p;
        }
    }
    reading.digit = best + 1;
    reading.probability = bestP;
    return reading;
}

DigitReading ClassifyDigit(const CellInput& input) { return ClassifyDigit(ProcessDigitModel(), input); }

}  // namespace masuvo
