#pragma once

// Shared by the main window's sources only: the key codes its handlers test, and captions.

#include <QAbstractButton>
#include <QString>

namespace cheqora::keys {

// Paths of this length or shorter fit their box; longer ones get the whole path as a tooltip.
constexpr int kTooltipThreshold = 45;

// Key codes the handlers test, in the numbering the handlers have always used.
constexpr int vbKeyBack = 8;
constexpr int vbKeyReturn = 13;

// A button's caption without its mnemonic marker, as a message box's title quotes it.
inline QString Caption(const QAbstractButton *button)
{
    return QString(button->text()).remove(u'&');
}

} // namespace cheqora::keys
