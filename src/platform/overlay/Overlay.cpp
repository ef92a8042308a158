#include "platform/overlay/Overlay.h"

#include <SDL.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>
#include <imgui_freetype.h>
#include <imgui_internal.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <deque>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "platform/Clock.h"
#include "platform/Diagnostics.h"
#include "platform/MainThread.h"
#include "platform/TextCodec.h"
#include "platform/Trace.h"
#include "platform/display/VideoStart.h"
#include "platform/glyphs/GlyphSource.h"
#include "platform/input/Input.h"

namespace platform::overlay {
namespace {

constexpr int kScreenWidth = kGameAreaWidth, kScreenHeight = kGameAreaHeight;
constexpr float kFontPixels = 12.0f;
constexpr size_t kEditBufferSize = 1024;

// One ImGui context for the process, with the dialogs' gothic font and a
// look close to the dialogs the players know.
class Gui {
 public:
  Gui() : m_context(ImGui::CreateContext()) {
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    io.Fonts->FontBuilderIO = ImGuiFreeType::GetBuilderForFreeType();
    const std::string fontFile = HostFontFile("ＭＳ Ｐゴシック");
    if (fontFile.empty() ||
        !io.Fonts->AddFontFromFileTTF(fontFile.c_str(), kFontPixels, nullptr, io.Fonts->GetGlyphRangesJapanese())) {
      Diagnostic("overlay: no Japanese font installed; dialogs use ImGui's own font");
      io.Fonts->AddFontDefault();
    }
    ImGui::StyleColorsLight();
    ImGuiStyle& style = ImGui::GetStyle();
    style.WindowRounding = 0;
    style.FrameRounding = 0;
    style.WindowBorderSize = 1;
    style.FrameBorderSize = 1;
    style.FramePadding = ImVec2(4, 4);
    style.Colors[ImGuiCol_WindowBg] = ImVec4(0.94f, 0.94f, 0.94f, 1);
    style.Colors[ImGuiCol_TitleBg] = style.Colors[ImGuiCol_TitleBgActive] = ImVec4(0.60f, 0.76f, 0.95f, 1);
    style.Colors[ImGuiCol_TitleBgCollapsed] = style.Colors[ImGuiCol_TitleBg];
  }
  ~Gui() { ImGui::DestroyContext(m_context); }
  Gui(const Gui&) = delete;
  Gui& operator=(const Gui&) = delete;

 private:
  ImGuiContext* m_context;
};

void EnsureGui() { static Gui gui; }

// The font atlas uploaded to one renderer, for as long as the overlay draws there.
class FontTexture {
 public:
  explicit FontTexture(SDL_Renderer* renderer) {
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    ImGuiIO& io = ImGui::GetIO();
    io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    m_texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STATIC, width, height);
    if (m_texture) {
      SDL_UpdateTexture(m_texture, nullptr, pixels, width * 4);
      SDL_SetTextureBlendMode(m_texture, SDL_BLENDMODE_BLEND);
    }
    io.Fonts->SetTexID(m_texture);
  }
  ~FontTexture() {
    ImGui::GetIO().Fonts->SetTexID(nullptr);
    if (m_texture) SDL_DestroyTexture(m_texture);
  }
  FontTexture(const FontTexture&) = delete;
  FontTexture& operator=(const FontTexture&) = delete;

