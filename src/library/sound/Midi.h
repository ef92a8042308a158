#pragma once
// Standard MIDI files merged into one track, and the player that streams that
// track in two alternating buffers refilled from a callback thread of its own.
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/MidiStream.h"

// A variable-length number of at most 4 bytes; returns the bytes used, 0 when
// the bytes end first or the fourth byte still has its high bit.
int ReadVarLen(std::span<const std::uint8_t> bytes, DWORD& value);
// Appends value (at most 0x0FFFFFFF) as a variable-length number; returns the bytes written.
int WriteVarLen(std::vector<std::uint8_t>& out, DWORD value);

constexpr std::size_t kMidiImageHeader = 22;

class cMidiFile {
 public:
  explicit cMidiFile(std::string fileName);
  virtual ~cMidiFile() = default;
  cMidiFile(const cMidiFile&) = delete;
  cMidiFile& operator=(const cMidiFile&) = delete;

  // The merged file: a format 0 header, one track with explicit status bytes
  // ending in FF 2F 00. Empty when the file was not read or was refused.
  const std::vector<std::uint8_t>& Image() const { return m_image; }
  const std::string& FileName() const { return m_fileName; }

  // Checks a whole file and converts it; empty (with a log line) when refused.
  static std::vector<std::uint8_t> CheckMidiHeader(std::span<const std::uint8_t> file, const std::string& name);

 protected:
  std::vector<std::uint8_t> m_image;
  std::string m_fileName;

 private:
  void LoadMidiFile();
};

class cMidiPlayer final : public cMidiFile {
 public:
  static constexpr int kBufferCount = 2;
  static constexpr DWORD kBufferSize = 24000;

  explicit cMidiPlayer(std::string fileName);
  // Stops the stream, then ends and joins the callback thread: no callback
  // runs on a player being freed.
  ~cMidiPlayer() override;

  void Play(int loop);
  // Without pause: stopped, rewound, the first buffer queued again.
  void Stop(int pause);

  HMIDISTRM Stream() const { return m_stream; }
  // Fills a header from a position in a merged image; returns the image
  // bytes consumed.
  static DWORD FillBuffer(std::span<const std::uint8_t> image, DWORD position, MIDIHDR& header);

 private:
  enum State { kStopped = 0, kPlaying = 1, kPaused = 2 };

  void Open();
  void PlayLocked(int loop);
  void StopLocked(int pause);
  void QueueBuffer();
  void MidiThreadProc();
  void OnPositionCallback(MIDIHDR* header);
  void Check(MMRESULT result, const char* what) const;
  static std::string GetErrorText(MMRESULT error);

  std::mutex m_mutex;  // the window thread and the callback thread both drive the player
  int m_nextBuffer = 0;
  HMIDISTRM m_stream = nullptr;
  std::array<MIDIHDR, kBufferCount> m_headers;
  std::array<std::vector<char>, kBufferCount> m_buffers;
  DWORD m_readOffset = kMidiImageHeader;
  State m_state = kStopped;
  int m_loop = 0;
  std::atomic<DWORD> m_threadId{0};
  std::thread m_thread;
};
