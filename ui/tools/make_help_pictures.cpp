// Draws the pictures of the help pages with the program's own board painter.
//
// Technique pictures: the puzzle sets under tests/data are solved placement
// by placement; for every wanted step sentence the position whose hint chain
// is the shortest (the first such in reading order on a tie) is loaded into a
// headless session, the hint is asked for, the step of that sentence is
// selected and the board is rendered with its overlay into
// resources/help/images/<name>.png. The figure block of each picture (the
// picture, what it shows, the position as 81 characters) is written between
// the markers "<!-- picture NAME -->" and "<!-- /picture -->" of the pages,
// so a caption always describes its picture. The same sets give the same
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
#include "engine/step_search.h"
#include "records/record_file.h"
#include "session/headless_view.h"
#include "session/session_text.h"
#include "session/play_session.h"
#include "ui/board_painter.h"
#include "ui/create_dialog.h"
#include "ui/create_hard_dialog.h"
#include "ui/hint_dialog.h"
#include "ui/kenrow_app.h"
#include "ui/kenrow_dlg.h"
#include "ui/number_pad.h"
#include "ui/review_dlg.h"

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
};

const Wanted kWanted[] = {
    {"burokku_no_kansei", "ブロックの完成です。", "ブロックの完成", false},
    {"gyou_no_kansei", "行の完成です。", "行の完成", false},
    {"retsu_no_kansei", "列の完成です。", "列の完成", false},
    {"burokku_nai_no_haichi", "ブロック内の配置です。", "ブロック内の配置", false},
    {"gyou_nai_no_haichi", "行内の配置です。", "行内の配置", false},
    {"retsu_nai_no_haichi", "列内の配置です。", "列内の配置", false},
    {"seru_no_kansei", "セルの完成です。", "セルの完成", true},
    {"kakureta_suuji", "隠れた数字。", "隠れた数字", false},
    {"hakyuu_kouka", "波及効果。", "波及効果", false},
    {"teiin_kakutei_2_burokku", "定員確定2(ブロック)。", "定員確定2(ブロック)", false},
    {"teiin_kakutei_2_gyou", "定員確定2(行)。", "定員確定2(行)", false},
    {"teiin_kakutei_3_retsu", "定員確定3(列)。", "定員確定3(列)", false},
    {"teiin_kakutei_4_burokku", "定員確定4(ブロック)。", "定員確定4(ブロック)", false},
    {"kage_no_teiin_kakutei_2_burokku", "陰の定員確定2(ブロック)。", "陰の定員確定2(ブロック)", false},
    {"kage_no_teiin_kakutei_2_retsu", "陰の定員確定2(列)。", "陰の定員確定2(列)", false},
    {"kage_no_teiin_kakutei_3_gyou", "陰の定員確定3(行)。", "陰の定員確定3(行)", false},
    {"kage_no_teiin_kakutei_4_retsu", "陰の定員確定4(列)。", "陰の定員確定4(列)", false},
    {"taikakusen", "対角線。", "対角線", false},
    {"sansukumi", "三すくみ。", "三すくみ", false},
    {"matrix_3", "マトリックス3。", "マトリックス3", false},
    {"matrix_4", "マトリックス4。", "マトリックス4", false},
    {"hobo_kakutei_2", "ほぼ確定2(二組)。", "ほぼ確定2(二組)", false},
    {"hobo_kakutei_2_double", "ほぼ確定2(二組ダブル)。", "ほぼ確定2(二組ダブル)", false},
    {"hobo_kakutei_3", "ほぼ確定3(二組)。", "ほぼ確定3(二組)", false},
    {"hobo_kakutei_4", "ほぼ確定4(二組)。", "ほぼ確定4(二組)", false},
    {"hobo_kakutei_sankumi", "ほぼ確定(三組)。", "ほぼ確定(三組)", false},
    {"nitaku_rensa_1", "二択連鎖1。", "二択連鎖1", false},
    {"nitaku_rensa_2", "二択連鎖2。", "二択連鎖2", false},
    {"nitaku_rensa_9", "二択連鎖9。", "二択連鎖9", false},
};
constexpr int kWantedCount = static_cast<int>(sizeof kWanted / sizeof kWanted[0]);

// The sets in the order they are read; the first field of a line is the puzzle.
const char* const kSets[] = {"top95.txt", "hardest11.txt", "graded_5000.csv", "se_rated_sample2000.tsv",
                             "sudoku17_sample1000.txt"};

