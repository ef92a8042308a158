#include "library/sound/Midi.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "library/util/Log.h"
#include "library/util/Text.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/audio/MidiSynth.h"
#include "platform/audio/Wave.h"

namespace {

// Far beyond any song; it bounds what a damaged file can make us allocate.
constexpr std::size_t kMaxMidiFileBytes = 4u << 20;
// The most ticks a song may last, so every delta fits a variable-length number.
constexpr std::uint64_t kMaxTicks = 0x0FFFFFFF;
constexpr DWORD kSongEndEvent = 0x002FFF;
constexpr std::size_t kEventRecord = 12;

std::uint32_t Be32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1] << 16 | p[2] << 8 | p[3]);
}
unsigned Be16(const std::uint8_t* p) { return static_cast<unsigned>(p[0] << 8 | p[1]); }

// One event of a source track: its absolute time and the bytes after its status.
struct ParsedEvent {
  std::uint32_t time;
  std::uint8_t status;
  std::span<const std::uint8_t> data;
};

struct ParseFailure {
  std::size_t offset;
  const char* reason;
};

// Where an event's data ends, by its status; nothing when it runs past `end`.
std::optional<std::size_t> DataEnd(std::span<const std::uint8_t> file, std::size_t at, std::size_t end,
                                   std::uint8_t status) {
  std::size_t lengthAt = at;
  if (status == 0xFF) ++lengthAt;  // the meta type comes before the length
  if (status == 0xF0 || status == 0xF7 || status == 0xFF) {
    if (lengthAt >= end) return std::nullopt;
    DWORD length = 0;
    int used = ReadVarLen(file.subspan(lengthAt, end - lengthAt), length);
    if (used == 0 || length > end - lengthAt - used) return std::nullopt;
    return lengthAt + used + length;
  }
  std::size_t size = (status & 0xE0) == 0xC0 ? 1 : 2;
  if (size > end - at) return std::nullopt;
  return at + size;
}

// Where a track stopped: its end time (that of its end-of-track event, or of
// its last event when it has none) and the first byte after it.
struct TrackEnd {
  std::uint32_t time = 0;
  std::size_t next = 0;
  bool endEvent = false;
};

// Reads one track's events from [at, end).
std::optional<ParseFailure> ParseTrack(std::span<const std::uint8_t> file, std::size_t at, std::size_t end,
                                       std::vector<ParsedEvent>& events, TrackEnd& trackEnd) {
  std::uint64_t time = 0;
  std::uint8_t running = 0;  // only channel messages set it; meta and SysEx events leave it be
  while (at < end) {
    DWORD delta = 0;
    int used = ReadVarLen(file.subspan(at, end - at), delta);
    if (used == 0) return ParseFailure{at, "bad delta time"};
    time += delta;
    if (time > kMaxTicks) return ParseFailure{at, "track longer than 0x0FFFFFFF ticks"};
    at += used;
    if (at >= end) return ParseFailure{at, "event cut off by the end of its track"};
    std::uint8_t status = file[at];
    if (status & 0x80) {
      ++at;
      if (status < 0xF0) running = status;
    } else if (running == 0) {
      return ParseFailure{at, "running status without a status"};
    } else {
      status = running;
    }
    auto dataEnd = DataEnd(file, at, end, status);
    if (!dataEnd) return ParseFailure{at, "event cut off by the end of its track"};
    if (status == 0xFF && file[at] == 0x2F) {
      trackEnd.endEvent = true;
      at = *dataEnd;
      break;
    }
    events.push_back({static_cast<std::uint32_t>(time), status, file.subspan(at, *dataEnd - at)});
    at = *dataEnd;
  }
  trackEnd.time = static_cast<std::uint32_t>(time);
  trackEnd.next = at;
  return std::nullopt;
}

