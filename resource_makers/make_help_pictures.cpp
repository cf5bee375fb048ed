// Draws the pictures of the help pages with the program's own board painter.
//
// Technique pictures: the puzzle sets under tests/data are solved placement
// by placement; for every wanted picture the position whose hint chain shows
// the step (in the wanted row or column form, with a group link where asked)
// with the shortest chain is kept, the first such in reading order on a tie;
// a practice position is the best one from another puzzle. A chain longer
// than the step and its placement is shortened by adding digits of the
// solution one at a time while that shortens it. The position is loaded into
// a headless session, the hint is asked for, the step is selected and the
// board is rendered with its overlay and row and column numbers into
// resources/help/images/<name>.png (a practice position without the hint).
// The block of each picture (the picture, the walk-through of its chain, the
// answer, the position as 81 characters) is written between the markers
// "<!-- picture NAME -->" or "<!-- practice NAME -->" and their end markers
// in the pages, so a caption always describes its picture; a practice
// position's answer sits between "<!-- answer NAME -->" markers, which the
// help window keeps hidden until asked. The same sets give the same
// positions, pictures and captions.
//
// Window pictures: the real main window (offscreen), driven through a play
// of an example puzzle, grabbed as images/screen_*.png for the operation
// pages.
//
// usage: masuvo-make-help-pictures SOURCE_FOLDER [--techniques-only | --screens-only]
// SOURCE_FOLDER is the project folder (tests/data, resources/例題 and
// resources/help are read there).
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/board.h"
#include "engine/brute_force.h"
#include "engine/step_search.h"
#include "generator/constructed_drill_puzzles.h"
#include "records/record_file.h"
#include "session/headless_view.h"
#include "session/session_text.h"
#include "session/play_session.h"
#include "ui/drawing/board_painter.h"
#include "ui/dialogs/create_dialog.h"
#include "ui/dialogs/create_hard_dialog.h"
#include "ui/dialogs/hint_dialog.h"
#include "ui/main_window/kenrow_app.h"
#include "ui/main_window/kenrow_dlg.h"
#include "ui/main_window/number_pad.h"
#include "ui/dialogs/review_dlg.h"
#include "resource_makers/help_walkthrough.h"

using namespace Qt::StringLiterals;
using namespace masuvo;