struct Position {
    bool found = false;
    int chainLength = 0;
    std::string set;
    int puzzleNumber = 0;  // 1-based among the set's puzzles
    int placements = 0;    // placements made before this position
    std::string givens;    // 81 characters
    std::string grid;      // 81 characters: givens and the placements so far
    std::vector<std::string> sentences;  // the needed steps' texts
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

// Solves every puzzle of the sets one placement at a time and keeps, for
// every wanted sentence, the position with the shortest chain using it.
std::vector<Position> FindPositions(const std::string& dataFolder) {
    std::vector<Position> best(kWantedCount);
    auto allShortest = [&best] {
        for (int w = 0; w < kWantedCount; ++w)
            if (!best[w].found || best[w].chainLength > ShortestPossible(kWanted[w])) return false;
        return true;
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
            ++number;
            KR_solver board;
            if (!ParseGrid(givens, board)) continue;
            for (int placements = 0; placements < 81; ++placements) {
                const std::string grid = GridText(board);
                if (StepSearch(board, false) != 1) break;
                std::vector<std::string> sentences;
                for (const Step& step : board.steps)
                    if (step.needed != 0) sentences.push_back(step.text.str());
                for (int w = 0; w < kWantedCount; ++w) {
                    for (size_t i = 0; i < sentences.size(); ++i) {
                        if (sentences[i] != kWanted[w].sentence) continue;
                        Position& p = best[w];
                        if (!p.found || static_cast<int>(sentences.size()) < p.chainLength) {
                            p = Position{true, static_cast<int>(sentences.size()), set, number, placements, givens,
                                         grid, sentences, static_cast<int>(i), board.placeRow, board.placeCol,
                                         board.placeDigit};
                        }
                        break;
                    }
                }
            }
        }
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

std::string CellText(int cell) {
    return "セル(" + std::to_string(cell / 9 + 1) + "," + std::to_string(cell % 9 + 1) + ")";
}

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

// "セル(1,2)の 3・7、セル(4,5)の 1": the candidates of a hint whose
// candMark passes the test, cell by cell.
template <typename Test>
std::string CandidateList(const KR_hint& hint, Test test) {
    std::string text;
    for (int c = 0; c < 81; ++c) {
        std::string digits;
        for (int d = 1; d <= 9; ++d) {
            if (!test(hint.candMark[c][d])) continue;
            if (!digits.empty()) digits += "・";
            digits += std::to_string(d);
        }
        if (digits.empty()) continue;
        if (!text.empty()) text += "、";
        text += CellText(c) + "の " + digits;
    }
    return text;
}

std::string CellList(const KR_hint& hint) {
    std::string text;
    for (int c = 0; c < 81; ++c) {
        if (hint.cellMark[c] == 0) continue;
        if (!text.empty()) text += "、";
        text += CellText(c);
    }
    return text;
}

std::string Joined(const std::vector<std::string>& sentences) {
    std::string text;
    for (const std::string& s : sentences) text += s;
    return text;
}

// What the marks of one technique family mean, for the caption: fill
// colour index and its meaning.
struct FillRole {
    int index;
    const char* meaning;
};

std::vector<FillRole> FillRoles(int technique) {
    // Chains: assumption A is the start link's end with the green disc.
    if (technique >= 27)
        return {{1, "緑の丸（仮定 A で正しくなる候補）"}, {2, "青の丸（仮定 B で正しくなる候補）"},
                {3, "黄色の丸（どちらの仮定でも正しくなる候補）"}};
    if (technique == 26)
        return {{5, "水色の丸（要の組）"}, {1, "緑の丸（一つ目の翼）"}, {2, "青の丸（二つ目の翼）"},
                {3, "黄色の丸（組をつなぐ数字）"}};
    if (technique >= 23)
        return {{1, "緑の丸（一つ目の組）"}, {2, "青の丸（二つ目の組）"}, {3, "黄色の丸（二組をつなぐ数字）"}};
    return {{1, "緑の丸（パターンの候補）"}};
}

std::string FigureBlock(const Wanted& wanted, const Position& p, const PlaySession& session, int technique) {
    std::ostringstream html;
    html << "<!-- picture " << wanted.file << " -->\n";
    html << "<!-- " << p.set << ", puzzle " << p.puzzleNumber << ", after " << p.placements
         << " placements; written by masuvo-make-help-pictures -->\n";
    html << "<table class=\"figure\" cellspacing=\"0\" cellpadding=\"8\">\n";
    html << "<tr><td><img src=\"images/" << wanted.file << ".png\" width=\"451\" height=\"451\" alt=\""
         << wanted.title << "の例\"></td></tr>\n";
    html << "<tr><td class=\"caption\">\n";
    html << "<p><b>図：" << wanted.title << "の例</b> <span class=\"file\">(images/" << wanted.file
         << ".png)</span></p>\n";
    html << "<p>ヒントの文：「" << Escape(Joined(p.sentences)) << "」</p>\n";
    if (p.sentences.size() == 1) {
        html << "<p>一文だけのヒントなので、ヒントの一覧は開かず、盤には ★ だけが付きます。";
        if (wanted.candidates) html << "この図では 候補表示 も押してあります。";
        html << "</p>\n";
    } else {
        // The list shows each sentence without its full stop.
        std::string item = p.sentences[p.step];
        if (item.size() >= 3 && item.compare(item.size() - 3, 3, "。") == 0) item.erase(item.size() - 3);
        html << "<p>ヒントの一覧の " << (p.step + 1) << " 番目「" << Escape(item)
             << "」を選び、詳細 を押した状態です。</p>\n";
    }
    html << "<ul>\n";
    if (session.hintStep >= 0 && session.hintStep < static_cast<int>(session.hints.size())) {
        const KR_hint& hint = session.hints[static_cast<size_t>(session.hintStep)];
        const std::string cells = CellList(hint);
        if (!cells.empty()) html << "<li>灰色のセル：" << cells << "</li>\n";
        if (technique >= 27) {
            const FillRole rings[] = {{15, "黒い輪（出発点の二択。緑の丸の側が仮定 A、青の丸の側が仮定 B）"},
                                      {1, "緑の輪（仮定 A で正しくなくなる候補）"},
                                      {2, "青の輪（仮定 B で正しくなくなる候補）"},
                                      {3, "黄色の輪（どちらの仮定でも正しくなくなる候補）"}};
            for (const FillRole& role : rings) {
                const std::string list = CandidateList(hint, [&role](uint8_t m) { return (m >> 4) == role.index; });
                if (!list.empty()) html << "<li>" << role.meaning << "：" << list << "</li>\n";
            }
        }
        for (const FillRole& role : FillRoles(technique)) {
            const std::string list = CandidateList(hint, [&role](uint8_t m) { return (m & 15) == role.index; });
            if (!list.empty()) html << "<li>" << role.meaning << "：" << list << "</li>\n";
        }
        const std::string removed = CandidateList(hint, [](uint8_t m) { return (m & 15) == 4; });
        if (!removed.empty()) html << "<li>取り除かれる候補（桃色の丸）：" << removed << "</li>\n";
    }
    html << "<li>★ の" << CellText(9 * p.row + p.col) << "に " << p.digit << " が入ります。</li>\n";
    html << "</ul>\n";
    html << "<p>この局面は、次の 81 文字をコピーして 貼り付け で読み込み、解答開始 の後に ヒント "
            "を押すと確かめられます（すべての数字が問題の数字になります";
    if (session.solvable != 1) html << "。アシストを実行するか聞かれたら いいえ を選んでください";
    html << "）。<br>\n";
    html << "<span class=\"grid\">" << p.grid << "</span></p>\n";
    html << "</td></tr>\n</table>\n";
    html << "<!-- /picture -->";
    return html.str();
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
    session.RequestHint();
    if (session.hintRow != p.row || session.hintCol != p.col || session.hintDigit != p.digit ||
        session.hints.size() != p.sentences.size()) {
        std::fprintf(stderr, "%s: the session's hint differs from the search's\n", wanted.file);
        return false;
    }
    int technique = 0;
    {
        KR_solver board;
        LoadBoard(board, session.values);
        StepSearch(board, false);
        int i = 0;
        for (const Step& step : board.steps) {
            if (step.needed == 0) continue;
            if (i++ == p.step) technique = step.technique;
        }
    }
    if (p.sentences.size() > 1) {
        session.SelectHintStep(p.step);
        session.SetDetail(true);
    } else if (wanted.candidates) {
        session.ToggleCandidates(true);
    }

    // The window's default board (100%, font 90%) as 画像保存 writes it: no
    // selection frame over the red frame of the cell to look at.
    BoardPaintOptions options;
    options.selectionFrame = false;
    const QImage image = RenderBoard(session, options);
    const QString path = imageFolder + u'/' + QString::fromLatin1(wanted.file) + u".png"_s;
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    block = FigureBlock(wanted, p, session, technique);
    return true;
}

// Replaces the figure block of each picture in every page that holds its
// markers. Returns the names of the pictures that no page shows.
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
            const std::string open = "<!-- picture " + name + " -->";
            const std::string close = "<!-- /picture -->";
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
    const std::vector<Position> positions = FindPositions((source + u"/tests/data"_s).toStdString());
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
        std::printf("%s\t%s %d after %d\t%s\tstep %d\n", kWanted[w].file, p.set.c_str(), p.puzzleNumber,
                    p.placements, Joined(p.sentences).c_str(), p.step + 1);
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
        QTest::mouseMove(pad, pad->ItemCentre(5));
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
        if (!Save(u"screen_candidates"_s, {window_.get()})) return false;
        Click(window_.get(), u"candidatesButton"_s);

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
