#!/bin/bash
# The installed program, as a user gets it from `cmake --install`: the layout
# under a throw-away prefix (programs, data, desktop entry, file type, icons,
# metadata), the validators of the desktop, --version and --help without a
# display, the installed masuvo-cli rating a puzzle and reading a photo with
# the installed model, and the installed masuvo under a virtual X server:
# opened on a puzzle file as a file manager would start it, looked at in a
# screenshot, its help opened from the menu and its window closed through
# ファイル > 終了. Exit 77 (skipped) when a tool it needs is missing
# (scripts/install-deps.sh installs them).
#
#   install_test.sh BUILD_FOLDER SOURCE_FOLDER
set -uo pipefail

build=$1
source=$2

for tool in Xvfb xdotool import identify desktop-file-validate appstreamcli update-mime-database \
    update-desktop-database; do
    command -v "$tool" >/dev/null || { echo "install_test: $tool is not installed" >&2; exit 77; }
done

work=$(mktemp -d)
xvfb_pid=
program_pid=
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    if [ -n "${MASUVO_INSTALL_SCREENSHOTS:-}" ]; then
        mkdir -p "$MASUVO_INSTALL_SCREENSHOTS" && cp "$work"/shot-*.png "$MASUVO_INSTALL_SCREENSHOTS"/ 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "install_test: $*" >&2
    exit 1
}

# ---- The layout ----
prefix="$work/prefix with space"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; fail "cmake --install failed"; }
share="$prefix/share"

# Exactly the two programs, masuvo-cli's picture reader, their data and the
# desktop's files: no test, benchmark or developer tool comes along.
(cd "$prefix" && find . -mindepth 2 -maxdepth 2 | sort) >"$work/top"
cat >"$work/expected" <<'EOF'
./bin/masuvo
./bin/masuvo-cli
./libexec/masuvo
./share/applications
./share/icons
./share/man
./share/masuvo
./share/metainfo
./share/mime
EOF
diff -u "$work/expected" "$work/top" >&2 || fail "unexpected installed tree"
[ -x "$prefix/bin/masuvo" ] && [ -x "$prefix/bin/masuvo-cli" ] && [ -x "$prefix/libexec/masuvo/masuvo-recognize" ] ||
    fail "programs not executable"
cmp -s "$source/resources/Masuvo.dat" "$share/masuvo/Masuvo.dat" || fail "digit model not installed"
diff -r "$source/resources/help" "$share/masuvo/help" >&2 || fail "help pages differ from resources/help"
diff -r "$source/resources/例題" "$share/masuvo/例題" >&2 || fail "example puzzles differ from resources/例題"
for page in index.htm contents.txt; do [ -s "$share/masuvo/help/$page" ] || fail "help/$page missing"; done
for size in 16 22 24 32 48 64 128 256; do
    icon="$share/icons/hicolor/${size}x${size}/apps/masuvo.png"
    [ "$(identify -format '%wx%h' "$icon" 2>/dev/null)" = "${size}x${size}" ] || fail "icon $icon is not ${size}x${size}"
done
[ -s "$share/icons/hicolor/scalable/apps/masuvo.svg" ] || fail "scalable icon missing"
for page in masuvo.6 masuvo-cli.6; do [ -s "$share/man/man6/$page" ] || fail "manual page $page missing"; done

# ---- The desktop's view of it ----
desktop="$share/applications/masuvo.desktop"
desktop-file-validate "$desktop" >&2 || fail "desktop-file-validate refused masuvo.desktop"
appstreamcli validate --no-net "$share/metainfo/io.github.vardelle.Masuvo.metainfo.xml" >"$work/appstream" 2>&1 ||
    { cat "$work/appstream" >&2; fail "appstreamcli refused the metainfo"; }
grep -qx 'Exec=masuvo %f' "$desktop" || fail "desktop entry does not pass the file"
grep -qx 'Icon=masuvo' "$desktop" || fail "desktop entry icon"
# The caches a package's triggers build: .kzd files are the puzzle type, and
# the program is their handler.
update-mime-database "$share/mime" >"$work/mime.log" 2>&1 || { cat "$work/mime.log" >&2; fail "update-mime-database failed"; }
grep -qx 'application/x-masuvo-puzzle:\*\.kzd' <(cut -d: -f2,3 "$share/mime/globs2") ||
    fail "no *.kzd glob in the mime database"
