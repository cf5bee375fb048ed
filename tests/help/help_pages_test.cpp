// The help pages against the program: every page the hint dialog, the review
// and the help popups can ask for exists, the weights and rank bands the
// pages state are the engine's, every link and picture inside the pages
// resolves, and the contents list reaches every page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/board.h"
#include "engine/catalogue.h"
#include "engine/rating.h"
#include "engine/step_search.h"
#include "session/review_rows.h"
#include "session/session_text.h"

namespace masuvo {
namespace {

namespace fs = std::filesystem;

const fs::path kHelp = MASUVO_HELP_DIR;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool PageExists(const std::string& page) { return fs::is_regular_file(kHelp / fs::path(page)); }

std::vector<std::string> HelpPages() {
    std::vector<std::string> pages;
    for (const auto& entry : fs::directory_iterator(kHelp))
        if (entry.is_regular_file() && entry.path().extension() == ".htm") pages.push_back(entry.path().filename().string());
    std::sort(pages.begin(), pages.end());
    return pages;
}

// Every message a technique can write, with the catalogue entry it counts as.
struct Message {
    std::string text;
    int technique;
};

std::vector<Message> EngineMessages() {
    std::vector<Message> messages = {
        {"ブロックの完成です。", 0}, {"行の完成です。", 1},   {"列の完成です。", 1},
        {"ブロック内の配置です。", 2}, {"行内の配置です。", 3}, {"列内の配置です。", 3},
        {"セルの完成です。", 4},     {"隠れた数字。", 5},     {"波及効果。", 6},
        {"対角線。", 19},            {"三すくみ。", 20},      {"ほぼ確定(三組)。", 26},
    };
    for (int n = 2; n <= 4; ++n) {
        const std::string size = std::to_string(n);
        messages.push_back({"定員確定" + size + "(ブロック)。", n + 5});
        messages.push_back({"定員確定" + size + "(行)。", n + 8});
        messages.push_back({"定員確定" + size + "(列)。", n + 8});
        messages.push_back({"陰の定員確定" + size + "(ブロック)。", n + 11});
        messages.push_back({"陰の定員確定" + size + "(行)。", n + 14});
        messages.push_back({"陰の定員確定" + size + "(列)。", n + 14});
        messages.push_back({"ほぼ確定" + size + "(二組)。", n + 21});
        messages.push_back({"ほぼ確定" + size + "(二組ダブル)。", n + 21});
    }
    for (int n = 3; n <= 4; ++n) messages.push_back({"マトリックス" + std::to_string(n) + "。", n + 18});
    messages.push_back({"二択連鎖1。", 27});
    messages.push_back({"二択連鎖2。", 28});
    messages.push_back({"二択連鎖9。", 29});
    return messages;
}

// The page the review offers for a one-sentence text.
std::string ReviewPage(const std::string& sentence) {
    const std::vector<HelpTopic> topics = ReviewHelpTopics(sentence);
    return topics.size() == 1 ? topics[0].page : std::string();
}

// The pages the hint dialog's right click offers for a hint text (none for
// a one-sentence hint, which opens no dialog).
std::vector<std::string> HintPages(const std::string& hintText) {
    const std::string dialogText = HintDialogText(hintText);
    if (dialogText.empty()) return {};
    std::vector<std::string> items;
    std::string conclusion;
    SplitHintDialogText(dialogText, items, conclusion);
    std::vector<std::string> pages;
    for (const HelpTopic& topic : HintHelpTopics(items, conclusion)) pages.push_back(topic.page);
    return pages;
}

// ---- A little HTML reading: attribute values and table rows. ----

std::vector<std::string> AttributeValues(const std::string& html, const std::string& attribute) {
    std::vector<std::string> values;
    const std::string key = attribute + "=\"";
    for (size_t at = html.find(key); at != std::string::npos; at = html.find(key, at + 1)) {
        if (at > 0 && std::isalnum(static_cast<unsigned char>(html[at - 1]))) continue;  // "xsrc=" is not src
        const size_t start = at + key.size();
        const size_t end = html.find('"', start);
        if (end == std::string::npos) break;
        values.push_back(html.substr(start, end - start));
    }
    return values;
}

std::string PercentDecoded(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string WithoutTags(const std::string& html) {
    std::string text;
    bool inTag = false;
    for (char c : html) {
        if (c == '<') inTag = true;
        else if (c == '>') inTag = false;
        else if (!inTag) text += c;
    }
    return text;
}

// The cells of every table row, as text without tags.
std::vector<std::vector<std::string>> TableRows(const std::string& html) {
    std::vector<std::vector<std::string>> rows;
    for (size_t row = html.find("<tr>"); row != std::string::npos; row = html.find("<tr>", row + 1)) {
        const size_t rowEnd = html.find("</tr>", row);
        if (rowEnd == std::string::npos) break;
        std::vector<std::string> cells;
        for (size_t cell = html.find("<t", row + 1); cell != std::string::npos && cell < rowEnd;
             cell = html.find("<t", cell + 1)) {
            if (html.compare(cell, 3, "<td") != 0 && html.compare(cell, 3, "<th") != 0) continue;
            const size_t open = html.find('>', cell);
            const size_t close = html.find("</t", open);
            if (open == std::string::npos || close == std::string::npos || close > rowEnd) break;
            cells.push_back(WithoutTags(html.substr(open + 1, close - open - 1)));
            cell = close;
        }
        rows.push_back(cells);
    }
    return rows;
}

// The first number of a cell: "1,200 秒" gives 1200; -1 when it has none.
long FirstNumber(const std::string& text) {
    long value = -1;
    for (char c : text) {
        if (c >= '0' && c <= '9') value = (value < 0 ? 0 : value * 10) + (c - '0');
        else if (c == ',' && value >= 0) continue;
        else if (value >= 0) break;
    }
    return value;
}

bool ValidUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const int length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (int k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += static_cast<size_t>(length);
    }
    return true;
}

// The pages named in contents.txt, with their depth.
struct ContentsLine {
    int depth;
    std::string page;
    std::string title;
};

std::vector<ContentsLine> ReadContents(std::vector<std::string>& faults) {
    std::vector<ContentsLine> lines;
    std::istringstream in(ReadFile(kHelp / "contents.txt"));
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(' ') == std::string::npos) continue;
        const size_t spaces = line.find_first_not_of(' ');
        const size_t tab = line.find('\t');
        if (spaces % 2 != 0 || tab == std::string::npos || tab + 1 >= line.size()) {
            faults.push_back("contents.txt line " + std::to_string(number) + " is not \"page<TAB>title\"");
            continue;
        }
        lines.push_back({static_cast<int>(spaces / 2), line.substr(spaces, tab - spaces), line.substr(tab + 1)});
    }
    return lines;
}

