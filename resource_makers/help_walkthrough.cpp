#include "resource_makers/help_walkthrough.h"

#include <algorithm>
#include <map>
#include <set>

#include "engine/candidates.h"

namespace masuvo {

namespace {

using Digits = std::vector<int>;

std::string BlockName(int b) { return "ブロック" + std::to_string(b + 1); }
std::string RowName(int r) { return std::to_string(r + 1) + "行目"; }
std::string ColName(int c) { return std::to_string(c + 1) + "列目"; }
int RowOf(int cell) { return cell / 9; }
int ColOf(int cell) { return cell % 9; }
int BlockOfCell(int cell) { return BlockOf(cell / 9, cell % 9); }

std::string Listed(const std::vector<std::string>& items) {
    if (items.size() == 2) return items[0] + "と" + items[1];
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : "、") + item;
    return text;
}

std::string DigitList(const Digits& digits) {
    std::vector<std::string> items;
    for (int d : digits) items.push_back(std::to_string(d));
    return Listed(items);
}

std::string CellList(const std::vector<int>& cells) {
    std::vector<std::string> items;
    for (int c : cells) items.push_back(CellName(c));
    return Listed(items);
}

// Marks of one kind, cell by cell in reading order.
template <typename Test>
std::map<int, Digits> Marked(const KR_hint& hint, Test test) {
    std::map<int, Digits> marked;
    for (int c = 0; c < 81; ++c)
        for (int d = 1; d <= 9; ++d)
            if (test(hint.candMark[c][d])) marked[c].push_back(d);
    return marked;
}

std::map<int, Digits> Fill(const KR_hint& hint, int index) {
    return Marked(hint, [index](uint8_t m) { return (m & 15) == index; });
}
std::map<int, Digits> Removals(const KR_hint& hint) { return Fill(hint, 4); }

std::vector<int> CellsOf(const std::map<int, Digits>& marked) {
    std::vector<int> cells;
    for (const auto& [c, digits] : marked) cells.push_back(c);
    return cells;
}

Digits DigitsOf(const std::map<int, Digits>& marked) {
    std::set<int> digits;
    for (const auto& [c, ds] : marked) digits.insert(ds.begin(), ds.end());
    return Digits(digits.begin(), digits.end());
}

std::vector<int> PatternCells(const KR_hint& hint) {
    std::vector<int> cells;
    for (int c = 0; c < 81; ++c)
        if (hint.cellMark[c] != 0) cells.push_back(c);
    return cells;
}

// "セル(1,2)から6、セル(3,4)から5と6".
std::string RemovalText(const std::map<int, Digits>& removals) {
    std::vector<std::string> items;
    for (const auto& [c, digits] : removals) items.push_back(CellName(c) + "から" + DigitList(digits));
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : "、") + item;
    return text;
}

bool AllSame(const std::vector<int>& cells, int (*key)(int)) {
    for (int c : cells)
        if (key(c) != key(cells.front())) return false;
    return !cells.empty();
}

// The unit a subset step names: "(ブロック)", "(行)" or "(列)".
std::string SubsetUnit(const std::string& text, const std::vector<int>& cells) {
    if (cells.empty()) return "";
    if (text.find("(ブロック)") != std::string::npos) return BlockName(BlockOfCell(cells.front()));
    if (text.find("(行)") != std::string::npos) return RowName(RowOf(cells.front()));
    return ColName(ColOf(cells.front()));
}

int SubsetSize(const std::string& text) {
    for (char c : text)
        if (c >= '2' && c <= '4') return c - '0';
    return 0;
}

std::string Remove(const std::map<int, Digits>& removals) {
    if (removals.empty()) return "";
    return "そこで" + RemovalText(removals) + "を消します。";
}

// Numbered sentences of one eliminating step.
using Candidates = uint8_t[81][10];

std::vector<std::string> ChainInOrder(const KR_hint& h, const Candidates& cand, int side, const std::string& name);

