#!/bin/bash
# Bad data on the real, instrumented game in a real window: every case starts
# the game in a folder of good data with one thing spoiled, starts a run with
# a key, plays with held arrows, takes a screenshot and closes the window. In
# every case the game must end with status 0, report nothing to the address,
# leak and undefined-behaviour checks, and leave the stored best time and the
# settings as they were unless a win or M changed them.
# usage: bad-data.sh GAME DATA_FOLDER pictures|files|sounds [CASE_PATTERN]
GAME=$(realpath "$1") DATA=$(realpath "$2")
GROUP=$3
ONLY=${4:-}  # an extended regular expression: only the cases it names
. "$(dirname "$0")/lib.sh"
. "$HERE/winning-run.sh"
x_start
CHECKOUT_GAME=$GAME
BEST=42
PASSED=0 FAILED_CASES=""

# spoil FILE HOW: replaces a file of the case's folder by a bad version of it.
spoil() {
    local file=$FOLDER/$1 good=$DATA/$1
    case $2 in
        missing) rm -f "$file" ;;
        empty) : >"$file" ;;
        truncated) head -c $(($(stat -c %s "$good") / 2)) "$good" >"$file" ;;
        # The header kept, every later byte inverted.
        corrupt) perl -0777 -pe '$_ = substr($_, 0, 40) . ~substr($_, 40)' "$good" >"$file" ;;
        # Smaller than any size the game draws a picture at.
        1x1) convert "$good" -resize '1x1!' "$file" ;;
        small) convert "$good" -resize '10x7!' "$file" ;;
        text) printf 'This is not what it seems to be.\n' >"$file" ;;
        folder) rm -f "$file" && mkdir "$file" && : >"$file/inside" ;;
        pipe) rm -f "$file" && mkfifo "$file" ;;
        huge) huge_picture "$file" ;;
        # A repeatable byte soup: every byte value, up and down.
        binary) printf "$(printf '\\%03o' $(seq 0 255) $(seq 255 -1 0))" >"$file" ;;
        *) die "unknown way to spoil a file: $2" ;;
    esac
}

