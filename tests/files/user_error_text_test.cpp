#include "files/user_error_text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

using namespace masuvo;

// The common errors read in Japanese whether they come as a number or in
// the system's wording (as Qt reports them); the rest stay as they are.
TEST(UserErrorText, CommonErrorsInJapanese) {
    struct Case {
        int error;
        const char* text;
    };
    const Case cases[] = {
        {ENOENT, "ファイルまたはフォルダーが見つかりません。"},
        {EACCES, "アクセスが拒否されました。ファイルやフォルダーの権限を確かめてください。"},
        {ENOSPC, "ディスクの空き容量が不足しています。"},
        {EROFS, "読み取り専用の場所には書き込めません。"},
        {EISDIR, "ファイルではなくフォルダーです。"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UserErrorText(c.error), c.text) << c.error;
        EXPECT_EQ(UserErrorText(std::string(std::strerror(c.error))), c.text) << c.error;
    }
    EXPECT_EQ(UserErrorText(EXDEV), std::string(std::strerror(EXDEV)));
    EXPECT_EQ(UserErrorText(std::string("Unknown error while writing")), "Unknown error while writing");
    EXPECT_EQ(UserErrorText(std::string()), "");
}