std::vector<std::string> EliminationSentences(const WalkStep& step, const Candidates& cand) {
    const KR_hint& h = step.hint;
    const auto removals = Removals(h);
    const auto green = Fill(h, 1);
    std::vector<std::string> out;
    const int t = step.technique;
    if (t == 5 || t == 6) {
        const std::vector<int> cells = CellsOf(green);
        const Digits digits = DigitsOf(green);
        if (cells.empty() || digits.size() != 1) return {step.text};
        const std::string d = std::to_string(digits[0]);
        const std::string block = BlockName(BlockOfCell(cells.front()));
        const bool row = AllSame(cells, RowOf);
        const std::string line = row ? RowName(RowOf(cells.front())) : ColName(ColOf(cells.front()));
        const std::string all = cells.size() == 2 ? "どちらも" : "どれも";
        const std::string one = cells.size() == 2 ? "どちらか" : "どれか";
        if (t == 5) {
            out.push_back(block + "で" + d + "が入れるのは" + CellList(cells) + "だけで、" + all + line + "にあります。");
            out.push_back(block + "の" + d + "は" + line + "のこの" + one + "に入るので、" + line + "のうち" + block +
                          "の外のセルには" + d + "は入りません。");
        } else {
            out.push_back(line + "で" + d + "が入れるのは" + CellList(cells) + "だけで、" + all + block + "にあります。");
            out.push_back(line + "の" + d + "は" + block + "のこの" + one + "に入るので、" + block + "のうち" + line +
                          "の外のセルには" + d + "は入りません。");
        }
        out.push_back(Remove(removals));
        return out;
    }
    if (t >= 7 && t <= 18) {
        const std::vector<int> cells = PatternCells(h);
        const Digits digits = DigitsOf(green);
        const int n = SubsetSize(step.text);
        const std::string unit = SubsetUnit(step.text, cells);
        const std::string count = std::to_string(n);
        // 定員確定 (7..12): n digits fit only into n cells, which lose their
        // other candidates; 陰の定員確定 (13..18): n cells hold only n digits,
        // which the rest of the unit loses.
        if (t <= 12) {
            out.push_back(unit + "で" + DigitList(digits) + "が入れるのは、" + CellList(cells) + "の" + count +
                          "つだけです。");
            out.push_back(count + "種類の数字が" + count + "つのセルに一つずつ入るので、このセルにはほかの数字は入りません。");
        } else {
            out.push_back(unit + "の" + CellList(cells) + "の候補は、合わせて" + DigitList(digits) + "の" + count +
                          "種類だけです。");
            out.push_back("この" + count + "つのセルに" + DigitList(digits) + "が一つずつ入るので、" + unit +
                          "のほかのセルには" + DigitList(digits) + "は入りません。");
        }
        out.push_back(Remove(removals));
        return out;
    }
    if (t == 19 || t == 21 || t == 22) {
        const std::vector<int> cells = CellsOf(green);
        const Digits digits = DigitsOf(green);
        if (cells.empty() || digits.size() != 1) return {step.text};
        const std::string d = std::to_string(digits[0]);
        std::set<int> rows, cols;
        for (int c : cells) {
            rows.insert(RowOf(c));
            cols.insert(ColOf(c));
        }
        const bool rowForm = LineForm(step) == "行";
        std::vector<std::string> base, cross;
        for (int r : rows) (rowForm ? base : cross).push_back(RowName(r));
        for (int c : cols) (rowForm ? cross : base).push_back(ColName(c));
        const std::string n = std::to_string(base.size());
        out.push_back(Listed(base) + "では、" + d + "が入れるセルがどれも" + Listed(cross) + "にしかありません。");
        out.push_back("この" + n + "つの" + (rowForm ? "行" : "列") + "の" + d + "は、" + Listed(cross) +
                      "に一つずつ入ります。そのため" + Listed(cross) + "のほかの" + (rowForm ? "行" : "列") + "には" + d +
                      "は入りません。");
        out.push_back(Remove(removals));
        return out;
    }
    if (t == 20) {
        // The pivot shares a unit with both pincers.
        const std::vector<int> cells = PatternCells(h);
        const Digits zs = DigitsOf(removals);
        if (cells.size() != 3 || zs.size() != 1) return {step.text};
        auto sees = [](int a, int b) {
            return RowOf(a) == RowOf(b) || ColOf(a) == ColOf(b) || BlockOfCell(a) == BlockOfCell(b);
        };
        int pivot = -1;
        for (int i = 0; i < 3; ++i)
            if (sees(cells[i], cells[(i + 1) % 3]) && sees(cells[i], cells[(i + 2) % 3])) pivot = i;
        if (pivot < 0) return {step.text};
        const int p = cells[pivot], a = cells[(pivot + 1) % 3], b = cells[(pivot + 2) % 3];
        const std::string z = std::to_string(zs[0]);
        auto cands = [&h](int c) {
            Digits ds;
            for (int d = 1; d <= 9; ++d)
                if ((h.candMark[c][d] & 15) != 0 && (h.candMark[c][d] & 15) != 4) ds.push_back(d);
            return ds;
        };
        const Digits pc = cands(p);
        if (pc.size() != 2) return {step.text};
        const Digits ac = cands(a);
        const int x = std::find(ac.begin(), ac.end(), pc[0]) != ac.end() ? pc[0] : pc[1];
        const int y = x == pc[0] ? pc[1] : pc[0];
        out.push_back("要の" + CellName(p) + "の候補は" + DigitList(pc) + "、はさみの" + CellName(a) + "は" +
                      DigitList(cands(a)) + "、" + CellName(b) + "は" + DigitList(cands(b)) + "です。");
        out.push_back("要が" + std::to_string(x) + "なら" + CellName(a) + "が" + z + "、要が" + std::to_string(y) + "なら" +
                      CellName(b) + "が" + z + "になります。どちらにしても" + z + "は二つのはさみのどちらかに入ります。");
        out.push_back("両方のはさみと同じユニットにあるセルには" + z + "は入りません。" + Remove(removals));
        return out;
    }
    if (t >= 23 && t <= 26) {
        // The sets: cells with green, blue and cyan marks; a pattern cell with
        // only linking digits belongs to the set that has no other cell.
        std::vector<int> a = CellsOf(green), b = CellsOf(Fill(h, 2)), c = CellsOf(Fill(h, 5));
        for (int cell : PatternCells(h)) {
            auto in = [cell](const std::vector<int>& v) { return std::find(v.begin(), v.end(), cell) != v.end(); };
            if (in(a) || in(b) || in(c)) continue;
            (a.empty() ? a : b).push_back(cell);
        }
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        auto digitsOf = [&h](const std::vector<int>& cells) {
            std::set<int> ds;
            for (int cell : cells)
                for (int d = 1; d <= 9; ++d) {
                    const int m = h.candMark[cell][d] & 15;
                    if (m != 0 && m != 4) ds.insert(d);
                }
            return Digits(ds.begin(), ds.end());
        };
        auto describe = [&](const std::string& name, const std::vector<int>& cells) {
            return name + "は" + CellList(cells) + "で、候補は" + DigitList(digitsOf(cells)) + "の" +
                   std::to_string(digitsOf(cells).size()) + "種類です。" + std::to_string(cells.size()) +
                   "つのセルに対して一種類多い、ほぼ確定の組です。";
        };
        const Digits links = DigitsOf(Fill(h, 3));
        const Digits z = DigitsOf(removals);
        if (t == 26 && !c.empty()) out.push_back(describe("要の組（水色）", c));
        out.push_back(describe(t == 26 ? "一つ目のはさみの組（緑）" : "一つ目の組（緑）", a));
        out.push_back(describe(t == 26 ? "二つ目のはさみの組（青）" : "二つ目の組（青）", b));
        if (step.text.find("ダブル") != std::string::npos) {
            out.push_back("二つの組をつなぐ数字が" + DigitList(links) + "の二つあります（黄色）。どちらの数字も、組の中では互いに同じユニットにあるので、二つの組の両方には入れません。");
            out.push_back("つなぐ数字が一方の組にしか入らないので、二つの組はどちらも、残りの数字で定員がいっぱいになります。組のどの数字も、その組の中に必ず入ります。");
            out.push_back("組の数字と同じユニットにある、組の外のセルからは、その数字を消せます。" + Remove(removals));
        } else if (t == 26) {
            out.push_back("要の組は、一つ目のはさみの組とも二つ目のはさみの組とも、別々の黄色の数字でつながっています。要の組は候補がセルより一種類多いだけなので、この二つの数字の少なくとも一方は要の組に入ります。");
            out.push_back("要の組に入った数字は、それでつながるはさみの組には入れないので、そのはさみの組は残りの数字だけで埋まります。");
            out.push_back("そのため" + DigitList(z) + "は、二つのはさみの組のどちらかに必ず入ります。両方のはさみの組の" + DigitList(z) + "と同じユニットにあるセルには入りません。" + Remove(removals));
        } else {
            out.push_back("黄色の" + DigitList(links) + "は二つの組をつなぐ数字で、組の中では互いに同じユニットにあるので、二つの組の両方には入れません。そのため、少なくとも一方の組は残りの数字だけで埋まります。");
            out.push_back("埋まった側の組には" + DigitList(z) + "が必ず入るので、" + DigitList(z) + "はどちらかの組に入ります。両方の組の" + DigitList(z) + "と同じユニットにあるセルには入りません。" + Remove(removals));
        }
        return out;
    }
    if (t >= 27) {
        const auto start = Marked(h, [](uint8_t m) { return (m >> 4) == 15; });
        const auto a = Fill(h, 1), b = Fill(h, 2), both = Fill(h, 3);
        // Candidates joined into a capsule are one end: the digit is in one of them.
        auto placed = [&h](const std::map<int, Digits>& marked) {
            std::vector<std::string> items;
            std::set<std::pair<int, int>> done;
            for (const auto& [c, ds] : marked) {
                for (int d : ds) {
                    if (done.count({c, d}) != 0) continue;
                    std::vector<int> group{c};
                    for (size_t k = 0; k < group.size(); ++k) {
                        const int g = group[k];
                        for (int n : {g + 1, g + 9}) {
                            if (n >= 81 || BlockOfCell(n) != BlockOfCell(g)) continue;
                            if (n == g + 1 && RowOf(n) != RowOf(g)) continue;
                            const uint8_t bit = n == g + 1 ? 0x10 : 0x20;
                            if ((h.candFlags[n][d] & bit) == 0 || (h.candFlags[g][d] & bit) == 0) continue;
                            if ((h.candMark[n][d] & 15) != (h.candMark[c][d] & 15)) continue;
                            if (std::find(group.begin(), group.end(), n) == group.end()) group.push_back(n);
                        }
                    }
                    for (int g : group) done.insert({g, d});
                    std::sort(group.begin(), group.end());
                    if (group.size() == 1) items.push_back(CellName(c) + "に" + std::to_string(d));
                    else
                        items.push_back(CellList(group) + (group.size() == 2 ? "のどちらか" : "のどれか") + "（まとまり）に" +
                                        std::to_string(d));
                }
            }
            std::string text;
            for (const std::string& item : items) text += (text.empty() ? "" : "、") + item;
            return text;
        };
        std::vector<std::string> ends;
        for (const auto& [c, ds] : start)
            for (int d : ds) ends.push_back(CellName(c) + "の" + std::to_string(d));
        out.push_back("出発点の二択（黒い輪）は" + Listed(ends) + "です。この二つのどちらか一方は必ず正しい数字です。");
        // Each assumption's chain link by link where the marks allow it to be
        // traced; otherwise what each assumption places.
        const std::vector<std::string> chainA = ChainInOrder(h, cand, 1, "仮定A（緑）");
        const std::vector<std::string> chainB = ChainInOrder(h, cand, 2, "仮定B（青）");
        if (!chainA.empty() && !chainB.empty()) {
            out.insert(out.end(), chainA.begin(), chainA.end());
            out.insert(out.end(), chainB.begin(), chainB.end());
        } else {
            if (!a.empty()) out.push_back("仮定A（緑の側が正しい）とすると、二択をたどって" + placed(a) + "が入ります。");
            if (!b.empty()) out.push_back("仮定B（青の側が正しい）とすると、同じようにたどって" + placed(b) + "が入ります。");
            if (!both.empty()) out.push_back("どちらの仮定でも" + placed(both) + "が入ります（黄色）。");
        }
        out.push_back("どちらの仮定でも入らない候補は消せます。" + Remove(removals));
        return out;
    }
    return {step.text};
}