# begin_case NAME [FILE HOW]...: a fresh folder of good data with a stored
# best time, the named files spoiled.
begin_case() {
    CASE=$1 CASE_FAILURES=$FAILURES FOLDER=$E2E_TMP/case
    shift
    make_folder "$FOLDER"
    printf '%s' "$BEST" >"$FOLDER/Score.txt"
    EXPECT_BEST=$BEST EXPECT_SAVE_FAILURE="" EXPECT_SETTINGS=""
    PLAYER_SHOWN=yes  # the standing player can be found on screenshots
    LEVEL=shipped     # a level of levels/, or broken: how the player can move
    EXERCISE=walk WIN_DONE=shows_end WRAPPER=()
    GAME=$CHECKOUT_GAME LEAK_SUPPRESSIONS=$HERE/x11-leaks.supp
    while [ $# -gt 1 ]; do
        spoil "$1" "$2"
        shift 2
    done
}

use_level() { LEVEL=$1; cp "$HERE/levels/$1.txt" "$FOLDER/level1.txt"; }

# ---------------------------------------------------------------- playing

player_left_of_start() {
    local position
    next_shot
    position=$(player_position "$SHOT") && [ "${position% *}" -lt 100 ]
}

# A held arrow walks the player left from its start, where the level allows it.
exercise_walk() {
    key_down Left
    if [ "$PLAYER_SHOWN" = yes ] && [ "$LEVEL" != broken ]; then
        poll 10 player_left_of_start || check_failed "the held arrow did not move the player"
    else
        sleep 0.5
        next_shot
    fi
    key_up Left
}

# Up and down the ladder of the trap level (the climbing picture is drawn),
# then a walk in the standing picture.
exercise_climb() {
    key_down Up && sleep 1 && key_up Up
    key_down Down && sleep 1.5 && key_up Down
    exercise_walk
}

# Up to the trap corridor and right into the first trap: the ghost (not to be
# seen with its picture spoiled) drifts home, where the held arrow walks nowhere.
exercise_trap() {
    hold Up 100 210 || return
    key_down Right
    POLL_PAUSE=0.25 poll 30 player_at 100 510 || check_failed "the player did not come home after the trap"
    key_up Right
}

# M before the walk: the sound goes off and the choice is saved.
exercise_mute() { key_tap m; exercise_walk; }

exercise_win() { win_run; }

# The end screen's second line, white over whatever the background shows.
shows_end_texts() { next_shot; [ "$(count "$SHOT" 500x40+115+350 "$WHITE")" -gt 100 ]; }

# ---------------------------------------------------------------- one case

# kind FILE: what the file is (regular file, directory, fifo, or nothing).
kind() { stat -c %F "$1" 2>/dev/null; }

# run_case: plays the case set up since begin_case and reports it by name.
run_case() {
    local score=$FOLDER/Score.txt settings=$FOLDER/Settings.txt score_kind settings_kind
    [ -z "$ONLY" ] || [[ $CASE =~ $ONLY ]] || return 0
    score_kind=$(kind "$score") settings_kind=$(kind "$settings")
    [ ! -f "$score" ] || cp "$score" "$E2E_TMP/score-before"
    if game_start "$FOLDER" ${WRAPPER[@]+"${WRAPPER[@]}"}; then
        key_tap space
        if poll 20 shows_run; then
            "exercise_$EXERCISE"
        else
            check_failed "no run started"
        fi
        game_close
        [ "$GAME_STATUS" = 0 ] || check_failed "status $GAME_STATUS after the window was closed"
    fi
    check_sanitizers_quiet
    grep -qF "*******************SCORE = $EXPECT_BEST ***" "$GAME_OUT" ||
        check_failed "the best time was not read as $EXPECT_BEST"
    [ -z "$EXPECT_SAVE_FAILURE" ] || grep -qF "Could not save the best time to Score.txt" "$GAME_ERR" ||
        check_failed "the failed save of the best time was not reported"
    # A file, folder or pipe stays what it was, and no best time appears without a win.
    [ "$(kind "$score")" = "$score_kind" ] || check_failed "Score.txt was a ${score_kind:-nothing}, now a $(kind "$score")"
    [ ! -f "$score" ] || cmp -s "$score" "$E2E_TMP/score-before" || check_failed "the stored best time changed"
    [ ! -d "$score" ] || [ -e "$score/inside" ] || check_failed "the Score.txt folder was touched"
    [ -z "$(find "$FOLDER" -maxdepth 1 -name 'Score.txt.??????')" ] || check_failed "a temporary score file was left behind"
    [ "$settings_kind" != directory ] || [ -e "$settings/inside" ] || check_failed "the Settings.txt folder was touched"
    ! compgen -G "$settings.*" >/dev/null || check_failed "a temporary settings file was left behind"
    [ -z "$EXPECT_SETTINGS" ] || [ "$(cat "$settings" 2>/dev/null)" = "$EXPECT_SETTINGS" ] ||
        check_failed "Settings.txt does not say \"$EXPECT_SETTINGS\""
    if [ "$FAILURES" = "$CASE_FAILURES" ]; then
        echo "case $CASE: ok"
        PASSED=$((PASSED + 1))
    else
        echo "case $CASE: FAILED"
        FAILED_CASES="$FAILED_CASES; $CASE"
    fi
}

# ---------------------------------------------------------------- pictures

picture_cases() {
    local picture how
    for picture in $VAULTRUN_PICTURES; do
        for how in missing truncated corrupt small; do
            begin_case "$picture $how" "$picture" "$how"
            case $picture in
                "$VAULTRUN_PLAYER_PICTURE") PLAYER_SHOWN=no ;;
                "$VAULTRUN_PLAYER_BEHIND_PICTURE") use_level trap && EXERCISE=climb ;;
                "$VAULTRUN_PLAYER_GHOST_PICTURE") use_level trap && EXERCISE=trap ;;
            esac
            run_case
        done
    done
    for how in missing empty 1x1 huge; do
        begin_case "every picture $how" $(printf "%s $how " $VAULTRUN_PICTURES)
        PLAYER_SHOWN=no
        run_case
    done
}

# ---------------------------------------------------------------- other files

file_cases() {
    local how
    for how in missing empty truncated corrupt text folder; do
        begin_case "font $how" "$VAULTRUN_FONT_FILE" "$how"
        run_case
    done
    begin_case "font a picture"
    cp "$DATA/$VAULTRUN_GRASS_PICTURE" "$FOLDER/$VAULTRUN_FONT_FILE"
    run_case

    for how in missing empty folder pipe binary; do
        begin_case "level1.txt $how" level1.txt "$how"
        LEVEL=broken
        run_case
    done
    begin_case "level1.txt 1 MB of lines after the level"
    yes "$(cat "$DATA/level1.txt")" | head -c 1048576 >"$FOLDER/level1.txt"
    run_case
    begin_case "level1.txt one line of 1 MB"
    head -c 1048576 /dev/zero | tr '\0' w >"$FOLDER/level1.txt"
    LEVEL=broken && run_case
    begin_case "level1.txt short lines and stray bytes"
    printf 'ddd\r\n\n\tw\000w\200\377\r\rv\nwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww\r\n\xc3\xa9\xe2\x82\xac\nw' >"$FOLDER/level1.txt"
    LEVEL=broken && run_case

    # A best time that cannot be read counts as none. (What its text may say is
    # the score reader's fuzzer's and the game suite's to try.)
    for how in missing empty folder pipe; do
        begin_case "Score.txt $how" Score.txt "$how"
        EXPECT_BEST=0 && run_case
    done
    begin_case "Score.txt 1 MB of digits"
    head -c 1048576 /dev/zero | tr '\0' 9 >"$FOLDER/Score.txt"
    EXPECT_BEST=0 && run_case

    begin_case "working folder read-only, a won run cannot store its time"
    use_level win
    printf 9999 >"$FOLDER/Score.txt"
    EXPECT_BEST=9999 EXERCISE=win EXPECT_SAVE_FAILURE=yes
    read_only_wrapper
    run_case

    # The end picture too small to hide the map, so the end screen is known
    # by its white lines.
    begin_case "Score.txt a folder, end and open chest pictures spoiled: a won run" \
        Score.txt folder "$VAULTRUN_END_SCREEN_PICTURE" 1x1 "$VAULTRUN_CHEST_OPEN_PICTURE" truncated
    use_level win
    EXPECT_BEST=0 EXERCISE=win EXPECT_SAVE_FAILURE=yes WIN_DONE=shows_end_texts
    run_case
}

