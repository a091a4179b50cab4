#include "core/core.h"
#include "pages/page_factory.h"
#include "pages/switch_level_window.h"
#include "pages/value_row.h"

namespace ax7::ui {

namespace {

// While a microphone is heard, the box lowers the subwoofer to the set proportion.
class AutoSubWindow final : public SwitchLevelWindow {
 public:
  AutoSubWindow(PageContext& context, QWidget* owner)
      : SwitchLevelWindow(context,
                          {kAutoSubWindow,
                           {"自动超低音量衰减", "Auto SUB vol decay"},
                           {"当检测到话筒信号时，超低音量自动调节成所设置的超低比例，1秒之后，"
                            "超低音量逐渐恢复成正常比例",
                            "When detected mic level,the SUB vol is auto decay."},
                           Param::AutoSubSwitch,
                           0,
                           100,
                           [](int p) { return QString::asprintf("%d%%", p); }},
                          owner) {
    RefreshAll();
    ApplyLanguage();
  }

 protected:
  int storedPosition() const override {
    return context().core().mem.pc.getInt(size_t(Describe(Param::AutoSubAmount).word));
  }
  void sendPosition(int position) override {
    context().core().ui.SetParam(Param::AutoSubAmount, position);
  }
};

}  // namespace

ToolWindow* CreateAutoSubWindow(PageContext& context, QWidget* owner) {
  return new AutoSubWindow(context, owner);
}

}  // namespace ax7::ui