// The placing step in two sentences: where to look and why the other cells
// drop out, then the one place left. `afterRemovals`: earlier steps of the
// chain removed candidates the placement relies on.
std::vector<std::string> PlacementSentences(const WalkStep& step, int row, int col, int digit, bool afterRemovals) {
    const std::string d = std::to_string(digit);
    const std::string cell = CellName(CellIndex(row, col));
    const std::string& text = step.text;
    // How the sentence on the other cells ends.
    const std::string removed = afterRemovals ? "か、上の手順で" + d + "の候補が消えています。" : "ため、入れません。";
    switch (step.technique) {
        case 0:
            return {BlockName(BlockOf(row, col)) + "を見ると、空いているのは" + cell + "だけです。",
                    "ブロックに足りない数字は" + d + "なので、★の" + cell + "に" + d + "が入ります。"};
        case 1: {
            const std::string line = text.rfind("行", 0) == 0 ? RowName(row) : ColName(col);
            return {line + "を見ると、空いているのは" + cell + "だけです。",
                    line + "に足りない数字は" + d + "なので、★の" + cell + "に" + d + "が入ります。"};
        }
        case 2:
            return {BlockName(BlockOf(row, col)) + "で" + d + "が入れるセルを探します。ほかの空いたセルは、同じ行か列に" + d +
                        "がある" + removed,
                    d + "が入れるのは★の" + cell + "だけなので、ここに" + d + "が入ります。"};
        case 3: {
            const bool row_ = text.rfind("行", 0) == 0;
            const std::string line = row_ ? RowName(row) : ColName(col);
            return {line + "で" + d + "が入れるセルを探します。ほかの空いたセルは、同じ" + (row_ ? "列" : "行") +
                        "かブロックに" + d + "がある" + removed,
                    d + "が入れるのは★の" + cell + "だけなので、ここに" + d + "が入ります。"};
        }
        default:
            return {"★の" + cell + "と同じ行・列・ブロックにある数字を除くと" +
                        (afterRemovals ? std::string("（上の手順で消えた候補も除くと）") : std::string()) + "、残る候補は" + d +
                        "だけです。",
                    "そこで★の" + cell + "に" + d + "が入ります。"};
    }
}

