#include "pages/page_factory.h"

namespace ax7::ui {

const std::vector<PageFactoryEntry>& PageFactories() {
  static const std::vector<PageFactoryEntry> table = {
      {PageKind::Music, &CreateMusicPage},
      {PageKind::Delay, &CreateDelayPage},
      {PageKind::Room, &CreateRoomPage},
      {PageKind::Compressor, &CreateCompressorPage},
      {PageKind::Output, &CreateOutputPage},
      {PageKind::Effects, &CreateEffectsPage},
  };
  return table;
}

const std::vector<ToolWindowFactoryEntry>& ToolWindowFactories() {
  static const std::vector<ToolWindowFactoryEntry> table = {
      {kMachineSettingsWindow, &CreateMachineSettingsWindow},
      {kRemoteLearningWindow, &CreateRemoteLearningWindow},
      {kAutoSubWindow, &CreateAutoSubWindow},
      {kMusicAgcWindow, &CreateMusicAgcWindow},
      {kMusicSourceWindow, &CreateMusicSourceWindow},
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
