// 二択連鎖n: for each strong link, assume each side true, follow the strong
// links up to n steps from it, and remove what both assumptions exclude.
// The shortest chain over all start links wins, the earlier one on a tie.
#include <omp.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <type_traits>
#include <vector>

#include "engine/chain_links.h"
#include "engine/elimination.h"
#include "engine/techniques.h"

namespace masuvo {

namespace {

// One node of a propagation tree: `side` of `link` is true.
struct ChainNode {
    uint16_t link;
    uint8_t side;
    uint8_t active;
    int16_t parent;    // -1 for the root
    int16_t children;  // direct children; -1 once pruning found the node brought new removals
};

// The consequences of one assumption, in the form the removal rules read:
// which candidates it makes false and which digit it places in a cell.
struct Colouring {
    CellSet off[10];
    CellSet valueIs[10];  // the cells it gives digit d
    CellSet hasValue;
    uint8_t cellValue[81];

    void Clear() { std::memset(static_cast<void*>(this), 0, sizeof *this); }
};
static_assert(std::is_trivially_copyable_v<Colouring>);

// The display side of an assumption, kept only for the chain finally chosen.
using DisplayFlags = uint8_t[81][10];

struct Workspace {
    std::vector<ChainNode> nodes[2];
    int count[2] = {0, 0};
    int active[2] = {0, 0};
    std::vector<uint32_t> visited;  // per endpoint id, the stamp of the start link that reached it
    uint32_t stamp = 0;
    Colouring record[2];

    // Grows the buffers for a link list with this many endpoints; a reused
    // workspace keeps its stamps, which only ever increase.
    void Prepare(size_t endpoints) {
        if (nodes[0].size() < endpoints + 1) {
            nodes[0].resize(endpoints + 1);
            nodes[1].resize(endpoints + 1);
        }
        if (visited.size() < endpoints) visited.resize(endpoints, 0);
        if (stamp > UINT32_MAX - (1u << 20)) {  // before the stamps could wrap round
            std::fill(visited.begin(), visited.end(), 0u);
            stamp = 0;
        }
    }
};

// Per-thread result slot, padded so the threads never share a cache line.
struct alignas(64) BestStart {
    int size = 0;
    int start = 0;
};

class ChainSearch {
public:
    // lazy: the set was built without its lists, which are made as trees reach them.
    ChainSearch(const KR_solver& board, const ChainLinkSet& set, int n, ChainLinkSet* lazy)
        : set_(set), n_(n), restricted_(board.replayMode && ReplayShortcuts()), lazy_(lazy) {
        for (int d = 1; d <= 9; ++d) {
            for (int k = 0; k < 81; ++k)
                if (board.cand[k][d] && (!board.replayMode || board.replayMask[k][d])) live_[d].Add(k);
            liveAny_ |= live_[d];
        }
    }

