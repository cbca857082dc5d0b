#pragma once
// The main window as the desktop's media controls see it (MPRIS on the session bus): each call
// runs the handler of the matching button, each property reads the window's play state.
#include <memory>

class TFormMain;

namespace corvina {

// Puts the player on the session bus for as long as the returned object lives (destroy it
// before the window). Without a session bus it does nothing and says nothing.
std::shared_ptr<void> startMediaControls(TFormMain& form);

}  // namespace corvina