// One end of a chain: a digit in a cell, or in one of the cells of a group
// (candidates of a block's row or column drawn as a capsule).
struct ChainEnd {
    int digit = 0;
    std::vector<int> cells;
};

std::string EndText(const ChainEnd& end) {
    if (end.cells.size() == 1) return CellName(end.cells[0]);
    return CellList(end.cells) + (end.cells.size() == 2 ? "のどちらか" : "のどれか");
}

bool SharesUnit(int a, int b) {
    return a != b && (RowOf(a) == RowOf(b) || ColOf(a) == ColOf(b) || BlockOfCell(a) == BlockOfCell(b));
}

// The ends true under one assumption (its own fill and the yellow one),
// grouped along the capsule joins.
std::vector<ChainEnd> TrueEnds(const KR_hint& h, int side) {
    std::vector<ChainEnd> ends;
    std::set<std::pair<int, int>> done;
    for (int c = 0; c < 81; ++c)
        for (int d = 1; d <= 9; ++d) {
            const int m = h.candMark[c][d] & 15;
            if ((m != side && m != 3) || done.count({c, d}) != 0) continue;
            ChainEnd end{d, {c}};
            for (size_t k = 0; k < end.cells.size(); ++k) {
                const int g = end.cells[k];
                for (int n : {g + 1, g + 9, g - 1, g - 9}) {
                    if (n < 0 || n >= 81 || BlockOfCell(n) != BlockOfCell(g)) continue;
                    const bool horizontal = n == g + 1 || n == g - 1;
                    if (horizontal && RowOf(n) != RowOf(g)) continue;
                    const uint8_t bit = horizontal ? 0x10 : 0x20;
                    if ((h.candFlags[n][d] & bit) == 0 || (h.candFlags[g][d] & bit) == 0) continue;
                    if ((h.candMark[n][d] & 15) != m) continue;
                    if (std::find(end.cells.begin(), end.cells.end(), n) == end.cells.end()) end.cells.push_back(n);
                }
            }
            std::sort(end.cells.begin(), end.cells.end());
            for (int g : end.cells) done.insert({g, d});
            ends.push_back(end);
        }
    return ends;
}