    // In a replay: marks the start links whose first tree can touch a
    // candidate that may go; the others are known to remove nothing. That
    // tree is the start link's own node and, n deep, the continuations of its
    // endpoint 0, a continuation of x being a link with an endpoint that x
    // makes false. reached[x]: some continuation of x within the depth left
    // touches. Trees skip endpoints they have visited, so this can only
    // overstate what they touch.
    void MarkPromisingStarts(std::vector<uint8_t>& promising, std::vector<uint8_t>& reached,
                             std::vector<uint8_t>& touching, std::vector<uint32_t>& frontier,
                             std::vector<uint32_t>& next) const {
        const size_t linkCount = set_.links.size();
        touching.assign(2 * linkCount, 0);
        frontier.clear();
        for (size_t link = 0; link < linkCount; ++link) {
            for (int side = 0; side < 2; ++side) {
                if (!NodeTouches(link, side)) continue;
                touching[2 * link + static_cast<size_t>(side)] = 1;
                frontier.push_back(static_cast<uint32_t>(2 * link + static_cast<size_t>(side)));
            }
        }
        reached.assign(set_.endpoints.size(), 0);
        if (lazy_ != nullptr) {
            // Layer by layer back from the touching nodes: x reaches a node
            // whose other endpoint x makes false, and through it whatever
            // that node's own endpoint reaches.
            for (int depth = 1; depth <= n_ && !frontier.empty(); ++depth) {
                next.clear();
                for (const uint32_t node : frontier) {
                    const KR_chain& link = set_.links[node >> 1];
                    ForEachMadeFalse(set_, link.end[1 - (node & 1)], [&](int x) {
                        if (reached[static_cast<size_t>(x)]) return;
                        reached[static_cast<size_t>(x)] = 1;
                        if (depth == n_) return;
                        for (uint32_t j = set_.linksStart[static_cast<size_t>(x)];
                             j < set_.linksStart[static_cast<size_t>(x) + 1]; ++j) {
                            const uint16_t entry = set_.linksOf[j];
                            if (touching[entry]) continue;
                            touching[entry] = 2;  // useful through what it continues into
                            next.push_back(entry);
                        }
                    });
                }
                frontier.swap(next);
            }
        } else {
            // With every list made: n rounds over the lists.
            for (int depth = 1; depth <= n_; ++depth) {
                bool changed = false;
                for (size_t x = 0; x < set_.endpoints.size(); ++x) {
                    if (reached[x]) continue;
                    for (uint32_t f = set_.followStart[x]; f < set_.followEnd[x]; ++f) {
                        const uint16_t entry = set_.follow[f];
                        if (touching[entry] || reached[set_.links[entry >> 1].end[entry & 1]]) {
                            reached[x] = 1;
                            changed = true;
                            break;
                        }
                    }
                }
                if (!changed) break;
            }
        }
        promising.assign(linkCount, 0);
        for (size_t link = 0; link < linkCount; ++link)
            promising[link] = (touching[2 * link] == 1 || reached[set_.links[link].end[0]]) ? 1 : 0;
    }

    // The chain size of start link `start` (both pruned trees), or 0 when it removes nothing.
    // Leaves the pruned trees and records in ws.
    int Evaluate(Workspace& ws, int start) const {
        ++ws.stamp;
        Grow(ws, 0, start);
        Rebuild(ws, 0, false);
        // Every removal needs the first assumption to exclude or decide the
        // candidate. In a replay only a few candidates may go, and mostly the
        // first tree touches none of them: then the second need not be grown.
        if (restricted_ && !Touches(ws.record[0])) return 0;
        Grow(ws, 1, start);
        Rebuild(ws, 1, false);
        if (!AnyRemovals(ws.record[0], ws.record[1])) return 0;
        Prune(ws, 0);
        Prune(ws, 1);
        if (!AnyRemovals(ws.record[0], ws.record[1])) return 0;
        return ws.active[0] + ws.active[1];
    }

    // The removals of a pair of records, per digit.
    void Removals(const Colouring& a, const Colouring& b, CellSet out[10]) const {
        for (int d = 1; d <= 9; ++d) out[d] = RemovalsOfDigit(a, b, d);
    }

    // The display flags of the active nodes of one side.
    void Flags(const Workspace& ws, int side, DisplayFlags& flags) const {
        std::memset(flags, 0, sizeof flags);
        const ChainNode* nodes = ws.nodes[side].data();
        for (int i = 0; i < ws.count[side]; ++i) {
            if (!nodes[i].active) continue;
            const KR_chain& link = set_.links[nodes[i].link];
            const ChainEndpoint& t = set_.endpoints[link.end[nodes[i].side]];
            const ChainEndpoint& o = set_.endpoints[link.end[1 - nodes[i].side]];
            uint8_t trueFlag = t.shape == EndpointShape::kCell ? 1 : t.shape == EndpointShape::kRowGroup ? 3 : 5;
            if (i == 0) trueFlag |= 8;
            const uint8_t falseFlag =
                o.shape == EndpointShape::kCell ? 0x10 : o.shape == EndpointShape::kRowGroup ? 0x30 : 0x50;
            t.cells.ForEach([&](int k) { flags[k][t.digit] |= trueFlag; });
            o.cells.ForEach([&](int k) { flags[k][o.digit] |= falseFlag; });
        }
    }

private:
    void Grow(Workspace& ws, int side, int start) const {
        ChainNode* nodes = ws.nodes[side].data();
        nodes[0] = {static_cast<uint16_t>(start), static_cast<uint8_t>(side), 1, -1, 0};
        ws.count[side] = 1;
        const int root = set_.links[start].end[side];
        ws.visited[root] = ws.stamp;
        Expand(ws, nodes, ws.count[side], 0, root, 0);
    }