 private:
  SDL_Texture* m_texture = nullptr;
};

// ImGui's triangles through SDL's geometry call, each command clipped to its rectangle.
void RenderDrawData(SDL_Renderer* renderer, const ImDrawData* data) {
  SDL_Rect savedClip{};
  const bool wasClipped = SDL_RenderIsClipEnabled(renderer);
  SDL_RenderGetClipRect(renderer, &savedClip);
  for (int n = 0; n < data->CmdListsCount; ++n) {
    const ImDrawList* list = data->CmdLists[n];
    for (const ImDrawCmd& command : list->CmdBuffer) {
      const ImVec4& c = command.ClipRect;
      SDL_Rect clip{static_cast<int>(c.x - data->DisplayPos.x), static_cast<int>(c.y - data->DisplayPos.y),
                    static_cast<int>(c.z - c.x), static_cast<int>(c.w - c.y)};
      if (clip.w <= 0 || clip.h <= 0) continue;
      SDL_RenderSetClipRect(renderer, &clip);
      const ImDrawVert* first = list->VtxBuffer.Data + command.VtxOffset;
      constexpr int stride = sizeof(ImDrawVert);
      SDL_RenderGeometryRaw(renderer, static_cast<SDL_Texture*>(command.GetTexID()), &first->pos.x, stride,
                            reinterpret_cast<const SDL_Color*>(&first->col), stride, &first->uv.x, stride,
                            list->VtxBuffer.Size - static_cast<int>(command.VtxOffset),
                            list->IdxBuffer.Data + command.IdxOffset, static_cast<int>(command.ElemCount),
                            sizeof(ImDrawIdx));
    }
  }
  SDL_RenderSetClipRect(renderer, wasClipped ? &savedClip : nullptr);
}

int Utf8Offset(std::string_view cp932, int offset) {
  return static_cast<int>(Cp932ToUtf8(cp932.substr(0, offset)).size());
}
int Cp932Offset(std::string_view utf8, int offset) {
  return static_cast<int>(Utf8ToCp932Lossy(utf8.substr(0, offset)).size());
}

// What the screen keeps between frames: the boxes open (innermost last), the
// input method's composition and the pointer in screen dots.
struct ViewState {
  std::vector<DialogBox*> boxes;
  std::map<const DialogItem*, unsigned> seenRevision;
  std::map<const DialogBox*, int> seenFocus;
  std::string composition;        // UTF-8
  std::deque<std::string> typed;  // UTF-8 characters, given to ImGui one a frame
  ImVec2 mouse{-1, -1};
  bool textInput = false;
};
ViewState view;
std::atomic<unsigned> dialogsEnded{0};

struct EditContext {
  DialogBox* box;
  DialogItem* item;
};

// Puts the item's text and selection into ImGui's edit buffer.
void PushEdit(ImGuiInputTextCallbackData* data, const DialogItem& item) {
  const std::string utf8 = Cp932ToUtf8(item.text);
  data->DeleteChars(0, data->BufTextLen);
  data->InsertChars(0, utf8.c_str());
  data->SelectionStart = Utf8Offset(item.text, item.selectionStart);
  data->SelectionEnd = data->CursorPos = Utf8Offset(item.text, item.selectionEnd);
  view.seenRevision[&item] = item.revision;
}

int EditCallback(ImGuiInputTextCallbackData* data) {
  auto* context = static_cast<EditContext*>(data->UserData);
  DialogItem& item = *context->item;
  const std::string_view buffer(data->Buf, data->BufTextLen);
  // Without a selection ImGui leaves its two ends behind; the cursor is the caret.
  const bool selected = data->SelectionStart != data->SelectionEnd;
  const int start = selected ? std::min(data->SelectionStart, data->SelectionEnd) : data->CursorPos;
  const int end = selected ? std::max(data->SelectionStart, data->SelectionEnd) : data->CursorPos;
  if (data->EventFlag == ImGuiInputTextFlags_CallbackEdit) {
    // The typed text goes through the dialog (its limiter may refuse it), then back.
    context->box->EditChanged(item.layout.id, Utf8ToCp932Lossy(buffer), Cp932Offset(buffer, start),
                              Cp932Offset(buffer, end));
    PushEdit(data, item);
  } else if (view.seenRevision[&item] != item.revision) {
    PushEdit(data, item);
  } else {
    item.selectionStart = Cp932Offset(buffer, start);
    item.selectionEnd = Cp932Offset(buffer, end);
  }
  return 0;
}

void FocusOnClick(DialogBox& box, const DialogItem& item) {
  if (ImGui::IsItemActivated() || ImGui::IsItemClicked()) {
    box.SetFocus(item.layout.id);
    view.seenFocus[&box] = box.FocusIndex();
  }
}

void DrawEdit(DialogBox& box, DialogItem& item, ImVec2 size, bool focused, bool focusMoved) {
  std::array<char, kEditBufferSize> buffer{};
  const std::string utf8 = Cp932ToUtf8(item.text);
  utf8.copy(buffer.data(), buffer.size() - 1);
  if (focused && focusMoved) ImGui::SetKeyboardFocusHere();
  EditContext context{&box, &item};
  ImGui::SetNextItemWidth(size.x);
  const std::string label = "##" + std::to_string(item.layout.id);
  ImGui::InputText(label.c_str(), buffer.data(), buffer.size(),
                   ImGuiInputTextFlags_CallbackEdit | ImGuiInputTextFlags_CallbackAlways, EditCallback, &context);
  FocusOnClick(box, item);
  if (!focused) return;
  const ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
  SDL_Rect area{static_cast<int>(min.x), static_cast<int>(min.y), static_cast<int>(max.x - min.x),
                static_cast<int>(max.y - min.y)};
  SDL_SetTextInputRect(&area);
  if (view.composition.empty()) return;
  // The input method's composition, underlined below the edit box until it is committed.
  ImDrawList* draw = ImGui::GetForegroundDrawList();
  const ImVec2 textSize = ImGui::CalcTextSize(view.composition.c_str());
  const ImVec2 at(min.x, max.y + 2);
  draw->AddRectFilled(at, ImVec2(at.x + textSize.x + 4, at.y + textSize.y + 4), IM_COL32(255, 255, 224, 255));
  draw->AddText(ImVec2(at.x + 2, at.y + 2), IM_COL32(0, 0, 0, 255), view.composition.c_str());
  draw->AddLine(ImVec2(at.x + 2, at.y + textSize.y + 2), ImVec2(at.x + 2 + textSize.x, at.y + textSize.y + 2),
                IM_COL32(0, 0, 0, 255));
}

void DrawList(DialogBox& box, DialogItem& item, ImVec2 size) {
  const std::string label = "##" + std::to_string(item.layout.id);
  if (!ImGui::BeginListBox(label.c_str(), size)) return;
  for (size_t i = 0; i < item.entries.size(); ++i) {
    const std::string text = Cp932ToUtf8(item.entries[i]) + "##" + std::to_string(i);
    const bool selected = static_cast<int>(i) == item.selectedEntry;
    if (ImGui::Selectable(text.c_str(), selected, ImGuiSelectableFlags_AllowDoubleClick)) {
      box.SelectEntry(item.layout.id, static_cast<int>(i), ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left));
      view.seenFocus[&box] = box.FocusIndex();
    }
    if (selected && box.Ended()) break;
  }
  ImGui::EndListBox();
}

