#pragma once

#include "host/host.h"

#include <QString>
#include <QtGlobal>
#include <new>
#include <optional>

// How much memory is left to this process, and the guard of the commands that
// build a new text: they refuse before starting when it would not fit, and a
// failed allocation is reported instead of ending the program with unsaved work.
namespace memory {

// The least of what the machine, the address-space limit and the control
// group leave this process, in bytes.
qint64 available();

// Tests set the figure available() reports; std::nullopt measures again.
void setAvailableForTesting(std::optional<qint64> bytes);

// A text in a box costs more than its own two bytes a unit: the copy a command
// builds, the undo step, the box's exact text and its laid-out view. Open's
// measure of 16 bytes for each byte of a file stands for all of them.
inline constexpr qint64 kBytesPerUnit = 16;

// True when a new text of `units` code units fits in the memory left.
bool roomForText(qint64 units);

inline const QString kNoRoom = QStringLiteral("内存不足,无法完成此操作。文本未改变。");

// Shows kNoRoom (style 48) and returns false when `units` do not fit.
bool checkRoom(Host& host, qint64 units);

// Runs `command`; a failed allocation inside it shows kNoRoom instead of
// leaving the slot. False when it did.
template <class Command> bool guarded(Host& host, Command&& command) {
    try {
        command();
        return true;
    } catch (const std::bad_alloc&) {
        host.msgBox(kNoRoom, msgbox::Exclamation, kProgramName);
        return false;
    }
}

} // namespace memory
