#include "records/StageLoader.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <system_error>
#include <thread>

#include "library/util/Log.h"
#include "library/util/MainWindow.h"
#include "library/util/MesBox.h"
#include "library/util/Path.h"
#include "platform/Thread.h"

namespace {

// One load on the loader thread. Shared with the thread, so that it lives as
// long as the thread may touch it, whoever ends first.
struct StageLoadJob {
  std::string path;
  cLoadContext ctx;
  cStageData stage;
  DWORD starter = 0;
  // Tells this load's end from that of an earlier load given up on WM_QUIT.
  WPARAM ticket = 0;
  bool loadDone = false;
};

std::atomic<WPARAM> lastTicket{0};

void LoadStageThread(StageLoadJob& job) {
  job.loadDone = job.stage.LoadFromFile(job.path, job.ctx) == 1;
  PostThreadMessage(job.starter, WM_STAGELOADED, job.ticket, 0);
}

// The loader thread, never killed: its owner waits for it to end, which it
// does by itself once the file is read.
class cLoaderThread {
 public:
  explicit cLoaderThread(std::shared_ptr<StageLoadJob> job) : m_thread([job] { LoadStageThread(*job); }) {}
  ~cLoaderThread() {
    // Not a cancellation point: this may run while its starter unwinds.
    while (!m_thread.Ended()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  cLoaderThread(const cLoaderThread&) = delete;
  cLoaderThread& operator=(const cLoaderThread&) = delete;

 private:
  platform::Thread m_thread;
};

// Serves the calling thread's messages until the loader reports its end
// (true), or WM_QUIT arrives (false; the quit is posted again, so that the
// caller's own loop ends too).
bool ServeMessagesUntilLoaded(WPARAM ticket) {
  MSG msg;
  while (true) {
    if (!GetMessage(&msg, nullptr, 0, 0)) {
      EcLog("msg.message == WM_QUIT");
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (msg.hwnd == nullptr && msg.message == WM_STAGELOADED && msg.wParam == ticket) return true;
    DispatchMessage(&msg);
  }
}

// Runs the load on the loader thread while serving this thread's messages;
// false when WM_QUIT ended the wait. A loader that cannot start leaves the load
// undone, which the caller reports like any failed load.
bool RunLoader(const std::shared_ptr<StageLoadJob>& job) {
  try {
    cLoaderThread thLoadStage(job);
    return ServeMessagesUntilLoaded(job->ticket);
  } catch (const std::system_error&) {
    return true;
  }
}

const std::string& BrokenStageText() {
  static const std::string text = Sjis("ステージファイル %s が破損しています！");
  return text;
}
const std::string& LoadFailedText() {
  static const std::string text = Sjis("ステージファイル %s の読み込みに失敗しました！");
  return text;
}
const std::string& NoHeroText() {
  static const std::string text = Sjis("主人公が配置されていないのでプレイできません！");
  return text;
}

}  // namespace

bool CheckStageEndMark(std::string_view path) {
  auto in = cRecordReader::Open(path);
  if (!in || in->Size() < 4) return true;
  std::int32_t version = in->ReadI32();
  nFileVersion = version;
  if (version < 174) return true;
  std::uint32_t last = 0;
  std::memcpy(&last, in->Data() + in->Size() - 4, 4);
  if (last == STAGE_END_MARK) return true;
  std::string shown(path);
  ErrMesBoxf(BrokenStageText().c_str(), shown.c_str());
  PostCloseToMainWindow();
  return false;
}

int LoadStageForPlay(std::string_view name, int useNewest, cStageData* out, const cLoadContext& ctx) {
  StageData->m_bUseNewest = useNewest;
  std::string path(name);
  if (useNewest && !FindLatestVersionFileStr(path, name, "stg4")) return 0;
  MakeRelativePathStr(path);
  StageData->m_strPath = path;
  if (!CheckStageEndMark(path)) return 0;

  auto job = std::make_shared<StageLoadJob>();
  job->path = path;
  job->ctx = ctx;
  job->starter = GetCurrentThreadId();
  job->ticket = ++lastTicket;
  // The loader's report needs this thread's queue to exist.
  MSG peek;
  PeekMessage(&peek, nullptr, 0, 0, PM_NOREMOVE);
  if (!RunLoader(job)) return 0;
  if (!job->loadDone) {
    ErrMesBoxf(LoadFailedText().c_str(), path.c_str());
    return 0;
  }
  if (!job->stage.HasHero()) {
    ErrMesBox(NoHeroText());
    PostCloseToMainWindow();
    return 0;
  }
  *StageData = std::move(job->stage);
  StageData->m_strPath = path;
  StageData->m_bUseNewest = useNewest;
  StageData->m_bLoadDone = true;
  if (out) {
    out->CopySettings(*StageData);
    out->ClearDefinitions();
  }
  return 1;
}
