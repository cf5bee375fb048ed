// The digit classifier: one 28×28 cell input through the 784-100-9
// perceptron to a digit 1..9 and its probability.
#pragma once

#include <array>

#include "vision/grid_detection.h"
#include "vision/model_file.h"

namespace masuvo {

struct DigitReading {
    int digit = 0;             // 1..9
    double probability = 0.0;  // softmax probability of that digit, in (0, 1]
    // The softmax probabilities of all nine digits, index d - 1: the other
    // readings the rule check may try.
    std::array<double, kModelOutputs> probabilities{};
};

// Hidden layer h(j) = max(0, Σ_i x(i)·W1(i, j) + b1(j)), each sum taken from
// 0.0 in increasing i, so that a reading is the same on every machine.
void HiddenLayer(const DigitModel& model, const CellInput& input, std::array<double, kModelHidden>& hidden);

// The digit with the highest softmax probability; of equal highest
// probabilities the smaller digit.
DigitReading ClassifyDigit(const DigitModel& model, const CellInput& input);

// The same with the process-wide model (see LoadDigitModel).
DigitReading ClassifyDigit(const CellInput& input);

}  // namespace masuvo
