#pragma once
// Desktop event sounds: short sounds the desktop's sound theme (XDG sound theme and naming) plays
// for user-interface events, such as "menu-popup" when a menu opens.
//
// play() returns at once; the sound plays on the sound system's own time and does not cut a
// sound that is still playing. An event the theme has no sound for plays nothing: there is no
// default sound. Where no sound system can be reached, nothing plays and nothing is reported.
//
// UI thread only.
#include <memory>
#include <string>
#include <vector>

namespace corvina::sound {

class EventSound {
public:
    virtual ~EventSound() = default;
    // Plays the theme's sound for `eventId` (an XDG sound name); `description` names it for
    // assistive technology.
    virtual void play(const char* eventId, const char* description) = 0;
};

// The desktop's sounds through libcanberra; null when the library is not built in or no context
// can be made.
std::unique_ptr<EventSound> makeCanberraSound();
// Plays nothing.
std::unique_ptr<EventSound> makeSilentSound();

// The process's event sounds: made on first use (libcanberra, else silence).
EventSound& eventSound();
// Replaces the process's event sounds (tests); null goes back to the desktop's.
void setEventSound(std::unique_ptr<EventSound> sound);

// Records what it is asked to play; `refuse` makes it drop requests, as a missing sound system.
class FakeEventSound : public EventSound {
public:
    void play(const char* eventId, const char*) override {
        if (!refuse) played.emplace_back(eventId);
    }
    std::vector<std::string> played;
    bool refuse = false;
};

}  // namespace corvina::sound
