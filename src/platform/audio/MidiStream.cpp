#include "platform/audio/MidiStream.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/Messages.h"
#include "platform/audio/MidiSynth.h"
#include "platform/audio/Mixer.h"

namespace platform::audio {

class MidiStream final : public MixSource {
 public:
  MidiStream(std::shared_ptr<MidiSynth> synth, DWORD callbackThread)
      : m_synth(std::move(synth)), m_callbackThread(callbackThread) {
    TheMixer().Attach(this);
  }
  ~MidiStream() override { TheMixer().Detach(this); }

  MMRESULT Property(void* property, DWORD flags);
  MMRESULT Out(MIDIHDR* header);
  MMRESULT Restart();
  MMRESULT Pause();
  MMRESULT Stop();
  bool Busy();
  int Queued();
  void MixInto(float* out, int frames) override;

 private:
  std::int64_t FramesFor(DWORD ticks);
  // Plays every event that is due now, finishing the buffers it empties.
  void PlayDueEvents();
  // The bytes of the next whole event of a buffer, 0 when none is left.
  std::size_t NextEventSize(const MIDIHDR& header) const;
  void Dispatch(DWORD code, const char* parameters);
  void MarkFrontDone();
  void FinishFront();
  void Post(UINT message, MIDIHDR* header);

