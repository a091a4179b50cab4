#include "pages/page_factory.h"

namespace ax7::ui {

const std::vector<PageFactoryEntry>& PageFactories() {
  static const std::vector<PageFactoryEntry> table = {
      {PageKind::Music, &CreateMusicPage, "music"},
      {PageKind::Effects, &CreateEffectsPage, "effects"},
      {PageKind::Output, &CreateOutputPage, "output"},
      {PageKind::Compressor, &CreateCompressorPage, "compressor"},
      {PageKind::Delay, &CreateDelayPage, "delay"},
      {PageKind::Room, &CreateRoomPage, "room"},
  };
  return table;
}

const std::vector<ToolWindowFactoryEntry>& ToolWindowFactories() {
  static const std::vector<ToolWindowFactoryEntry> table = {
      // Machine settings are only shown again on each opening, where they were left.
      {kMachineSettingsWindow,
       &CreateMachineSettingsWindow,
       {.centre = false,
        .textsOnOpen = false,
        .refreshWithPages = true,
        .refreshRibbonWhenGone = true}},
      {kRemoteLearningWindow, &CreateRemoteLearningWindow, {.available = &RemoteLearningAvailable}},
      {kAutoSubWindow, &CreateAutoSubWindow, {.refreshOnOpen = true, .refreshWithPages = true}},
      {kMusicAgcWindow,
       &CreateMusicAgcWindow,
       {.refreshOnOpen = true, .refreshWithPages = true, .available = &MusicAgcAvailable}},
      {kMusicSourceWindow,
       &CreateMusicSourceWindow,
       {.refreshOnOpen = true, .refreshWithPages = true, .hideOnClose = true}},
  };
  return table;
}

Page* CreatePage(PageContext& context, PageKind kind, int argument, QWidget* parent) {
  for (const PageFactoryEntry& e : PageFactories()) {
    if (e.kind == kind) return e.create(context, argument, parent);
  }
  return nullptr;
}

ToolWindow* CreateToolWindow(PageContext& context, int dialogId, QWidget* owner) {
  for (const ToolWindowFactoryEntry& e : ToolWindowFactories()) {
    if (e.dialogId == dialogId) return e.create(context, owner);
  }
  return nullptr;
}

}  // namespace ax7::ui