// Dragging the bar moves its box; the dialog is told, and sets the position itself.
void DrawScrollBar(DialogBox& box, DialogItem& item, ImVec2 size) {
  const std::string label = "##" + std::to_string(item.layout.id);
  const ScrollState& scroll = item.scroll;
  int position = scroll.pos;
  const int highest = std::max(scroll.min, scroll.max - std::max(scroll.page - 1, 0));
  const bool moved = size.y > size.x ? ImGui::VSliderInt(label.c_str(), size, &position, highest, scroll.min, "")
                                     : (ImGui::SetNextItemWidth(size.x),
                                        ImGui::SliderInt(label.c_str(), &position, scroll.min, highest, ""));
  if (moved) box.Scroll(item.layout.id, position);
}

void DrawGroupBox(const std::string& label, ImVec2 min, ImVec2 size) {
  ImDrawList* draw = ImGui::GetWindowDrawList();
  const float half = ImGui::GetFontSize() / 2;
  draw->AddRect(ImVec2(min.x, min.y + half), ImVec2(min.x + size.x, min.y + size.y), IM_COL32(160, 160, 160, 255));
  const ImVec2 textSize = ImGui::CalcTextSize(label.c_str());
  draw->AddRectFilled(ImVec2(min.x + 6, min.y), ImVec2(min.x + 10 + textSize.x, min.y + textSize.y),
                      ImGui::GetColorU32(ImGuiCol_WindowBg));
  draw->AddText(ImVec2(min.x + 8, min.y), ImGui::GetColorU32(ImGuiCol_Text), label.c_str());
}