    // Depth first: a node's whole subtree is listed before its next sibling.
    void Expand(Workspace& ws, ChainNode* nodes, int& count, int depth, int endpoint, int current) const {
        if (depth >= n_) return;
        if (lazy_ != nullptr) MakeFollowList(*lazy_, endpoint);
        int appended = 0;
        const uint32_t begin = set_.followStart[endpoint];
        const uint32_t end = set_.followEnd[endpoint];
        for (uint32_t f = begin; f < end; ++f) {
            const int link = set_.follow[f] >> 1;
            const int side = set_.follow[f] & 1;
            const int next = set_.links[link].end[side];
            if (ws.visited[next] == ws.stamp) continue;
            ws.visited[next] = ws.stamp;
            const int index = count++;
            nodes[index] = {static_cast<uint16_t>(link), static_cast<uint8_t>(side), 1, static_cast<int16_t>(current),
                            0};
            ++appended;
            Expand(ws, nodes, count, depth + 1, next, index);
        }
        nodes[current].children = static_cast<int16_t>(appended);
    }

    // Adds the node's consequences; returns its true endpoint.
    const ChainEndpoint& Apply(Colouring& record, const ChainNode& node) const {
        const KR_chain& link = set_.links[node.link];
        const ChainEndpoint& t = set_.endpoints[link.end[node.side]];
        record.off[t.digit] |= link.off[node.side];
        if (t.cell >= 0) {
            const int k = t.cell;
            if (record.cellValue[k] != 0) record.valueIs[record.cellValue[k]].Remove(k);
            record.cellValue[k] = static_cast<uint8_t>(t.digit);
            record.valueIs[t.digit].Add(k);
            record.hasValue.Add(k);
        }
        return t;
    }

    // The side's record from its nodes (only the active ones when activeOnly).
    void Rebuild(Workspace& ws, int side, bool activeOnly) const {
        Colouring& record = ws.record[side];
        record.Clear();
        const ChainNode* nodes = ws.nodes[side].data();
        int active = 0;
        for (int i = 0; i < ws.count[side]; ++i) {
            if (activeOnly && !nodes[i].active) continue;
            Apply(record, nodes[i]);
            ++active;
        }
        ws.active[side] = active;
    }

    // A candidate goes when both assumptions exclude it, or when one places
    // another digit in its cell and the other excludes it.
    CellSet RemovalsOfDigit(const Colouring& a, const Colouring& b, int d) const {
        const CellSet both = a.off[d] & b.off[d];
        const CellSet placedByA = a.hasValue & ~a.valueIs[d] & b.off[d];
        const CellSet placedByB = b.hasValue & ~b.valueIs[d] & a.off[d];
        return (both | placedByA | placedByB) & live_[d];
    }

    // Bit k of RemovalsOfDigit (a, b, d).
    bool RemovalAt(const Colouring& a, const Colouring& b, int d, int k) const {
        if (!live_[d].Has(k)) return false;
        const bool offA = a.off[d].Has(k);
        const bool offB = b.off[d].Has(k);
        return (offA && offB) || (offB && a.hasValue.Has(k) && !a.valueIs[d].Has(k)) ||
               (offA && b.hasValue.Has(k) && !b.valueIs[d].Has(k));
    }

    // Whether the node makes a candidate that may go false or decides its
    // cell: the only nodes that can take part in a removal.
    bool NodeTouches(size_t link, int side) const {
        const KR_chain& l = set_.links[link];
        const ChainEndpoint& t = set_.endpoints[l.end[side]];
        if (!(l.off[side] & live_[t.digit]).Empty()) return true;
        return t.cell >= 0 && liveAny_.Has(t.cell);
    }

