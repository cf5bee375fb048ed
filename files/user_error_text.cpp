#include "files/user_error_text.h"

#include <cerrno>
#include <cstring>

#include "files/text_file.h"

namespace masuvo {

namespace {

struct KnownError {
    int error;
    const char* text;
};

constexpr KnownError kKnownErrors[] = {
    {ENOENT, "ファイルまたはフォルダーが見つかりません。"},
    {EACCES, "アクセスが拒否されました。ファイルやフォルダーの権限を確かめてください。"},
    {EPERM, "この操作は許可されていません。"},
    {ENOSPC, "ディスクの空き容量が不足しています。"},
    {EDQUOT, "ディスクの使用量の上限を超えています。"},
    {EROFS, "読み取り専用の場所には書き込めません。"},
    {EISDIR, "ファイルではなくフォルダーです。"},
    {ENOTDIR, "パスの途中にフォルダーではないものがあります。"},
    {ENAMETOOLONG, "ファイル名が長すぎます。"},
    {EEXIST, "同じ名前のファイルが既にあります。"},
    {EMFILE, "開いているファイルが多すぎます。"},
    {ENFILE, "開いているファイルが多すぎます。"},
    {EIO, "入出力エラーが発生しました。"},
    {EBUSY, "ファイルが使用中です。"},
    {EFBIG, "ファイルが大きすぎます。"},
    {ENOMEM, "メモリが不足しています。"},
    {ETIMEDOUT, "時間内に応答がありませんでした。"},
};

}  // namespace

std::string UserErrorText(int error) {
    for (const KnownError& known : kKnownErrors)
        if (known.error == error) return known.text;
    return SystemErrorText(error);
}

std::string UserErrorText(std::string_view systemText) {
    for (const KnownError& known : kKnownErrors)
        if (systemText == SystemErrorText(known.error)) return known.text;
    return std::string(systemText);
}

}  // namespace masuvo