// How a true end makes the next one true: the candidates it removes, and
// why the removal leaves the next end as the only place.
struct Hop {
    int from = -1;
    std::vector<int> cells;  // where the removed candidates were
    int digit = 0;
    std::string reason;
};

bool Removes(const ChainEnd& end, int cell, int digit) {
    if (end.cells.size() == 1 && end.cells[0] == cell) return digit != end.digit;
    if (digit != end.digit) return false;
    for (int c : end.cells)
        if (c == cell || !SharesUnit(c, cell)) return false;
    return true;
}

// The link from a true end to the next: a cell left with one candidate, or
// a unit where the digit has no place left but the next end.
bool Link(const Candidates& cand, const ChainEnd& from, const ChainEnd& next, Hop& hop) {
    if (next.cells.size() == 1) {
        const int cell = next.cells[0];
        int count = 0, other = 0;
        for (int d = 1; d <= 9; ++d)
            if (cand[cell][d] != 0) {
                ++count;
                if (d != next.digit) other = d;
            }
        if (count == 2 && cand[cell][next.digit] != 0 && Removes(from, cell, other)) {
            hop.cells = {cell};
            hop.digit = other;
            hop.reason = CellName(cell) + "の候補は" + std::to_string(next.digit) + "だけになるので";
            return true;
        }
    }
    const int digit = next.digit;
    struct Unit {
        int kind;  // 0 block, 1 row, 2 column
        int key;
    };
    auto keyOf = [](int kind, int c) { return kind == 0 ? BlockOfCell(c) : kind == 1 ? RowOf(c) : ColOf(c); };
    for (int kind = 0; kind < 3; ++kind) {
        const int key = keyOf(kind, next.cells[0]);
        bool inside = true;
        for (int c : next.cells) inside = inside && keyOf(kind, c) == key;
        if (!inside) continue;
        std::vector<int> rest, removed;
        for (int c = 0; c < 81; ++c) {
            if (keyOf(kind, c) != key || cand[c][digit] == 0) continue;
            (Removes(from, c, digit) ? removed : rest).push_back(c);
        }
        if (removed.empty() || rest != next.cells) continue;
        hop.cells = removed;
        hop.digit = digit;
        const std::string unit = kind == 0 ? BlockName(key) : kind == 1 ? RowName(key) : ColName(key);
        hop.reason = unit + "で" + std::to_string(digit) + "が入れるのは" + EndText(next) + "だけになるので";
        return true;
    }
    return false;
}