namespace {

// ---------------------------------------------------------------------------
// The pictures wanted: the step sentence whose application is shown.

struct Wanted {
    const char* file;      // images/<file>.png, ASCII so links stay plain
    const char* sentence;  // the step's message, exactly as the engine writes it
    const char* title;     // what the caption calls it
    bool candidates;       // a one-sentence hint: show the candidates (候補表示) too
    const char* form = "";      // "行" or "列": the line the pattern stands on (LineForm)
    int rank = 0;               // 0 the best position, 1 the best from another puzzle
    bool practice = false;      // a practice position: no hint drawn, the answer hidden
    bool groupLink = false;     // a chain that joins a group of candidates
    bool anyUnit = false;       // the sentence's "(...)" may name any unit
};

// The step sentence matches the wanted one; with anyUnit, "陰の定員確定4(行)。"
// matches a wanted "陰の定員確定4(列)。".
bool Matches(const Wanted& wanted, const std::string& text) {
    if (text == wanted.sentence) return true;
    if (!wanted.anyUnit) return false;
    const std::string_view want(wanted.sentence);
    const size_t open = want.find('(');
    return open != std::string_view::npos && text.compare(0, open, want.substr(0, open)) == 0 &&
           text.size() > open && text[open] == '(';
}

const Wanted kWanted[] = {
    {"burokku_no_kansei", "ブロックの完成です。", "ブロックの完成", false},
    {"gyou_no_kansei", "行の完成です。", "行の完成", false},
    {"retsu_no_kansei", "列の完成です。", "列の完成", false},
    {"burokku_nai_no_haichi", "ブロック内の配置です。", "ブロック内の配置", false},
    {"gyou_nai_no_haichi", "行内の配置です。", "行内の配置", false},
    {"retsu_nai_no_haichi", "列内の配置です。", "列内の配置", false},
    {"seru_no_kansei", "セルの完成です。", "セルの完成", true},
    {"kakureta_suuji", "隠れた数字。", "隠れた数字", false, "行"},
    {"kakureta_suuji_retsu", "隠れた数字。", "隠れた数字", false, "列"},
    {"hakyuu_kouka", "波及効果。", "波及効果", false, "行"},
    {"hakyuu_kouka_retsu", "波及効果。", "波及効果", false, "列"},
    {"teiin_kakutei_2_burokku", "定員確定2(ブロック)。", "定員確定2(ブロック)", false},
    {"teiin_kakutei_2_gyou", "定員確定2(行)。", "定員確定2(行)", false},
    {"teiin_kakutei_3_retsu", "定員確定3(列)。", "定員確定3(列)", false},
    {"teiin_kakutei_4_burokku", "定員確定4(ブロック)。", "定員確定4(ブロック)", false},
    {"kage_no_teiin_kakutei_2_burokku", "陰の定員確定2(ブロック)。", "陰の定員確定2(ブロック)", false},
    {"kage_no_teiin_kakutei_2_retsu", "陰の定員確定2(列)。", "陰の定員確定2(列)", false},
    {"kage_no_teiin_kakutei_3_gyou", "陰の定員確定3(行)。", "陰の定員確定3(行)", false},
    {"kage_no_teiin_kakutei_4", "陰の定員確定4(列)。", "陰の定員確定4", false, "", 0, false, false, true},
    {"taikakusen", "対角線。", "対角線", false, "行"},
    {"taikakusen_retsu", "対角線。", "対角線", false, "列"},
    {"sansukumi", "三すくみ。", "三すくみ", false},
    {"matrix_3", "マトリックス3。", "マトリックス3", false, "行"},
    {"matrix_3_retsu", "マトリックス3。", "マトリックス3", false, "列"},
    {"matrix_4", "マトリックス4。", "マトリックス4", false},
    {"hobo_kakutei_2", "ほぼ確定2(二組)。", "ほぼ確定2(二組)", false},
    {"hobo_kakutei_2_double", "ほぼ確定2(二組ダブル)。", "ほぼ確定2(二組ダブル)", false},
    {"hobo_kakutei_3", "ほぼ確定3(二組)。", "ほぼ確定3(二組)", false},
    {"hobo_kakutei_4", "ほぼ確定4(二組)。", "ほぼ確定4(二組)", false},
    {"hobo_kakutei_sankumi", "ほぼ確定(三組)。", "ほぼ確定(三組)", false},
    {"nitaku_rensa_1", "二択連鎖1。", "二択連鎖1", false},
    {"nitaku_rensa_2", "二択連鎖2。", "二択連鎖2", false},
    {"nitaku_rensa_9", "二択連鎖9。", "二択連鎖9", false, "", 0, false, true},
    // Practice: one position per page, from another puzzle than its example.
    {"practice_burokku_no_kansei", "ブロックの完成です。", "ブロックの完成", false, "", 1, true},
    {"practice_gyou_no_kansei", "行の完成です。", "行の完成", false, "", 1, true},
    {"practice_retsu_no_kansei", "列の完成です。", "列の完成", false, "", 1, true},
    {"practice_burokku_nai_no_haichi", "ブロック内の配置です。", "ブロック内の配置", false, "", 1, true},
    {"practice_gyou_nai_no_haichi", "行内の配置です。", "行内の配置", false, "", 1, true},
    {"practice_retsu_nai_no_haichi", "列内の配置です。", "列内の配置", false, "", 1, true},
    {"practice_seru_no_kansei", "セルの完成です。", "セルの完成", true, "", 1, true},
    {"practice_kakureta_suuji", "隠れた数字。", "隠れた数字", true, "列", 1, true},
    {"practice_hakyuu_kouka", "波及効果。", "波及効果", true, "列", 1, true},
    {"practice_teiin_kakutei", "定員確定2(行)。", "定員確定2(行)", true, "", 1, true},
    {"practice_kage_no_teiin_kakutei", "陰の定員確定2(ブロック)。", "陰の定員確定2(ブロック)", true, "", 1, true},
    {"practice_taikakusen", "対角線。", "対角線", true, "行", 1, true},
    {"practice_sansukumi", "三すくみ。", "三すくみ", true, "", 1, true},
    {"practice_matrix", "マトリックス3。", "マトリックス3", true, "行", 1, true},
    {"practice_hobo_kakutei", "ほぼ確定2(二組)。", "ほぼ確定2(二組)", true, "", 1, true},
    {"practice_nitaku_rensa", "二択連鎖1。", "二択連鎖1", true, "", 1, true},
};
constexpr int kWantedCount = static_cast<int>(sizeof kWanted / sizeof kWanted[0]);

// The sets in the order they are read; the first field of a line is the puzzle.
// kBuiltSet names the drill puzzles built to order, read after them.
constexpr const char* kBuiltSet = "constructed_drill_puzzles";
const char* const kSets[] = {"top95.txt", "hardest11.txt", "graded_5000.csv", "se_rated_sample2000.tsv",
                             "sudoku17_sample1000.txt"};

struct Position {
    bool found = false;
    int chainLength = 0;
    std::string set;
    int puzzleNumber = 0;  // 1-based among the set's puzzles
    int placements = 0;    // placements made before this position
    int added = 0;         // digits of the solution added to shorten the chain
    std::string givens;    // 81 characters
    std::string grid;      // 81 characters: givens and the placements so far
    std::vector<std::string> sentences;  // the needed steps' texts
    std::vector<int> techniques;         // and their catalogue entries
    int step = 0;          // index of the wanted sentence among them
    int row = 0, col = 0, digit = 0;
};

bool IsPuzzleField(const std::string& field) {
    if (field.size() != 81) return false;
    for (char c : field)
        if (c != '.' && (c < '0' || c > '9')) return false;
    return true;
}

std::string FirstField(const std::string& line) {
    const size_t end = line.find_first_of(",\t\r ");
    return end == std::string::npos ? line : line.substr(0, end);
}

// A one-step chain is the shortest a placing technique can have; an
// eliminating one needs at least itself and the placement.
int ShortestPossible(const Wanted& wanted) {
    return std::string_view(wanted.sentence).ends_with("です。") ? 1 : 2;
}

// The needed steps of the board's last search.
std::vector<WalkStep> NeededSteps(const KR_solver& board) {
    std::vector<WalkStep> steps;
    for (const Step& step : board.steps)
        if (step.needed != 0) steps.push_back(WalkStep{step.technique, step.text.str(), step.hint});
    return steps;
}

// The index of the wanted step in the chain, or -1 when the chain does not
// show what the picture is for.
int WantedStep(const Wanted& wanted, const std::vector<WalkStep>& steps) {
    for (size_t i = 0; i < steps.size(); ++i) {
        if (!Matches(wanted, steps[i].text)) continue;
        if (*wanted.form != '\0' && LineForm(steps[i]) != wanted.form) return -1;
        if (wanted.groupLink && !HasGroupLink(steps[i].hint)) return -1;
        return static_cast<int>(i);
    }
    return -1;
}

// Positions kept per picture beyond its rank, to shorten the best of them.
constexpr size_t kKept = 6;

// Keeps the shortest chains from distinct puzzles, the first found on a tie.
void Consider(std::vector<Position>& best, size_t keep, const Position& p) {
    for (Position& kept : best) {
        if (kept.set != p.set || kept.puzzleNumber != p.puzzleNumber) continue;
        if (p.chainLength < kept.chainLength) kept = p;
        std::stable_sort(best.begin(), best.end(),
                         [](const Position& a, const Position& b) { return a.chainLength < b.chainLength; });
        return;
    }
    auto at = std::upper_bound(best.begin(), best.end(), p,
                               [](const Position& a, const Position& b) { return a.chainLength < b.chainLength; });
    best.insert(at, p);
    if (best.size() > keep) best.resize(keep);
}

// Solves every puzzle of the sets one placement at a time and keeps, for
// every wanted picture, the positions with the shortest chains using it.
std::vector<std::vector<Position>> FindPositions(const std::string& dataFolder) {
    std::vector<std::vector<Position>> best(kWantedCount);
    auto allShortest = [&best] {
        for (int w = 0; w < kWantedCount; ++w) {
            const size_t keep = static_cast<size_t>(kWanted[w].rank) + 1;
            if (best[w].size() < keep || best[w][keep - 1].chainLength > ShortestPossible(kWanted[w])) return false;
        }
        return true;
    };
    auto scan = [&best](const std::string& set, int number, const std::string& givens) {
        KR_solver board;
        if (!ParseGrid(givens, board)) return;
        for (int placements = 0; placements < 81; ++placements) {
            const std::string grid = GridText(board);
            if (StepSearch(board, false) != 1) break;
            std::vector<WalkStep> steps;
            for (int w = 0; w < kWantedCount; ++w) {
                bool uses = false;
                for (const Step& step : board.steps) uses = uses || (step.needed != 0 && Matches(kWanted[w], step.text.str()));
                if (!uses) continue;
                if (steps.empty()) steps = NeededSteps(board);
                const int i = WantedStep(kWanted[w], steps);
                if (i < 0) continue;
                Position p{true, static_cast<int>(steps.size()), set, number, placements, 0, givens, grid, {}, {}, i,
                           board.placeRow, board.placeCol, board.placeDigit};
                for (const WalkStep& s : steps) {
                    p.sentences.push_back(s.text);
                    p.techniques.push_back(s.technique);
                }
                Consider(best[w], static_cast<size_t>(kWanted[w].rank) + kKept, p);
            }
        }
    };
    for (const char* set : kSets) {
        std::ifstream in(dataFolder + "/" + set);
        if (!in) {
            std::fprintf(stderr, "masuvo-make-help-pictures: cannot read %s/%s\n", dataFolder.c_str(), set);
            continue;
        }
        std::string line;
        int number = 0;
        while (std::getline(in, line) && !allShortest()) {
            const std::string givens = FirstField(line);
            if (!IsPuzzleField(givens)) continue;  // headers, comments
            scan(set, ++number, givens);
        }
    }
    // Then the puzzles built for the techniques the collections show only
    // late in long chains; on a tie the collections' position stays.
    for (int technique = 0; technique < kTechniqueCount; ++technique)
        for (int index = 0; const char* givens = ConstructedDrillPuzzle(technique, index); ++index)
            scan(kBuiltSet, index + 1, givens);
    return best;
}

// How well a position teaches its technique, lower is better: the step
// and its placement alone; one simpler step before it as well; anything
// else. Then the length of the chain.
std::pair<int, int> Score(const Position& p) {
    if (p.chainLength <= 2) return {0, p.chainLength};
    bool simpler = p.chainLength == 3;
    for (size_t i = 0; i + 1 < p.techniques.size(); ++i)
        if (static_cast<int>(i) != p.step) simpler = simpler && p.techniques[i] < p.techniques[static_cast<size_t>(p.step)];
    return {simpler ? 1 : 2, p.chainLength};
}

// The position with more digits of the solution, when it still shows the
// wanted step.
bool WithDigits(const Wanted& wanted, const Position& p, const KR_base& solution, std::initializer_list<int> cells,
                Position& out) {
    std::string grid = p.grid;
    for (int c : cells) grid[static_cast<size_t>(c)] = static_cast<char>('0' + solution.value[c / 9][c % 9]);
    KR_solver board;
    if (!ParseGrid(grid, board) || StepSearch(board, false) != 1) return false;
    const std::vector<WalkStep> steps = NeededSteps(board);
    const int i = WantedStep(wanted, steps);
    if (i < 0) return false;
    out = p;
    out.grid = grid;
    out.added = p.added + static_cast<int>(cells.size());
    out.chainLength = static_cast<int>(steps.size());
    out.sentences.clear();
    out.techniques.clear();
    for (const WalkStep& s : steps) {
        out.sentences.push_back(s.text);
        out.techniques.push_back(s.technique);
    }
    out.step = i;
    out.row = board.placeRow;
    out.col = board.placeCol;
    out.digit = board.placeDigit;
    return true;
}

// A position whose chain needs techniques the reader has not met yet is
// brought closer to the technique: digits of the solution are added, one at
// a time or else two at a time, each time those (first in reading order)
// that improve the score most while the chain still shows the wanted step,
// until nothing improves it.
void Shorten(const Wanted& wanted, Position& p) {
    if (!p.found || Score(p).first == 0) return;
    KR_solver counter;
    KR_base solution;
    if (!ParseGrid(p.givens, counter) || CountSolutions(counter, &solution) != 1) return;
    while (Score(p).first != 0) {
        std::vector<int> empty;
        for (int c = 0; c < 81; ++c)
            if (p.grid[static_cast<size_t>(c)] == '.') empty.push_back(c);
        Position better = p, next;
        for (int c : empty)
            if (WithDigits(wanted, p, solution, {c}, next) && Score(next) < Score(better)) better = next;
        if (Score(better) == Score(p)) {
            for (size_t i = 0; i < empty.size(); ++i)
                for (size_t j = i + 1; j < empty.size(); ++j)
                    if (WithDigits(wanted, p, solution, {empty[i], empty[j]}, next) && Score(next) < Score(better))
                        better = next;
        }
        if (!(Score(better) < Score(p))) return;
        p = better;
    }
}

// The position a picture shows: its rank among the positions found, or a
// later one when shortening makes that one teach better.
Position Choose(const Wanted& wanted, const std::vector<Position>& found) {
    const size_t rank = static_cast<size_t>(wanted.rank);
    if (found.size() <= rank) return {};
    Position best = found[rank];
    if (Score(best).first == 0) return best;
    std::fprintf(stderr, "note: %s: %zu positions found, the shortest chain has %d steps\n", wanted.file, found.size(), best.chainLength);
    for (size_t i = rank; i < found.size(); ++i) {
        Position p = found[i];
        Shorten(wanted, p);
        if (Score(p) < Score(best)) best = p;
    }
    return best;
}

// ---------------------------------------------------------------------------
// Rendering a position with its hint.

// Starts solving whatever the engine says of the whole puzzle: a position
// whose puzzle the catalogue cannot finish still has this hint.
class PictureView : public HeadlessView {
public:
    PictureView() : HeadlessView([](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }) {}
    Answer AskYesNoCancel(const std::string&) override { return Answer::No; }
};

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '&') out += "&amp;";
        else out += c;
    }
    return out;
}