  std::mutex m_mutex;
  std::shared_ptr<MidiSynth> m_synth;
  DWORD m_callbackThread;
  std::deque<MIDIHDR*> m_queue;
  DWORD m_offset = 0;  // of the next event in the front buffer
  bool m_paused = true;
  DWORD m_timeDiv = 96;
  static constexpr DWORD kDefaultTempo = 500000;  // microseconds per quarter note
  DWORD m_tempo = kDefaultTempo;
  bool m_waiting = false;  // the next event's delta is counting down
  std::int64_t m_framesToEvent = 0;
  unsigned __int128 m_remainder = 0;  // of the tick-to-frame division, so no time is lost
};

namespace {

constexpr std::size_t kEventHeader = 12;

DWORD Read32(const char* p) {
  DWORD value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

std::size_t Padded(DWORD length) { return (static_cast<std::size_t>(length) + 3) & ~std::size_t{3}; }

struct Streams {
  std::mutex mutex;
  std::vector<std::unique_ptr<MidiStream>> open;
};
// Never destroyed: a player held by a static may close its stream at exit.
Streams& streams = *new Streams;

// Runs an operation on an open stream with the set locked, so a stream
// closed meanwhile by another thread is never touched.
template <typename Operation>
MMRESULT WithStream(HMIDISTRM handle, Operation operation) {
  std::lock_guard lock(streams.mutex);
  auto found = std::find_if(streams.open.begin(), streams.open.end(), [&](auto& s) { return s.get() == handle; });
  if (found == streams.open.end()) return MMSYSERR_INVALHANDLE;
  return operation(**found);
}

}  // namespace

std::int64_t MidiStream::FramesFor(DWORD ticks) {
  unsigned __int128 perTick, perFrame;
  if (m_timeDiv & 0x8000) {  // SMPTE: frames per second and ticks per frame
    const int fps = -static_cast<std::int8_t>(m_timeDiv >> 8);
    perTick = kMixRate;
    perFrame = static_cast<unsigned>(fps * (m_timeDiv & 0xFF));
  } else {
    perTick = static_cast<unsigned __int128>(m_tempo) * kMixRate;
    perFrame = static_cast<unsigned __int128>(m_timeDiv) * 1000000u;
  }
  unsigned __int128 units = perTick * ticks + m_remainder;
  m_remainder = units % perFrame;
  unsigned __int128 frames = units / perFrame;
  return static_cast<std::int64_t>(std::min<unsigned __int128>(frames, std::numeric_limits<std::int64_t>::max() / 2));
}

MMRESULT MidiStream::Property(void* property, DWORD flags) {
  std::lock_guard lock(m_mutex);
  const bool set = flags & MIDIPROP_SET;
  if (!property || set == bool(flags & MIDIPROP_GET)) return MMSYSERR_INVALPARAM;
  if (flags & MIDIPROP_TIMEDIV) {
    auto* timeDiv = static_cast<MIDIPROPTIMEDIV*>(property);
    if (!set) {
      timeDiv->dwTimeDiv = m_timeDiv;
      return MMSYSERR_NOERROR;
    }
    const DWORD value = timeDiv->dwTimeDiv;
    const bool smpteOk = (value & 0xFF) != 0 && (value >> 8 & 0xFF) >= 0x80;
    if (value == 0 || value > 0xFFFF || ((value & 0x8000) && !smpteOk)) return MMSYSERR_INVALPARAM;
    m_timeDiv = value;
    m_remainder = 0;  // it counted in units of the old division
    return MMSYSERR_NOERROR;
  }
  if (flags & MIDIPROP_TEMPO) {
    auto* tempo = static_cast<MIDIPROPTEMPO*>(property);
    if (set)
      m_tempo = tempo->dwTempo;
    else
      tempo->dwTempo = m_tempo;
    return MMSYSERR_NOERROR;
  }
  return MMSYSERR_INVALFLAG;
}

MMRESULT MidiStream::Out(MIDIHDR* header) {
  std::lock_guard lock(m_mutex);
  if (!(header->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
  if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  if (header->dwBytesRecorded > header->dwBufferLength) return MMSYSERR_INVALPARAM;
  header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
  m_queue.push_back(header);
  return MMSYSERR_NOERROR;
}

MMRESULT MidiStream::Restart() {
  std::lock_guard lock(m_mutex);
  m_paused = false;
  return MMSYSERR_NOERROR;
}

MMRESULT MidiStream::Pause() {
  std::lock_guard lock(m_mutex);
  m_paused = true;
  m_synth->AllNotesOff();
  return MMSYSERR_NOERROR;
}

MMRESULT MidiStream::Stop() {
  std::lock_guard lock(m_mutex);
  m_paused = true;
  while (!m_queue.empty()) FinishFront();
  // Rewound means from the song's start: a song that changed its tempo and
  // loops must not play its next pass at the changed tempo.
  m_tempo = kDefaultTempo;
  m_waiting = false;
  m_remainder = 0;
  m_synth->AllNotesOff();
  return MMSYSERR_NOERROR;
}

bool MidiStream::Busy() {
  std::lock_guard lock(m_mutex);
  return !m_queue.empty();
}

int MidiStream::Queued() {
  std::lock_guard lock(m_mutex);
  return static_cast<int>(m_queue.size());
}

void MidiStream::Post(UINT message, MIDIHDR* header) {
  if (m_callbackThread)
    PostThreadMessage(m_callbackThread, message, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(header));
}

void MidiStream::MarkFrontDone() {
  MIDIHDR* header = m_queue.front();
  m_queue.pop_front();
  m_offset = 0;
  header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
}

void MidiStream::FinishFront() {
  MIDIHDR* header = m_queue.front();
  MarkFrontDone();
  Post(MM_MOM_DONE, header);
}

std::size_t MidiStream::NextEventSize(const MIDIHDR& header) const {
  const std::size_t recorded = header.dwBytesRecorded;
  if (recorded < kEventHeader || m_offset > recorded - kEventHeader) return 0;
  const DWORD code = Read32(header.lpData + m_offset + 8);
  const std::size_t message = code & MEVT_F_LONG ? Padded(code & 0xFFFFFF) : 0;
  return message > recorded - m_offset - kEventHeader ? 0 : kEventHeader + message;
}

void MidiStream::Dispatch(DWORD code, const char* parameters) {
  const DWORD type = code >> 24 & 0x3F;
  if (code & MEVT_F_LONG) {
    if (type == MEVT_LONGMSG)
      m_synth->LongMessage({reinterpret_cast<const std::uint8_t*>(parameters), code & 0xFFFFFF});
  } else if (type == MEVT_TEMPO) {
    m_tempo = code & 0xFFFFFF;
  } else if (type == MEVT_SHORTMSG) {
    m_synth->ShortMessage(code & 0xFFFFFF);
  }
}

void MidiStream::PlayDueEvents() {
  while (!m_queue.empty()) {
    MIDIHDR* header = m_queue.front();
    const std::size_t size = NextEventSize(*header);
    if (size == 0) {  // no whole event left in the buffer
      FinishFront();
      continue;
    }
    const char* event = header->lpData + m_offset;
    if (!m_waiting) {
      m_framesToEvent = FramesFor(Read32(event));
      m_waiting = true;
    }
    if (m_framesToEvent > 0) return;
    m_waiting = false;
    const DWORD code = Read32(event + 8);
    Dispatch(code, event + kEventHeader);
    const DWORD eventOffset = m_offset;
    m_offset += static_cast<DWORD>(size);
    // The buffer is marked done before its callback goes out, so the callback
    // thread can refill it at once.
    const bool last = NextEventSize(*header) == 0;
    if (last) MarkFrontDone();
    if (code & MEVT_F_CALLBACK) {
      header->dwOffset = eventOffset;
      Post(MM_MOM_POSITIONCB, header);
    }
    if (last) Post(MM_MOM_DONE, header);
  }
}

void MidiStream::MixInto(float* out, int frames) {
  std::lock_guard lock(m_mutex);
  int done = 0;
  while (done < frames) {
    if (!m_paused) PlayDueEvents();
    int run = frames - done;
    const bool counting = !m_paused && m_waiting;
    if (counting) run = static_cast<int>(std::min<std::int64_t>(run, m_framesToEvent));
    m_synth->Render(out + done * kMixChannels, run);
    done += run;
    if (counting) m_framesToEvent -= run;
  }
}

int QueuedStreamBuffers(HMIDISTRM stream) {
  int queued = -1;
  WithStream(stream, [&](MidiStream& s) {
    queued = s.Queued();
    return MMSYSERR_NOERROR;
  });
  return queued;
}

}  // namespace platform::audio

using platform::audio::MidiStream;
using platform::audio::streams;
using platform::audio::WithStream;

MMRESULT midiStreamOpen(HMIDISTRM* stream, UINT* deviceId, DWORD count, DWORD_PTR callback, DWORD_PTR, DWORD flags) {
  if (!stream) return MMSYSERR_INVALPARAM;
  *stream = nullptr;
  if (!deviceId || (*deviceId != MIDI_MAPPER && *deviceId != 0)) return MMSYSERR_BADDEVICEID;
  if (count != 1) return MMSYSERR_INVALPARAM;
  if (flags != CALLBACK_NULL && flags != CALLBACK_THREAD) return MMSYSERR_INVALFLAG;
  std::lock_guard lock(streams.mutex);
  if (!streams.open.empty()) return MMSYSERR_ALLOCATED;
  const DWORD thread = flags == CALLBACK_THREAD ? static_cast<DWORD>(callback) : 0;
  auto made = std::make_unique<MidiStream>(platform::audio::StreamSynth(), thread);
  *stream = made.get();
  streams.open.push_back(std::move(made));
  return MMSYSERR_NOERROR;
}

MMRESULT midiStreamProperty(HMIDISTRM stream, void* property, DWORD flags) {
  return WithStream(stream, [&](MidiStream& s) { return s.Property(property, flags); });
}

MMRESULT midiOutPrepareHeader(HMIDISTRM stream, MIDIHDR* header, UINT) {
  return WithStream(stream, [&](MidiStream&) {
    if (!header || !header->lpData) return MMSYSERR_INVALPARAM;
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiOutUnprepareHeader(HMIDISTRM stream, MIDIHDR* header, UINT) {
  return WithStream(stream, [&](MidiStream&) {
    if (!header) return MMSYSERR_INVALPARAM;
    if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
    header->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiStreamOut(HMIDISTRM stream, MIDIHDR* header, UINT) {
  return WithStream(stream, [&](MidiStream& s) { return header ? s.Out(header) : MMSYSERR_INVALPARAM; });
}

MMRESULT midiStreamRestart(HMIDISTRM stream) {
  return WithStream(stream, [](MidiStream& s) { return s.Restart(); });
}

MMRESULT midiStreamPause(HMIDISTRM stream) {
  return WithStream(stream, [](MidiStream& s) { return s.Pause(); });
}

MMRESULT midiStreamStop(HMIDISTRM stream) {
  return WithStream(stream, [](MidiStream& s) { return s.Stop(); });
}

MMRESULT midiOutReset(HMIDISTRM stream) { return midiStreamStop(stream); }

MMRESULT midiStreamClose(HMIDISTRM stream) {
  std::lock_guard lock(streams.mutex);
  auto found = std::find_if(streams.open.begin(), streams.open.end(), [&](auto& s) { return s.get() == stream; });
  if (found == streams.open.end()) return MMSYSERR_INVALHANDLE;
  if ((*found)->Busy()) return MIDIERR_STILLPLAYING;
  streams.open.erase(found);
  return MMSYSERR_NOERROR;
}

std::string midiErrorText(MMRESULT error) {
  switch (error) {
    case MMSYSERR_NOERROR:
      return "";
    case MMSYSERR_BADDEVICEID:
      return "The device identifier is out of range.";
    case MMSYSERR_ALLOCATED:
      return "The device is already in use.";
    case MMSYSERR_INVALHANDLE:
      return "The handle is not valid.";
    case MMSYSERR_INVALFLAG:
      return "A flag is not valid.";
    case MMSYSERR_INVALPARAM:
      return "A parameter is not valid.";
    case MIDIERR_UNPREPARED:
      return "The header is not prepared.";
    case MIDIERR_STILLPLAYING:
      return "The buffer is still playing.";
    default:
      return "Unknown MIDI error " + std::to_string(error) + ".";
  }
}
