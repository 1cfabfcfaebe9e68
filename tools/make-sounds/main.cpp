// Makes every sound of the game from its text source: for each file named on
// the command line, SOUND_DIR/<stem>.txt is rendered and written to DATA_DIR
// (WAV or Ogg Vorbis by the name's ending). Run by the build.
//
// usage: vaultrun-make-sounds SOUND_DIR DATA_DIR FILE...

#include "SoundScore.h"
#include "SoundWriter.h"
#include "Synthesiser.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: vaultrun-make-sounds SOUND_DIR DATA_DIR FILE...\n");
        return 2;
    }
    const std::string soundDir = argv[1];
    const std::string dataDir = argv[2];
    for (int i = 3; i < argc; ++i) {
        const std::string file = argv[i];
        const std::string source = soundDir + "/" + file.substr(0, file.rfind('.')) + ".txt";
        std::string error;
        SoundScore score;
        if (!score.Load(source, error) ||
            !SoundWriter::Save(Synthesiser::Render(score), Synthesiser::kSampleRate,
                               dataDir + "/" + file, error)) {
            std::fprintf(stderr, "vaultrun-make-sounds: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