// ---------------------------------------------------------------------------

TEST(HelpPages, EveryPageTheProgramAsksForExists) {
    // The start page and the operation topics of the popups.
    for (const char* page : {"index.htm", "操作方法_問題の作成.htm", "操作方法_解答の方法.htm",
                             "操作方法_問題自動作成について.htm", "問題の解法_推定できません.htm"})
        EXPECT_TRUE(PageExists(page)) << page;

    // The catalogue's names as the review would reduce them.
    for (int i = 0; i < kTechniqueCount; ++i) {
        const std::string page = ReviewPage(std::string(TechniqueName(i)) + "。");
        EXPECT_TRUE(PageExists(page)) << TechniqueName(i) << " -> " << page;
    }

    // Every message, as a review sentence and inside a hint dialog: an
    // eliminating step is a list item, a placing one the conclusion.
    for (const Message& message : EngineMessages()) {
        const std::string page = ReviewPage(message.text);
        EXPECT_TRUE(PageExists(page)) << message.text << " -> " << page;
        const std::string hint =
            message.technique <= 4 ? "隠れた数字。" + message.text : message.text + "ブロック内の配置です。";
        for (const std::string& hintPage : HintPages(hint)) EXPECT_TRUE(PageExists(hintPage)) << hint << " -> " << hintPage;
    }

    // A move the engine could not justify.
    EXPECT_EQ(ReviewPage("推定できません。"), "問題の解法_推定できません.htm");
}

