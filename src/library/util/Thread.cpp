#include "library/util/Thread.h"

#include <system_error>

#include "library/util/Log.h"
#include "platform/Clock.h"
#include "platform/MainThread.h"

int cThread::Start(ThreadProc proc, void* argument) {
  Release();
  try {
    m_thread = std::make_unique<platform::Thread>([proc, argument] { proc(argument); });
  } catch (const std::system_error&) {
    return 0;
  }
  m_dwThreadId = m_thread->Id();
  m_hThread = m_thread.get();
  return 1;
}

void cThread::PollOnce() {
  platform::ServiceTurn();
  Sleep(1);
}

void cThread::Wait() {
  if (!m_thread) return;
  while (!m_thread->Ended()) PollOnce();
  Release();
}

void cThread::PostStart() {
  // The new thread may send to the caller's windows before it makes its
  // queue: the caller keeps serving meanwhile.
  while (m_thread && !m_thread->Ended() && !PostThreadMessage(m_dwThreadId, WM_THREADSTART, 0, 0)) {
    platform::ServiceTurn();
    Sleep(0);
  }
}

// Called from the window thread: through m_hThread, the one field other threads read.
BOOL cThread::Suspend() {
  platform::Thread* thread = m_hThread.load();
  return !thread || thread->Suspend() != -1 ? TRUE : FALSE;
}

BOOL cThread::Resume() {
  if (platform::Thread* thread = m_hThread.load()) thread->Resume();
  return TRUE;
}

void cThread::Exit() {
  if (!m_thread) return;
  // However often it was suspended: a thread still held could not see its quit message.
  while (m_thread->Resume() > 1) {
  }
  EcLogf("Exit A");
  PostThreadMessage(m_dwThreadId, WM_QUIT, 0, 0);
  EcLogf("Exit B");
  EcLogf("Exit C");
  for (int poll = 0; !m_thread->Ended();) {
    if (poll == kLastPoll) {
      ReportLogEc("thread %u did not end and is left running", m_dwThreadId);
      m_thread->Abandon();
      break;
    }
    PollOnce();
    PostThreadMessage(m_dwThreadId, WM_QUIT, 0, 0);
    if (++poll == kCancelPoll) m_thread->RequestCancel();
  }
  EcLogf("Exit D");
  Release();
  EcLogf("Exit E");
}

void cThread::Release() {
  m_hThread = nullptr;
  m_thread.reset();
}