std::string Joined(const std::vector<std::string>& sentences) {
    std::string text;
    for (const std::string& s : sentences) text += s;
    return text;
}

std::string WithoutFullStop(std::string text) {
    if (text.size() >= 3 && text.compare(text.size() - 3, 3, "。") == 0) text.erase(text.size() - 3);
    return text;
}

std::string Walk(const std::vector<std::string>& items) {
    std::string html = "<ol class=\"walk\">\n";
    for (const std::string& item : items) html += "<li>" + Escape(item) + "</li>\n";
    return html + "</ol>\n";
}

// "セル(1,5)に6が入ります。": the answer as every block states it.
std::string AnswerText(const Position& p) {
    return CellName(9 * p.row + p.col) + "に" + std::to_string(p.digit) + "が入ります。";
}

std::string PositionText(const Position& p, bool solvable) {
    std::string html = "<p>この局面は、次の81文字をコピーし、［問題作成］モードで（［オールクリア］のあとに）［貼り付け］で読み込めます。"
                       "［解答開始］を押して［ヒント］を押すと、答えを確かめられます（局面の数字はすべて問題の数字になります";
    if (!solvable) html += "。アシストを実行するか聞かれたら［いいえ］を選んでください";
    html += "）。<br>\n<span class=\"grid\">" + p.grid + "</span></p>\n";
    return html;
}

