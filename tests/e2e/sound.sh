#!/bin/bash
# The real program's sound, heard through SDL's disk audio driver, which
# writes the mixed output to a file as it plays (silence as zero bytes):
#  - the title music and a run are heard; after M nothing is; M never starts
#    a run; the choice is kept in Settings.txt, so the next play starts
#    silent until M; a paused run is silent until resumed; the best time
#    stays untouched;
#  - without a working audio driver the game says so in one line on standard
#    error (and nothing of the sound library's own), plays a run and closes
#    with status 0.
# usage: sound.sh GAME DATA_FOLDER
GAME=$(realpath "$1") DATA=$(realpath "$2")
. "$(dirname "$0")/lib.sh"
x_start

OUTPUT=$E2E_TMP/output.raw
NO_SOUND_LINE="Playing without sound: "

output_size() { stat -c %s "$OUTPUT" 2>/dev/null || echo 0; }

# heard SECONDS: some of the output written over that many seconds is not silence.
heard() {
    local from to
    from=$(output_size)
    sleep "$1"
    to=$(output_size)
    [ "$to" -gt "$from" ] || check_failed "the disk driver wrote nothing for $1 s"
    [ "$(tail -c +$((from + 1)) "$OUTPUT" | head -c $((to - from)) | tr -d '\000' | head -c 1 | wc -c)" = 1 ]
}

settings_say() { [ "$(cat "$folder/Settings.txt" 2>/dev/null)" = "$1" ]; }

# mute_key SETTING: taps M, waits until the game has saved the setting ("sound
# off" or "sound on"), then until the buffers already handed to the driver,
# which still play after M is seen, have played.
mute_key() {
    key_tap m
    poll 20 settings_say "$1" || check_failed "M did not save \"$1\""
    sleep 0.5
}

folder=$E2E_TMP/sound
make_folder "$folder"
printf 42 >"$folder/Score.txt"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$OUTPUT

echo "case: sound on, then M"
if game_start "$folder"; then
    heard 1 || check_failed "the title is silent"
    mute_key "sound off"
    heard 1 && check_failed "the title still sounds after M"
    shows_run && check_failed "M started a run"
    mute_key "sound on"
    key_tap space
    poll 20 shows_run || check_failed "no run started"
    heard 1 || check_failed "the run is silent"
    mute_key "sound off"
    key_down Left
    heard 1.5 && check_failed "the run still sounds after M"
    key_up Left
    close_cleanly
fi
settings_say "sound off" || check_failed "Settings.txt does not keep the sound off"
[ "$(cat "$folder/Score.txt")" = 42 ] || check_failed "the best time changed"

echo "case: muted from the last play"
if game_start "$folder"; then
    key_tap space
    poll 20 shows_run || check_failed "no run started"
    sleep 1
    [ "$(tr -d '\000' <"$OUTPUT" | head -c 1 | wc -c)" = 0 ] || check_failed "a play that starts muted made a sound"
    mute_key "sound on"
    heard 1 || check_failed "M did not bring the sound back"
    key_tap p
    sleep 0.5
    heard 1 && check_failed "the paused run still sounds"
    key_tap p
    heard 1 || check_failed "resumed, the run is silent"
    close_cleanly
fi
settings_say "sound on" || check_failed "Settings.txt does not keep the sound on"

# A driver that does not exist, then SDL's own choice, which fails too on a
# machine without a sound card.
unset SDL_DISKAUDIOFILE
for SDL_AUDIODRIVER in no-such-driver ""; do
    echo "case: audio driver '$SDL_AUDIODRIVER'"
    [ -n "$SDL_AUDIODRIVER" ] || unset SDL_AUDIODRIVER
    rm -f "$folder/Settings.txt"
    game_start "$folder" || continue
    key_tap space
    poll 20 shows_run || check_failed "no run started"
    key_down Left
    sleep 1
    key_up Left
    key_tap m
    close_cleanly
    lines=$(grep -c "^$NO_SOUND_LINE" "$GAME_ERR")
    [ "$lines" -le 1 ] || check_failed "more than one line about the sound"
    [ "$lines" = 1 ] || [ -z "${SDL_AUDIODRIVER:-}" ] ||
        check_failed "no line on standard error says the game plays without sound: $(head -c 2000 "$GAME_ERR")"
    [ "$lines" = 0 ] || ! grep -q '^ALSA lib' "$GAME_ERR" || check_failed "the sound library's own errors reached the player"
done
e2e_done sound
