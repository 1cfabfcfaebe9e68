#include "Tqz41kSoundCues.h"

#include "BaseEngine.h"
#include "Tqz41kSettings.h"
#include "Tqz41kSoundFiles.h"

#include <string_view>

namespace Files = Tqz41kSoundFiles;

void Tqz41kSoundCues::Load()
{
    AudioMixer& mixer = engine->GetAudio();
    // Read after the title is first shown: the first frame waits for no file.
    for (const char* file : Files::All) {
        if (std::string_view(file) == Files::Music)
            mixer.QueueLoop(file, file);
        else
            mixer.QueueSound(file, file);
    }
    muted = !Tqz41kSettings::ReadSoundOn();
    mixer.SetMuted(muted);
}

void Tqz41kSoundCues::Play(const char* name)
{
    engine->GetAudio().Play(name);
}

void Tqz41kSoundCues::TitleShown()
{
    engine->GetAudio().PlayLoop(Files::Music);
}

void Tqz41kSoundCues::RunStarted()
{
    Play(Files::RunStart);
    engine->GetAudio().PlayLoop(Files::Music);
}

void Tqz41kSoundCues::KeyTaken(int keysLeft)
{
    Play(keysLeft <= 0 ? Files::ChestUnlock : Files::KeyTaken);
}

void Tqz41kSoundCues::TrapHit()
{
    Play(Files::TrapHit);
}

void Tqz41kSoundCues::GhostHome()
{
    Play(Files::GhostHome);
}

void Tqz41kSoundCues::RunWon()
{
    // The fanfare alone on the end screen; the music comes back with the next run.
    engine->GetAudio().StopLoop();
    Play(Files::RunWon);
}

void Tqz41kSoundCues::TrapSlammed(int updateTime)
{
    if (slammedBefore && updateTime == lastSlamTime)
        return;
    slammedBefore = true;
    lastSlamTime = updateTime;
    Play(Files::TrapSlam);
}

void Tqz41kSoundCues::ToggleMute()
{
    muted = !muted;
    engine->GetAudio().SetMuted(muted);
    Tqz41kSettings::WriteSoundOn(!muted);
}
