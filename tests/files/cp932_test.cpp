#include "files/cp932.h"

#include <gtest/gtest.h>

#include <string>

namespace masuvo {
namespace {

struct EncodeCase {
    const char* utf8;
    std::string cp932;
};

void PrintTo(const EncodeCase& c, std::ostream* os) { *os << testing::PrintToString(std::string(c.utf8)); }

class Cp932Encode : public testing::TestWithParam<EncodeCase> {};

TEST_P(Cp932Encode, WritesCodePageBytes) {
    EXPECT_EQ(Utf8ToCp932(GetParam().utf8), GetParam().cp932);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Cp932Encode,
    testing::Values(
        EncodeCase{"File format version 3", "File format version 3"},
        EncodeCase{"マスヴォ", "\x83\x7D\x83\x58\x83\x94\x83\x48"},
        // The second byte of 表 and ソ is the byte of "\".
        EncodeCase{"表ソ", "\x95\x5C\x83\x5C"},
        EncodeCase{"①", "\x87\x40"},
        // Full-width forms and the look-alikes people type for them.
        EncodeCase{"～〜", "\x81\x60\x81\x60"}, EncodeCase{"－−", "\x81\x7C\x81\x7C"},
        EncodeCase{"∥‖", "\x81\x61\x81\x61"}, EncodeCase{"―—", "\x81\x5C\x81\x5C"},
        EncodeCase{"¢£¬", "\x81\x91\x81\x92\x81\xCA"},
        // Characters the code page lacks, and broken UTF-8, become "?".
        EncodeCase{"a€b", "a?b"}, EncodeCase{"😀", "?"}, EncodeCase{"표", "?"},
        EncodeCase{"¥‾", "??"}, EncodeCase{"x\xE3\x81y", "x??y"}, EncodeCase{"\xC0\xAF", "??"}));

TEST(Cp932Decode, RoundTripsCodePageText) {
    const std::string text = "マスヴォ 表ソ ～－∥ ① 髙 ほぼ確定(三組)、二択連鎖9。\\,~";
    std::string back;
    ASSERT_TRUE(Cp932ToUtf8(Utf8ToCp932(text), back));
    EXPECT_EQ(back, text);
}

TEST(Cp932Decode, MarksBytesOutsideTheCodePage) {
    std::string text;
    // 0xFF is no character; 0x81 followed by "," is a lead byte without a
    // valid second byte; a lead byte at the end is cut short.
    EXPECT_FALSE(Cp932ToUtf8("a\xFF" "b\x81,c\x83", text));
    EXPECT_EQ(text, "a\uFFFDb\uFFFD,c\uFFFD");
    EXPECT_TRUE(Cp932ToUtf8("", text));
    EXPECT_EQ(text, "");
}

}  // namespace
}  // namespace masuvo
