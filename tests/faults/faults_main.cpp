// The fault tests' main: the private mount namespace is made before
// GoogleTest or any engine thread starts.
#include <cstdio>

#include <gtest/gtest.h>

#include "tests/faults/private_mounts.h"

int main(int argc, char** argv) {
    const bool mounts = masuvo::test::EnterPrivateMounts();
    testing::InitGoogleTest(&argc, argv);
    if (!mounts) std::fprintf(stderr, "fault tests: no private mount namespace here; filesystem faults are skipped\n");
    return RUN_ALL_TESTS();
}
