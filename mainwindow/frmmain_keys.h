#pragma once

// Shared by the main window's sources only: the key codes its handlers test.

namespace cheqora::keys {

// Paths of this length or shorter fit their box; longer ones get the whole path as a tooltip.
constexpr int kTooltipThreshold = 45;

// Key codes the handlers test, in the numbering the handlers have always used.
constexpr int vbKeyBack = 8;
constexpr int vbKeyReturn = 13;

} // namespace cheqora::keys
