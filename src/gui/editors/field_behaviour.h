// What every entry field does: turns red when it gets the focus and yellow when it loses it (a check
// box goes back to the button colour), and lets through only the characters its filter allows.
#pragma once

#include <QColor>
#include <QObject>
#include <optional>

#include "editing/table_editor.h"

class QWidget;

namespace varlen::gui {

inline const QColor kFocusColour(0xFF, 0x00, 0x00); // red
inline const QColor kLeftColour(0xFF, 0xFF, 0x00);  // yellow

// Installs the behaviour on `field`; a filter of nullopt lets every character through.
void AttachFieldBehaviour(QWidget* field, std::optional<editing::KeyFilter> filter);

} // namespace varlen::gui
