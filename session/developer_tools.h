// The hidden developer tools: batch evaluation and re-saving of puzzle files,
// playing out the trivial steps, the diversified variant of a puzzle and the
// saving of a continuously created series. They work through the play session
// (its own load, check and save), so they exercise what a player uses.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/board.h"
#include "session/play_session.h"

namespace masuvo {

// Every "*.kzd" file directly in folder (the extension in any case), sorted
// by name. Empty when the folder cannot be read.
std::vector<std::string> ListPuzzleFiles(const std::string& folder);

// Called before file index (0-based) is taken up; false stops the batch
// there. The files done so far are still reported.
using BatchProgress = std::function<bool(int index, int total)>;

// 全ファイル評価: each file is loaded into the session (which runs its state
// check) and listed with its solution count, solvability, difficulty and
// rank; the technique summaries follow, per file, per rank and overall. A
// file that cannot be read is listed as such and counts in no total. The
// session is left holding the last file read.
std::string EvaluateFiles(PlaySession& session, const std::vector<std::string>& paths,
                          const BatchProgress& progress = {});

// 全ファイル再保存: each file is loaded and written back in the current format.
// A file that cannot be read is never written; both failures are listed.
std::string ResaveFiles(PlaySession& session, const std::vector<std::string>& paths,
                        const BatchProgress& progress = {});

// 単一解法のスキップ: executes hints until one needs the hint dialog, none is
// found or the puzzle is complete (at most 81). Outside solving mode it only
// shows its message.
void SkipTrivialSteps(PlaySession& session, SessionView& view);

// 問題の多様化: the current digits, shuffled symmetrically and relabelled with
// a stream seeded by seed, become the givens of a fresh puzzle named
// old name + "_変更".
void DiversifyPuzzle(PlaySession& session, SessionView& view, uint64_t seed);

// 連続問題自動作成の保存: "自動作成_%02d_%05d_(%s)[%s]_%d".
std::string SeriesPuzzleName(int rank, int number, int symmetry);

// The created series: results[r][k - start] for rank index r and number k.
// Every puzzle present is loaded, checked, named and saved into folder; a
// rank with fewer puzzles (a search that failed) saves those it has.
// Returns the number of files written.
int SaveCreatedSeries(PlaySession& session, SessionView& view, const std::string& folder, int start,
                      int symmetry, const std::vector<std::vector<KR_base>>& results);

}  // namespace masuvo
