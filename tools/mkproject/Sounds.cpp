#include <array>
#include <string>

#include "Audio.h"
#include "Project.h"

namespace mkproject {

namespace {

struct Tone {
  const char* file;
  int startHz;
  int endHz;
  int milliseconds;
};

// The system sounds and the Sound database's entries, by file.
constexpr std::array<Tone, 11> kTones = {{
    {"wave\\Decide.wav", 880, 1320, 80},
    {"wave\\Cancel.wav", 660, 330, 100},
    {"wave\\Cursor.wav", 1200, 1200, 30},
    {"wave\\Pause.wav", 520, 780, 120},
    {"wave\\Miss.wav", 700, 120, 600},
    {"wave\\Crush.wav", 300, 80, 150},
    {"wave\\Jump.wav", 300, 900, 120},
    {"wave\\Coin.wav", 1400, 2100, 150},
    {"wave\\Clear.wav", 520, 1560, 700},
    {"wave\\Warning.wav", 1000, 1000, 200},
    {"wave\\Shot.wav", 1800, 600, 90},
}};

}  // namespace

void WriteSounds() {
  for (const Tone& tone : kTones)
    WriteFile(tone.file, EncodeWave(SynthTone(tone.startHz, tone.endHz, tone.milliseconds)));
}

void WriteMusic() {
  WriteFile("bgm\\Sample.mid", EncodeMidi(SampleTune(), 140));
  // 140 beats a minute: an eighth note lasts 214 ms.
  WriteFile("bgm\\Sample.ogg", EncodeOgg(SynthTune(SampleTune(), 214)));
}

}  // namespace mkproject
