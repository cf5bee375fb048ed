// Handing a created puzzle to the session.
#include "session/play_session.h"

#include "engine/text_format.h"

namespace masuvo {

void LoadCreatedPuzzle(PlaySession& session, const KR_base& puzzle, const std::string& name) {
    session.ResetSession();
    for (int k = 0; k < 81; ++k) {
        const int32_t digit = puzzle.value[k / 9][k % 9];
        if (digit < 1 || digit > 9) continue;
        session.values[k] = digit;
        session.origin[k] = 1;
    }
    // Named before the check, so that everything the check files carries the
    // new name.
    session.SetName(name);
    session.CheckState(true, "");
}

std::string ReadingNote(const ReadingDoubts& doubts) {
    int marked = 0;
    for (bool cell : doubts.cells) marked += cell ? 1 : 0;
    std::string note;
    if (doubts.broken) {
        note += "読み取った盤面はルールに合いません（同じ行・列・ブロックに同じ数字があるか、解がありません）。"
                "読み取ったまま取り込みました。";
    } else if (doubts.changed > 0) {
        note += Format("読み取った盤面がルールに合わなかったため、%d マスを読み直しました。", doubts.changed);
    }
    if (marked > 0) {
        note += Format("読み取りの確かでない %d マスを黄色で示しています。画像と見比べて確かめてください"
                       "（黄色は、そのマスを入力し直すか解答を始めると消えます）。",
                       marked);
    }
    return note;
}

void LoadImportedPuzzle(PlaySession& session, const KR_base& puzzle, const std::string& name,
                        const ReadingDoubts& doubts) {
    session.ResetSession();
    for (int k = 0; k < 81; ++k) {
        const int32_t digit = puzzle.value[k / 9][k % 9];
        if (digit < 1 || digit > 9) continue;
        session.values[k] = digit;
        session.origin[k] = 1;
    }
    session.SetName(name);
    // Marked before the check: a picture it completes at once leaves the
    // entry mode, and the marks with it.
    session.MarkDoubtfulCells(doubts.cells);
    session.CheckState(true, ReadingNote(doubts));
}

}  // namespace masuvo