std::string Origin(const Wanted& wanted, const Position& p, const char* kind) {
    std::ostringstream html;
    html << "<!-- " << kind << " " << wanted.file << " -->\n";
    html << "<!-- " << p.set << ", puzzle " << p.puzzleNumber << ", after " << p.placements << " placements";
    if (p.added > 0) html << ", " << p.added << " more digits of the solution";
    html << "; written by masuvo-make-help-pictures -->\n";
    return html.str();
}

std::string FigureTitle(const Wanted& wanted, const Position& p) {
    // A picture of any unit is named by the unit it shows.
    std::string title = wanted.anyUnit ? WithoutFullStop(p.sentences[static_cast<size_t>(p.step)]) : wanted.title;
    const std::string form = wanted.form;
    const std::string_view sentence = wanted.sentence;
    if (!form.empty()) {
        if (sentence == "隠れた数字。") title += "（ブロックの候補が一つの" + form + "に並ぶ形）";
        else if (sentence == "波及効果。") title += "（" + form + "の候補が一つのブロックに収まる形）";
        else title += "（" + form + "を基準にした形）";
    }
    if (wanted.groupLink) title += "（まとまりの二択を含む形）";
    return title;
}

// The pattern cells the picture numbers: those of the step it shows that
// its walk-through names (none for a one-sentence hint, which shows no
// pattern, nor for a practice position, which shows no hint).
std::map<int, int> PictureLabels(const Wanted& wanted, const Position& p, const std::vector<WalkStep>& steps) {
    if (wanted.practice || p.sentences.size() < 2) return {};
    return PatternLabels(steps, static_cast<size_t>(p.step), WalkThrough(p.grid, steps, p.row, p.col, p.digit));
}

