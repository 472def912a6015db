// Long work (decoding a large picture, a large render) off the window's thread, so the window
// keeps painting and shows that it is busy instead of freezing.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace mirelane {

// Runs work on a worker thread and waits for it, handling paint and other non-input events
// meanwhile; mouse and keyboard input waits until the work is done, so nothing can change what
// the work reads. After a moment a busy indicator with the text appears over parent. An error
// thrown by the work is thrown again here.
void RunBusy(QWidget* parent, const QString& text, const std::function<void()>& work);

// True while RunBusy waits. Timers still fire then (a held stepper button repeats by a timer,
// its release being input that waits): what they would start must not begin meanwhile.
bool BusyWorkRunning();

}  // namespace mirelane
