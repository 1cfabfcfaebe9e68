#!/bin/bash
# The real program's sound, heard through SDL's disk audio driver, which
# writes the mixed output to a file as it plays (silence as zero bytes):
#  - the title music and a run are heard; after M nothing is; M never starts
#    a run; the choice is kept in Settings.txt, so the next play starts
#    silent until M; the best time stays untouched;
#  - without a working audio driver the game says so in one line on standard
#    error (and nothing of the sound library's own), plays a run and closes
#    with status 0.
# usage: sound.sh GAME DATA_FOLDER
GAME=$(realpath "$1")
DATA=$(realpath "$2")
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/lib.sh"
x_start

OUTPUT=$E2E_TMP/output.raw
NO_SOUND_LINE="Playing without sound: "
# The mixer's buffers already handed to the driver still play after M is seen.
SETTLE=0.5

output_size() { stat -c %s "$OUTPUT" 2>/dev/null || echo 0; }

# audible FROM TO: a byte of the output between the two offsets is not zero.
audible() {
    [ "$(tail -c +$(($1 + 1)) "$OUTPUT" | head -c $(($2 - $1)) | tr -d '\000' | head -c 1 | wc -c)" = 1 ]
}

# listen SECONDS: sets FROM and TO around that much fresh output.
listen() {
    FROM=$(output_size)
    sleep "$1"
    TO=$(output_size)
    [ "$TO" -gt "$FROM" ] || check_failed "the disk driver wrote nothing for $1 s"
}

settings_say() { [ "$(cat "$folder/Settings.txt" 2>/dev/null)" = "$1" ]; }

# mute_key SETTING: taps M, waits until the game has saved the setting ("sound
# off" or "sound on"), then until the buffers already mixed have played.
mute_key() {
    key_tap m
    poll 20 settings_say "$1" || check_failed "M did not save \"$1\""
    sleep "$SETTLE"
}

check_closed_cleanly() {
    game_close
    [ "$GAME_STATUS" = 0 ] || check_failed "status $GAME_STATUS after the window was closed"
    check_sanitizers_quiet
}

folder=$E2E_TMP/sound
make_folder "$folder"
printf 42 >"$folder/Score.txt"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$OUTPUT

echo "case: sound on, then M"
if game_start "$folder"; then
    listen 1
    audible "$FROM" "$TO" || check_failed "the title is silent"
    mute_key "sound off"
    listen 1
    audible "$FROM" "$TO" && check_failed "the title still sounds after M"
    shows_run && check_failed "M started a run"
    mute_key "sound on"
    key_tap space
    poll 20 shows_run || check_failed "no run started"
    listen 1
    audible "$FROM" "$TO" || check_failed "the run is silent"
    mute_key "sound off"
    key_down Left
    listen 1.5
    key_up Left
    audible "$FROM" "$TO" && check_failed "the run still sounds after M"
    check_closed_cleanly
fi
settings_say "sound off" || check_failed "Settings.txt does not keep the sound off"
[ "$(cat "$folder/Score.txt")" = 42 ] || check_failed "the best time changed"

echo "case: muted from the last play"
if game_start "$folder"; then
    key_tap space
    poll 20 shows_run || check_failed "no run started"
    sleep 1
    audible 0 "$(output_size)" && check_failed "a play that starts muted made a sound"
    mute_key "sound on"
    listen 1
    audible "$FROM" "$TO" || check_failed "M did not bring the sound back"
    check_closed_cleanly
fi
settings_say "sound on" || check_failed "Settings.txt does not keep the sound on"

# no_sound_case NAME: a run without sound, one line saying so, a clean close.
no_sound_case() {
    echo "case: $1"
    rm -f "$folder/Settings.txt"
    game_start "$folder" || return
    key_tap space
    poll 20 shows_run || check_failed "no run started"
    key_down Left
    sleep 1
    key_up Left
    key_tap m
    check_closed_cleanly
    if grep -q "^$NO_SOUND_LINE" "$GAME_ERR"; then
        [ "$(grep -c "^$NO_SOUND_LINE" "$GAME_ERR")" = 1 ] || check_failed "more than one line about the sound"
        grep -q '^ALSA lib' "$GAME_ERR" && check_failed "the sound library's own errors reached the player"
    elif [ "$1" = "an audio driver that does not exist" ]; then
        check_failed "no line on standard error says the game plays without sound: $(head -c 2000 "$GAME_ERR")"
    fi
}

unset SDL_DISKAUDIOFILE
export SDL_AUDIODRIVER=no-such-driver
no_sound_case "an audio driver that does not exist"
# On a machine without a sound card, SDL's own choice fails too.
unset SDL_AUDIODRIVER
no_sound_case "no audio driver named"

[ "$FAILURES" = 0 ] || die "$FAILURES check(s) failed"
echo "sound: ok"
