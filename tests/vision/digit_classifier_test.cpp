#include "vision/digit_classifier.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <system_error>

#include "tests/files/temp_folder.h"
#include "vision/model_file.h"

namespace masuvo {
namespace {

using test::TempFolder;
using test::WriteBytes;

constexpr const char* kOpenFailed = "読込ファイルをオープンできません。：\n";

// The model file's bytes: the 79,409 values little-endian in file order
// (W1 by input, b1, W2 by hidden unit, b2).
std::string FileBytes(const DigitModel& model) {
    std::string bytes;
    auto put = [&](const std::vector<double>& values) {
        for (double value : values) {
            uint64_t bits;
            std::memcpy(&bits, &value, 8);
            for (int b = 0; b < 8; ++b) bytes += static_cast<char>((bits >> (8 * b)) & 0xFF);
        }
    };
    put(model.w1.values);
    put(model.b1);
    put(model.w2.values);
    put(model.b2);
    return bytes;
}

// Every value distinct and telling where it came from: value n of the file
// is n / 1024 (exact in binary), so a misplaced value is seen at once.
DigitModel NumberedModel() {
    DigitModel model;
    int n = 0;
    for (double& v : model.w1.values) v = n++ / 1024.0;
    for (double& v : model.b1) v = n++ / 1024.0;
    for (double& v : model.w2.values) v = n++ / 1024.0;
    for (double& v : model.b2) v = n++ / 1024.0;
    model.loaded = true;
    return model;
}

CellInput Input(std::initializer_list<std::pair<int, double>> values) {
    CellInput input{};
    for (auto [index, value] : values) input[index] = value;
    return input;
}

// A two-unit network worked out by hand. Input 0 = 1 and input 1 = 0.5:
// h0 = 1·1 + 0.5·2 − 0.5 = 1.5; h1 = 1·(−1) + 0 = −1, rectified to 0, so
// its large weight to digit 9 never counts. Output 4 (digit 5) = 1.5·2 = 3,
// the other eight 0: p = e³ / (e³ + 8) = 1 / (1 + 8e⁻³).
TEST(DigitClassifier, WorkedExample) {
    DigitModel model;
    model.w1.Row(0)[0] = 1.0;
    model.w1.Row(1)[0] = 2.0;
    model.b1[0] = -0.5;
    model.w1.Row(0)[1] = -1.0;
    model.w2.Row(0)[4] = 2.0;
    model.w2.Row(1)[8] = 100.0;
    model.loaded = true;
    const CellInput input = Input({{0, 1.0}, {1, 0.5}});

    std::array<double, kModelHidden> hidden;
    HiddenLayer(model, input, hidden);
    EXPECT_EQ(hidden[0], 1.5);
    EXPECT_EQ(hidden[1], 0.0);
    for (int j = 2; j < kModelHidden; ++j) EXPECT_EQ(hidden[j], 0.0) << j;

    const DigitReading reading = ClassifyDigit(model, input);
    EXPECT_EQ(reading.digit, 5);
    EXPECT_DOUBLE_EQ(reading.probability, 1.0 / (1.0 + 8.0 * std::exp(-3.0)));
}

// Bias of the last output alone: the last input feeds digit 9 through the
// last hidden unit, and the biases are added after the sums.
TEST(DigitClassifier, LastInputLastUnitLastDigit) {
    DigitModel model;
    model.w1.Row(783)[99] = 4.0;
    model.b1[99] = 1.0;
    model.w2.Row(99)[8] = 0.5;
    model.b2[8] = -2.0;
    model.b2[0] = 0.25;
    model.loaded = true;
    // h99 = 0.75·4 + 1 = 4; o8 = 4·0.5 − 2 = 0; o0 = 0.25; the others 0.
    const DigitReading reading = ClassifyDigit(model, Input({{783, 0.75}}));
    EXPECT_EQ(reading.digit, 1);
    const double e = std::exp(-0.25);
    EXPECT_DOUBLE_EQ(reading.probability, 1.0 / (1.0 + 8.0 * e));
}

// Each hidden sum adds its terms one by one in increasing input order,
// each product rounded before it is added. 1e16 + 1 rounds back to 1e16,
// so in this order the sum is 0 (any other grouping gives 1). The second
// unit's terms cancel only when the product 1+2⁻²⁹+2⁻⁶⁰ is rounded before
// the add; a fused multiply-add would leave 2⁻⁶⁰.
TEST(DigitClassifier, SumsInInputOrderWithRoundedProducts) {
    DigitModel model;
    model.w1.Row(0)[0] = 1e16;
    model.w1.Row(1)[0] = 1.0;
    model.w1.Row(2)[0] = -1e16;
    const double a = 1.0 + std::ldexp(1.0, -30);
    model.w1.Row(0)[1] = -(1.0 + std::ldexp(1.0, -29));
    model.w1.Row(1)[1] = a;
    model.loaded = true;
    std::array<double, kModelHidden> hidden;
    HiddenLayer(model, Input({{0, 1.0}, {1, 1.0}, {2, 1.0}}), hidden);
    EXPECT_EQ(hidden[0], 0.0);

    HiddenLayer(model, Input({{0, 1.0}, {1, a}}), hidden);
    EXPECT_EQ(hidden[1], 0.0);
}

// The network written out the slow way, one unit at a time in the stated
// order: the vectorised layers must give the very same bits.
DigitReading ReferenceReading(const DigitModel& model, const CellInput& x) {
    double h[kModelHidden], o[kModelOutputs];
    for (int j = 0; j < kModelHidden; ++j) {
        double sum = 0.0;
        for (int i = 0; i < kModelInputs; ++i) sum += x[i] * model.w1.Row(i)[j];
        h[j] = std::max(0.0, sum + model.b1[j]);
    }
    for (int k = 0; k < kModelOutputs; ++k) {
        double sum = 0.0;
        for (int j = 0; j < kModelHidden; ++j) sum += h[j] * model.w2.Row(j)[k];
        o[k] = sum + model.b2[k];
    }
    double mx = o[0];
    for (int k = 1; k < kModelOutputs; ++k) mx = std::max(mx, o[k]);
    double e[kModelOutputs], s = 0.0;
    for (int k = 0; k < kModelOutputs; ++k) s += e[k] = std::exp(o[k] - mx);
    DigitReading best{1, e[0] / s};
    for (int k = 1; k < kModelOutputs; ++k)
        if (e[k] / s > best.probability) best = {k + 1, e[k] / s};
    return best;
}

TEST(DigitClassifier, SameBitsAsUnitByUnit) {
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> weight(-1.0, 1.0), value(0.0, 1.0);
    DigitModel model;
    for (double& v : model.w1.values) v = weight(random);
    for (double& v : model.b1) v = weight(random) * 0.1;
    for (double& v : model.w2.values) v = weight(random);
    for (double& v : model.b2) v = weight(random);
    model.loaded = true;
    for (int trial = 0; trial < 50; ++trial) {
        // Mostly paper, as in a real cell, some trials all ink.
        CellInput x{};
        const double inked = trial % 5 == 0 ? 1.0 : 0.2;
        for (double& v : x) v = value(random) < inked ? value(random) : 0.0;
        const DigitReading expected = ReferenceReading(model, x);
        const DigitReading got = ClassifyDigit(model, x);
        EXPECT_EQ(got.digit, expected.digit) << trial;
        EXPECT_EQ(got.probability, expected.probability) << trial;  // bit for bit, not nearly
    }
}

// Equal highest outputs: the smaller digit wins, whichever pair it is.
TEST(DigitClassifier, TieGoesToTheSmallerDigit) {
    const std::pair<int, int> pairs[] = {{2, 7}, {0, 8}, {5, 6}};
    for (auto [first, second] : pairs) {
        DigitModel model;
        model.b2[first] = 1.0;
        model.b2[second] = 1.0;
        model.loaded = true;
        const DigitReading reading = ClassifyDigit(model, CellInput{});
        EXPECT_EQ(reading.digit, first + 1) << first << "," << second;
        EXPECT_DOUBLE_EQ(reading.probability, 1.0 / (2.0 + 7.0 * std::exp(-1.0)));
    }
}

// Large outputs do not overflow: the softmax subtracts the largest first.
TEST(DigitClassifier, LargeOutputsStayFinite) {
    DigitModel model;
    model.b2[3] = 1000.0;
    model.b2[4] = 999.0;
    model.loaded = true;
    const DigitReading reading = ClassifyDigit(model, CellInput{});
    EXPECT_EQ(reading.digit, 4);
    EXPECT_DOUBLE_EQ(reading.probability, 1.0 / (1.0 + std::exp(-1.0) + 7.0 * std::exp(-1000.0)));
}

// A model that was never read is all zeros: every output equal, digit 1.
TEST(DigitClassifier, ZeroModelReadsOne) {
    const DigitReading reading = ClassifyDigit(DigitModel(), Input({{100, 1.0}}));
    EXPECT_EQ(reading.digit, 1);
    EXPECT_DOUBLE_EQ(reading.probability, 1.0 / 9.0);
}

TEST(ModelFile, ValuesLandInFileOrder) {
    TempFolder folder;
    const DigitModel numbered = NumberedModel();
    const std::string bytes = FileBytes(numbered);
    ASSERT_EQ(bytes.size(), 635272u);
    WriteBytes(folder / "Masuvo.dat", bytes);

    DigitModel model;
    std::string message = "stale";
    ASSERT_TRUE(ReadDigitModel(folder / "Masuvo.dat", model, message));
    EXPECT_TRUE(model.loaded);
    EXPECT_EQ(message, "");
    // W1 by input: value 100·i + j is the weight from input i to unit j.
    EXPECT_EQ(model.w1.Row(0)[1], 1 / 1024.0);
    EXPECT_EQ(model.w1.Row(1)[0], 100 / 1024.0);
    EXPECT_EQ(model.w1.Row(783)[99], 78399 / 1024.0);
    EXPECT_EQ(model.b1[0], 78400 / 1024.0);
    EXPECT_EQ(model.b1[99], 78499 / 1024.0);
    // W2 by hidden unit: value 78500 + 9·j + k is the weight from unit j to output k.
    EXPECT_EQ(model.w2.Row(0)[1], 78501 / 1024.0);
    EXPECT_EQ(model.w2.Row(1)[0], 78509 / 1024.0);
    EXPECT_EQ(model.w2.Row(99)[8], 79399 / 1024.0);
    EXPECT_EQ(model.b2[0], 79400 / 1024.0);
    EXPECT_EQ(model.b2[8], 79408 / 1024.0);
    EXPECT_EQ(model.w1.values, numbered.w1.values);
    EXPECT_EQ(model.w2.values, numbered.w2.values);
}

TEST(ModelFile, BytesAfterTheLastValueAreIgnored) {
    TempFolder folder;
    WriteBytes(folder / "long.dat", FileBytes(NumberedModel()) + std::string(13, '\xFF'));
    DigitModel model;
    std::string message;
    ASSERT_TRUE(ReadDigitModel(folder / "long.dat", model, message)) << message;
    EXPECT_EQ(model.b2[8], 79408 / 1024.0);
}

// Every refused file leaves the model zeroed and not loaded, even one that
// was loaded before, and says why after the fixed text.
TEST(ModelFile, RefusedFiles) {
    TempFolder folder;
    const std::string good = FileBytes(NumberedModel());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    auto withValue = [&](int index, double value) {
        DigitModel model = NumberedModel();
        double* all[] = {model.w1.values.data(), model.b1.data(), model.w2.values.data(), model.b2.data()};
        const int sizes[] = {78400, 100, 900, 9};
        for (int part = 0; part < 4; index -= sizes[part], ++part)
            if (index < sizes[part]) {
                all[part][index] = value;
                break;
            }
        return FileBytes(model);
    };
    struct Case {
        const char* name;
        std::string bytes;
        std::string reason;
    };
    const Case cases[] = {
        {"empty", "", "ファイルが短すぎます（0 バイト、635272 バイトが必要です）。"},
        {"one byte short", good.substr(0, good.size() - 1), "ファイルが短すぎます（635271 バイト、635272 バイトが必要です）。"},
        {"NaN in the last output bias", withValue(79408, nan), "ファイルに有限でない値があります（79409 番目の値）。"},
        {"infinity in W1", withValue(4321, -inf), "ファイルに有限でない値があります（4322 番目の値）。"},
        {"NaN in W2", withValue(78500, nan), "ファイルに有限でない値があります（78501 番目の値）。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(folder / "bad.dat", c.bytes);
        DigitModel model = NumberedModel();
        std::string message;
        EXPECT_FALSE(ReadDigitModel(folder / "bad.dat", model, message));
        EXPECT_EQ(message, kOpenFailed + c.reason);
        EXPECT_FALSE(model.loaded);
        EXPECT_EQ(model.w1.values, DigitModel().w1.values);
        EXPECT_EQ(model.b2, DigitModel().b2);
    }

    DigitModel model = NumberedModel();
    std::string message;
    EXPECT_FALSE(ReadDigitModel(folder / "missing.dat", model, message));
    EXPECT_EQ(message, kOpenFailed + std::system_category().message(ENOENT));
    EXPECT_FALSE(model.loaded);

    EXPECT_FALSE(ReadDigitModel(folder.path().string(), model, message));
    EXPECT_EQ(message, kOpenFailed + std::system_category().message(EISDIR));
}

// The process-wide model: a good file serves ClassifyDigit; a later refused
// file leaves it unloaded.
TEST(ModelFile, ProcessModel) {
    TempFolder folder;
    DigitModel model;
    model.b2[6] = 5.0;
    WriteBytes(folder / "Masuvo.dat", FileBytes(model));
    std::string message;
    ASSERT_TRUE(LoadDigitModel(folder / "Masuvo.dat", message)) << message;
    EXPECT_TRUE(ProcessDigitModel().loaded);
    EXPECT_EQ(ClassifyDigit(CellInput{}).digit, 7);

    EXPECT_FALSE(LoadDigitModel(folder / "none.dat", message));
    EXPECT_FALSE(ProcessDigitModel().loaded);
    EXPECT_EQ(ClassifyDigit(CellInput{}).digit, 1);
}

}  // namespace
}  // namespace masuvo