// The engine writes nothing the table above lacks, with the same catalogue
// entry, and every hint chain it builds on the hard lists has its pages.
TEST(HelpPages, EngineMessagesOnTheHardListsAllHavePages) {
    std::map<std::string, int> known;
    for (const Message& message : EngineMessages()) known[message.text] = message.technique;

    std::set<std::string> seen;
    for (const char* set : {"top95.txt", "hardest11.txt"}) {
        std::ifstream in(std::string(MASUVO_TEST_DATA) + "/" + set);
        ASSERT_TRUE(in) << set;
        std::string line;
        while (std::getline(in, line)) {
            KR_solver board;
            if (line.size() < 81 || !ParseGrid(line.substr(0, 81), board)) continue;
            for (int placement = 0; placement < 81 && StepSearch(board, false) == 1; ++placement) {
                std::string hint;
                for (const Step& step : board.steps) {
                    if (step.needed == 0) continue;
                    const std::string text = step.text.str();
                    hint += text;
                    seen.insert(text);
                    const auto found = known.find(text);
                    ASSERT_NE(found, known.end()) << "a message without a help page: " << text;
                    EXPECT_EQ(found->second, step.technique) << text;
                }
                for (const std::string& page : HintPages(hint)) ASSERT_TRUE(PageExists(page)) << hint << " -> " << page;
                for (const HelpTopic& topic : ReviewHelpTopics(hint))
                    ASSERT_TRUE(PageExists(topic.page)) << hint << " -> " << topic.page;
            }
        }
    }
    // The lists reach far into the catalogue, so the check above means something.
    EXPECT_GT(seen.size(), 20u);
}

TEST(HelpPages, PagesStateTheEnginesWeights) {
    std::map<std::string, int> catalogue;
    for (int i = 0; i < kTechniqueCount; ++i) catalogue[TechniqueName(i)] = i;

    // Every weight row anywhere names the engine's numbers.
    for (const std::string& page : HelpPages()) {
        for (const auto& cells : TableRows(ReadFile(kHelp / fs::path(page)))) {
            if (cells.size() < 3) continue;
            const auto entry = catalogue.find(cells[0]);
            if (entry == catalogue.end()) continue;
            EXPECT_EQ(FirstNumber(cells[1]), kDifficultyWeight[entry->second]) << page << ": " << cells[0];
            EXPECT_EQ(FirstNumber(cells[2]), kCandidateDisplayWeight[entry->second]) << page << ": " << cells[0];
        }
    }

    // Each technique's own page has the row of the entry it counts as.
    for (const Message& message : EngineMessages()) {
        const std::string page = ReviewPage(message.text);
        const std::string name = TechniqueName(message.technique);
        bool stated = false;
        for (const auto& cells : TableRows(ReadFile(kHelp / fs::path(page))))
            stated = stated || (cells.size() >= 3 && cells[0] == name);
        EXPECT_TRUE(stated) << page << " does not state the weights of " << name;
    }
    // The overview lists all thirty.
    std::set<std::string> listed;
    for (const auto& cells : TableRows(ReadFile(kHelp / fs::path("解法の一覧.htm"))))
        if (!cells.empty() && catalogue.count(cells[0]) != 0) listed.insert(cells[0]);
    EXPECT_EQ(listed.size(), static_cast<size_t>(kTechniqueCount));
}