// Every track's events in track order, with the one end event appended last.
// Chunks are walked by their lengths; chunks other than "MTrk" are skipped.
std::optional<ParseFailure> ParseMidiTracks(std::span<const std::uint8_t> file, std::vector<ParsedEvent>& events) {
  const unsigned trackCount = Be16(file.data() + 10);
  if (trackCount == 0) return ParseFailure{10, "no track"};
  std::uint32_t songEnd = 0;
  std::size_t at = 14;
  for (unsigned track = 0; track < trackCount;) {
    if (file.size() - at < 8) return ParseFailure{at, "fewer tracks than the header says"};
    const std::uint32_t length = Be32(file.data() + at + 4);
    // Some sequencers leave a track's length wrong; a track whose length runs
    // past the file is whole when its end-of-track event is there, and the
    // next chunk follows that event.
    const bool pastTheFile = length > file.size() - at - 8;
    if (std::memcmp(file.data() + at, "MTrk", 4) != 0) {
      if (pastTheFile) return ParseFailure{at, "chunk longer than the file"};
      at += 8 + static_cast<std::size_t>(length);
      continue;
    }
    TrackEnd trackEnd;
    const std::size_t end = pastTheFile ? file.size() : at + 8 + length;
    if (auto failure = ParseTrack(file, at + 8, end, events, trackEnd)) return failure;
    if (pastTheFile && !trackEnd.endEvent) return ParseFailure{at, "chunk longer than the file"};
    songEnd = std::max(songEnd, trackEnd.time);
    ++track;
    at = pastTheFile ? trackEnd.next : end;
  }
  static const std::uint8_t endOfTrack[] = {0x2F, 0x00};
  events.push_back({songEnd, 0xFF, endOfTrack});
  return std::nullopt;
}

// Equal times keep track order: the events were gathered track by track.
void MergeMidiTracks(std::vector<ParsedEvent>& events) {
  std::stable_sort(events.begin(), events.end(), [](auto& a, auto& b) { return a.time < b.time; });
}

std::vector<std::uint8_t> BuildMidiImage(std::span<const std::uint8_t> file, const std::vector<ParsedEvent>& events) {
  std::vector<std::uint8_t> image = {'M', 'T',      'h',      'd', 0,   0,   0,   6, 0, 0, 0,
                                     1,   file[12], file[13], 'M', 'T', 'r', 'k', 0, 0, 0, 0};
  std::uint32_t previous = 0;
  for (const ParsedEvent& event : events) {
    WriteVarLen(image, event.time - previous);
    previous = event.time;
    image.push_back(event.status);
    image.insert(image.end(), event.data.begin(), event.data.end());
  }
  const std::size_t length = image.size() - kMidiImageHeader;
  for (int i = 0; i < 4; ++i) image[18 + i] = static_cast<std::uint8_t>(length >> (24 - 8 * i));
  return image;
}

void LogInit(const std::string& name, const char* utf8Reason) {
  ReportLogEc("Midi %s Init %s", name.c_str(), Sjis(utf8Reason).c_str());
}

void PutRecord(MIDIHDR& header, std::size_t at, DWORD delta, DWORD event) {
  const DWORD record[3] = {delta, 0, event};
  std::memcpy(header.lpData + at, record, sizeof record);
}

// One event of a merged image as the buffer filler reads it.
struct ImageEvent {
  DWORD delta;
  std::uint8_t status;
  std::span<const std::uint8_t> data;  // after the status byte
  std::size_t next;
};

// The image is our own merge of a checked file: every event in it is whole.
ImageEvent ReadImageEvent(std::span<const std::uint8_t> image, std::size_t at) {
  ImageEvent event{};
  const std::size_t statusAt = at + ReadVarLen(image.subspan(at), event.delta);
  event.status = image[statusAt];
  event.next = *DataEnd(image, statusAt + 1, image.size(), event.status);
  event.data = image.subspan(statusAt + 1, event.next - statusAt - 1);
  return event;
}

// The bytes after the variable length of a SysEx or meta event.
std::span<const std::uint8_t> Payload(std::span<const std::uint8_t> data) {
  DWORD length = 0;
  return data.subspan(static_cast<std::size_t>(ReadVarLen(data, length)));
}

// Writes MIDIEVENT records into a stream buffer; each writer refuses a record
// that does not fit in the rest of it.
class BufferWriter {
 public:
  explicit BufferWriter(MIDIHDR& header) : m_header(header) { std::memset(header.lpData, 0, header.dwBufferLength); }
  bool Empty() const { return m_written == 0; }

