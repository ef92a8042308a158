#include "platform/overlay/FileChooser.h"

#include <fnmatch.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/Diagnostics.h"
#include "platform/HostPath.h"
#include "platform/MessageBox.h"
#include "platform/TextCodec.h"
#include "platform/overlay/DialogBox.h"

namespace fs = std::filesystem;

namespace platform::overlay {
namespace {

constexpr WORD kFolderText = 100, kEntryList = 101, kNameLabel = 102, kNameEdit = 103, kFilterText = 104;

struct Entry {
  std::string shown;  // CP932; folders end in a backslash
  fs::path path;
  bool folder = false;
};

std::string Shown(const fs::path& path) {
  return HostNameToCp932(path.string()).value_or(Utf8ToCp932Lossy(path.string()));
}

DialogTemplate ChooserTemplate(const FileChooserRequest& request) {
  DialogTemplate layout;
  layout.caption = request.title;
  layout.width = 260;
  layout.height = 190;
  layout.defaultCancels = true;
  const std::string filter = request.filters.empty() ? std::string() : request.filters.front().name;
  layout.items = {
      {kFolderText, ItemKind::Text, {}, 10, 6, 240, 10},
      {kEntryList, ItemKind::List, {}, 10, 18, 240, 110},
      {kNameLabel, ItemKind::Text, Utf8ToCp932Lossy("ファイル名:"), 10, 135, 40, 10},
      {kNameEdit, ItemKind::Edit, request.initialName, 52, 132, 198, 13},
      {kFilterText, ItemKind::Text, filter, 10, 151, 240, 10},
      {static_cast<WORD>(IDOK), ItemKind::DefaultButton, Utf8ToCp932Lossy(request.save ? "保存(S)" : "開く(O)"), 140,
       168, 50, 14},
      {static_cast<WORD>(IDCANCEL), ItemKind::Button, Utf8ToCp932Lossy("キャンセル"), 200, 168, 50, 14},
  };
  return layout;
}

class Chooser {
 public:
  explicit Chooser(const FileChooserRequest& request) : m_request(request) {
    std::error_code error;
    m_folder = fs::absolute(ToHostPath(request.folder), error);
    if (error || !fs::is_directory(m_folder, error)) m_folder = fs::current_path(error);
  }

  std::optional<std::vector<std::string>> Run() {
    RunModalDialog(
        ChooserTemplate(m_request),
        [this](HWND dialog, UINT message, WPARAM wParam, LPARAM) { return Proc(dialog, message, wParam); },
        [this](DialogBox&, const ScriptedAnswer& answer) { return Answer(answer); });
    if (m_chosen.empty()) return std::nullopt;
    std::vector<std::string> stored;
    for (const fs::path& path : m_chosen) {
      std::optional<std::string> name = FromHostPathOrRelative(path);
      if (!name) {
        Diagnostic("file chooser: the chosen name cannot be held in CP932; nothing chosen");
        return std::nullopt;
      }
      stored.push_back(std::move(*name));
    }
    return stored;
  }

 private:
  LRESULT Proc(HWND dialog, UINT message, WPARAM wParam) {
    m_box = DialogBox::FromHandle(dialog);
    if (!m_box) return 0;
    if (message == WM_INITDIALOG) {
      Fill();
      m_box->SetFocus(kNameEdit);
      m_box->SetSelection(kNameEdit, 0, static_cast<int>(m_request.initialName.size()));
    } else if (message == WM_CLOSE) {
      m_box->End(0);
    } else if (message == WM_COMMAND) {
      Command(LowWord(wParam), HighWord(wParam));
    }
    return 1;
  }

  void Command(WORD id, WORD code) {
    if (id == kEntryList && (code == LBN_SELCHANGE || code == LBN_DBLCLK)) {
      const DialogItem* list = m_box->Item(kEntryList);
      const Entry& entry = m_entries[static_cast<size_t>(list->selectedEntry)];
      if (code == LBN_DBLCLK) return Accept(entry.path);
      if (!entry.folder) m_box->SetItemText(kNameEdit, entry.shown);
    } else if (id == IDOK && code == BN_CLICKED) {
      AcceptTyped();
    } else if (id == IDCANCEL && code == BN_CLICKED) {
      m_box->End(0);
    }
  }

  void AcceptTyped() {
    const std::string typed = m_box->ItemText(kNameEdit);
    if (m_request.severalFiles && typed.find('"') != std::string::npos) return AcceptSeveral(m_folder, typed);
    if (!typed.empty()) return Accept(ToHostPath(typed, m_folder));
    const DialogItem* list = m_box->Item(kEntryList);
    if (list->selectedEntry >= 0) Accept(m_entries[static_cast<size_t>(list->selectedEntry)].path);
  }

  bool Answer(const ScriptedAnswer& answer) {
    if (answer.kind != "file") return false;
    std::error_code error;
    const size_t quote = answer.value.find('"');
    if (m_request.severalFiles && quote != std::string::npos) {
      std::string folder = answer.value.substr(0, quote);
      while (!folder.empty() && folder.back() == ' ') folder.pop_back();
      AcceptSeveral(folder.empty() ? m_folder : fs::absolute(ToHostPath(folder), error), answer.value.substr(quote));
    } else {
      Accept(fs::absolute(ToHostPath(answer.value), error));
    }
    return true;
  }

