#pragma once
// MIDI streams in the shape of the Windows stream calls the music player is
// written against: buffers of timed events queued on a stream, played through
// a synth in the mixer, with callbacks posted to a thread. The stream's clock
// is the mix: its events fall on exact output frames.
#include <atomic>
#include <cstdint>
#include <string>

#include "platform/WinTypes.h"

namespace platform::audio {
class MidiStream;
}

using HMIDISTRM = platform::audio::MidiStream*;
using MMRESULT = UINT;
using DWORD_PTR = std::uintptr_t;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MIDIERR_UNPREPARED = 64;
constexpr MMRESULT MIDIERR_STILLPLAYING = 65;

constexpr UINT MIDI_MAPPER = static_cast<UINT>(-1);
constexpr DWORD CALLBACK_NULL = 0;
constexpr DWORD CALLBACK_THREAD = 0x20000;
constexpr UINT MM_MOM_DONE = 0x3C9;
constexpr UINT MM_MOM_POSITIONCB = 0x3CA;

constexpr DWORD MHDR_DONE = 1;
constexpr DWORD MHDR_PREPARED = 2;
constexpr DWORD MHDR_INQUEUE = 4;

constexpr DWORD MEVT_F_SHORT = 0;
constexpr DWORD MEVT_F_LONG = 0x80000000;
constexpr DWORD MEVT_F_CALLBACK = 0x40000000;
constexpr DWORD MEVT_SHORTMSG = 0x00;
constexpr DWORD MEVT_TEMPO = 0x01;
constexpr DWORD MEVT_NOP = 0x02;
constexpr DWORD MEVT_LONGMSG = 0x80;
constexpr DWORD MIDIPROP_SET = 0x80000000;
constexpr DWORD MIDIPROP_GET = 0x40000000;
constexpr DWORD MIDIPROP_TIMEDIV = 1;
constexpr DWORD MIDIPROP_TEMPO = 2;

// A buffer of MIDIEVENT records {delta time, stream id, event[, parameters]}.
// The flags change on the mixing thread while their owner reads them.
struct MIDIHDR {
  char* lpData = nullptr;
  DWORD dwBufferLength = 0;
  DWORD dwBytesRecorded = 0;
  DWORD_PTR dwUser = 0;
  std::atomic<DWORD> dwFlags{0};
  MIDIHDR* lpNext = nullptr;
  DWORD_PTR reserved = 0;
  DWORD dwOffset = 0;  // of the event that posted the last position callback
};

struct MIDIPROPTIMEDIV {
  DWORD cbStruct = sizeof(MIDIPROPTIMEDIV);
  DWORD dwTimeDiv = 0;
};

struct MIDIPROPTEMPO {
  DWORD cbStruct = sizeof(MIDIPROPTEMPO);
  DWORD dwTempo = 0;
};

// One stream at a time, on the mapper (or device 0), with thread callbacks
// (MM_MOM_POSITIONCB for events flagged MEVT_F_CALLBACK, MM_MOM_DONE for
// each finished buffer; wParam the stream, lParam the header). A stream opens paused.
MMRESULT midiStreamOpen(HMIDISTRM* stream, UINT* deviceId, DWORD streams, DWORD_PTR callback, DWORD_PTR instance,
                        DWORD flags);
MMRESULT midiStreamProperty(HMIDISTRM stream, void* property, DWORD flags);
MMRESULT midiOutPrepareHeader(HMIDISTRM stream, MIDIHDR* header, UINT size);
MMRESULT midiOutUnprepareHeader(HMIDISTRM stream, MIDIHDR* header, UINT size);
MMRESULT midiStreamOut(HMIDISTRM stream, MIDIHDR* header, UINT size);
MMRESULT midiStreamRestart(HMIDISTRM stream);
// Pausing keeps the position; notes are let go so none hangs meanwhile.
MMRESULT midiStreamPause(HMIDISTRM stream);
// Stop and reset return every queued buffer, let go all notes and rewind
// (the tempo too, back to 120 beats a minute).
MMRESULT midiStreamStop(HMIDISTRM stream);
MMRESULT midiOutReset(HMIDISTRM stream);
MMRESULT midiStreamClose(HMIDISTRM stream);
std::string midiErrorText(MMRESULT error);

namespace platform::audio {
// Buffers queued on the stream and not yet played (-1 for a bad handle).
int QueuedStreamBuffers(HMIDISTRM stream);
}  // namespace platform::audio
