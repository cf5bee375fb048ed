// Digit models kept from fuzzing the model file and the hostile ones
// written for it (tests/data/fuzz/model_file, edits of the shipped model as
// fuzz/model_edit.h reads them): each is refused with a reason, or loads and
// reads every cell as a digit with a probability in (0, 1].
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>

#include "fuzz/model_edit.h"
#include "tests/fuzz_fixtures.h"
#include "vision/digit_classifier.h"
#include "vision/model_file.h"

namespace masuvo {
namespace {

TEST(ModelFileFuzzRegressions, EveryKeptModelIsRefusedOrReadsSensibly) {
    const auto fixtures = test::FuzzFixtures("model_file");
    ASSERT_FALSE(fixtures.empty()) << test::FuzzFixtureFolder("model_file");
    const std::string shipped = test::FuzzFixtureBytes(MASUVO_TRAINED_MODEL_PATH);
    ASSERT_EQ(static_cast<size_t>(kModelFileBytes), shipped.size());
    const std::string path = testing::TempDir() + "/model_fuzz_" + std::to_string(::getpid()) + ".dat";
    for (const auto& fixture : fixtures) {
        SCOPED_TRACE(fixture.filename().string());
        const std::string edit = test::FuzzFixtureBytes(fixture);
        const std::string file =
            fuzz::EditedModel(shipped, reinterpret_cast<const uint8_t*>(edit.data()), edit.size());
        std::ofstream(path, std::ios::binary | std::ios::trunc).write(file.data(), static_cast<std::streamsize>(file.size()));
        DigitModel model;
        std::string message;
        if (!ReadDigitModel(path, model, message)) {
            EXPECT_FALSE(model.loaded);
            EXPECT_EQ(0u, message.rfind(kModelOpenFailed, 0)) << message;
            continue;
        }
        CellInput ink;
        ink.fill(1.0);
        CellInput stroke{};
        for (int i = 0; i < kCellInputSize; ++i) stroke[i] = i % 28 >= 12 && i % 28 <= 15 ? 1.0 : 0.0;
        for (const CellInput& cell : {ink, stroke}) {
            const DigitReading reading = ClassifyDigit(model, cell);
            EXPECT_GE(reading.digit, 1);
            EXPECT_LE(reading.digit, 9);
            EXPECT_GT(reading.probability, 0.0);
            EXPECT_LE(reading.probability, 1.0);
        }
    }
    ::unlink(path.c_str());
}

// Finite weights of 1e300 made the sums infinite and the probabilities NaN:
// every cell then read as 1 with no meaning. Such a model is refused; the
// largest magnitude allowed still reads sensibly.
TEST(ModelFileFuzzRegressions, ValuesThatWouldOverflowTheSumsAreRefused) {
    const std::string shipped = test::FuzzFixtureBytes(MASUVO_TRAINED_MODEL_PATH);
    const std::string path = testing::TempDir() + "/model_limit_" + std::to_string(::getpid()) + ".dat";
    for (const double value : {1e300, -1e151, kModelValueLimit, -kModelValueLimit}) {
        SCOPED_TRACE(value);
        std::string file = shipped;
        // Every weight of hidden unit 0 and every output weight of it.
        for (int i = 0; i < kModelInputs; ++i) std::memcpy(&file[8 * (i * kModelHidden)], &value, 8);
        for (int k = 0; k < kModelOutputs; ++k) std::memcpy(&file[628000 + 8 * k], &value, 8);
        std::ofstream(path, std::ios::binary | std::ios::trunc).write(file.data(), static_cast<std::streamsize>(file.size()));
        DigitModel model;
        std::string message;
        const bool loaded = ReadDigitModel(path, model, message);
        if (std::fabs(value) > kModelValueLimit) {
            EXPECT_FALSE(loaded);
            EXPECT_NE(std::string::npos, message.find("大きすぎる値があります（1 番目の値）")) << message;
            continue;
        }
        ASSERT_TRUE(loaded) << message;
        CellInput ink;
        ink.fill(1.0);
        const DigitReading reading = ClassifyDigit(model, ink);
        EXPECT_GT(reading.probability, 0.0);
        EXPECT_LE(reading.probability, 1.0);
    }
    ::unlink(path.c_str());
}

}  // namespace
}  // namespace masuvo