void DrawIcon(std::string_view kind, ImVec2 min, ImVec2 size) {
  ImDrawList* draw = ImGui::GetWindowDrawList();
  const float radius = std::min(size.x, size.y) / 2;
  const ImVec2 centre(min.x + radius, min.y + radius);
  ImU32 colour = IM_COL32(0, 90, 200, 255);
  const char* sign = "i";
  if (kind == "error") colour = IM_COL32(200, 30, 30, 255), sign = "x";
  if (kind == "warning") colour = IM_COL32(220, 170, 0, 255), sign = "!";
  if (kind == "question") sign = "?";
  draw->AddCircleFilled(centre, radius, colour);
  const ImVec2 textSize = ImGui::CalcTextSize(sign);
  draw->AddText(ImVec2(centre.x - textSize.x / 2, centre.y - textSize.y / 2), IM_COL32(255, 255, 255, 255), sign);
}

void DrawItem(DialogBox& box, DialogItem& item, int index, ImVec2 origin, bool focusMoved) {
  const ItemTemplate& layout = item.layout;
  const ImVec2 at(static_cast<float>(UnitsToPixelsX(layout.x)), origin.y + UnitsToPixelsY(layout.y));
  const ImVec2 size(static_cast<float>(UnitsToPixelsX(layout.width)),
                    static_cast<float>(UnitsToPixelsY(layout.height)));
  const std::string label = Cp932ToUtf8(item.text) + "##" + std::to_string(layout.id);
  const bool focused = index == box.FocusIndex();
  ImGui::SetCursorPos(at);
  ImGui::BeginDisabled(!item.enabled);
  switch (layout.kind) {
    case ItemKind::Text:
      // Wrapped at the dialog's edge, not the item's: our gothic runs a little
      // wider than the one the dialogs were laid out in, and a label that just
      // fitted there would lose its last character to a second line.
      ImGui::PushTextWrapPos(0.0f);
      ImGui::TextUnformatted(Cp932ToUtf8(item.text).c_str());
      ImGui::PopTextWrapPos();
      break;
    case ItemKind::Picture:
      break;
    case ItemKind::Icon:
      DrawIcon(item.text, ImGui::GetCursorScreenPos(), size);
      break;
    case ItemKind::GroupBox:
      DrawGroupBox(Cp932ToUtf8(item.text), ImGui::GetCursorScreenPos(), size);
      break;
    case ItemKind::Button:
    case ItemKind::DefaultButton:
      if (ImGui::Button(label.c_str(), size)) box.Click(layout.id);
      if (layout.kind == ItemKind::DefaultButton)
        ImGui::GetWindowDrawList()->AddRect(ImGui::GetItemRectMin(), ImGui::GetItemRectMax(), IM_COL32(0, 84, 153, 255),
                                            0, 0, 2);
      break;
    case ItemKind::CheckBox: {
      bool checked = item.checked != 0;
      if (ImGui::Checkbox(label.c_str(), &checked)) box.Click(layout.id);
      break;
    }
    case ItemKind::RadioButton:
      if (ImGui::RadioButton(label.c_str(), item.checked != 0)) box.Click(layout.id);
      break;
    case ItemKind::Edit:
      DrawEdit(box, item, size, focused, focusMoved);
      break;
    case ItemKind::List:
      DrawList(box, item, size);
      break;
    case ItemKind::ScrollBar:
      DrawScrollBar(box, item, size);
      break;
  }
  ImGui::EndDisabled();
  // The focus shows as a dotted frame on the item that has it, as on buttons and check boxes.
  if (focused && layout.kind != ItemKind::Edit && layout.kind != ItemKind::List) {
    const ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
    ImGui::GetWindowDrawList()->AddRect(ImVec2(min.x - 2, min.y - 1), ImVec2(max.x + 2, max.y + 1),
                                        IM_COL32(0, 0, 0, 160));
  }
}