# The game runs in the case's folder made read-only for it: a read-only bind
# mount in a mount namespace of its own (root writes through file modes), or,
# where namespaces are not allowed, as the nobody user in a folder it does not own.
read_only_wrapper() {
    local ro='mount --bind "$0" "$0" && mount -o remount,bind,ro "$0" "$0" &&
        cd "$0" && ! (: >"$0/.probe") 2>/dev/null && exec "$@"'
    if unshare -m sh -c "$ro" "$FOLDER" true 2>/dev/null; then
        WRAPPER=(unshare -m sh -c "$ro" "$FOLDER")
        return
    fi
    chmod 711 "$E2E_TMP"
    chmod 755 "$FOLDER"
    chmod 644 "$FOLDER"/*
    # nobody may not reach into the checkout (under /root, say): it runs
    # copies of the game and the suppressions.
    install -m 755 "$GAME" "$E2E_TMP/vaultrun"
    install -m 644 "$LEAK_SUPPRESSIONS" "$E2E_TMP/x11-leaks.supp"
    GAME=$E2E_TMP/vaultrun LEAK_SUPPRESSIONS=$E2E_TMP/x11-leaks.supp
    WRAPPER=(setpriv --reuid=nobody --regid=nogroup --clear-groups sh -c
        'cd "$0" && ! (: >"$0/.probe") 2>/dev/null && exec "$@"' "$FOLDER")
}

# ---------------------------------------------------------------- sounds

sound_cases() {
    local sound how
    for sound in $VAULTRUN_SOUNDS; do
        for how in missing empty truncated corrupt folder; do
            begin_case "$sound $how" "$sound" "$how"
            run_case
        done
    done
    begin_case "music.ogg pipe" music.ogg pipe
    run_case
    for how in missing empty; do
        begin_case "every sound $how" $(printf "%s $how " $VAULTRUN_SOUNDS)
        run_case
    done
    # Each effect asked for while its file is spoiled.
    begin_case "trap sounds truncated: a trap hit" trapHit.wav truncated ghostHome.wav truncated trapSlam.wav truncated
    use_level trap
    EXERCISE=trap
    run_case
    begin_case "key, chest and fanfare sounds corrupt, the music truncated: a won run" \
        keyTaken.wav corrupt chestUnlock.wav corrupt runWon.wav corrupt music.ogg truncated
    use_level win
    # A best no run can beat: the win leaves the stored time alone.
    printf 1 >"$FOLDER/Score.txt"
    EXPECT_BEST=1 EXERCISE=win
    run_case

    # The settings file: anything but "sound off" means sound on, and M saves
    # the choice where it can.
    for how in missing empty folder pipe binary; do
        begin_case "Settings.txt $how, then M"
        printf 'sound off\n' >"$FOLDER/Settings.txt"
        spoil Settings.txt "$how"
        EXERCISE=mute
        [ "$how" = folder ] || EXPECT_SETTINGS="sound off"
        run_case
    done
    begin_case "Settings.txt sound off, then M"
    printf 'sound off\n' >"$FOLDER/Settings.txt"
    EXERCISE=mute EXPECT_SETTINGS="sound on"
    run_case
}

# ---------------------------------------------------------------- main

ldd "$GAME" | grep -q libasan || die "run these cases on the sanitizer build of the game"
started=$(now_ms)
case $GROUP in
    pictures) picture_cases ;;
    files) file_cases ;;
    sounds) sound_cases ;;
    *) die "unknown group $GROUP" ;;
esac
echo "bad data ($GROUP) in $((($(now_ms) - started) / 1000)) s: $PASSED passed"
[ "$FAILURES" = 0 ] || die "failed:${FAILED_CASES#;}"
