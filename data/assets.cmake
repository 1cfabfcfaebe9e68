# The game's window, font and data files, named once. CMake turns this list
# into GameAssets.h (constants for the game, the tools and the C++ tests) and
# assets.sh (variables for the shell tests), and the data rules draw and copy
# exactly the files named here. Adding a picture or a sound is one line below,
# plus the art or the sound itself.

set(VAULTRUN_WINDOW_TITLE "Vaultrun")
set(VAULTRUN_WINDOW_WIDTH 800)
set(VAULTRUN_WINDOW_HEIGHT 600)
# The game opens its font under this name; the build copies the shipped font to it.
set(VAULTRUN_FONT_FILE "Cornerstone Regular.ttf")
set(VAULTRUN_FONT_SIZE 24)

# One picture a line: the name the code knows it by, the file (no spaces), the
# size the game draws it at, and "masked" when it is drawn without its
# bottom-right colour (which must then be clear) or "opaque". A .png is drawn
# from art/<file stem>.txt, a .gif is a painted backdrop.
set(VAULTRUN_PICTURES
    "PlayerPicture capnRedBear.png 25 30 masked"
    "PlayerBehindPicture capnRedBearBehind.png 25 30 masked"
    "PlayerGhostPicture capnRedBearGhost.png 25 30 masked"
    "KeyPicture keySprite.png 20 30 masked"
    "TrapPicture thwompTransparent.png 30 45 masked"
    "TrapCoverPicture trapCover.png 30 50 opaque"
    "GrassPicture grass.png 55 50 masked"
    "LadderPicture Ladder.png 55 50 masked"
    "ChestClosedPicture chestClosed.png 55 50 masked"
    "ChestOpenPicture chestOpen.png 55 50 masked"
    "TitleScreenPicture StartScreen.gif ${VAULTRUN_WINDOW_WIDTH} ${VAULTRUN_WINDOW_HEIGHT} opaque"
    "EndScreenPicture EndScreen.gif ${VAULTRUN_WINDOW_WIDTH} ${VAULTRUN_WINDOW_HEIGHT} opaque"
)

# One sound a line: the name the code knows it by and the file (no spaces).
# Effects are WAV, the music loop Ogg Vorbis; each is made from
# sound/<file stem>.txt.
set(VAULTRUN_SOUNDS
    "RunStartSound runStart.wav"
    "KeyTakenSound keyTaken.wav"
    "ChestUnlockSound chestUnlock.wav"
    "TrapHitSound trapHit.wav"
    "GhostHomeSound ghostHome.wav"
    "RunWonSound runWon.wav"
    "TrapSlamSound trapSlam.wav"
    "MusicSound music.ogg"
)