TEST(HelpPages, RankTablesStateTheEnginesBands) {
    for (const char* page : {"解法の一覧.htm", "操作方法_問題自動作成について.htm"}) {
        int found = 0;
        for (const auto& cells : TableRows(ReadFile(kHelp / fs::path(page)))) {
            if (cells.size() < 2) continue;
            for (int rank = 0; rank < kRankCount; ++rank) {
                if (cells[0] != RankNameOfIndex(rank)) continue;
                ++found;
                // The first band starts at 1: a score of 0 has no rank.
                EXPECT_EQ(FirstNumber(cells[1]), rank == 0 ? 1 : kRankLowerBound[rank]) << page << ": " << cells[0];
            }
        }
        EXPECT_EQ(found, kRankCount) << page;
    }
}

TEST(HelpPages, EveryLinkAndPictureResolves) {
    const std::vector<std::string> pages = HelpPages();
    ASSERT_FALSE(pages.empty());
    for (const std::string& page : pages) {
        const std::string html = ReadFile(kHelp / fs::path(page));
        std::vector<std::string> targets = AttributeValues(html, "href");
        for (const std::string& src : AttributeValues(html, "src")) targets.push_back(src);
        for (const std::string& raw : targets) {
            if (raw.rfind("http:", 0) == 0 || raw.rfind("https:", 0) == 0 || raw.rfind("mailto:", 0) == 0) continue;
            // Links the help window acts on itself (practice, answers).
            if (raw.rfind("practice:", 0) == 0 || raw.rfind("answer:", 0) == 0) continue;
            const std::string target = PercentDecoded(raw);
            const size_t hash = target.find('#');
            const std::string file = hash == std::string::npos ? target : target.substr(0, hash);
            const std::string anchor = hash == std::string::npos ? std::string() : target.substr(hash + 1);
            const fs::path path = file.empty() ? kHelp / fs::path(page) : kHelp / fs::path(file);
            if (!fs::is_regular_file(path)) {
                ADD_FAILURE() << page << ": " << raw << " does not exist";
                continue;
            }
            if (path.extension() == ".png") {
                const std::string head = ReadFile(path).substr(0, 8);
                EXPECT_EQ(head, std::string("\x89PNG\r\n\x1a\n", 8)) << page << ": " << raw << " is not a PNG picture";
            }
            if (!anchor.empty()) {
                const std::string other = ReadFile(path);
                const bool named = other.find("name=\"" + anchor + "\"") != std::string::npos ||
                                   other.find("id=\"" + anchor + "\"") != std::string::npos;
                EXPECT_TRUE(named) << page << ": " << raw << " has no anchor " << anchor;
            }
        }
    }
}

// ---- The examples and practice positions written into the pages. ----

// A block between "<!-- KIND NAME -->" and "<!-- /KIND -->".
struct Block {
    std::string page;
    std::string kind;  // "picture" or "practice"
    std::string name;
    std::string html;
};

std::vector<Block> Blocks(const std::string& page) {
    std::vector<Block> blocks;
    const std::string html = ReadFile(kHelp / fs::path(page));
    for (const char* kind : {"picture", "practice"}) {
        const std::string open = std::string("<!-- ") + kind + " ";
        const std::string close = std::string("<!-- /") + kind + " -->";
        for (size_t at = html.find(open); at != std::string::npos; at = html.find(open, at + 1)) {
            const size_t nameEnd = html.find(" -->", at);
            const size_t end = html.find(close, at);
            if (nameEnd == std::string::npos || end == std::string::npos) break;
            blocks.push_back({page, kind, html.substr(at + open.size(), nameEnd - at - open.size()),
                              html.substr(at, end - at)});
        }
    }
    return blocks;
}

// The text between the first `before` after `from` and the next `after`.
std::string Between(const std::string& text, const std::string& before, const std::string& after, size_t from = 0) {
    const size_t start = text.find(before, from);
    if (start == std::string::npos) return "";
    const size_t end = text.find(after, start + before.size());
    return end == std::string::npos ? "" : text.substr(start + before.size(), end - start - before.size());
}

bool IsTechniquePage(const std::string& page) {
    return page.rfind("問題の解法_", 0) == 0 && page != "問題の解法_推定できません.htm";
}

