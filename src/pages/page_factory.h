#pragma once
// How pages and tool windows are made, and everything the program around them needs to know of
// each: a new page or tool window is one row here. Each kind has one creator, defined in that
// page's or window's own source file, so work on one page touches that page's files only. A
// kind whose real page has not landed yet creates a placeholder in its file.
#include <vector>

#include "pages/page.h"
#include "pages/tool_window.h"

namespace ax7::ui {

using PageCreator = Page* (*)(PageContext& context, int argument, QWidget* parent);
using ToolWindowCreator = ToolWindow* (*)(PageContext& context, QWidget* owner);

struct PageFactoryEntry {
  PageKind kind;
  PageCreator create;
  const char* scriptName;  // `page NAME` in a --script file
};

// How the main window opens a tool window and keeps it up to date.
struct ToolWindowOptions {
  bool centre = true;                  // centred on the main window at each opening
  bool textsOnOpen = true;             // texts taken again at each opening
  bool refreshOnOpen = false;          // filled from memory at each opening
  bool refreshWithPages = false;       // refreshed with the pages (synchronisation, file load)
  bool hideOnClose = false;            // closing only hides it: it keeps its state
  bool refreshRibbonWhenGone = false;  // it edits what the ribbon shows
  bool (*available)(PageContext&) = nullptr;  // opens only when true; nullptr: always
};

struct ToolWindowFactoryEntry {
  int dialogId;  // also the id `tool ID` takes in a --script file
  ToolWindowCreator create;
  ToolWindowOptions options;
};

// The tables: pages in the order scripts name them, tool windows by dialog id.
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
// When a tool window may open (in the window's file as well).
bool RemoteLearningAvailable(PageContext& context);
bool MusicAgcAvailable(PageContext& context);

}  // namespace ax7::ui
