// The EQ set copied last. The program keeps one and hands it to every EQ editor, so an EQ copied
// on one page can be pasted on another.
#pragma once

namespace ax7::ui {

struct EqCopySource {
  int set = -1;  // -1 until something is copied
};

}  // namespace ax7::ui
