#include <bit>

#include "core/core.h"
#include "pages/page_factory.h"
#include "pages/switch_level_window.h"
#include "params/saturate.h"

namespace ax7::ui {

namespace {

// The music input's automatic gain control. The slider runs in tenths of a dB from -18.0 to
// -6.0; the word holds that target as a float and the box takes its 32 bits unchanged. The
// value shown is the target 12 dB up, -6.0dB .. 6.0dB.
class MusicAgcWindow final : public SwitchLevelWindow {
 public:
  MusicAgcWindow(PageContext& context, QWidget* owner)
      : SwitchLevelWindow(context,
                          {kMusicAgcWindow,
                           {"音乐AGC", "Music AGC"},
                           {"音乐输入增益自动调节", "Auto Music Level"},
                           Param::MusicAgcSwitch,
                           -180,
                           -60,
                           // From the position, never from the word itself: a damaged word
                           // shows where the slider is.
                           [](int p) { return QString::asprintf("%.1fdB", (p + 120) / 10.0); }},
                          owner) {
    RefreshAll();
    ApplyLanguage();
  }

 protected:
  int storedPosition() const override {
    const float db = context().core().mem.pc.getFloat(size_t(Describe(Param::MusicAgcLevel).word));
    return SliderPosition(db, -180, -60, 10.0);
  }
  void sendPosition(int position) override {
    const float db = float(position / 10.0);
    context().core().ui.SetParam(Param::MusicAgcLevel, double(std::bit_cast<uint32_t>(db)));
  }
};

}  // namespace

ToolWindow* CreateMusicAgcWindow(PageContext& context, QWidget* owner) {
  return new MusicAgcWindow(context, owner);
}

// Boxes before command version 9 have no music AGC.
bool MusicAgcAvailable(PageContext& context) {
  return context.core().mem.dev.g_nCmdVersion.load() > 8;
}

}  // namespace ax7::ui
