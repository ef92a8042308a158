#include "gamedata/DefaultData.h"

#include <filesystem>
#include <system_error>

#include "gamedata/PathTable.h"
#include "library/util/Log.h"
#include "library/util/MesBox.h"
#include "library/util/Text.h"
#include "platform/HostPath.h"

namespace fs = std::filesystem;

namespace {

bool CopyThroughTemporaryFolder(const fs::path& source, const fs::path& target) {
  fs::path temporary = target.parent_path() / (".zandrel-tmp-" + target.filename().string() + ".tmp");
  std::error_code ec;
  fs::remove_all(temporary, ec);
  fs::copy(source, temporary, fs::copy_options::recursive, ec);
  if (!ec) fs::rename(temporary, target, ec);
  if (!ec) return true;
  ReportLog("default data copy failed: %s", ec.message().c_str());
  std::error_code ignored;
  fs::remove_all(temporary, ignored);
  return false;
}

}  // namespace

bool AskCreateDefaultData(HWND /*owner*/) {
  static const std::string text = Sjis("データが存在しません！デフォルトデータを作成しますか？\n");
  static const std::string caption = Sjis("デフォルトデータ作成の確認");
  return MesBox(text, caption, MB_YESNO) == IDYES;
}

int CreateDefaultData(HWND owner, const DefaultDataQuestion& ask) {
  std::error_code ec;
  fs::path data = platform::ToHostPath(PathTable[PATH_DATA]);
  if (fs::is_directory(data, ec)) return 1;
  fs::path defaults = platform::ToHostPath(PathTable[PATH_DEFAULT]);
  if (!fs::is_directory(defaults, ec)) return 0;
  if (!ask(owner)) return 0;
  return CopyThroughTemporaryFolder(defaults, data) ? 1 : 0;
}

void CreateFolderList() {
  for (const char* folder : FolderList) {
    std::error_code ignored;
    fs::create_directory(platform::ToHostPath(folder), ignored);
  }
}