// The visible text of a page: no comments, inline tags dropped, every other
// tag a break ('\x01'), so the line ends between blocks are no spaces.
std::string VisibleText(const std::string& html) {
    std::string text;
    for (size_t i = 0; i < html.size();) {
        if (html.compare(i, 4, "<!--") == 0) {
            const size_t end = html.find("-->", i);
            i = end == std::string::npos ? html.size() : end + 3;
        } else if (html.compare(i, 7, "<style ") == 0 || html.compare(i, 7, "<style>") == 0) {
            const size_t end = html.find("</style>", i);
            i = end == std::string::npos ? html.size() : end + 8;
        } else if (html[i] == '<') {
            const size_t end = html.find('>', i);
            std::string tag = html.substr(i + 1, end == std::string::npos ? 0 : end - i - 1);
            if (!tag.empty() && tag[0] == '/') tag.erase(0, 1);
            tag = tag.substr(0, tag.find(' '));
            if (tag != "a" && tag != "b" && tag != "span" && tag != "i" && tag != "em" && tag != "strong") text += '\x01';
            i = end == std::string::npos ? html.size() : end + 1;
        } else {
            text += html[i++];
        }
    }
    return text;
}

// Every position a page shows, run through the engine, gives the hint text,
// the cell and the digit the page states for it.
TEST(HelpPages, ExamplesAndPracticePositionsAreTheEnginesHints) {
    int checked = 0;
    for (const std::string& page : HelpPages()) {
        for (const Block& block : Blocks(page)) {
            SCOPED_TRACE(page + ": " + block.name);
            const std::string grid = Between(block.html, "<span class=\"grid\">", "</span>");
            const std::string hint = Between(block.html, "ヒントの文：「", "」");
            const std::string answer = Between(block.html, "<p class=\"answer\">答え：", "</p>");
            ASSERT_EQ(grid.size(), 81u);
            ASSERT_FALSE(hint.empty());
            KR_solver board;
            ASSERT_TRUE(ParseGrid(grid, board));
            ASSERT_EQ(StepSearch(board, false), 1);
            std::string text;
            int steps = 0;
            for (const Step& step : board.steps) {
                if (step.needed == 0) continue;
                text += step.text.str();
                ++steps;
            }
            EXPECT_EQ(text, hint);
            EXPECT_EQ(answer, "セル(" + std::to_string(board.placeRow + 1) + "," + std::to_string(board.placeCol + 1) +
                                  ")に" + std::to_string(board.placeDigit) + "が入ります。");
            // An example shows its technique with at most one simpler step
            // before it, and a chain longer than the technique and its
            // placement says why.
            if (block.kind == "picture") EXPECT_LE(steps, 3) << "an example that needs more than one other step";
            if (steps > 2 && block.kind == "picture")
                EXPECT_NE(block.html.find("class=\"why\""), std::string::npos) << steps << " steps without a reason";
            // Every position is walked through, the practice's inside its hidden answer.
            const std::string walk = block.kind == "practice" ? Between(block.html, "<!-- answer ", "<!-- /answer -->")
                                                              : block.html;
            EXPECT_NE(walk.find("<ol class=\"walk\">\n<li>"), std::string::npos) << "no walk-through";
            if (block.kind == "practice") EXPECT_NE(walk.find("class=\"answer\""), std::string::npos);
            // Cells named with a number, "①セル(2,7)", are cells of the pattern
            // the picture shows (its shaded cells), numbered 1, 2, … in
            // reading order as the picture numbers them.
            std::map<int, int> labels;
            for (size_t at = walk.find("\xE2\x91"); at != std::string::npos; at = walk.find("\xE2\x91", at + 1)) {
                const int n = static_cast<unsigned char>(walk[at + 2]) - 0xA0 + 1;
                if (n < 1 || n > 9 || walk.compare(at + 3, std::string("セル(").size(), "セル(") != 0) continue;
                const size_t open = at + 3 + std::string("セル(").size();
                const int cell = 9 * (walk[open] - '1') + (walk[open + 2] - '1');
                EXPECT_TRUE(labels.emplace(cell, n).first->second == n) << "cell " << cell << " has two numbers";
            }
            if (!labels.empty()) {
                const long shown = FirstNumber(Between(block.html, "ヒントの一覧の", "番目"));
                std::vector<const Step*> needed;
                for (const Step& step : board.steps)
                    if (step.needed != 0) needed.push_back(&step);
                ASSERT_TRUE(shown >= 1 && shown <= static_cast<long>(needed.size())) << "numbers without a shown step";
                int expected = 1;
                for (const auto& [cell, n] : labels) {
                    EXPECT_NE(needed[static_cast<size_t>(shown - 1)]->hint.cellMark[cell], 0) << "cell " << cell;
                    EXPECT_EQ(n, expected++) << "cell " << cell;
                }
                EXPECT_NE(block.html.find("図の①②…は"), std::string::npos);
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 40);
}

// Every technique page teaches: examples walked through (above), a paragraph
// on how to spot the pattern from 隠れた数字 on, and a practice position.
TEST(HelpPages, TechniquePagesHaveSpottingAdviceAndPractice) {
    const std::set<std::string> basic = {"ブロックの完成", "ラインの完成", "行の完成", "列の完成", "ブロック内の配置",
                                         "ライン内の配置", "行内の配置", "列内の配置", "セルの完成"};
    for (const std::string& page : HelpPages()) {
        if (!IsTechniquePage(page)) continue;
        const std::string html = ReadFile(kHelp / fs::path(page));
        const std::string name = page.substr(std::string("問題の解法_").size(), page.size() - 4 - std::string("問題の解法_").size());
        int pictures = 0, practices = 0;
        for (const Block& block : Blocks(page)) (block.kind == "picture" ? pictures : practices) += 1;
        EXPECT_GE(pictures, 1) << page;
        EXPECT_EQ(practices, 1) << page;
        if (basic.count(name) == 0) {
            const std::string spot = Between(html, "<h2 id=\"spot\">", "<h2");
            EXPECT_GT(spot.size(), 200u) << page << " has no paragraph on how to spot it";
            EXPECT_NE(spot.find("ほかの本やサイト"), std::string::npos) << page << " names no other names";
        }
    }
}

// Clean Japanese typography and no picture paths in the text a reader sees.
TEST(HelpPages, VisibleTextHasNoSpacedJapaneseAndNoFileNames) {
    // A character of the Japanese scripts, punctuation and full-width forms.
    auto japanese = [](const std::string& text, size_t at, bool before) -> bool {
        size_t start = at;
        if (before) {
            if (at == 0) return false;
            start = at - 1;
            while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
        }
        const unsigned char c = static_cast<unsigned char>(text[start]);
        if (c < 0xE0 || start + 2 >= text.size()) return false;
        const unsigned code = ((c & 0x0F) << 12) | ((static_cast<unsigned char>(text[start + 1]) & 0x3F) << 6) |
                              (static_cast<unsigned char>(text[start + 2]) & 0x3F);
        return (code >= 0x3000 && code <= 0x30FF) || (code >= 0x4E00 && code <= 0x9FFF) || (code >= 0xFF00 && code <= 0xFFEF);
    };
    for (const std::string& page : HelpPages()) {
        const std::string html = ReadFile(kHelp / fs::path(page));
        const size_t body = html.find("<body");
        const std::string text = VisibleText(body == std::string::npos ? html : html.substr(body));
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] != ' ' && text[i] != '\n') continue;
            size_t j = i;
            while (j < text.size() && (text[j] == ' ' || text[j] == '\n')) ++j;
            if (japanese(text, i, true) && japanese(text, j, false))
                ADD_FAILURE() << page << ": a space between Japanese characters in \""
                              << text.substr(i >= 12 ? i - 12 : 0, 30) << "\"";
            i = j;
        }
        EXPECT_EQ(text.find("images/"), std::string::npos) << page << " shows a picture's file name";
    }
}