std::string FigureBlock(const Wanted& wanted, const Position& p, const std::vector<WalkStep>& steps,
                        const std::map<int, int>& labels, bool solvable) {
    std::ostringstream html;
    html << Origin(wanted, p, "picture");
    html << "<table class=\"figure\" cellspacing=\"0\" cellpadding=\"8\">\n";
    html << "<tr><td><img src=\"images/" << wanted.file << ".png\" width=\"471\" height=\"471\" alt=\""
         << FigureTitle(wanted, p) << "の例\"></td></tr>\n";
    html << "<tr><td class=\"caption\">\n";
    html << "<p><b>図：" << FigureTitle(wanted, p) << "の例</b></p>\n";
    html << "<p>ヒントの文：「" << Escape(Joined(p.sentences)) << "」</p>\n";
    if (p.sentences.size() == 1) {
        html << "<p>一文だけのヒントなので、ヒントの一覧は開かず、盤には★だけが付きます。";
        if (wanted.candidates) html << "この図では［候補表示］も押してあります。";
        html << "</p>\n";
    } else {
        html << "<p>ヒントの一覧の" << (p.step + 1) << "番目「" << Escape(WithoutFullStop(p.sentences[p.step]))
             << "」を選び、［詳細］を押した状態です。</p>\n";
    }
    if (p.sentences.size() > 2) {
        // Why the chain is longer than the technique and its placement.
        std::string others;
        for (size_t i = 0; i + 1 < p.sentences.size(); ++i)
            if (static_cast<int>(i) != p.step) others += "「" + WithoutFullStop(p.sentences[i]) + "」";
        html << "<p class=\"why\">この例のヒントは、" << wanted.title << "のほかに" << Escape(others)
             << "も使います。この解法のすぐあとに数字が入る局面は、手元の問題集（約八千問）からは見つかりませんでした。"
                "この形が現れる局面では、ほとんどの場合、ほかの解法で先に数字が決まってしまうからです。"
                "ほかの段階は、それぞれの解法のページで説明しています。</p>\n";
    }
    html << "<p><b>読み解き</b></p>\n";
    if (!labels.empty()) html << "<p>図の①②…は、この形をつくるセルです。下の読み解きでも同じ番号で呼んでいます。</p>\n";
    html << Walk(WithLabels(WalkThrough(p.grid, steps, p.row, p.col, p.digit), labels));
    html << "<p class=\"answer\">答え：" << AnswerText(p) << "</p>\n";
    if (p.sentences.size() > 1) {
        const std::string more = FurtherRemovals(p.grid, steps, static_cast<size_t>(p.step));
        html << "<p>図の桃色の丸は、この一手に必要だった消去だけです。";
        if (!more.empty()) html << "この形からは、ほかにも" << Escape(more) << "を消せます。";
        html << "</p>\n";
    }
    html << PositionText(p, solvable);
    html << "</td></tr>\n</table>\n";
    html << "<!-- /picture -->";
    return html.str();
}

std::string PracticeBlock(const Wanted& wanted, const Position& p, const std::vector<WalkStep>& steps, bool solvable) {
    std::ostringstream html;
    html << Origin(wanted, p, "practice");
    html << "<table class=\"figure\" cellspacing=\"0\" cellpadding=\"8\">\n";
    html << "<tr><td><img src=\"images/" << wanted.file << ".png\" width=\"471\" height=\"471\" alt=\"練習問題："
         << wanted.title << "\"></td></tr>\n";
    html << "<tr><td class=\"caption\">\n";
    html << "<p><b>練習問題：" << wanted.title << "</b></p>\n";
    html << "<p>この局面の次の一手は、" << wanted.title << "で決まります。";
    if (wanted.candidates) html << "図では［候補表示］を押してあります。";
    html << "どのセルにどの数字が入るか、考えてから答えを見てください。</p>\n";
    html << PositionText(p, solvable);
    html << "<!-- answer " << wanted.file << " -->\n";
    html << "<p>ヒントの文：「" << Escape(Joined(p.sentences)) << "」</p>\n";
    html << Walk(WalkThrough(p.grid, steps, p.row, p.col, p.digit));
    html << "<p class=\"answer\">答え：" << AnswerText(p) << "</p>\n";
    html << "<!-- /answer -->\n";
    html << "</td></tr>\n</table>\n";
    html << "<!-- /practice -->";
    return html.str();
}

// The board with the row numbers at its left and the column numbers above,
// so that every セル(行,列) the walk-through names can be found without
// telling the marks' colours apart.
constexpr int kMargin = 20;