std::vector<std::string> ChainInOrder(const KR_hint& h, const Candidates& cand, int side, const std::string& name) {
    std::vector<ChainEnd> ends = TrueEnds(h, side);
    int start = -1;
    for (size_t i = 0; i < ends.size() && start < 0; ++i)
        for (int c : ends[i].cells)
            if ((h.candMark[c][ends[i].digit] >> 4) == 15 && (h.candMark[c][ends[i].digit] & 15) == side)
                start = static_cast<int>(i);
    if (start < 0) return {};
    std::vector<Hop> hops(ends.size());
    std::vector<int> order{start};
    std::vector<bool> reached(ends.size(), false);
    reached[static_cast<size_t>(start)] = true;
    for (size_t k = 0; k < order.size(); ++k) {
        const ChainEnd& from = ends[static_cast<size_t>(order[k])];
        for (size_t j = 0; j < ends.size(); ++j) {
            Hop hop;
            if (reached[j] || !Link(cand, from, ends[j], hop)) continue;
            hop.from = order[k];
            hops[j] = hop;
            reached[j] = true;
            order.push_back(static_cast<int>(j));
        }
    }
    if (order.size() != ends.size()) return {};
    const ChainEnd& first = ends[static_cast<size_t>(start)];
    std::vector<std::string> out;
    out.push_back(name + "：" + EndText(first) + "に" + std::to_string(first.digit) + "が入るとします。");
    for (size_t k = 1; k < order.size(); ++k) {
        const Hop& hop = hops[static_cast<size_t>(order[k])];
        const ChainEnd& from = ends[static_cast<size_t>(hop.from)];
        const ChainEnd& to = ends[static_cast<size_t>(order[k])];
        out.push_back("　" + EndText(from) + "が" + std::to_string(from.digit) + "なら、" + CellList(hop.cells) + "の" +
                      std::to_string(hop.digit) + "は消えます。" + hop.reason + "、" + EndText(to) + "に" +
                      std::to_string(to.digit) + "が入ります。");
    }
    return out;
}
}  // namespace