  bool PutShortEvent(DWORD delta, DWORD event) { return Put(delta, event, {}); }
  // The status byte and the data, padded to whole words.
  bool PutLongEvent(DWORD delta, std::uint8_t status, std::span<const std::uint8_t> data) {
    if (!Put(delta, MEVT_F_LONG | MEVT_LONGMSG << 24 | static_cast<DWORD>(data.size() + 1), {&status, 1})) return false;
    if (!data.empty()) std::memcpy(m_header.lpData + m_last + kEventRecord + 1, data.data(), data.size());
    return true;
  }
  bool PutCallbackEvent(DWORD delta) { return PutShortEvent(delta, MEVT_F_CALLBACK | kSongEndEvent); }

  // The last record calls back; the header is ready for the stream.
  void Finish() {
    if (m_last != kNoRecord) {
      DWORD event;
      std::memcpy(&event, m_header.lpData + m_last + 8, sizeof event);
      event |= MEVT_F_CALLBACK;
      std::memcpy(m_header.lpData + m_last + 8, &event, sizeof event);
    }
    m_header.dwFlags = 0;
    m_header.dwOffset = 0;
    m_header.lpNext = nullptr;
    m_header.reserved = 0;
    m_header.dwBytesRecorded = static_cast<DWORD>(m_written);
  }

 private:
  // Writes a record with room for its long message, if any, and the first
  // bytes of that message.
  bool Put(DWORD delta, DWORD event, std::span<const std::uint8_t> first) {
    const std::size_t messageSize = event & MEVT_F_LONG ? event & 0xFFFFFF : 0;
    const std::size_t size = kEventRecord + ((messageSize + 3) & ~std::size_t{3});
    if (size > m_header.dwBufferLength - m_written) return false;
    PutRecord(m_header, m_written, delta, event);
    if (!first.empty()) std::memcpy(m_header.lpData + m_written + kEventRecord, first.data(), first.size());
    m_last = m_written;
    m_written += size;
    return true;
  }

  static constexpr std::size_t kNoRecord = ~std::size_t{0};
  MIDIHDR& m_header;
  std::size_t m_written = 0;
  std::size_t m_last = kNoRecord;
};

enum class Written { kStored, kFull, kPassedOver };

Written StoredOrFull(bool stored) { return stored ? Written::kStored : Written::kFull; }

Written WriteEvent(BufferWriter& writer, const ImageEvent& event, DWORD delta) {
  const std::uint8_t status = event.status;
  if (status == 0xF0 || status == 0xF7) {
    if (writer.PutLongEvent(delta, status, Payload(event.data))) return Written::kStored;
    // A message larger than a whole buffer can never be sent: it is passed over like a meta event.
    return writer.Empty() ? Written::kPassedOver : Written::kFull;
  }
  if (status != 0xFF) {
    DWORD message = status;
    for (std::size_t i = 0; i < event.data.size(); ++i) message |= DWORD{event.data[i]} << (8 * (i + 1));
    return StoredOrFull(writer.PutShortEvent(delta, MEVT_F_SHORT | MEVT_SHORTMSG << 24 | message));
  }
  const std::uint8_t type = event.data[0];
  const auto payload = Payload(event.data.subspan(1));
  if (type == 0x2F) return StoredOrFull(writer.PutCallbackEvent(delta));
  if (type == 0x51 && payload.size() >= 3) {
    const DWORD tempo = static_cast<DWORD>(payload[0] << 16 | payload[1] << 8 | payload[2]);
    return StoredOrFull(writer.PutShortEvent(delta, MEVT_TEMPO << 24 | tempo));
  }
  return Written::kPassedOver;  // other meta events are measured, not sent
}

}  // namespace

int ReadVarLen(std::span<const std::uint8_t> bytes, DWORD& value) {
  value = 0;
  for (int i = 0; i < 4 && i < static_cast<int>(bytes.size()); ++i) {
    value = value << 7 | (bytes[static_cast<size_t>(i)] & 0x7F);
    if (!(bytes[static_cast<size_t>(i)] & 0x80)) return i + 1;
  }
  return 0;
}

