#pragma once
// How pages and tool windows are made. Each kind has one creator, defined in that page's or
// window's own source file, so work on one page touches that page's files only. A kind whose
// real page has not landed yet creates a placeholder in its file.
#include <vector>

#include "pages/page.h"
#include "pages/tool_window.h"

namespace ax7::ui {

using PageCreator = Page* (*)(PageContext& context, int argument, QWidget* parent);
using ToolWindowCreator = ToolWindow* (*)(PageContext& context, QWidget* owner);

struct PageFactoryEntry {
  PageKind kind;
  PageCreator create;
};
struct ToolWindowFactoryEntry {
  int dialogId;
  ToolWindowCreator create;
};

// The tables, in the order of the kinds' dialog ids.
const std::vector<PageFactoryEntry>& PageFactories();
const std::vector<ToolWindowFactoryEntry>& ToolWindowFactories();

// nullptr for a kind or id without a creator.
Page* CreatePage(PageContext& context, PageKind kind, int argument, QWidget* parent);
ToolWindow* CreateToolWindow(PageContext& context, int dialogId, QWidget* owner);

// The creators (one per file: music_page.cpp, output_page.cpp, ...).
Page* CreateMusicPage(PageContext& context, int group, QWidget* parent);
Page* CreateOutputPage(PageContext& context, int channel, QWidget* parent);
Page* CreateEffectsPage(PageContext& context, int mode, QWidget* parent);
Page* CreateDelayPage(PageContext& context, int, QWidget* parent);
Page* CreateCompressorPage(PageContext& context, int, QWidget* parent);
Page* CreateRoomPage(PageContext& context, int, QWidget* parent);
ToolWindow* CreateMachineSettingsWindow(PageContext& context, QWidget* owner);
ToolWindow* CreateRemoteLearningWindow(PageContext& context, QWidget* owner);
ToolWindow* CreateAutoSubWindow(PageContext& context, QWidget* owner);
ToolWindow* CreateMusicAgcWindow(PageContext& context, QWidget* owner);
ToolWindow* CreateMusicSourceWindow(PageContext& context, QWidget* owner);

}  // namespace ax7::ui