grep -q '^50:application/x-masuvo-puzzle:\*\.kzd:cs' "$share/mime/globs2" || fail "*.kzd glob not case-sensitive"
update-desktop-database "$share/applications" >"$work/desktop.log" 2>&1 ||
    { cat "$work/desktop.log" >&2; fail "update-desktop-database failed"; }
grep -qx 'application/x-masuvo-puzzle=masuvo.desktop;' "$share/applications/mimeinfo.cache" ||
    fail "masuvo.desktop is not the handler of .kzd files"

# ---- Information without a display ----
run_bare() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }
version=$(run_bare "$prefix/bin/masuvo" --version) || fail "masuvo --version failed"
[[ "$version" =~ ^masuvo\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "masuvo --version printed '$version'"
[ "$(run_bare "$prefix/bin/masuvo-cli" --version)" = "masuvo-cli ${version#masuvo }" ] ||
    fail "masuvo-cli --version differs from masuvo's"
grep -q "version=\"${version#masuvo }\"" "$share/metainfo/io.github.vardelle.Masuvo.metainfo.xml" ||
    fail "the metainfo has no release ${version#masuvo }"
help=$(run_bare "$prefix/bin/masuvo" --help) || fail "masuvo --help failed"
for word in usage: --help --version マスヴォ２ .kzd; do
    grep -qF -- "$word" <<<"$help" || fail "masuvo --help does not mention $word"
done
run_bare "$prefix/bin/masuvo" -h | cmp -s - <(echo "$help") || fail "masuvo -h differs from --help"
# Every command masuvo-cli knows is in its help.
cli_help=$("$prefix/bin/masuvo-cli" --help) || fail "masuvo-cli --help failed"
commands=$(grep -o 'strcmp(command, "[a-z]*")' "$source/cli/main.cpp" | grep -o '"[a-z]*"' | tr -d '"')
[ "$(wc -w <<<"$commands")" -ge 10 ] || fail "commands of masuvo-cli not found in cli/main.cpp"
for command in $commands; do
    grep -qE "^ +$command( |$)" <<<"$cli_help" || fail "masuvo-cli --help does not list $command"
done

# ---- The installed masuvo-cli ----
puzzle=$(head -1 "$source/tests/data/top95.txt" | cut -c1-81)
rating=$(echo "$puzzle" | "$prefix/bin/masuvo-cli" rate) || fail "installed masuvo-cli rate failed"
[ "$rating" = "$(echo "$puzzle" | "$build/cli/masuvo-cli" rate)" ] || fail "installed rating differs from the build's"
IFS=$'\t' read -r _ result difficulty rank _ <<<"$rating"
[ "$result" = 1 ] && [ "$difficulty" -gt 0 ] && [ "$rank" != - ] || fail "rating '$rating'"
# The model is found in share/masuvo: a photo is read as its ground truth says.
photo="$source/tests/data/photos/opencv_sudoku"
read_board=$("$prefix/bin/masuvo-cli" recognize "$photo.png" 2>"$work/recognize.err") ||
    { cat "$work/recognize.err" >&2; fail "installed masuvo-cli could not read a photo"; }
expected=$(sed -n '3,11p' "$photo.dat" | tr -cd '0-9')
[ "$(cut -f2 <<<"$read_board" | tr '.' '0')" = "$expected" ] || fail "photo read as '$read_board'"

# ---- The installed program under a virtual X server ----
mkdir -p "$work/home" && mkdir -m 700 "$work/run"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
    XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY XDG_DOCUMENTS_DIR
exec 3>"$work/display"
# -noreset: when the last client goes, a resetting server refuses the next
# start for a moment, so a program started right after another could fail.
Xvfb -displayfd 3 -screen 0 1400x1000x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; fail "Xvfb did not start"; }
export DISPLAY=":$(head -1 "$work/display")"

# The window's id once it is shown (the program names it マスヴォ).
main_window() {
    local id
    for _ in $(seq 600); do
        id=$(xdotool search --onlyvisible --name '^マスヴォ$' 2>/dev/null | head -1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        kill -0 "$program_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
visible_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | wc -l; }
# A menu of the menu bar by keyboard: ファイル is opened with a click on its
# title (no item active), Left walks to the last menu (ヘルプ) with its first
# item active, and Up from no item picks the last one.
menu_command() {
    local window=$1
    shift
    # Without a window manager the help window may lie over the main window.
    xdotool windowraise "$window"
    sleep 0.3
    xdotool mousemove --window "$window" 25 10 click 1
    sleep 0.7
    xdotool key --delay 300 "$@"
}
# The board in a picture of the screen: a square below the menu bar.
board_mean() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    import -window root -crop "450x450+$((X + 20))+$((Y + 45))" +repage "$2"
    identify -format '%[fx:mean]' "$2"
}
# Ends the program through ファイル > 終了 and waits for its exit status.
close_program() {
    menu_command "$1" Up Return
    local status
    for _ in $(seq 300); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$program_pid" 2>/dev/null && fail "the program did not end after ファイル > 終了"
    wait "$program_pid"
    status=$?
    program_pid=
    [ "$status" -eq 0 ] || { cat "$work/stderr" >&2; fail "the program ended with status $status"; }
}

# A puzzle where a file manager would have it: a name with a space and kana.
mkdir -p "$HOME/パズル"
cp "$source/tests/data/kzd/top95_1.kzd" "$HOME/パズル/朝の 問題.kzd"
# Started as the desktop entry does: its Exec line with the file for %f.
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
"$prefix/bin/${exec_line%% *}" "$HOME/パズル/朝の 問題.kzd" 2>"$work/stderr" &
program_pid=$!
window=$(main_window) || { cat "$work/stderr" >&2; fail "no window appeared"; }
sleep 2
# A missing model or an unreadable file would show a message box of the same name.
[ "$(visible_named '^マスヴォ$')" -eq 1 ] || fail "a message box opened at start-up"
import -window root "$work/shot-window.png" || fail "no screenshot"
[ "$(identify -format '%wx%h' "$work/shot-window.png")" = 1400x1000 ] || fail "screenshot size"
loaded=$(board_mean "$window" "$work/board-loaded.png")

# The help from the installed pages: ヘルプ > ヘルプを起動.
menu_command "$window" Left Return
for _ in $(seq 100); do [ "$(visible_named '^マスヴォ ヘルプ$')" -ge 1 ] && break; sleep 0.1; done
[ "$(visible_named '^マスヴォ ヘルプ$')" -ge 1 ] || fail "the help window did not open (help pages not found?)"
sleep 1
import -window root "$work/shot-help.png" || fail "no screenshot of the help"
close_program "$window"

# The first start made the data folder and copied the examples from share/masuvo.
data="$HOME/Documents/マスヴォ２"
[ -d "$data/完成問題" ] && [ -d "$data/.tmp" ] && [ -s "$data/達成記録.csv" ] || fail "data folder incomplete"
diff -r "$share/masuvo/例題" "$data/例題" >&2 || fail "examples not copied from the installed folder"
[ -f "$XDG_CONFIG_HOME/Vardelle/masuvo.conf" ] || fail "settings not written at exit"
grep -q '^size=50$' "$XDG_CONFIG_HOME/Vardelle/masuvo.conf" || fail "settings without the board size"

# Without a file the board is empty: the puzzle's digits made it darker.
"$prefix/bin/masuvo" 2>"$work/stderr" &
program_pid=$!
window=$(main_window) || { cat "$work/stderr" >&2; fail "no window on the second start"; }
sleep 2
empty=$(board_mean "$window" "$work/board-empty.png")
close_program "$window"
awk -v a="$loaded" -v b="$empty" 'BEGIN { exit !(a < b - 0.01) }' ||
    fail "the puzzle file was not on the board (board mean $loaded, empty $empty)"

echo "install_test: layout, desktop files, --version/--help, masuvo-cli, window with the puzzle (board mean $loaded < $empty), help and exit"