    bool Touches(const Colouring& record) const {
        for (int d = 1; d <= 9; ++d)
            if (!((record.off[d] | record.hasValue) & live_[d]).Empty()) return true;
        return false;
    }

    bool AnyRemovals(const Colouring& a, const Colouring& b) const {
        for (int d = 1; d <= 9; ++d)
            if (!RemovalsOfDigit(a, b, d).Empty()) return true;
        return false;
    }

    // Keeps the nodes that brought a new best number of removals and the
    // paths to them; leaves that brought nothing new are cut back to the
    // nearest branching or kept node. The other side is read as it stands
    // (side 1 is pruned against the already pruned side 0).
    void Prune(Workspace& ws, int side) const {
        Colouring& record = ws.record[side];
        const Colouring& other = ws.record[1 - side];
        ChainNode* nodes = ws.nodes[side].data();
        record.Clear();
        CellSet counted[10];
        int best = 0;
        bool cut = false;
        for (int i = 0; i < ws.count[side]; ++i) {
            const ChainEndpoint& t = Apply(record, nodes[i]);
            // The node changed the record only for its digit and, when it
            // decides a cell, at that cell; every removal found before was
            // counted, so new ones can be nowhere else.
            const CellSet found = RemovalsOfDigit(record, other, t.digit) & ~counted[t.digit];
            int fresh = found.Count();
            counted[t.digit] |= found;
            if (t.cell >= 0) {
                const int k = t.cell;
                for (int d = 1; d <= 9; ++d) {
                    if (d == t.digit || counted[d].Has(k) || !RemovalAt(record, other, d, k)) continue;
                    ++fresh;
                    counted[d].Add(k);
                }
            }
            if (fresh > best) {
                best = fresh;
                nodes[i].children = -1;
            }
            if (nodes[i].children != 0) continue;
            cut = true;
            nodes[i].active = 0;
            for (int p = nodes[i].parent; p >= 0; p = nodes[p].parent) {
                if (nodes[p].children == -1) break;
                if (nodes[p].children > 1) {
                    --nodes[p].children;
                    break;
                }
                nodes[p].active = 0;
            }
        }
        // With every node kept, the record built along the way is already the result.
        if (cut)
            Rebuild(ws, side, true);
        else
            ws.active[side] = ws.count[side];
    }