// Every technique page has a 練習 link "practice:N" whose catalogue entry N
// is one the page itself describes.
TEST(HelpPages, PracticeLinksNameTheirPagesTechnique) {
    for (const std::string& page : HelpPages()) {
        if (page.rfind("問題の解法_", 0) != 0 || page == "問題の解法_推定できません.htm") continue;
        int links = 0;
        for (const std::string& raw : AttributeValues(ReadFile(kHelp / fs::path(page)), "href")) {
            if (raw.rfind("practice:", 0) != 0) continue;
            ++links;
            const int technique = std::atoi(raw.c_str() + 9);
            ASSERT_TRUE(technique >= 0 && technique < kTechniqueCount) << page << ": " << raw;
            const std::string own = ReviewPage(std::string(TechniqueName(technique)) + "。");
            // A line page's technique is also the row and column pages'.
            const bool line = own == "問題の解法_ラインの完成.htm" || own == "問題の解法_ライン内の配置.htm";
            if (line && page.find(technique == 1 ? "の完成" : "内の配置") != std::string::npos) continue;
            EXPECT_EQ(own, page) << raw;
        }
        EXPECT_EQ(links, 1) << page;
    }
}

TEST(HelpPages, ContentsListsPagesAndReachesEveryPage) {
    std::vector<std::string> faults;
    const std::vector<ContentsLine> contents = ReadContents(faults);
    for (const std::string& fault : faults) ADD_FAILURE() << fault;
    ASSERT_FALSE(contents.empty());
    EXPECT_EQ(contents.front().page, "index.htm");
    EXPECT_EQ(contents.front().depth, 0);

    std::set<std::string> listed;
    int depth = 0;
    for (const ContentsLine& line : contents) {
        EXPECT_TRUE(PageExists(line.page)) << "contents.txt lists " << line.page;
        EXPECT_TRUE(listed.insert(line.page).second) << "contents.txt lists " << line.page << " twice";
        EXPECT_LE(line.depth, depth + 1) << line.page << " skips a level";
        EXPECT_FALSE(line.title.empty()) << line.page;
        depth = line.depth;
    }

    // Reachable: listed, or linked from a reachable page.
    std::set<std::string> reached(listed.begin(), listed.end());
    std::deque<std::string> queue(listed.begin(), listed.end());
    while (!queue.empty()) {
        const std::string page = queue.front();
        queue.pop_front();
        if (!PageExists(page)) continue;
        for (const std::string& raw : AttributeValues(ReadFile(kHelp / fs::path(page)), "href")) {
            std::string target = PercentDecoded(raw);
            target = target.substr(0, target.find('#'));
            if (target.size() > 4 && target.compare(target.size() - 4, 4, ".htm") == 0 && reached.insert(target).second)
                queue.push_back(target);
        }
    }
    for (const std::string& page : HelpPages()) EXPECT_TRUE(reached.count(page) != 0) << page << " cannot be reached";
}

TEST(HelpPages, PagesAreUtf8WithATitleAndLeadBackToTheStart) {
    for (const std::string& page : HelpPages()) {
        const std::string html = ReadFile(kHelp / fs::path(page));
        EXPECT_TRUE(ValidUtf8(html)) << page;
        EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos) << page;
        const size_t title = html.find("<title>");
        EXPECT_TRUE(title != std::string::npos && html.find("</title>") > title + 7) << page << " has no title";
        if (page == "index.htm") continue;
        const std::vector<std::string> links = AttributeValues(html, "href");
        EXPECT_NE(std::find(links.begin(), links.end(), "index.htm"), links.end()) << page << " has no way back";
    }
    EXPECT_TRUE(ValidUtf8(ReadFile(kHelp / "contents.txt")));
}

}  // namespace
}  // namespace masuvo