std::string CellName(int cell) {
    return "セル(" + std::to_string(cell / 9 + 1) + "," + std::to_string(cell % 9 + 1) + ")";
}

std::string LineForm(const WalkStep& step) {
    const auto green = Fill(step.hint, 1);
    const std::vector<int> cells = CellsOf(green);
    if (cells.empty()) return "";
    if (step.technique == 5 || step.technique == 6) return AllSame(cells, RowOf) ? "行" : "列";
    if (step.technique == 19 || step.technique == 21 || step.technique == 22) {
        // Base rows: the removals lie in the pattern's columns, outside its rows.
        std::set<int> cols;
        for (int c : cells) cols.insert(ColOf(c));
        for (const auto& [c, ds] : Removals(step.hint))
            if (cols.count(ColOf(c)) == 0) return "列";
        return "行";
    }
    return "";
}

bool HasGroupLink(const KR_hint& hint) {
    for (int c = 0; c < 81; ++c)
        for (int d = 1; d <= 9; ++d)
            for (uint8_t bit : {uint8_t{0x10}, uint8_t{0x20}, uint8_t{0x40}, uint8_t{0x80}}) {
                if ((hint.candFlags[c][d] & bit) == 0) continue;
                const bool horizontal = bit == 0x10 || bit == 0x40;
                const int pos = horizontal ? c % 9 : c / 9;
                if (pos % 3 == 0) continue;
                const int previous = horizontal ? c - 1 : c - 9;
                if ((hint.candFlags[previous][d] & bit) != 0) return true;
            }
    return false;
}

std::vector<std::string> WalkThrough(const std::string& grid, const std::vector<WalkStep>& steps, int row, int col,
                                     int digit) {
    int32_t values[81];
    for (int c = 0; c < 81; ++c) values[c] = grid[c] >= '1' && grid[c] <= '9' ? grid[c] - '0' : 0;
    uint8_t cand[81][10];
    ComputeCandidates(values, cand);
    std::vector<std::string> items;
    for (size_t i = 0; i + 1 < steps.size(); ++i) {
        std::vector<std::string> sentences = EliminationSentences(steps[i], cand);
        for (const auto& [c, ds] : Removals(steps[i].hint))
            for (int d : ds) cand[c][d] = 0;
        if (steps.size() > 2) sentences.front() = "（" + steps[i].text.substr(0, steps[i].text.size() - 3) + "）" + sentences.front();
        for (std::string& s : sentences)
            if (!s.empty()) items.push_back(s);
    }
    if (!steps.empty())
        for (const std::string& sentence : PlacementSentences(steps.back(), row, col, digit, steps.size() > 1))
            items.push_back(sentence);
    return items;
}

std::map<int, int> PatternLabels(const std::vector<WalkStep>& steps, size_t index,
                                 const std::vector<std::string>& items) {
    std::map<int, int> labels;
    if (index >= steps.size()) return labels;
    for (int c = 0; c < 81; ++c) {
        if (steps[index].hint.cellMark[c] == 0) continue;
        const std::string name = CellName(c);
        bool named = false;
        for (const std::string& item : items) named = named || item.find(name) != std::string::npos;
        if (named) labels.emplace(c, static_cast<int>(labels.size()) + 1);
    }
    if (labels.size() > 9) labels.clear();
    return labels;
}