void DrawDialog(DialogBox& box) {
  if (!box.Shown()) return;
  const DialogTemplate& layout = box.Layout();
  const float titleHeight = layout.titleBar ? static_cast<float>(kTitleBarHeight) : 0;
  const ImVec2 size(static_cast<float>(UnitsToPixelsX(layout.width)), UnitsToPixelsY(layout.height) + titleHeight);
  const POINT at = box.TopLeft();
  ImGui::SetNextWindowPos(ImVec2(static_cast<float>(at.x), static_cast<float>(at.y)));
  ImGui::SetNextWindowSize(size);
  ImGuiWindowFlags flags = ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoCollapse |
                           ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoScrollbar;
  if (!layout.titleBar) flags |= ImGuiWindowFlags_NoTitleBar;
  const std::string title =
      Cp932ToUtf8(box.Caption()) + "###dialog" + std::to_string(reinterpret_cast<uintptr_t>(&box));
  ImGui::Begin(title.c_str(), nullptr, flags);
  auto seen = view.seenFocus.find(&box);
  const bool focusMoved = seen == view.seenFocus.end() || seen->second != box.FocusIndex();
  if (focusMoved) ImGui::ClearActiveID();
  view.seenFocus[&box] = box.FocusIndex();
  auto& items = box.Items();
  ImGui::BeginDisabled(!box.Enabled());
  for (size_t i = 0; i < items.size() && !box.Ended(); ++i) {
    if (items[i].visible) DrawItem(box, items[i], static_cast<int>(i), ImVec2(0, titleHeight), focusMoved);
  }
  ImGui::EndDisabled();
  ImGui::End();
}

void DrawFrame() {
  ImGuiIO& io = ImGui::GetIO();
  io.DisplaySize = ImVec2(kScreenWidth, kScreenHeight);
  io.DisplayFramebufferScale = ImVec2(1, 1);
  if (io.DeltaTime <= 0) io.DeltaTime = 1.0f / 60;
  ImGui::NewFrame();
  // A copy: a click may end a box and a box may open another.
  for (DialogBox* box : std::vector<DialogBox*>(view.boxes)) DrawDialog(*box);
  ImGui::Render();
}

bool IsFocusOnEdit(DialogBox& box) {
  const int focus = box.FocusIndex();
  return focus >= 0 && box.Items()[focus].layout.kind == ItemKind::Edit;
}

// A quit request from the desktop: every box shown is cancelled where it can
// be, else ended with 0 (neither Yes nor OK), so that the program can close.
void CancelForQuit() {
  for (DialogBox* box : view.boxes) {
    if (!box->Ended()) box->PressEscape();
    if (!box->Ended()) box->End(0);
  }
}

void HandleEvent(const SDL_Event& event) {
  if (view.boxes.empty()) return;
  if (event.type == SDL_QUIT) return CancelForQuit();
  DialogBox& box = *view.boxes.back();
  switch (event.type) {
    case SDL_TEXTEDITING:
      view.composition = event.edit.text;
      return;
    case SDL_TEXTINPUT:
      // One character a frame, so that each passes the dialog's limiter on its own, as typed keys do.
      view.composition.clear();
      for (const char* at = event.text.text; *at;) {
        const char* next = at + 1;
        while ((*next & 0xC0) == 0x80) ++next;
        view.typed.emplace_back(at, next);
        at = next;
      }
      return;
    case SDL_MOUSEMOTION:
      view.mouse = ImVec2(static_cast<float>(event.motion.x), static_cast<float>(event.motion.y));
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      if (!box.Enabled()) return;  // a disabled dialog takes no keys
      const int key = VirtualKeyOfLabel(event.key.keysym.scancode, event.key.keysym.sym);
      const bool composing = !view.composition.empty();
      box.Key(key, event.type == SDL_KEYDOWN, composing);
      // Enter, Escape and Tab belong to the dialog; the composition owns every key.
      if (composing || key == VK_RETURN || key == VK_ESCAPE || key == VK_TAB) return;
      break;
    }
    default:
      break;
  }
  ImGui_ImplSDL2_ProcessEvent(&event);
}

void UpdateTextInput(DialogBox& box) {
  const bool wanted = IsFocusOnEdit(box);
  if (wanted == view.textInput) return;
  view.textInput = wanted;
  if (wanted) {
    SDL_StartTextInput();
  } else {
    SDL_StopTextInput();
    view.composition.clear();
  }
}