int WriteVarLen(std::vector<std::uint8_t>& out, DWORD value) {
  int count = 1;
  while (count < 4 && value >> (7 * count)) ++count;
  for (int i = count - 1; i >= 0; --i)
    out.push_back(static_cast<std::uint8_t>((value >> (7 * i) & 0x7F) | (i ? 0x80 : 0)));
  return count;
}

cMidiFile::cMidiFile(std::string fileName) : m_fileName(std::move(fileName)) { LoadMidiFile(); }

void cMidiFile::LoadMidiFile() {
  platform::audio::FileError error;
  auto bytes = platform::audio::ReadFileBytes(m_fileName, kMaxMidiFileBytes, error);
  if (!bytes) {
    static const std::string cannotOpen = Sjis("Create ファイルが開けません");
    ReportLogEc("Midi %s %s", m_fileName.c_str(), error.reason.empty() ? cannotOpen.c_str() : error.reason.c_str());
    return;
  }
  m_image = CheckMidiHeader(*bytes, m_fileName);
}

std::vector<std::uint8_t> cMidiFile::CheckMidiHeader(std::span<const std::uint8_t> file, const std::string& name) {
  if (file.size() < 18 || std::memcmp(file.data(), "MThd", 4) != 0) {
    LogInit(name, "標準MIDIでない(4)");
    return {};
  }
  if (Be32(file.data() + 4) != 6) {
    LogInit(name, "標準MIDIでない(6)");
    return {};
  }
  const unsigned format = Be16(file.data() + 8);
  if (format == 2) {
    LogInit(name, "対応フォーマットが2でない");
    return {};
  }
  if (format > 2) {
    LogInit(name, "対応フォーマットが0または1でない");
    return {};
  }
  if (std::memcmp(file.data() + 14, "MTrk", 4) != 0) {
    LogInit(name, "標準MIDIでない(4)");
    return {};
  }
  std::vector<ParsedEvent> events;
  if (auto failure = ParseMidiTracks(file, events)) {
    ReportLogEc("Midi %s Init offset %zu: %s", name.c_str(), failure->offset, failure->reason);
    return {};
  }
  MergeMidiTracks(events);
  return BuildMidiImage(file, events);
}

cMidiPlayer::cMidiPlayer(std::string fileName) : cMidiFile(std::move(fileName)) {
  if (!m_image.empty()) Open();
}

cMidiPlayer::~cMidiPlayer() {
  if (m_image.empty()) return;
  {
    std::lock_guard lock(m_mutex);
    Check(midiOutReset(m_stream), "Reset");
    for (MIDIHDR& header : m_headers) Check(midiOutUnprepareHeader(m_stream, &header, sizeof header), "Unprepare");
    Check(midiStreamClose(m_stream), "Close");
    m_stream = nullptr;  // callbacks still queued find no stream and do nothing
  }
  PostThreadMessage(m_threadId, WM_QUIT, 0, 0);
  m_thread.join();
}

void cMidiPlayer::Open() {
  m_nextBuffer = 0;
  for (int i = 0; i < kBufferCount; ++i) {
    m_buffers[i].assign(kBufferSize, 0);
    m_headers[i].lpData = m_buffers[i].data();
    m_headers[i].dwBufferLength = kBufferSize;
    m_headers[i].dwUser = static_cast<DWORD_PTR>(i);
  }
  m_thread = std::thread([this] {
    m_threadId = GetCurrentThreadId();
    MidiThreadProc();
  });
  // The thread's queue exists once a post to it succeeds.
  while (m_threadId == 0 || !PostThreadMessage(m_threadId, WM_APP, 0, 0)) Sleep(1);

  std::lock_guard lock(m_mutex);
  UINT device = MIDI_MAPPER;
  Check(midiStreamOpen(&m_stream, &device, 1, m_threadId, 0, CALLBACK_THREAD), "Open");
  if (std::string problem = platform::audio::TakeSynthProblem(); !problem.empty())
    ReportLog("Midi: %s; music plays silently", problem.c_str());
  MIDIPROPTIMEDIV timeDiv;
  timeDiv.dwTimeDiv = static_cast<DWORD>(m_image[12] << 8 | m_image[13]);
  Check(midiStreamProperty(m_stream, &timeDiv, MIDIPROP_SET | MIDIPROP_TIMEDIV), "Property");
  m_readOffset = kMidiImageHeader;
  m_state = kStopped;
  QueueBuffer();
}

