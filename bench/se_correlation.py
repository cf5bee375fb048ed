#!/usr/bin/env python3
"""How our difficulty relates to the Sudoku Explainer rating of the same puzzles.

Usage: masuvo-cli rate < puzzles | bench/se_correlation.py tests/data/se_rated_sample2000.tsv
Prints the Spearman rank correlation (over the puzzles the catalogue finishes,
and over all with an unfinished puzzle ranked hardest), the share of puzzles
the catalogue cannot finish, and the median difficulty per SE rating band.
"""
import statistics
import sys


def ranks(values):
    order = sorted(range(len(values)), key=lambda i: values[i])
    result = [0.0] * len(values)
    i = 0
    while i < len(order):
        j = i
        while j + 1 < len(order) and values[order[j + 1]] == values[order[i]]:
            j += 1
        for k in range(i, j + 1):
            result[order[k]] = (i + j) / 2 + 1
        i = j + 1
    return result


def spearman(xs, ys):
    rx, ry = ranks(xs), ranks(ys)
    mx, my = statistics.fmean(rx), statistics.fmean(ry)
    cov = sum((a - mx) * (b - my) for a, b in zip(rx, ry))
    vx = sum((a - mx) ** 2 for a in rx)
    vy = sum((b - my) ** 2 for b in ry)
    return cov / (vx * vy) ** 0.5


def main():
    se = {}
    with open(sys.argv[1], encoding="utf-8") as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if len(fields) >= 2 and len(fields[0]) == 81 and fields[0][0] in "0123456789.":
                puzzle = fields[0].replace("0", ".")
                se[puzzle] = float(fields[1])
    rows = []
    for line in sys.stdin:
        fields = line.rstrip("\n").split("\t")
        if len(fields) < 3 or fields[0] not in se:
            continue
        rows.append((se[fields[0]], int(fields[1]), int(fields[2])))
    finished = [(s, d) for s, r, d in rows if r == 1]
    print(f"puzzles rated: {len(rows)}")
    print(f"not finished by the catalogue: {len(rows) - len(finished)} ({100 * (len(rows) - len(finished)) / len(rows):.1f}%)")
    print(f"Spearman, finished puzzles: {spearman([s for s, _ in finished], [d for _, d in finished]):.3f}")
    top = max(d for _, _, d in rows) + 1
    everything = [(s, d if r == 1 else top) for s, r, d in rows]
    print(f"Spearman, unfinished ranked hardest: {spearman([s for s, _ in everything], [d for _, d in everything]):.3f}")
    bands = {}
    for s, r, d in rows:
        bands.setdefault(int(s), []).append((r, d))
    for band in sorted(bands):
        entries = bands[band]
        done = [d for r, d in entries if r == 1]
        median = statistics.median(done) if done else float("nan")
        print(f"SE {band}.x: {len(entries)} puzzles, finished {len(done)}, median difficulty {median:.0f}")


if __name__ == "__main__":
    main()