// The screen of a box or dialog needed before the game presents: the game's
// window when it lends it, else a window of its own.
class EarlyScreen final : public Screen {
 public:
  static std::unique_ptr<EarlyScreen> Open(SDL_Window* lent) {
    if (!lent && !display::StartVideo()) return Failed("SDL video");
    SDL_Window* window = lent ? lent
                              : SDL_CreateWindow("zandrel", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                                 kScreenWidth, kScreenHeight, SDL_WINDOW_HIDDEN);
    if (!window) return Failed("the window");
    SDL_ShowWindow(window);
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, 0);
    if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer) {
      if (!lent) SDL_DestroyWindow(window);
      return Failed("a renderer");
    }
    SDL_RenderSetLogicalSize(renderer, kScreenWidth, kScreenHeight);
    return std::unique_ptr<EarlyScreen>(new EarlyScreen(lent ? nullptr : window, window, renderer));
  }
  ~EarlyScreen() override {
    if (m_renderer) SDL_DestroyRenderer(m_renderer);
    if (m_ownWindow) SDL_DestroyWindow(m_ownWindow);
  }
  SDL_Window* Window() override { return m_window; }
  SDL_Renderer* Renderer() override { return m_renderer; }
  void Repaint(const std::function<void(SDL_Renderer*)>& drawOverlay) override {
    SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 255);
    SDL_RenderClear(m_renderer);
    drawOverlay(m_renderer);
    SDL_RenderPresent(m_renderer);
  }
  // The window it made, for the caller to keep (null on a lent window); its renderer is gone.
  SDL_Window* Release() {
    SDL_DestroyRenderer(m_renderer);
    m_renderer = nullptr;
    return std::exchange(m_ownWindow, nullptr);
  }

 private:
  EarlyScreen(SDL_Window* ownWindow, SDL_Window* window, SDL_Renderer* renderer)
      : m_ownWindow(ownWindow), m_window(window), m_renderer(renderer) {}
  static std::unique_ptr<EarlyScreen> Failed(const char* what) {
    Diagnostic(std::string("overlay: cannot open ") + what + " for a dialog: " + SDL_GetError());
    return nullptr;
  }

  SDL_Window* m_ownWindow;
  SDL_Window* m_window;
  SDL_Renderer* m_renderer;
};

Screen* gameScreen = nullptr;
SDL_Window* lentWindow = nullptr;
std::unique_ptr<EarlyScreen> earlyScreen;
// Where SetCursorPos put the pointer before the window was shown.
std::optional<POINT> pendingPointer;

Screen* CurrentScreen() {
  if (gameScreen) return gameScreen;
  if (!earlyScreen) earlyScreen = EarlyScreen::Open(lentWindow);
  return earlyScreen.get();
}

bool IsShown(SDL_Window* window) { return (SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN) != 0; }

// Game-area dots become the window's own through the renderer's scaling.
void MovePendingPointer(Screen& screen) {
  if (!pendingPointer || !IsShown(screen.Window())) return;
  int x = pendingPointer->x, y = pendingPointer->y;
  if (SDL_Renderer* renderer = screen.Renderer())
    SDL_RenderLogicalToWindow(renderer, static_cast<float>(pendingPointer->x), static_cast<float>(pendingPointer->y),
                              &x, &y);
  SDL_WarpMouseInWindow(screen.Window(), x, y);
  pendingPointer.reset();
}

// What the outermost modal sets up for every box shown over it.
class ScreenSession {
 public:
  explicit ScreenSession(Screen& screen)
      : m_screen(screen), m_font(screen.Renderer()), m_events(RegisterSdlEventHandler(HandleEvent)) {
    ImGui_ImplSDL2_InitForSDLRenderer(screen.Window());
    MovePendingPointer(screen);
  }
  ~ScreenSession() {
    ImGui_ImplSDL2_Shutdown();
    if (view.textInput) SDL_StopTextInput();
    view = ViewState{};
    m_screen.EndOverlay();
  }
  ScreenSession(const ScreenSession&) = delete;
  ScreenSession& operator=(const ScreenSession&) = delete;