void cMidiPlayer::Play(int loop) {
  std::lock_guard lock(m_mutex);
  PlayLocked(loop);
}

void cMidiPlayer::Stop(int pause) {
  std::lock_guard lock(m_mutex);
  StopLocked(pause);
}

void cMidiPlayer::PlayLocked(int loop) {
  if (m_image.empty()) return;
  m_loop = loop;
  if (m_state == kPlaying) return;
  Check(midiStreamRestart(m_stream), "Restart");
  const State previous = std::exchange(m_state, kPlaying);
  if (previous != kPaused && m_readOffset < m_image.size()) QueueBuffer();
}

void cMidiPlayer::StopLocked(int pause) {
  if (m_image.empty()) return;
  if (!pause) {
    Check(midiStreamStop(m_stream), "Stop");
    m_state = kStopped;
    m_readOffset = kMidiImageHeader;
    QueueBuffer();
  } else if (m_state == kPlaying) {
    Check(midiStreamPause(m_stream), "Pause");
    m_state = kPaused;
  }
}

void cMidiPlayer::QueueBuffer() {
  MIDIHDR& header = m_headers[m_nextBuffer];
  if (m_readOffset >= m_image.size() || (header.dwFlags & MHDR_INQUEUE)) return;
  m_readOffset += FillBuffer(m_image, m_readOffset, header);
  Check(midiOutPrepareHeader(m_stream, &header, sizeof header), "Prepare");
  Check(midiStreamOut(m_stream, &header, sizeof header), "Out");
  m_nextBuffer = (m_nextBuffer + 1) % kBufferCount;
}

DWORD cMidiPlayer::FillBuffer(std::span<const std::uint8_t> image, DWORD position, MIDIHDR& header) {
  BufferWriter writer(header);
  DWORD carriedDelta = 0;  // of events passed over, for the next event written
  std::size_t at = position;
  std::size_t resume = position;  // the first event the buffer does not hold
  bool full = false;
  while (at < image.size() && !full) {
    const ImageEvent event = ReadImageEvent(image, at);
    const DWORD delta = event.delta + carriedDelta;
    switch (WriteEvent(writer, event, delta)) {
      case Written::kPassedOver:
        carriedDelta = delta;
        break;
      case Written::kStored:
        carriedDelta = 0;
        resume = event.next;
        break;
      case Written::kFull:
        full = true;
        continue;
    }
    at = event.next;
  }
  writer.Finish();
  return static_cast<DWORD>(resume - position);
}

void cMidiPlayer::MidiThreadProc() {
  MSG msg;
  while (GetMessage(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == MM_MOM_POSITIONCB) OnPositionCallback(reinterpret_cast<MIDIHDR*>(msg.lParam));
  }
}

void cMidiPlayer::OnPositionCallback(MIDIHDR* header) {
  std::lock_guard lock(m_mutex);
  // A buffer queued again since its callback was posted (a stop rewound the
  // song meanwhile) no longer holds the event that called.
  if (!m_stream || (header->dwFlags & MHDR_INQUEUE)) return;
  DWORD event;
  std::memcpy(&event, header->lpData + header->dwOffset + 8, sizeof event);
  if ((event & 0xFFFFFF) == kSongEndEvent) {
    StopLocked(0);
    if (m_loop) PlayLocked(1);
  } else if (m_readOffset < m_image.size()) {
    QueueBuffer();
  }
}

void cMidiPlayer::Check(MMRESULT result, const char* what) const {
  if (result != MMSYSERR_NOERROR) ReportLogEc("Midi %s %s %s", m_fileName.c_str(), what, GetErrorText(result).c_str());
}

std::string cMidiPlayer::GetErrorText(MMRESULT error) { return midiErrorText(error); }
