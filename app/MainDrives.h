#pragma once
// Watches for CD drives plugged in or back while the player runs (MainDrives.cpp).
#include <memory>

class TFormMain;

namespace corvina {

// Looks at the machine's CD devices every two seconds for as long as the returned object lives
// (destroy it before the window) and tells the window of drives that joined or came back.
// Nothing when a disc was chosen for the run (CORVINA_DISC).
std::shared_ptr<void> startDriveWatch(TFormMain& form);

}  // namespace corvina