 private:
  Screen& m_screen;
  FontTexture m_font;
  TurnRegistration m_events;
};

void Forget(DialogBox& box) {
  view.boxes.pop_back();
  view.seenFocus.erase(&box);
  for (const DialogItem& item : box.Items()) view.seenRevision.erase(&item);
}

void TellOnTerminal(const DialogBox& box) {
  std::string text = box.Caption() + ":";
  for (const ItemTemplate& item : box.Layout().items)
    if (item.kind == ItemKind::Text) text += " " + item.text;
  std::erase(text, '\r');
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::fprintf(stderr, "%s\n", Cp932ToUtf8(text).c_str());
}

}  // namespace

RECT DesktopWorkArea() {
  SDL_Rect bounds{0, 0, kScreenWidth, kScreenHeight};
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_GetDisplayUsableBounds(0, &bounds) != 0)
    bounds = SDL_Rect{0, 0, kScreenWidth, kScreenHeight};
  return RECT{bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h};
}

void SetScreen(Screen* screen) { gameScreen = screen; }

void LendWindow(SDL_Window* window) {
  if (earlyScreen && earlyScreen->Window() == lentWindow) earlyScreen.reset();
  lentWindow = window;
}

SDL_Window* TakeEarlyWindow() {
  if (!earlyScreen || earlyScreen->Window() == lentWindow) return nullptr;
  SDL_Window* window = earlyScreen->Release();
  earlyScreen.reset();
  return window;
}

DialogBox* TopDialog() { return view.boxes.empty() ? nullptr : view.boxes.back(); }

unsigned DialogsEnded() { return dialogsEnded.load(); }

void ShowModal(DialogBox& box) {
  struct EndOfModal {
    ~EndOfModal() {
      ForgetTaps();
      ++dialogsEnded;
    }
  } endOfModal;
  Screen* screen = CurrentScreen();
  if (!screen) {
    // Nowhere to show it: the box takes its default rather than wait for
    // nothing, and its words go to the terminal the game was started from.
    TellOnTerminal(box);
    box.PressDefault();
    if (!box.Ended()) box.PressEscape();
    if (!box.Ended()) box.End(0);
    return;
  }
  EnsureGui();
  std::unique_ptr<ScreenSession> session;
  if (view.boxes.empty()) session = std::make_unique<ScreenSession>(*screen);
  view.boxes.push_back(&box);
  bool shown = false;
  while (!box.Ended()) {
    AdvanceInputStep();
    ServiceTurn();
    if (box.Ended()) break;
    UpdateTextInput(box);
    ImGui_ImplSDL2_NewFrame();
    ImGui::GetIO().MousePos = view.mouse;
    if (!view.typed.empty()) {
      ImGui::GetIO().AddInputCharactersUTF8(view.typed.front().c_str());
      view.typed.pop_front();
    }
    DrawFrame();
    screen->Repaint([](SDL_Renderer* renderer) { RenderDrawData(renderer, ImGui::GetDrawData()); });
    if (!shown) TraceLine("Dialog shown: " + box.Caption());
    shown = true;
    Sleep(10);
  }
  Forget(box);
}

bool RenderDialogToSurface(DialogBox& box, SDL_Surface* target) {
  SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(target);
  if (!renderer) return false;
  EnsureGui();
  {
    FontTexture font(renderer);
    view.boxes.push_back(&box);
    // The first frames lay the dialog out and give the focus; the last is shown.
    for (int frame = 0; frame < 3; ++frame) DrawFrame();
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    RenderDrawData(renderer, ImGui::GetDrawData());
    SDL_RenderPresent(renderer);
    Forget(box);
  }
  SDL_DestroyRenderer(renderer);
  return true;
}

}  // namespace platform::overlay

BOOL SetCursorPos(int x, int y) {
  using namespace platform::overlay;
  Screen* screen = gameScreen ? gameScreen : earlyScreen.get();
  if (!screen && !lentWindow) return FALSE;
  pendingPointer = POINT{x, y};
  if (screen) MovePendingPointer(*screen);
  return TRUE;
}