std::string CircledNumber(int n) {
    // U+2460 + n - 1 in UTF-8.
    std::string text = "\xE2\x91";
    text += static_cast<char>(0xA0 + n - 1);
    return text;
}

std::vector<std::string> WithLabels(std::vector<std::string> items, const std::map<int, int>& labels) {
    for (std::string& item : items) {
        for (const auto& [cell, n] : labels) {
            const std::string name = CellName(cell);
            const std::string labelled = CircledNumber(n) + name;
            for (size_t at = item.find(name); at != std::string::npos; at = item.find(name, at + labelled.size()))
                item.replace(at, name.size(), labelled);
        }
    }
    return items;
}

std::string FurtherRemovals(const std::string& grid, const std::vector<WalkStep>& steps, size_t index) {
    if (index >= steps.size()) return "";
    int32_t values[81];
    for (int c = 0; c < 81; ++c) values[c] = grid[c] >= '1' && grid[c] <= '9' ? grid[c] - '0' : 0;
    uint8_t cand[81][10];
    ComputeCandidates(values, cand);
    for (size_t i = 0; i < index; ++i)
        for (const auto& [c, ds] : Removals(steps[i].hint))
            for (int d : ds) cand[c][d] = 0;
    const WalkStep& step = steps[index];
    const KR_hint& h = step.hint;
    const auto green = Fill(h, 1);
    const auto shown = Removals(h);
    std::map<int, Digits> more;
    auto consider = [&](int c, int d) {
        if (values[c] != 0 || cand[c][d] == 0 || h.candMark[c][d] != 0) return;
        more[c].push_back(d);
    };
    const int t = step.technique;
    const std::vector<int> cells = CellsOf(green);
    const Digits digits = DigitsOf(green);
    if ((t == 5 || t == 6) && !cells.empty() && digits.size() == 1) {
        const int b = BlockOfCell(cells.front());
        const bool row = AllSame(cells, RowOf);
        for (int c = 0; c < 81; ++c) {
            const bool inLine = row ? RowOf(c) == RowOf(cells.front()) : ColOf(c) == ColOf(cells.front());
            if (t == 5 ? (inLine && BlockOfCell(c) != b) : (!inLine && BlockOfCell(c) == b)) consider(c, digits[0]);
        }
    } else if (t >= 13 && t <= 18) {
        const std::vector<int> pattern = PatternCells(h);
        for (int c = 0; c < 81; ++c) {
            if (std::find(pattern.begin(), pattern.end(), c) != pattern.end() || pattern.empty()) continue;
            const bool inUnit = step.text.find("(ブロック)") != std::string::npos ? BlockOfCell(c) == BlockOfCell(pattern[0])
                                : step.text.find("(行)") != std::string::npos ? RowOf(c) == RowOf(pattern[0])
                                                                                : ColOf(c) == ColOf(pattern[0]);
            if (inUnit)
                for (int d : digits) consider(c, d);
        }
    } else if (t >= 7 && t <= 12) {
        for (int c : PatternCells(h))
            for (int d = 1; d <= 9; ++d)
                if (std::find(digits.begin(), digits.end(), d) == digits.end()) consider(c, d);
    } else if ((t == 19 || t == 21 || t == 22) && digits.size() == 1) {
        std::set<int> rows, cols;
        for (int c : cells) {
            rows.insert(RowOf(c));
            cols.insert(ColOf(c));
        }
        const bool rowForm = LineForm(step) == "行";
        for (int c = 0; c < 81; ++c) {
            const bool cross = rowForm ? cols.count(ColOf(c)) != 0 : rows.count(RowOf(c)) != 0;
            const bool base = rowForm ? rows.count(RowOf(c)) != 0 : cols.count(ColOf(c)) != 0;
            if (cross && !base) consider(c, digits[0]);
        }
    } else {
        return "";
    }
    return RemovalText(more);
}

}  // namespace masuvo