QImage WithCoordinates(const QImage& board) {
    QImage image(board.width() + kMargin, board.height() + kMargin, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawImage(kMargin, kMargin, board);
    QFont font(u"Arial"_s);
    font.setPixelSize(12);
    painter.setFont(font);
    painter.setPen(QColor(0x60, 0x60, 0x60));
    const double cell = (board.width() - 1) / 9.0;
    for (int i = 0; i < 9; ++i) {
        const QString number = QString::number(i + 1);
        painter.drawText(QRectF(kMargin + cell * i, 0, cell, kMargin), Qt::AlignCenter, number);
        painter.drawText(QRectF(0, kMargin + cell * i, kMargin, cell), Qt::AlignCenter, number);
    }
    return image;
}

// The numbers of the labelled pattern cells, each a small dark disc with a
// white number in the cell's top-left corner: the corner that the
// candidate boxes leave free and the star (top right) does not use.
void DrawLabels(QImage& board, const std::map<int, int>& labels, int cellSize) {
    QPainter painter(&board);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font(u"Arial"_s);
    font.setPixelSize(cellSize * 7 / 50);
    font.setBold(true);
    painter.setFont(font);
    // Small enough to stay clear of the candidate 1 beside it.
    const double radius = cellSize * 0.08;
    for (const auto& [cell, n] : labels) {
        const QPointF centre(cellSize * (cell % 9) + radius + 0.5, cellSize * (cell / 9) + radius + 0.5);
        painter.setPen(QPen(Qt::white, 1));
        painter.setBrush(QColor(0x30, 0x30, 0x30));
        painter.drawEllipse(centre, radius, radius);
        painter.setPen(Qt::white);
        painter.drawText(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), Qt::AlignCenter,
                         QString::number(n));
    }
}

bool RenderPosition(const Wanted& wanted, const Position& p, const QString& imageFolder, std::string& block) {
    PictureView view;
    PlaySession session(view, DataFolders{});
    session.ResetSession();
    for (int c = 0; c < 81; ++c) {
        const int digit = p.grid[c] >= '1' && p.grid[c] <= '9' ? p.grid[c] - '0' : 0;
        session.values[c] = digit;
        // The puzzle's digits are givens, the placements so far the player's.
        session.origin[c] = digit != 0 && p.givens[c] == p.grid[c] ? 1 : 0;
    }
    session.CheckState(false, "", false);
    session.StartSolving();
    if (session.mode != 1) {
        std::fprintf(stderr, "%s: solving did not start\n", wanted.file);
        return false;
    }
    std::vector<WalkStep> steps;
    {
        KR_solver board;
        LoadBoard(board, session.values);
        StepSearch(board, false);
        steps = NeededSteps(board);
    }
    if (wanted.practice) {
        // The position as the reader meets it: no hint on the board.
        if (wanted.candidates) session.ToggleCandidates(true);
    } else {
        session.RequestHint();
        if (session.hintRow != p.row || session.hintCol != p.col || session.hintDigit != p.digit ||
            session.hints.size() != p.sentences.size()) {
            std::fprintf(stderr, "%s: the session's hint differs from the search's\n", wanted.file);
            return false;
        }
        if (p.sentences.size() > 1) {
            session.SelectHintStep(p.step);
            session.SetDetail(true);
        } else if (wanted.candidates) {
            session.ToggleCandidates(true);
        }
    }

    // The window's default board (100%, font 90%) as 画像保存 writes it: no
    // selection frame over the red frame of the cell to look at.
    BoardPaintOptions options;
    options.selectionFrame = false;
    const std::map<int, int> labels = PictureLabels(wanted, p, steps);
    QImage board = RenderBoard(session, options);
    DrawLabels(board, labels, options.cellSize);
    const QImage image = WithCoordinates(board);
    const QString path = imageFolder + u'/' + QString::fromLatin1(wanted.file) + u".png"_s;
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    const bool solvable = session.solvable == 1;
    block = wanted.practice ? PracticeBlock(wanted, p, steps, solvable) : FigureBlock(wanted, p, steps, labels, solvable);
    return true;
}

