#pragma once
// The texts of undo/redo, the A/B slots and the settings history, Chinese first.
#include "pages/language.h"

namespace ax7::ui::history_text {

inline constexpr TextPair kUndo{"撤销", "Undo"};
inline constexpr TextPair kRedo{"重做", "Redo"};
// "撤销: 话筒A 均衡 第3段 增益" is built by the journal; these are shown when there is none.
inline constexpr TextPair kNothingToUndo{"没有可撤销的操作", "Nothing to undo"};
inline constexpr TextPair kNothingToRedo{"没有可重做的操作", "Nothing to redo"};
inline constexpr TextPair kAskAcrossBarrier{
    "这一步之后设置已从机器重新读取（连接、调用或重置模式）。\n仍要撤销并把之前的设置写入机器吗？",
    "The settings were read from the box again after this step (connection, mode recall or "
    "reset).\nUndo anyway and write the earlier settings to the box?"};
inline constexpr TextPair kUndoCaption{"撤销", "Undo"};

// A/B slots.
inline constexpr TextPair kAbButton{"A/B: %1", "A/B: %1"};
inline constexpr TextPair kAbNone{"—", "—"};
inline constexpr TextPair kStoreA{"当前设置存为 A", "Store current settings to A"};
inline constexpr TextPair kStoreB{"当前设置存为 B", "Store current settings to B"};
inline constexpr TextPair kSwitchAb{"切换 A/B", "Switch A/B"};
inline constexpr TextPair kAbLive{"当前为 %1", "Live: %1"};
inline constexpr TextPair kAbLiveChanged{"当前为 %1（存入后已改动）", "Live: %1 (changed since stored)"};
inline constexpr TextPair kAbNoneLive{"A、B 均未使用：先把当前设置存为 A 或 B",
                                      "Neither A nor B is live: store the settings to A or B first"};
inline constexpr TextPair kAbSlotEmpty{"%1 还是空的：先把设置存为 %1",
                                       "%1 is empty: store the settings to %1 first"};
inline constexpr TextPair kAbNotSwitched{"没有切换到 %1：当前设置无法保存为快照，已选择不继续",
                                         "Not switched to %1: the current settings could not be "
                                         "kept as a snapshot, and you chose not to go on"};
inline constexpr TextPair kAbStored{"当前设置已存为 %1", "Settings stored to %1"};
inline constexpr TextPair kAbSwitchStep{"切换到 %1", "Switch to %1"};
inline constexpr TextPair kAbShortcut{"按 F9 切换", "F9 switches"};

// Snapshots before a replacing action.
inline constexpr TextPair kSnapshotFailed{
    "无法保存当前设置的快照：\n%1\n\n继续的话，当前设置将无法找回。仍要继续吗？",
    "The current settings could not be kept as a snapshot:\n%1\n\nIf you go on, they cannot be "
    "brought back. Go on anyway?"};
inline constexpr TextPair kSnapshotCaption{"设置历史", "Settings history"};

// The history window.
inline constexpr TextPair kHistoryButton{"历史", "History"};
inline constexpr TextPair kHistoryTitle{"设置历史", "Settings history"};
inline constexpr TextPair kHistoryFolder{"快照保存在：%1", "Snapshots are kept in: %1"};
inline constexpr TextPair kHistoryEmpty{"还没有快照", "No snapshots yet"};
inline constexpr TextPair kColumnTime{"时间", "Time"};
inline constexpr TextPair kColumnReason{"原因", "Reason"};
inline constexpr TextPair kColumnCount{"不同项", "Differences"};
inline constexpr TextPair kColumnNames{"与当前不同的设置", "What differs from now"};
inline constexpr TextPair kSameAsNow{"与当前相同", "Same as now"};
inline constexpr TextPair kUnreadable{"无法读取", "Cannot be read"};
inline constexpr TextPair kRestore{"恢复", "Restore"};
inline constexpr TextPair kOpenFolder{"打开文件夹", "Open folder"};
inline constexpr TextPair kClose{"关闭", "Close"};
inline constexpr TextPair kRestoreStep{"恢复 %1 的设置", "Restore settings of %1"};
inline constexpr TextPair kRestored{"已恢复 %1 的设置（%2 项）", "Settings of %1 restored (%2)"};
inline constexpr TextPair kCannotRead{"无法读取快照：\n%1", "Cannot read the snapshot:\n%1"};
inline constexpr TextPair kCannotOpenFolder{"无法打开文件夹：\n%1", "Cannot open the folder:\n%1"};

// Steps recorded for replacements made outside the edit path.
inline constexpr TextPair kLoadFileStep{"载入文件 %1", "Load file %1"};

}  // namespace ax7::ui::history_text