  // "a" "b" as typed in the name box: every file named must exist in the
  // folder itself, since the choice is returned as one folder and its names.
  void AcceptSeveral(const fs::path& folder, std::string_view quoted) {
    fs::path base = folder.lexically_normal();
    if (!base.has_filename()) base = base.parent_path();
    std::vector<fs::path> paths;
    for (size_t open = quoted.find('"'); open != std::string_view::npos; open = quoted.find('"', open)) {
      const size_t close = quoted.find('"', open + 1);
      if (close == std::string_view::npos) break;
      const std::string_view name = quoted.substr(open + 1, close - open - 1);
      if (!name.empty()) paths.push_back(ToHostPath(name, base).lexically_normal());
      open = close + 1;
    }
    std::error_code error;
    for (const fs::path& path : paths) {
      if (path.parent_path() != base || !fs::is_regular_file(path, error)) return NotFound(path);
    }
    if (paths.empty()) return;
    m_chosen = std::move(paths);
    m_box->End(IDOK);
  }

  void NotFound(const fs::path& path) {
    ShowMessageBox(
        Shown(path.filename()) + Utf8ToCp932Lossy("\r\nファイルが見つかりません。\r\nファイル名を確認してください。"),
        m_request.title, MB_OK | MB_ICONWARNING);
  }

  void Accept(fs::path path) {
    std::error_code error;
    path = path.lexically_normal();
    if (fs::is_directory(path, error)) return Enter(path);
    if (m_request.save && !path.has_extension() && !m_request.defaultExtension.empty() &&
        m_request.defaultExtension.find('*') == std::string::npos)
      path += "." + Cp932ToUtf8(m_request.defaultExtension);
    const std::string name = Shown(path.filename());
    const bool exists = fs::exists(path, error);
    if (!m_request.save && m_request.mustExist && !exists) return NotFound(path);
    if (m_request.save && !fs::is_directory(path.parent_path(), error)) {
      ShowMessageBox(name + Utf8ToCp932Lossy("\r\nフォルダが見つかりません。"), m_request.title,
                     MB_OK | MB_ICONWARNING);
      return;
    }
    if (m_request.save && exists && m_request.overwritePrompt &&
        ShowMessageBox(name + Utf8ToCp932Lossy(" は既に存在します。\r\n上書きしますか?"), m_request.title,
                       MB_YESNO | MB_ICONWARNING) != IDYES)
      return;
    m_chosen = {path};
    m_box->End(IDOK);
  }

  void Enter(const fs::path& folder) {
    m_folder = folder;
    m_box->SetItemText(kNameEdit, "");
    Fill();
  }

  void Fill() {
    m_entries.clear();
    if (m_folder.has_parent_path() && m_folder != m_folder.root_path())
      m_entries.push_back({"..\\", m_folder.parent_path(), true});
    std::vector<Entry> folders, files;
    const std::string patterns = m_request.filters.empty() ? std::string("*") : m_request.filters.front().patterns;
    std::error_code error;
    for (const fs::directory_entry& item : fs::directory_iterator(m_folder, error)) {
      const std::string host = item.path().filename().string();
      std::optional<std::string> name = HostNameToCp932(host);
      if (!name || host.starts_with(".")) continue;
      if (item.is_directory(error)) {
        folders.push_back({*name + "\\", item.path(), true});
      } else if (MatchesPatterns(*name, patterns)) {
        files.push_back({*name, item.path(), false});
      }
    }
    auto byName = [](const Entry& a, const Entry& b) { return a.shown < b.shown; };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    m_entries.insert(m_entries.end(), folders.begin(), folders.end());
    m_entries.insert(m_entries.end(), files.begin(), files.end());
    DialogItem* list = m_box->Item(kEntryList);
    list->entries.clear();
    for (const Entry& entry : m_entries) list->entries.push_back(entry.shown);
    list->selectedEntry = -1;
    m_box->SetItemText(kFolderText, Shown(m_folder));
  }

  const FileChooserRequest& m_request;
  DialogBox* m_box = nullptr;
  fs::path m_folder;
  std::vector<Entry> m_entries;
  std::vector<fs::path> m_chosen;
};

}  // namespace

bool MatchesPatterns(std::string_view name, std::string_view patterns) {
  const std::string subject = Cp932ToUtf8(name);
  for (size_t start = 0; start <= patterns.size();) {
    const size_t end = std::min(patterns.find(';', start), patterns.size());
    const std::string pattern = Cp932ToUtf8(patterns.substr(start, end - start));
    if (!pattern.empty() && fnmatch(pattern.c_str(), subject.c_str(), FNM_CASEFOLD) == 0) return true;
    start = end + 1;
  }
  return false;
}

std::optional<std::vector<std::string>> ChooseFiles(const FileChooserRequest& request) {
  return Chooser(request).Run();
}

}  // namespace platform::overlay