    const ChainLinkSet& set_;
    const int n_;
    const bool restricted_;  // a replay: only the mask's candidates may go
    ChainLinkSet* const lazy_;
    CellSet live_[10];
    CellSet liveAny_;  // candidates present and, in replay, allowed by the mask
};

void MergeHint(KR_hint& hint, const DisplayFlags flags[2]) {
    for (int k = 0; k < 81; ++k) {
        for (int d = 1; d <= 9; ++d) {
            for (int side = 0; side < 2; ++side) {
                const uint8_t f = flags[side][k][d];
                if (f == 0) continue;
                hint.cellMark[k] = 1;
                uint8_t& mark = hint.candMark[k][d];
                uint8_t& display = hint.candFlags[k][d];
                if (f & 0x10) {
                    mark |= side == 0 ? 0x10 : 0x20;
                    display |= static_cast<uint8_t>((f & 0xE0) << 1);
                }
                if (f & 1) {
                    // A removal must stay recognisable by its low four bits,
                    // even after a link-partner bit was added above.
                    if ((mark & 0x0F) != 4) mark |= side == 0 ? 1 : 2;
                    display |= static_cast<uint8_t>((f & 6) << 3);
                }
                if (f & 8) mark |= 0xF0;
            }
        }
    }
}

}  // namespace

// The smallest link list worth distributing over threads: one start link
// costs about a microsecond, so shorter lists finish before a team of
// threads has even been woken (measured on two cores).
std::atomic<int> g_parallelLinkCount{256};

void SetChainParallelLinkCount(int links) { g_parallelLinkCount.store(links); }
int ChainParallelLinkCount() { return g_parallelLinkCount.load(); }

bool BivalueChain(KR_solver& board, int n) {
    // Reused per calling thread: once grown, a call allocates nothing. The
    // workers of the parallel loop reach them through these references (a
    // thread_local named inside the loop would be the worker's own).
    thread_local ChainLinkSet callerSet;
    thread_local std::vector<Workspace> callerSpaces;
    thread_local std::vector<BestStart> callerBest;
    thread_local std::vector<uint8_t> promising;
    thread_local std::vector<uint8_t> reached;
    thread_local std::vector<uint8_t> touching;
    thread_local std::vector<uint32_t> frontier;
    thread_local std::vector<uint32_t> next;
    ChainLinkSet& set = callerSet;
    std::vector<Workspace>& spaces = callerSpaces;
    std::vector<BestStart>& best = callerBest;
    // In a replay only the mask's few candidates may go, and most start links
    // remove none of them: those that cannot touch one are told apart first.
    // Short trees reach few endpoints, so for them only the lists the trees
    // reach are made.
    const bool few = board.replayMode && ReplayShortcuts();
    const bool lazy = few && n <= 2;
    BuildChainLinks(board, n, set, !lazy);
    const int linkCount = static_cast<int>(set.links.size());
    if (linkCount == 0) return false;

    const ChainSearch search(board, set, n, lazy ? &set : nullptr);
    const int threads = std::max(1, omp_get_max_threads());
    if (spaces.size() < static_cast<size_t>(threads)) spaces.resize(static_cast<size_t>(threads));
    for (int t = 0; t < threads; ++t) spaces[t].Prepare(set.endpoints.size());
    best.assign(static_cast<size_t>(threads), BestStart());
    // Every chain has a node on each side, so once a start link gives a chain
    // of two no later one can win: those are not evaluated.
    std::atomic<int> firstOfTwo{linkCount};

    if (few) {
        search.MarkPromisingStarts(promising, reached, touching, frontier, next);
        for (int start = 0; start < linkCount; ++start) {
            if (!promising[static_cast<size_t>(start)]) continue;
            const int size = search.Evaluate(spaces[0], start);
            BestStart& slot = best[0];
            if (size > 0 && (slot.size == 0 || size < slot.size)) slot = {size, start};
            if (size == 2) break;
        }
    } else {
        // Threads pay off only for a long link list, and never inside the
        // creation search, which already runs one seed per thread. The result
        // does not depend on the number of threads.
        const bool parallel =
            linkCount >= g_parallelLinkCount.load(std::memory_order_relaxed) && omp_get_level() == 0;
#pragma omp parallel for schedule(dynamic, 1) if (parallel)
        for (int start = 0; start < linkCount; ++start) {
            if (start > firstOfTwo.load(std::memory_order_relaxed)) continue;
            const int t = omp_get_thread_num();
            const int size = search.Evaluate(spaces[t], start);
            BestStart& slot = best[t];
            if (size > 0 && (slot.size == 0 || size < slot.size || (size == slot.size && start < slot.start)))
                slot = {size, start};
            if (size == 2) {
                int seen = firstOfTwo.load(std::memory_order_relaxed);
                while (start < seen && !firstOfTwo.compare_exchange_weak(seen, start, std::memory_order_relaxed)) {
                }
            }
        }
    }

    BestStart chosen;
    for (const BestStart& slot : best) {
        if (slot.size == 0) continue;
        if (chosen.size == 0 || slot.size < chosen.size || (slot.size == chosen.size && slot.start < chosen.start))
            chosen = slot;
    }
    if (chosen.size == 0) return false;

    // Evaluation is deterministic, so the winner is rebuilt here rather than
    // every thread keeping the records of its best so far.
    Workspace& ws = spaces[0];
    search.Evaluate(ws, chosen.start);
    CellSet removals[10];
    search.Removals(ws.record[0], ws.record[1], removals);
    for (int k = 0; k < 81; ++k)
        for (int d = 1; d <= 9; ++d)
            if (removals[d].Has(k)) Eliminate(board, k, d);

    DisplayFlags flags[2];
    search.Flags(ws, 0, flags[0]);
    search.Flags(ws, 1, flags[1]);
    MergeHint(board.hint, flags);

    board.stepText.Format("二択連鎖%d。", n);
    board.stepTechnique = n == 1 ? 27 : n == 2 ? 28 : 29;
    return true;
}

}  // namespace masuvo