// Replaces the block of each picture ("picture" or "practice" markers) in
// every page that holds its markers. Returns the names that no page shows.
std::vector<std::string> WriteFigureBlocks(const QString& helpFolder, const std::map<std::string, std::string>& blocks) {
    std::map<std::string, bool> placed;
    const QStringList pages = QDir(helpFolder).entryList({u"*.htm"_s}, QDir::Files, QDir::Name);
    for (const QString& page : pages) {
        const std::string path = (helpFolder + u'/' + page).toStdString();
        std::ifstream in(path, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        in.close();
        std::string updated = text;
        for (const auto& [name, block] : blocks) {
            for (const char* kind : {"picture", "practice"}) {
                const std::string open = std::string("<!-- ") + kind + " " + name + " -->";
                const std::string close = std::string("<!-- /") + kind + " -->";
                size_t at = 0;
                while ((at = updated.find(open, at)) != std::string::npos) {
                    const size_t end = updated.find(close, at);
                    if (end == std::string::npos) {
                        std::fprintf(stderr, "%s: the picture %s has no end marker\n", path.c_str(), name.c_str());
                        break;
                    }
                    updated.replace(at, end + close.size() - at, block);
                    at += block.size();
                    placed[name] = true;
                }
            }
        }
        if (updated != text) {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out << updated;
            if (!out) std::fprintf(stderr, "cannot write %s\n", path.c_str());
        }
    }
    std::vector<std::string> missing;
    for (const auto& [name, block] : blocks)
        if (!placed[name]) missing.push_back(name);
    return missing;
}

bool MakeTechniquePictures(const QString& source, const QString& helpFolder) {
    const QString imageFolder = helpFolder + u"/images"_s;
    QDir().mkpath(imageFolder);
    const std::vector<std::vector<Position>> found = FindPositions((source + u"/tests/data"_s).toStdString());
    std::vector<Position> positions;
    for (int w = 0; w < kWantedCount; ++w) positions.push_back(Choose(kWanted[w], found[static_cast<size_t>(w)]));
    std::map<std::string, std::string> blocks;
    bool ok = true;
    for (int w = 0; w < kWantedCount; ++w) {
        const Position& p = positions[w];
        if (!p.found) {
            std::fprintf(stderr, "%s: no position uses %s\n", kWanted[w].file, kWanted[w].sentence);
            ok = false;
            continue;
        }
        std::string block;
        if (!RenderPosition(kWanted[w], p, imageFolder, block)) {
            ok = false;
            continue;
        }
        blocks[kWanted[w].file] = block;
        std::printf("%s\t%s %d after %d (+%d)\t%s\tstep %d\n", kWanted[w].file, p.set.c_str(), p.puzzleNumber,
                    p.placements, p.added, Joined(p.sentences).c_str(), p.step + 1);
    }
    for (const std::string& name : WriteFigureBlocks(helpFolder, blocks))
        std::fprintf(stderr, "note: no page shows the picture %s\n", name.c_str());
    return ok;
}

// ---------------------------------------------------------------------------
// Pictures of the real window.

class WindowTour {
public:
    WindowTour(const QString& source, const QString& imageFolder) : source_(source), images_(imageFolder) {}

    bool Run() {
        if (!temp_.isValid()) return false;
        // Nothing of the user's settings or data folder is touched.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, temp_.filePath(u"settings"_s));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, temp_.filePath(u"settings"_s));
        folders_ = PrepareDataFolders(temp_.filePath(u"Documents"_s).toStdString(),
                                      temp_.filePath(u"program"_s).toStdString());
        std::string message;
        if (!PrepareRecordFile(folders_.recordPath, message)) {
            std::fprintf(stderr, "%s\n", message.c_str());
            return false;
        }
        window_ = std::make_unique<CKenrowDlg>(AppSettings(), folders_, 1.0, 1.0);
        window_->move(0, 0);
        window_->show();
        QCoreApplication::processEvents();

        return CreateMode() && Solving() && Creation() && Completion();
    }

private:
    PlaySession& S() { return window_->session(); }

    // Real time passing, with the window's timers running.
    void Think(int milliseconds) { QTest::qWait(milliseconds); }

    void Settle() {
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr ? focus : window_.get(), static_cast<Qt::Key>(key), modifiers);
    }
    void ClickCell(int row, int col, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(window_->clientArea(), button, {}, window_->CellPoint(row, col));
    }
    bool Click(QWidget* parent, const QString& name) {
        auto* button = parent->findChild<QPushButton*>(name);
        if (button == nullptr) {
            std::fprintf(stderr, "no button %s\n", qPrintable(name));
            return false;
        }
        QTest::mouseClick(button, Qt::LeftButton);
        return true;
    }

    // The windows drawn where they stand, on the window's background grey.
    bool Save(const QString& name, const QList<QWidget*>& windows) {
        Settle();
        QRect area;
        for (QWidget* w : windows) area |= QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
        QImage image(area.size(), QImage::Format_RGB32);
        image.fill(QColor(240, 240, 240));
        {
            QPainter painter(&image);
            for (QWidget* w : windows) painter.drawImage(w->mapToGlobal(QPoint(0, 0)) - area.topLeft(), w->grab().toImage());
        }
        const QString path = images_ + u'/' + name + u".png"_s;
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return false;
        }
        std::printf("%s\n", qPrintable(path));
        return true;
    }
    QList<QWidget*> WindowAndPopups() {
        QList<QWidget*> list{window_.get()};
        for (QWidget* popup : QApplication::topLevelWidgets())
            if (popup != window_.get() && popup->isVisible() && popup->parentWidget() == window_.get())
                list << popup;
        return list;
    }

    // The next move of the engine, or false when it has none.
    bool NextMove(int& row, int& col, int& digit, int& sentences) {
        KR_solver board;
        LoadBoard(board, S().values);
        if (StepSearch(board, false) != 1) return false;
        row = board.placeRow;
        col = board.placeCol;
        digit = board.placeDigit;
        sentences = 0;
        for (const Step& step : board.steps) sentences += step.needed != 0 ? 1 : 0;
        return true;
    }

    // An example puzzle loaded in create mode, then the number pad on a cell.
    bool CreateMode() {
        const QString example = source_ + u"/resources/例題/例題_中級_1.kzd"_s;
        if (!S().LoadPuzzleCommand(example.toStdString())) return false;
        int empty = 0;
        while (S().values[empty] != 0) ++empty;
        ClickCell(empty / 9, empty % 9);
        if (!Save(u"screen_create"_s, {window_.get()})) return false;

        ClickCell(empty / 9, empty % 9, Qt::RightButton);
        CNumberDlg* pad = window_->numberPad();
        if (pad == nullptr || !pad->isVisible()) return false;
        // The pointer over the 5, as the window gets it from the desktop.
        const QPointF at = pad->ItemCentre(5);
        QMouseEvent move(QEvent::MouseMove, at, pad->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(pad, &move);
        const bool saved = Save(u"screen_number_pad"_s, WindowAndPopups());
        Key(Qt::Key_Escape);
        return saved;
    }

    // Solving: the player's digits typed as the engine finds them up to the
    // first move that needs more than a placement, memos, a colour, the
    // candidates and the hint in detail.
    bool Solving() {
        if (!Click(window_.get(), u"startButton"_s) || S().mode != 1) return false;
        int row = 0, col = 0, digit = 0, sentences = 0;
        for (int moves = 0; moves < 81 && NextMove(row, col, digit, sentences) && sentences == 1; ++moves) {
            // A player's pace: a few seconds for each move, so the clock and
            // the review's move times are those of a real play.
            Think(2000 + 1000 * (moves % 3));
            ClickCell(row, col);
            Key(Qt::Key_0 + digit);
        }
        // Number memos in one empty cell, a colour in another.
        int memoCell = 80;
        while (memoCell > 0 && S().values[memoCell] != 0) --memoCell;
        ClickCell(memoCell / 9, memoCell % 9);
        for (int d = 1; d <= 9; ++d)
            if ((S().candMarks[memoCell][d] & 1) != 0 && d % 2 == 0) Key(Qt::Key_0 + d, Qt::ControlModifier);
        int colourCell = memoCell - 1;
        while (colourCell > 0 && S().values[colourCell] != 0) --colourCell;
        ClickCell(colourCell / 9, colourCell % 9);
        Key(Qt::Key_G);
        ClickCell(row, col);
        if (!Save(u"screen_solving"_s, {window_.get()})) return false;

        if (!Click(window_.get(), u"candidatesButton"_s) || !S().candidatesShown) return false;
        // The next tick of the clock shows the penalty in the elapsed time.
        Think(1100);
        if (!Save(u"screen_candidates"_s, {window_.get()})) return false;
        Click(window_.get(), u"candidatesButton"_s);

        Think(3000);
        if (!Click(window_.get(), u"hintButton"_s)) return false;
        CHintDlg* dialog = window_->hintDialog();
        if (dialog == nullptr) {
            std::fprintf(stderr, "the hint opened no dialog\n");
            return false;
        }
        dialog->list()->setCurrentRow(0);
        QTest::mouseClick(dialog->detailButton(), Qt::LeftButton);
        if (!S().detailShown) return false;
        const bool saved = Save(u"screen_hint"_s, WindowAndPopups());
        dialog->close();
        Settle();
        return saved;
    }

    // The creation dialogs as they open.
    bool Creation() {
        bool ok = true;
        {
            CCreateDlg dialog(1, 0, 0, false, window_.get());
            dialog.show();
            ok = ok && Save(u"screen_create_dialog"_s, {&dialog});
            dialog.reject();
        }
        {
            CCreateDlg dialog(1, 0, 0, true, window_.get());
            dialog.show();
            ok = ok && Save(u"screen_create_difficult"_s, {&dialog});
            dialog.reject();
        }
        {
            CCreateHardDlg dialog(1, 0, window_.get());
            dialog.show();
            ok = ok && Save(u"screen_create_unsolvable"_s, {&dialog});
            dialog.reject();
        }
        return ok;
    }

    // The rest typed in: the result in the message area, then the review
    // with the hint of a move of several sentences.
    bool Completion() {
        // In the engine's order, so every move has its shortest chain.
        int row = 0, col = 0, digit = 0, sentences = 0;
        for (int moves = 0; moves < 81 && NextMove(row, col, digit, sentences); ++moves) {
            Think(moves % 4 == 0 ? 2000 : 1000);
            ClickCell(row, col);
            Key(Qt::Key_0 + digit);
        }
        if (S().mode != 3) {
            std::fprintf(stderr, "the example was not completed\n");
            return false;
        }
        if (!Save(u"screen_complete"_s, {window_.get()})) return false;

        int move = 0;
        while (move < static_cast<int>(S().log.size()) && CountSentences(S().log[static_cast<size_t>(move)].text) < 2)
            ++move;
        bool saved = false;
        auto* timer = new QTimer(window_.get());
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, [&, timer] {
            auto* review = qobject_cast<CReviewDlg*>(QApplication::activeModalWidget());
            if (review == nullptr || !review->isVisible()) return;
            timer->stop();
            review->SelectNumber(move + 1);
            Settle();
            Click(review, u"reviewHintButton"_s);
            Settle();
            QList<QWidget*> windows{window_.get(), review};
            if (window_->hintDialog() != nullptr) windows << window_->hintDialog();
            saved = Save(u"screen_review"_s, windows);
            Click(review, u"okButton"_s);
        });
        timer->start();
        Click(window_.get(), u"reviewButton"_s);
        timer->stop();
        return saved;
    }

    QString source_;
    QString images_;
    QTemporaryDir temp_;
    DataFolders folders_;
    std::unique_ptr<CKenrowDlg> window_;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: masuvo-make-help-pictures SOURCE_FOLDER [--techniques-only | --screens-only]\n");
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const std::string only = argc > 2 ? argv[2] : "";
    InstallFontSubstitutions();
    QApplication::setFont(QFont(u"Meiryo UI"_s, 9));

    const QString helpFolder = source + u"/resources/help"_s;
    bool ok = true;
    if (only != "--screens-only") ok = MakeTechniquePictures(source, helpFolder) && ok;
    if (only != "--techniques-only") {
        QDir().mkpath(helpFolder + u"/images"_s);
        WindowTour tour(source, helpFolder + u"/images"_s);
        ok = tour.Run() && ok;
    }
    return ok ? 0 : 1;
}
